#pragma once

#include <string>
#include <system_error>

namespace zwf {

class StepLog;

// Moves the file under hidden inside the folder held by folderFd into the desktop's trash on that
// file system (the freedesktop.org trash): the home trash ($XDG_DATA_HOME/Trash, by default
// ~/.local/share/Trash) when the folder is on the home trash's file system, else the mount's own,
// $topdir/.Trash/$uid where $topdir/.Trash is a folder with the sticky bit and no link, else
// $topdir/.Trash-$uid, made where missing. The record info/NAME.trashinfo (the full path of name in
// the folder as the system tells it now, percent-encoded; the time of deletion) is written down in log, then made with an exclusive
// create and flushed, and only then is the file renamed to files/NAME, never replacing anything;
// NAME is name, or name.2, name.3, ... where a trash holds that already. Where that fails, the
// record goes again and the file is still under hidden.
std::error_code MoveIntoTrash(int folderFd, const std::string& hidden, const std::string& name, StepLog* log);

// The text of a trash record, as MoveIntoTrash writes it.
std::string TrashRecord(const std::string& originalPath, long long secondsSinceEpoch);

}  // namespace zwf
