#include "app/Run.h"

#include "app/Commands.h"
#include "app/DeleteCommands.h"
#include "app/EnabledState.h"
#include "app/Layout.h"
#include "app/Recovery.h"
#include "app/Session.h"
#include "app/Texts.h"

#include <chrono>

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

bool IsDelete(int control) { return control == ctl::kDeleteMarked || control == ctl::kDeleteGroup; }

// The second press of a hurried double click on a delete button: it comes within the system's
// double-click time after the delete the first press made, with no other control event between.
// The first press's delete has selected the next group already, which nobody has looked at yet,
// so the second press is dropped, as input made during the work is.
class HurriedPresses {
public:
    explicit HurriedPresses(Window& window) : m_window(window) {}

    // Whether the control event is such a press; the events that are not are heard.
    bool Drops(int control) {
        if (!IsDelete(control)) {
            m_afterDelete = false;
            return false;
        }
        return m_afterDelete && m_window.Now() - m_deleteEnded < m_window.DoubleClickTime();
    }
    void DeleteEnded() {
        m_afterDelete = true;
        m_deleteEnded = m_window.Now();
    }

private:
    Window& m_window;
    bool m_afterDelete = false;  // the last control event was a delete's
    std::chrono::steady_clock::time_point m_deleteEnded{};
};

}  // namespace

int Run(Window& window, FileSystem& fileSystem, const RunOptions& options) {
    Session session(window, fileSystem, options);
    if (options.recoverAbandonedSteps) {
        const std::vector<Leftover> leftovers = RecoverAbandonedSteps(fileSystem);
        if (!leftovers.empty())
            window.ShowMessage(texts::kWindowTitle, LeftoversText(leftovers, fileSystem.Separator()));
    }
    HurriedPresses hurried(window);
    bool ending = false;
    for (;;) {
        const WindowEvent event = window.WaitEvent();
        if (event.kind == WindowEvent::Kind::Close) {
            ending = event.ending;
            break;
        }
        // Settled before anything is dispatched, so they always follow the lists.
        ApplyEnabled(window, EnabledFor(CurrentListState(session.catalogue, window)));
        if (event.kind != WindowEvent::Kind::Control || hurried.Drops(event.control))
            continue;
        Dispatch(session, event.control);
        if (IsDelete(event.control))
            hurried.DeleteEnded();
    }
    window.Close();
    if (!ending)  // nobody may be there to dismiss it
        window.ShowMessage(texts::kCreditsCaption, texts::kCreditsText);
    return 0;
}

}  // namespace zwf
