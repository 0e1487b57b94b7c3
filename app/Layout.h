#pragma once

#include <array>

#include "app/Texts.h"
#include "platform/ControlIds.h"
#include "platform/Window.h"

namespace zwf {

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
