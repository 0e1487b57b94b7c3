#pragma once

#include <functional>
#include <string>
#include <system_error>
#include <vector>

#include "catalogue/Leftovers.h"

namespace zwf {

// Why something failed, in words for the user.
using ReasonFn = std::function<std::string(std::error_code)>;

// Before anything else at a start: finishes or undoes each step written down in the journals of
// processes that ended in the middle (StepJournal.h), in folders that can be reached now. What
// became of each, Gone ones left out. A folder out of reach (a disk not there) still tells a
// scan that meets it later.
std::vector<Leftover> RecoverAbandonedSteps(FileSystem& fileSystem);

// One line that says what became of a leftover of an interrupted step, naming it by full path.
std::string LeftoverText(const Leftover& leftover, char separator, const ReasonFn& reason = {});
// The lines of every leftover, one after another, for one message.
std::string LeftoversText(const std::vector<Leftover>& leftovers, char separator);

}  // namespace zwf
