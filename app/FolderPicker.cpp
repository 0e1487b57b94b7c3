#include "app/FolderPicker.h"

#include "catalogue/ScanFolder.h"

namespace zwf {

std::string FolderPicker(Window& window, const FileSystem& fileSystem, std::string_view title,
                         std::string_view initialFolder) {
    const char separator = fileSystem.Separator();
    // The dialog selects a folder named without its trailing separator; a root keeps it, since
    // "C:" alone would mean the drive's current folder and "" no folder at all.
    std::string_view initial = initialFolder;
    if (!initial.empty() && initial.back() == separator && !fileSystem.IsRoot(initial))
        initial.remove_suffix(1);

    return AsAddedFolder(window.ChooseFolder(title, initial), fileSystem);
}

}  // namespace zwf
