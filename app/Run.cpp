#include "app/Run.h"

#include "app/Commands.h"
#include "app/DeleteCommands.h"
#include "app/EnabledState.h"
#include "app/Layout.h"
#include "app/Recovery.h"
#include "app/Session.h"
#include "app/Texts.h"

namespace zwf {

namespace {

void Dispatch(Session& session, int control) {
    switch (control) {
    case ctl::kAddFolder: AddFolder(session); break;
    case ctl::kReset: ResetAll(session); break;
    case ctl::kSearch: Search(session); break;
    case ctl::kGroupList: ShowSelectedGroup(session); break;
    case ctl::kDeleteMarked: DeleteMarked(session); break;
    case ctl::kDeleteGroup: DeleteGroup(session); break;
    default: break;  // labels and the other list boxes only change their own selection
    }
}

}  // namespace

int Run(Window& window, FileSystem& fileSystem, const RunOptions& options) {
    Session session(window, fileSystem, options);
    if (options.recoverAbandonedSteps) {
        const std::vector<Leftover> leftovers = RecoverAbandonedSteps(fileSystem);
        if (!leftovers.empty())
            window.ShowMessage(texts::kWindowTitle, LeftoversText(leftovers, fileSystem.Separator()));
    }
    bool ending = false;
    for (;;) {
        const WindowEvent event = window.WaitEvent();
        if (event.kind == WindowEvent::Kind::Close) {
            ending = event.ending;
            break;
        }
        // Settled before anything is dispatched, so they always follow the lists.
        ApplyEnabled(window, EnabledFor(CurrentListState(session.catalogue, window)));
        if (event.kind == WindowEvent::Kind::Control)
            Dispatch(session, event.control);
    }
    window.Close();
    if (!ending)  // nobody may be there to dismiss it
        window.ShowMessage(texts::kCreditsCaption, texts::kCreditsText);
    return 0;
}

}  // namespace zwf
