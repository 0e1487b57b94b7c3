#pragma once

#include "app/Session.h"

namespace zwf {

// Button 7: deletes the copy marked in list box 6 of the group selected in list box 4.
// Does nothing without a selected group or a marked copy.
void DeleteMarked(Session& session);

// Button 10: deletes every copy of the group selected in list box 4, the first one included.
// Does nothing without a selected group.
void DeleteGroup(Session& session);

}  // namespace zwf
