#pragma once

#include "app/Session.h"

namespace zwf {

// One function per control event; each runs to completion before the next event is read.
void AddFolder(Session& session);          // "Pfad hinzufügen"
void ResetAll(Session& session);           // "Zurücksetzen"
void Search(Session& session);             // "Doppelte Dateien suchen"
void ShowSelectedGroup(Session& session);  // the groups list: selection change or double-click

}  // namespace zwf
