#include "platform/posix/PosixTrash.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <climits>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

#include "platform/StepJournal.h"
#include "platform/posix/UniqueFd.h"

namespace zwf {

namespace {

std::error_code Error(int code) { return {code, std::generic_category()}; }

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW;

// The folder name inside parent, made (only for its owner) where missing; never through a link, and
// only one of the caller's own.
UniqueFd OwnFolder(int parent, const char* name, std::error_code& error) {
    if (::mkdirat(parent, name, 0700) != 0 && errno != EEXIST) {
        error = Error(errno);
        return UniqueFd();
    }
    UniqueFd folder(::openat(parent, name, kFolderFlags));
    struct stat info {};
    if (folder.Get() < 0 || ::fstat(folder.Get(), &info) != 0) {
        error = Error(errno == ELOOP ? EACCES : errno);
        return UniqueFd();
    }
    if (info.st_uid != ::geteuid()) {
        error = Error(EACCES);
        return UniqueFd();
    }
    return folder;
}

struct Trash {
    UniqueFd files, info;
};

// files/ and info/ of the trash folder.
Trash Within(UniqueFd trash, std::error_code& error) {
    Trash within;
    if (trash.Get() < 0)
        return within;
    within.files = OwnFolder(trash.Get(), "files", error);
    if (!error)
        within.info = OwnFolder(trash.Get(), "info", error);
    return within;
}

// The home trash's folder, made where missing, when it is on the file system device.
UniqueFd HomeTrash(dev_t device, std::error_code& error) {
    const char* data = std::getenv("XDG_DATA_HOME");
    std::string folder;
    if (data && *data == '/') {
        folder = data;
    } else {
        const char* home = std::getenv("HOME");
        if (!home || *home != '/')
            return UniqueFd();
        folder = std::string(home) + "/.local/share";
    }
    // The nearest folder on the way that is there tells the file system.
    struct stat info {};
    std::string probe = folder + "/Trash";
    while (::stat(probe.c_str(), &info) != 0) {
        const std::size_t cut = probe.rfind('/');
        if (cut == 0 || cut == std::string::npos)
            return UniqueFd();
        probe.resize(cut);
    }
    if (info.st_dev != device)
        return UniqueFd();
    for (std::size_t cut = 1; (cut = folder.find('/', cut + 1)) != std::string::npos;)
        ::mkdir(folder.substr(0, cut).c_str(), 0700);
    ::mkdir(folder.c_str(), 0700);
    UniqueFd parent(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (parent.Get() < 0) {
        error = Error(errno);
        return UniqueFd();
    }
    return OwnFolder(parent.Get(), "Trash", error);
}

// The top folder of the mount that holds the folder: the last one up on the same file system,
// or the one the system marks as a mount's root.
UniqueFd TopFolder(int folderFd, std::error_code& error) {
    UniqueFd folder(::fcntl(folderFd, F_DUPFD_CLOEXEC, 0));
    while (folder.Get() >= 0) {
        struct statx here {};
        if (::statx(folder.Get(), "", AT_EMPTY_PATH, STATX_INO, &here) == 0 &&
            (here.stx_attributes_mask & here.stx_attributes & STATX_ATTR_MOUNT_ROOT))
            return folder;
        UniqueFd parent(::openat(folder.Get(), "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        struct stat own {
        }, above{};
        if (parent.Get() < 0 || ::fstat(folder.Get(), &own) != 0 || ::fstat(parent.Get(), &above) != 0)
            break;
        if (above.st_dev != own.st_dev || (above.st_ino == own.st_ino))
            return folder;
        folder = std::move(parent);
    }
    error = Error(errno ? errno : EIO);
    return UniqueFd();
}

// The mount's trash: $topdir/.Trash/$uid where $topdir/.Trash is safe to share, else
// $topdir/.Trash-$uid.
Trash MountTrash(int folderFd, std::error_code& error) {
    const UniqueFd top = TopFolder(folderFd, error);
    if (top.Get() < 0)
        return {};
    const std::string uid = std::to_string(::geteuid());
    struct stat shared {};
    if (::fstatat(top.Get(), ".Trash", &shared, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(shared.st_mode) &&
        (shared.st_mode & S_ISVTX)) {
        UniqueFd folder(::openat(top.Get(), ".Trash", kFolderFlags));
        std::error_code ignored;
        Trash trash = folder.Get() < 0 ? Trash{} : Within(OwnFolder(folder.Get(), uid.c_str(), ignored), ignored);
        if (!ignored && trash.info.Get() >= 0)
            return trash;
    }
    return Within(OwnFolder(top.Get(), (".Trash-" + uid).c_str(), error), error);
}

// Where name goes in the trash on the attempt-th try: name, then name.2, name.3 and so on, cut
// (never inside a UTF-8 character) so that name and ".trashinfo" stay within 255 bytes.
std::string TrashName(const std::string& name, int attempt) {
    std::string number;
    if (attempt > 0)
        number.append(".").append(std::to_string(attempt + 1));
    constexpr std::size_t kMost = 255 - 10;
    std::size_t keep = std::min(name.size(), kMost - number.size());
    while (keep > 0 && keep < name.size() && (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80)
        --keep;
    return name.substr(0, keep) + number;
}

std::string PercentEncoded(const std::string& path) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || (byte >= '0' && byte <= '9') ||
            std::string_view("/-_.~").find(c) != std::string_view::npos) {
            encoded += c;
        } else {
            encoded += '%';
            encoded += kHex[byte >> 4];
            encoded += kHex[byte & 0xF];
        }
    }
    return encoded;
}

// The path a folder held open has now.
std::string PathOf(int fd) {
    char link[64], path[PATH_MAX];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t length = ::readlink(link, path, sizeof path);
    return length > 0 ? std::string(path, static_cast<std::size_t>(length)) : std::string();
}

// Renames without replacing; where the file system has no such rename, a link that cannot replace
// anything, then the old name removed.
int MoveNoReplace(int fromFolder, const std::string& from, int toFolder, const std::string& to) {
    if (::renameat2(fromFolder, from.c_str(), toFolder, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        return errno;
    if (::linkat(fromFolder, from.c_str(), toFolder, to.c_str(), 0) != 0)
        return errno;
    ::unlinkat(fromFolder, from.c_str(), 0);
    return 0;
}

}  // namespace

std::string TrashRecord(const std::string& originalPath, long long secondsSinceEpoch) {
    const std::time_t when = static_cast<std::time_t>(secondsSinceEpoch);
    std::tm local{};
    ::localtime_r(&when, &local);
    char date[32];
    std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", &local);
    return "[Trash Info]\nPath=" + PercentEncoded(originalPath) + "\nDeletionDate=" + date + "\n";
}

std::error_code MoveIntoTrash(int folderFd, const std::string& hidden, const std::string& name, StepLog* log) {
    const std::string folder = PathOf(folderFd);
    if (folder.empty() || folder[0] != '/')
        return Error(ENOENT);  // a folder removed meanwhile: no path to restore to
    const std::string originalPath = (folder == "/" ? std::string() : folder) + "/" + name;
    struct stat file {};
    if (::fstatat(folderFd, hidden.c_str(), &file, AT_SYMLINK_NOFOLLOW) != 0)
        return Error(errno);
    std::error_code error;
    Trash trash = Within(HomeTrash(file.st_dev, error), error);
    if (!error && trash.info.Get() < 0)
        trash = MountTrash(folderFd, error);
    if (error || trash.info.Get() < 0)
        return error ? error : Error(EXDEV);
    const std::string infoFolder = PathOf(trash.info.Get());
    const std::string record = TrashRecord(originalPath, static_cast<long long>(std::time(nullptr)));
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const std::string trashed = TrashName(name, attempt);
        const std::string info = trashed + ".trashinfo";
        if (log)
            log->WillWriteTrashRecord(infoFolder, info, record);
        UniqueFd written(
            ::openat(trash.info.Get(), info.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600));
        if (written.Get() < 0 && errno == EEXIST)
            continue;
        if (written.Get() < 0)
            return Error(errno);
        if (!WriteAll(written.Get(), record) || ::fsync(written.Get()) != 0 || ::fsync(trash.info.Get()) != 0) {
            error = Error(errno ? errno : EIO);
            ::unlinkat(trash.info.Get(), info.c_str(), 0);
            return error;
        }
        const int code = MoveNoReplace(folderFd, hidden, trash.files.Get(), trashed);
        if (code == 0) {
            ::fsync(trash.files.Get());
            return {};
        }
        ::unlinkat(trash.info.Get(), info.c_str(), 0);
        if (code != EEXIST)
            return Error(code);
    }
    return Error(EEXIST);
}

}  // namespace zwf
