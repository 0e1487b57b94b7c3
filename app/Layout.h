#pragma once

#include <array>

#include "app/Texts.h"
#include "platform/Window.h"

namespace zwf {

// Control ids: they are the platform's control identifiers too.
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
inline constexpr int kProgress = 100;  // stands in button 9's place during a search
}  // namespace ctl

inline constexpr int kClientWidth = 600;
inline constexpr int kClientHeight = 300;

// The main window's controls in creation order (which is also the Tab order).
inline constexpr std::array<ControlSpec, 11> kControls{{
    {ctl::kAddFolder, ControlSpec::Kind::Button, 0, 0, 195, 24, texts::kAddFolder},
    {ctl::kAllFilesLabel, ControlSpec::Kind::Label, 0, 25, 195, 20, texts::kAllFiles},
    {ctl::kAllFilesList, ControlSpec::Kind::ListBox, 0, 45, 195, 225, {}},
    {ctl::kReset, ControlSpec::Kind::Button, 0, 275, 195, 20, texts::kReset},
    {ctl::kSearch, ControlSpec::Kind::Button, 200, 0, 398, 24, texts::kSearch},
    {ctl::kGroupsLabel, ControlSpec::Kind::Label, 200, 25, 398, 20, texts::kSameContent},
    {ctl::kGroupList, ControlSpec::Kind::ListBox, 200, 45, 398, 100, {}},
    {ctl::kMembersLabel, ControlSpec::Kind::Label, 200, 150, 398, 20, texts::kDuplicates},
    {ctl::kMemberList, ControlSpec::Kind::ListBox, 200, 170, 398, 75, {}},
    {ctl::kDeleteMarked, ControlSpec::Kind::Button, 200, 250, 398, 20, texts::kDeleteMarked},
    {ctl::kDeleteGroup, ControlSpec::Kind::Button, 200, 275, 398, 20, texts::kDeleteAll},
}};

}  // namespace zwf
