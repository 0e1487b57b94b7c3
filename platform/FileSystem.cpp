#include "platform/FileSystem.h"

#include <algorithm>
#include <random>

#include "platform/AsideNames.h"

namespace zwf {

namespace {

class FsErrorCategory final : public std::error_category {
public:
    const char* name() const noexcept override { return "zwf"; }
    std::string message(int value) const override {
        switch (static_cast<FsError>(value)) {
        case FsError::Changed: return "hat sich seit der Suche verändert";
        case FsError::Replaced: return "ist nicht mehr der Ordner, der gelistet wurde";
        case FsError::IsLink: return "ist eine Verknüpfung";
        case FsError::LinkProtected: return "ist vor weiteren Namen geschützt";
        }
        return "unbekannter Fehler";
    }
};

// The folder part and the name part of a full path; a file in the POSIX root has the folder "".
std::pair<std::string, std::string> SplitParent(const std::string& path, char separator) {
    const std::size_t cut = path.rfind(separator);
    if (cut == std::string::npos)
        return {std::string(), path};
    return {path.substr(0, cut), path.substr(cut + 1)};
}

}  // namespace

const std::error_category& FsCategory() {
    static const FsErrorCategory category;
    return category;
}

std::string PrivateAsideName() {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::random_device random;
    std::string name = ".zwf-";
    for (int word = 0; word < 4; ++word) {
        std::uint32_t bits = random();
        for (int digit = 0; digit < 8; ++digit, bits >>= 4)
            name.push_back(kDigits[bits & 0xF]);
    }
    return name;
}

std::string PutBackName(const std::string& name, int attempt) {
    if (attempt == 0)
        return name;
    std::string tail(AsideFile::kRescueSuffix);
    if (attempt > 1) {
        tail += '-';
        tail += std::to_string(attempt);
    }
    constexpr std::size_t kLongestName = 255;
    std::size_t keep = std::min(name.size(), kLongestName - tail.size());
    while (keep > 0 && keep < name.size() && (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80)
        --keep;  // not inside a character
    return name.substr(0, keep) + tail;
}

FileStatus MovedStatus(FileStatus now, const FileStatus& beforeMove) {
    if (!now.error && now.identity == beforeMove.identity && now.size == beforeMove.size &&
        now.times.modified == beforeMove.times.modified)
        now.times.changed = beforeMove.times.changed;
    return now;
}

std::string PutBackUnderFreeName(const std::string& name,
                                 const std::function<std::error_code(const std::string&)>& tryName,
                                 std::error_code& error) {
    constexpr int kAttempts = 100;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        std::string candidate = PutBackName(name, attempt);
        error = tryName(candidate);
        if (!error)
            return candidate;
        if (error != std::errc::file_exists)
            return {};
    }
    return {};
}

bool SameFile(const FileStatus& now, const FileStatus& expected) {
    if (now.error || now.kind != EntryKind::File || now.size != expected.size || now.times != expected.times)
        return false;
    return now.identity.Matches(expected.identity);
}

// The length first, then each name from the last one back, so a deep path is built in place.
std::string FolderHandle::Path() const {
    std::size_t length = 0;
    for (const Place* place = m_place.get(); place; place = place->parent.get())
        length += place->name.size() + (place->parent ? 1 : 0);
    std::string path(length, '\0');
    for (const Place* place = m_place.get(); place; place = place->parent.get()) {
        length -= place->name.size();
        path.replace(length, place->name.size(), place->name);
        if (place->parent)
            path[--length] = place->separator;
    }
    return path;
}

std::unique_ptr<ReadableFile> FileSystem::OpenReadIn(FolderHandle& folder, const std::string& name,
                                                     std::error_code& error) {
    std::string path = folder.Path();
    if (path.empty() || path.back() != Separator())
        path.push_back(Separator());
    return OpenRead(path + name, error);
}

FolderListing FileSystem::ListFolder(const std::string& folder) {
    FolderListing listing;
    auto handle = OpenFolder(folder, listing.error);
    return handle ? List(*handle) : listing;
}

FileStatus FileSystem::Stat(const std::string& path) {
    FileStatus status;
    auto [folder, name] = SplitParent(path, Separator());
    auto handle = OpenFolder(folder, status.error);
    return handle ? StatIn(*handle, name) : status;
}

std::error_code FileSystem::DeleteIn(FolderHandle& folder, const std::string& name, const FileStatus& expected) {
    std::error_code error;
    std::unique_ptr<AsideFile> aside = MoveAside(folder, name, error);
    if (!aside)
        return error;
    if (!SameFile(aside->Status(), expected)) {
        aside->PutBack(error);
        return make_error_code(FsError::Changed);
    }
    if (const std::error_code failed = aside->Remove()) {
        aside->PutBack(error);
        return failed;
    }
    return {};
}

std::error_code FileSystem::Delete(const std::string& path) {
    std::error_code error;
    auto [folder, name] = SplitParent(path, Separator());
    auto handle = OpenFolder(folder, error);
    if (!handle)
        return error;
    const FileStatus status = StatIn(*handle, name);
    if (status.error)
        return status.error;
    if (status.kind != EntryKind::File)
        return make_error_code(FsError::Changed);
    return DeleteIn(*handle, name, status);
}

}  // namespace zwf
