#include "platform/FileSystem.h"

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
