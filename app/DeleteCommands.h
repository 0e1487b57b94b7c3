#pragma once

#include "app/Session.h"

namespace zwf {

// "Lösche markierte Datei": deletes the copy marked in the members list of the group selected in
// the groups list.
// Does nothing without a selected group or a marked copy.
void DeleteMarked(Session& session);

// "Lösche alle Dateien (mit Original)": deletes every copy of the group selected in the groups
// list, the first one included.
// Does nothing without a selected group.
void DeleteGroup(Session& session);

}  // namespace zwf
