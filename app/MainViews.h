#pragma once

#include "app/Layout.h"
#include "app/Texts.h"
#include "views/RefreshViews.h"

namespace zwf {

// The main window's three views: the list boxes and labels of app/Layout.h, titled from app/Texts.h.
inline constexpr ViewTargets kMainViews{
    ctl::kAllFilesList, ctl::kAllFilesLabel, texts::kAllFiles, ctl::kGroupList,
    ctl::kGroupsLabel,  texts::kSameContent, ctl::kMemberList,
};

inline void RefreshViews(Window& window, const Catalogue& catalogue, int mode,
                         const std::function<void()>& between = {}) {
    RefreshViews(window, catalogue, mode, kMainViews, between);
}

}  // namespace zwf
