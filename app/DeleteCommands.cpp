#include "app/DeleteCommands.h"

#include "app/DeletePlan.h"
#include "app/Layout.h"
#include "app/MainViews.h"
#include "app/Texts.h"
#include "views/LineTexts.h"

namespace zwf {

namespace {

std::vector<DeleteResult> Execute(Session& session, const ActionPlan& plan) {
    WorkScope work(session.window);
    ProgressBar bar(session.window);  // shown only if a copy has to be compared afresh
    DeleteCallbacks callbacks;
    callbacks.keepAlive = [&session] {
        if (session.pacer.Due())
            session.window.KeepAlive();
    };
    callbacks.compareProgress = [&](std::uint64_t done, std::uint64_t total) {
        bar.Report(done, total);
        callbacks.keepAlive();
    };
    return ExecutePlan(plan, session.catalogue, session.fileSystem, callbacks);
}

// After a line went, the selection stays on its place, or moves up when that was the last line.
void SelectAfterRemoval(Window& window, int id, int removed) {
    const int last = window.LineCount(id) - 1;
    window.SelectLine(id, removed > last ? removed - 1 : removed);
}

// Takes group g off the lists and its line off the groups list, then shows the group selected next.
void DropGroup(Session& session, std::size_t g) {
    Window& window = session.window;
    session.catalogue.RemoveGroup(g);
    window.RemoveLine(ctl::kGroupList, static_cast<int>(g));
    SelectAfterRemoval(window, ctl::kGroupList, static_cast<int>(g));
    RefreshViews(window, session.catalogue, view::kMembers);
    window.SetText(ctl::kGroupsLabel, CountLabel(texts::kSameContent, session.catalogue.groups.size()));
}

}  // namespace

void DeleteMarked(Session& session) {
    Window& window = session.window;
    const int g = window.SelectedLine(ctl::kGroupList);
    const int k = window.SelectedLine(ctl::kMemberList);
    const std::optional<ActionPlan> plan = PlanDeleteMarked(session.catalogue, g, k);
    if (!plan || !IsGone(Execute(session, *plan).front()))
        return;

    session.catalogue.RemoveMember(plan->group, plan->members.front());
    window.RemoveLine(ctl::kMemberList, k);
    SelectAfterRemoval(window, ctl::kMemberList, k);
    // The group's line keeps its old text while the group lives on.
    if (session.catalogue.groups[plan->group].memberCount < 2)
        DropGroup(session, plan->group);
}

void DeleteGroup(Session& session) {
    Window& window = session.window;
    const int g = window.SelectedLine(ctl::kGroupList);
    const std::optional<ActionPlan> plan = PlanDeleteGroup(session.catalogue, g);
    if (!plan)
        return;
    const std::vector<DeleteResult> results = Execute(session, *plan);

    // From the back, so the positions of the members still to go stay valid.
    for (std::size_t i = results.size(); i-- > 0;)
        if (IsGone(results[i]))
            session.catalogue.RemoveMember(plan->group, plan->members[i]);
    if (session.catalogue.groups[plan->group].memberCount >= 2) {
        // Copies that could not go stay a group; its line is written again for what is left.
        RefreshViews(window, session.catalogue, view::kGroups);
        window.SelectLine(ctl::kGroupList, g);
        RefreshViews(window, session.catalogue, view::kMembers);
        return;
    }
    DropGroup(session, plan->group);
}

}  // namespace zwf
