#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace zwf::win32 {

// https://learn.microsoft.com/windows/win32/api/shlobj_core/nf-shlobj_core-shbrowseforfolderw
// The shell's modal folder dialog, owned by owner, opened on initialFolder (the dialog's own
// default when empty). Returns the chosen folder's file-system path as the shell gives it,
// or "" when the user cancels or chooses something that is no file-system folder.
std::string BrowseForFolder(HWND owner, std::string_view title, std::string_view initialFolder);

}  // namespace zwf::win32
