#pragma once

namespace zwf::cli {

// Takes the requests to end: SIGINT, SIGTERM and SIGHUP (on Windows Ctrl-C and Ctrl-Break, as
// SIGINT). While the program ends at once (the start, the scan and the search: nothing is
// printed yet, and nothing changed that a kill could not leave), it ends within the instant
// with 128 plus the signal's number, the progress line on a terminal cleared first. Otherwise
// the request is only noted, for the work in hand to end at its next step: EndSignal tells it.
void CatchEndSignals(bool clearProgressLine);
void EndAtOnce(bool atOnce);
// The number of the first request to end that came, 0 while none came.
int EndSignal();

}  // namespace zwf::cli
