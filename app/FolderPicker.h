#pragma once

#include <string>
#include <string_view>

#include "platform/FileSystem.h"
#include "platform/Window.h"

namespace zwf {

// Asks the user for a folder, opening the dialog on initialFolder. Returns the folder ending in
// exactly one separator, ready to have a name appended, or "" when the user cancelled.
std::string FolderPicker(Window& window, const FileSystem& fileSystem, std::string_view title,
                         std::string_view initialFolder);

}  // namespace zwf
