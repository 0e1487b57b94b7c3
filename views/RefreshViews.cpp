#include "views/RefreshViews.h"

#include "views/LineTexts.h"

namespace zwf {

namespace {

void ResetViews(Window& window, const ViewTargets& to) {
    window.Empty(to.allFilesList);
    window.Empty(to.groupList);
    window.Empty(to.memberList);
    window.SetText(to.allFilesLabel, to.allFilesTitle);
    window.SetText(to.groupsLabel, to.groupsTitle);
}

void ShowAllFiles(Window& window, const Catalogue& catalogue, const ViewTargets& to) {
    window.Empty(to.allFilesList);
    for (const FileEntry& entry : catalogue.allFiles)
        window.AppendLine(to.allFilesList, FileLine(entry));
    window.SetText(to.allFilesLabel, CountLabel(to.allFilesTitle, catalogue.allFiles.size()));
}

// Rebuilt even when the search found nothing, so no stale groups stay on screen.
void ShowGroups(Window& window, const Catalogue& catalogue, const ViewTargets& to) {
    window.Empty(to.groupList);
    for (const DuplicateGroup& group : catalogue.groups)
        window.AppendLine(to.groupList, GroupLine(catalogue, group));
    window.SetText(to.groupsLabel, CountLabel(to.groupsTitle, catalogue.groups.size()));
}

// Shows the members of the group selected in the groups view; nothing when no line there
// names a group (no selection, or a selection past the groups).
void ShowMembers(Window& window, const Catalogue& catalogue, const ViewTargets& to) {
    window.Empty(to.memberList);
    if (catalogue.groups.empty())
        return;
    const int selected = window.SelectedLine(to.groupList);
    if (selected < 0 || static_cast<std::size_t>(selected) >= catalogue.groups.size())
        return;
    const DuplicateGroup& group = catalogue.groups[static_cast<std::size_t>(selected)];
    for (const GroupMember& member : catalogue.Members(group))
        window.AppendLine(to.memberList, MemberLine(catalogue, member));
    window.SelectLine(to.memberList, 0);
}

}  // namespace

void RefreshViews(Window& window, const Catalogue& catalogue, int mode, const ViewTargets& targets) {
    if (mode == view::kReset) {
        ResetViews(window, targets);
        return;
    }
    if (mode & view::kAllFiles)
        ShowAllFiles(window, catalogue, targets);
    if (mode & view::kGroups)
        ShowGroups(window, catalogue, targets);
    if (mode & view::kMembers)
        ShowMembers(window, catalogue, targets);
}

}  // namespace zwf
