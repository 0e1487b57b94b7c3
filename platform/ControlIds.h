#pragma once

namespace zwf {

// The main window's controls by id. The ids are the platform's control identifiers too, so the
// windows and the program that drives them share this one list.
namespace ctl {
inline constexpr int kAddFolder = 0;
inline constexpr int kAllFilesLabel = 1;
inline constexpr int kAllFilesList = 2;
inline constexpr int kGroupsLabel = 3;
inline constexpr int kGroupList = 4;
inline constexpr int kMembersLabel = 5;
inline constexpr int kMemberList = 6;
inline constexpr int kDeleteMarked = 7;
inline constexpr int kReset = 8;
inline constexpr int kSearch = 9;
inline constexpr int kDeleteGroup = 10;
inline constexpr int kProgress = 100;  // stands in the search button's place while files are compared
}  // namespace ctl

// The main window's client area, which holds every control.
inline constexpr int kClientWidth = 600;
inline constexpr int kClientHeight = 300;

}  // namespace zwf
