#include "catalogue/ReachFolder.h"

#include <string>
#include <vector>

namespace zwf {

std::unique_ptr<FolderHandle> ReachFolder(const FolderTable& folders, FileSystem& fileSystem, FolderId folder,
                                          std::error_code& error) {
    std::vector<FolderId> chain{folder};
    while (folders.Parent(chain.back()) != kNoParent)
        chain.push_back(folders.Parent(chain.back()));

    const FolderId top = chain.back();
    std::unique_ptr<FolderHandle> handle = fileSystem.OpenFolder(folders.Name(top), error);
    if (!handle)
        return nullptr;
    if (!handle->Identity().Matches(folders.Identity(top))) {
        error = make_error_code(FsError::Replaced);
        return nullptr;
    }
    for (auto step = std::next(chain.rbegin()); step != chain.rend(); ++step) {
        handle = fileSystem.OpenSubfolder(*handle, folders.Name(*step), folders.Identity(*step), error);
        if (!handle)
            return nullptr;
    }
    return handle;
}

}  // namespace zwf
