#include "views/RefreshViews.h"

#include "app/Layout.h"
#include "app/Texts.h"
#include "views/LineTexts.h"

namespace zwf {

namespace {

void ResetViews(Window& window) {
    window.Empty(ctl::kAllFilesList);
    window.Empty(ctl::kGroupList);
    window.Empty(ctl::kMemberList);
    window.SetText(ctl::kAllFilesLabel, texts::kAllFiles);
    window.SetText(ctl::kGroupsLabel, texts::kSameContent);
}

void ShowAllFiles(Window& window, const Catalogue& catalogue) {
    window.Empty(ctl::kAllFilesList);
    for (const FileEntry& entry : catalogue.allFiles)
        window.AppendLine(ctl::kAllFilesList, FileLine(entry));
    window.SetText(ctl::kAllFilesLabel, CountLabel(texts::kAllFiles, catalogue.allFiles.size()));
}

// Rebuilt even when the search found nothing, so no stale groups stay on screen.
void ShowGroups(Window& window, const Catalogue& catalogue) {
    window.Empty(ctl::kGroupList);
    for (const DuplicateGroup& group : catalogue.groups)
        window.AppendLine(ctl::kGroupList, GroupLine(catalogue, group));
    window.SetText(ctl::kGroupsLabel, CountLabel(texts::kSameContent, catalogue.groups.size()));
}

// Shows the members of the group selected in the groups view; nothing when no line there
// names a group (no selection, or a selection past the groups).
void ShowMembers(Window& window, const Catalogue& catalogue) {
    window.Empty(ctl::kMemberList);
    if (catalogue.groups.empty())
        return;
    const int selected = window.SelectedLine(ctl::kGroupList);
    if (selected < 0 || static_cast<std::size_t>(selected) >= catalogue.groups.size())
        return;
    const DuplicateGroup& group = catalogue.groups[static_cast<std::size_t>(selected)];
    for (const GroupMember& member : catalogue.Members(group))
        window.AppendLine(ctl::kMemberList, MemberLine(catalogue, member));
    window.SelectLine(ctl::kMemberList, 0);
}

}  // namespace

void RefreshViews(Window& window, const Catalogue& catalogue, int mode) {
    if (mode == view::kReset) {
        ResetViews(window);
        return;
    }
    if (mode & view::kAllFiles)
        ShowAllFiles(window, catalogue);
    if (mode & view::kGroups)
        ShowGroups(window, catalogue);
    if (mode & view::kMembers)
        ShowMembers(window, catalogue);
}

}  // namespace zwf
