#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zwf {

// Where the program writes down each file it is about to move aside, so that the next start of
// any of its front ends finds the step if this process ends before it (RecoverAbandonedSteps):
// the folder, in catalogue form, and the private name. The private name itself tells the rest
// (MoveAside), so an entry needs no flush: the journal only tells where to look, and a folder
// whose entry was lost with the machine's power is put right when a scan next meets it.
class StepLog {
public:
    virtual ~StepLog() = default;
    // Called just before the file is renamed to privateName inside folder.
    virtual void WillMoveAside(const std::string& folder, const std::string& privateName) = 0;
    // Called just before a trash's record of a file, name inside the trash's info folder, is made
    // with the text record; the file follows into the trash's files folder under the name without
    // ".trashinfo". A record left without its file is the trace of a move that never came.
    virtual void WillWriteTrashRecord(const std::string& /*infoFolder*/, const std::string& /*name*/,
                                      const std::string& /*record*/) {}
};

// One step written down: a file moved aside (folder and privateName), or, where record is not
// empty, the trash record privateName inside the trash's info folder.
struct LoggedStep {
    std::string folder;
    std::string privateName;
    std::string record;
};

// This process's journal in the user's state folder ($XDG_STATE_HOME/zwillingsfeger, by default
// ~/.local/state/zwillingsfeger; %LOCALAPPDATA%\Zwillingsfeger on Windows): a file of its own,
// made at its first step and held locked while the process lives, removed when the journal is
// dropped. Where the folder cannot be made, nothing is written down.
std::unique_ptr<StepLog> OpenStepJournal();

// The steps written down in the journals of processes that ended without removing them; each
// such journal is removed once read. The journals of running processes are left alone.
std::vector<LoggedStep> TakeAbandonedSteps();

// One entry as a line, and back: the texts in hex, so any name fits.
std::string JournalLine(const std::string& folder, const std::string& privateName);
std::string TrashRecordLine(const std::string& infoFolder, const std::string& name, const std::string& record);
std::vector<LoggedStep> ParseJournal(std::string_view text);

}  // namespace zwf
