#include "views/RefreshViews.h"

#include "views/LineTexts.h"

#include <string>
#include <utility>

namespace zwf {

namespace {

void ResetViews(Window& window, const ViewTargets& to) {
    window.Empty(to.allFilesList);
    window.Empty(to.groupList);
    window.Empty(to.memberList);
    window.SetText(to.allFilesLabel, to.allFilesTitle);
    window.SetText(to.groupsLabel, to.groupsTitle);
}

// Each list is made whole and handed over in one step, a million lines as quickly as a few;
// between is called after every kLinesPerTurn lines made (a few milliseconds' worth under Wine).
constexpr std::size_t kLinesPerTurn = 4096;

void ShowAllFiles(Window& window, const Catalogue& catalogue, const ViewTargets& to,
                  const std::function<void()>& between) {
    TextLines lines;
    std::string line;
    std::size_t bytes = 0;
    for (const FileEntry& entry : catalogue.allFiles)
        bytes += entry.name.size() + 8;  // " (", ")" and most sizes
    lines.Reserve(catalogue.allFiles.size(), bytes);
    for (const FileEntry& entry : catalogue.allFiles) {
        line.clear();
        AppendFileLine(line, entry);
        lines.Append(line);
        if (lines.Size() % kLinesPerTurn == 0 && between)
            between();
    }
    window.SetLines(to.allFilesList, std::move(lines));
    window.SetText(to.allFilesLabel, CountLabel(to.allFilesTitle, catalogue.allFiles.size()));
}

// Rebuilt even when the search found nothing, so no stale groups stay on screen.
void ShowGroups(Window& window, const Catalogue& catalogue, const ViewTargets& to,
                const std::function<void()>& between) {
    TextLines lines;
    std::string line;
    for (const DuplicateGroup& group : catalogue.groups) {
        line.clear();
        AppendGroupLine(line, catalogue, group);
        lines.Append(line);
        if (lines.Size() % kLinesPerTurn == 0 && between)
            between();
    }
    window.SetLines(to.groupList, std::move(lines));
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

void RefreshViews(Window& window, const Catalogue& catalogue, int mode, const ViewTargets& targets,
                  const std::function<void()>& between) {
    if (mode == view::kReset) {
        ResetViews(window, targets);
        return;
    }
    if (mode & view::kAllFiles)
        ShowAllFiles(window, catalogue, targets, between);
    if (mode & view::kGroups)
        ShowGroups(window, catalogue, targets, between);
    if (mode & view::kMembers)
        ShowMembers(window, catalogue, targets);
}

}  // namespace zwf
