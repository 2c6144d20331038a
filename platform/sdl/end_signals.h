// The signals that ask a program to end (SIGTERM, SIGINT, SIGHUP) become a close request, so the
// program ends in order, as when its window is closed. Each says so in one line on standard
// error; a second one while the program is still ending ends it at once.
#pragma once

namespace end_signals {

// Installs the handlers (once); SDL is told to install none of its own.
void Catch();
// True once after a signal arrived.
bool Take();

}  // namespace end_signals
