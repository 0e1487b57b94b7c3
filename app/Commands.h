#pragma once

#include "app/Session.h"

namespace zwf {

// One function per control event; each runs to completion before the next event is read.
void AddFolder(Session& session);         // button 0
void ResetAll(Session& session);          // button 8
void Search(Session& session);            // button 9
void ShowSelectedGroup(Session& session); // list box 4: selection change or double-click

}  // namespace zwf
