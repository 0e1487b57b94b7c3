#include "platform/FileSystem.h"

#include <algorithm>
#include <random>

#include "platform/AsideNames.h"
#include "platform/Hex.h"
#include "platform/StepJournal.h"

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

namespace {

constexpr std::string_view kPrivatePrefix = ".zwf-";
constexpr std::size_t kKeyDigits = 32;
constexpr std::string_view kNoteSuffix = ".name";
constexpr std::size_t kLongestName = 255;

// The length of the longest start of text no longer than most bytes that ends between UTF-8
// characters.
std::size_t CutPoint(std::string_view text, std::size_t most) {
    std::size_t keep = std::min(text.size(), most);
    while (keep > 0 && keep < text.size() && (static_cast<unsigned char>(text[keep]) & 0xC0) == 0x80)
        --keep;
    return keep;
}

bool IsKey(std::string_view text) {
    return text.size() == kKeyDigits && text.find_first_not_of("0123456789abcdef") == std::string_view::npos;
}

}  // namespace

bool FitsAsideName(const std::string& name) {
    return kPrivatePrefix.size() + kKeyDigits + 1 + name.size() <= kLongestName;
}

std::string AsideNameFor(std::string_view key, const std::string& name) {
    std::string hidden(kPrivatePrefix);
    hidden += key;
    if (FitsAsideName(name))
        return hidden + '-' + name;
    hidden.push_back('~');
    return hidden + name.substr(0, CutPoint(name, kLongestName - hidden.size()));
}

std::string PrivateAsideName(const std::string& name) {
    std::random_device random;
    std::string bits;  // 128 of them
    for (int word = 0; word < 4; ++word)
        for (std::uint32_t value = random(), byte = 0; byte < 4; ++byte, value >>= 8)
            bits.push_back(static_cast<char>(value & 0xFF));
    return AsideNameFor(HexOf(bits), name);
}

std::optional<AsideName> ParseAsideName(std::string_view name) {
    if (!name.starts_with(kPrivatePrefix))
        return std::nullopt;
    name.remove_prefix(kPrivatePrefix.size());
    if (name.size() < kKeyDigits || !IsKey(name.substr(0, kKeyDigits)))
        return std::nullopt;
    AsideName parsed{std::string(name.substr(0, kKeyDigits)), {}, false};
    const std::string_view rest = name.substr(kKeyDigits);
    if (rest.empty())
        return parsed;  // moved aside by a version that kept no old name
    if (rest[0] == '-') {
        // No file is ever moved aside from "", "." or "..": such a name tells no origin.
        if (const std::string_view old = rest.substr(1); !old.empty() && old != "." && old != "..")
            parsed.oldName = old;
        return parsed;
    }
    if (rest[0] == '~') {
        parsed.cut = true;
        return parsed;
    }
    return std::nullopt;
}

std::string NoteName(std::string_view key) {
    return std::string(kPrivatePrefix) + std::string(key) + std::string(kNoteSuffix);
}

bool IsPrivateName(std::string_view name) {
    if (ParseAsideName(name))
        return true;
    return name.size() == kPrivatePrefix.size() + kKeyDigits + kNoteSuffix.size() && name.starts_with(kPrivatePrefix) &&
           name.ends_with(kNoteSuffix) && IsKey(name.substr(kPrivatePrefix.size(), kKeyDigits));
}

std::string PutBackName(const std::string& name, int attempt) {
    if (attempt == 0)
        return name;
    std::string tail(AsideFile::kRescueSuffix);
    if (attempt > 1) {
        tail += '-';
        tail += std::to_string(attempt);
    }
    return name.substr(0, CutPoint(name, kLongestName - tail.size())) + tail;
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

std::string JournalLine(const std::string& folder, const std::string& privateName) {
    return HexOf(folder) + ' ' + HexOf(privateName) + '\n';
}

// A line of its own kind: a word no hex text can be first.
std::string TrashRecordLine(const std::string& infoFolder, const std::string& name, const std::string& record) {
    return "papierkorb " + HexOf(infoFolder) + ' ' + HexOf(name) + ' ' + HexOf(record) + '\n';
}

std::vector<LoggedStep> ParseJournal(std::string_view text) {
    std::vector<LoggedStep> steps;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        if (end == std::string_view::npos)
            break;  // a line cut off as the process ended: its rename never came
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end + 1);
        if (line.starts_with("papierkorb ")) {
            line.remove_prefix(11);
            const std::size_t first = line.find(' '), second = line.find(' ', first + 1);
            if (second == std::string_view::npos)
                continue;
            std::optional<std::string> folder = FromHex(line.substr(0, first));
            std::optional<std::string> name = FromHex(line.substr(first + 1, second - first - 1));
            std::optional<std::string> record = FromHex(line.substr(second + 1));
            if (folder && name && record && !record->empty() && name->ends_with(".trashinfo"))
                steps.push_back({std::move(*folder), std::move(*name), std::move(*record)});
            continue;
        }
        const std::size_t space = line.find(' ');
        if (space == std::string_view::npos)
            continue;
        std::optional<std::string> folder = FromHex(line.substr(0, space));
        std::optional<std::string> name = FromHex(line.substr(space + 1));
        if (folder && name && IsPrivateName(*name))
            steps.push_back({std::move(*folder), std::move(*name), {}});
    }
    return steps;
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
