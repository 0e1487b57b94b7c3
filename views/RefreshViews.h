#pragma once

#include <functional>
#include <string_view>

#include "catalogue/Catalogue.h"
#include "platform/Window.h"

namespace zwf {

// Which views a refresh rebuilds: 0 resets all of them, otherwise a set of these bits.
namespace view {
inline constexpr int kReset = 0;
inline constexpr int kAllFiles = 1;
inline constexpr int kGroups = 2;
inline constexpr int kMembers = 4;
}  // namespace view

// The controls the three views are drawn into, and the titles their counters carry.
struct ViewTargets {
    int allFilesList = 0;
    int allFilesLabel = 0;
    std::string_view allFilesTitle;
    int groupList = 0;
    int groupsLabel = 0;
    std::string_view groupsTitle;
    int memberList = 0;
};

// Rebuilds the asked-for list boxes and their counters from the catalogue. Views that are not
// asked for keep their lines, selection and label. Other bits are ignored. between, when given, is
// called every few ten thousand lines made, so that long work can keep the window alive.
void RefreshViews(Window& window, const Catalogue& catalogue, int mode, const ViewTargets& targets,
                  const std::function<void()>& between = {});

}  // namespace zwf
