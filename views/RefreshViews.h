#pragma once

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

// Rebuilds the asked-for list boxes and their counters from the catalogue. Views that are not
// asked for keep their lines, selection and label. Other bits are ignored.
void RefreshViews(Window& window, const Catalogue& catalogue, int mode);

}  // namespace zwf
