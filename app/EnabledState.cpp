#include "app/EnabledState.h"

#include "app/Layout.h"

namespace zwf {

EnabledControls EnabledFor(const ListState& state) {
    EnabledControls enabled;
    if (!state.hasFiles)
        return enabled;
    enabled.search = true;
    enabled.reset = true;
    enabled.memberList = state.hasGroups;
    enabled.deleteMarked = state.hasGroups && state.membersShown;
    enabled.deleteGroup = enabled.deleteMarked;
    return enabled;
}

ListState CurrentListState(const Catalogue& catalogue, Window& window) {
    return ListState{!catalogue.allFiles.empty(), !catalogue.groups.empty(), window.LineCount(ctl::kMemberList) > 0};
}

void ApplyEnabled(Window& window, const EnabledControls& enabled) {
    window.Enable(ctl::kSearch, enabled.search);
    window.Enable(ctl::kMemberList, enabled.memberList);
    window.Enable(ctl::kDeleteMarked, enabled.deleteMarked);
    window.Enable(ctl::kDeleteGroup, enabled.deleteGroup);
    window.Enable(ctl::kReset, enabled.reset);
}

}  // namespace zwf
