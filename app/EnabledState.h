#pragma once

#include "catalogue/Catalogue.h"
#include "platform/Window.h"

namespace zwf {

// What the enabled states depend on.
struct ListState {
    bool hasFiles = false;
    bool hasGroups = false;
    bool membersShown = false;  // the members list holds at least one line
};

// The controls that can be greyed out. The add button and the lists of all files and of groups
// are always enabled.
struct EnabledControls {
    bool search = false;
    bool reset = false;
    bool memberList = false;
    bool deleteMarked = false;
    bool deleteGroup = false;
    friend bool operator==(const EnabledControls&, const EnabledControls&) = default;
};

EnabledControls EnabledFor(const ListState& state);

ListState CurrentListState(const Catalogue& catalogue, Window& window);
void ApplyEnabled(Window& window, const EnabledControls& enabled);

}  // namespace zwf
