// A program's windows of one class, claimed on the X display itself: an X selection named after
// the class and the display, owned by a small hidden window of the copy that claimed it. The X
// server gives the selection up when that window goes, so when its process ends, however it
// ends. Copies meet whatever their environment (runtime directory, temporary directory).
#pragma once

#include <string>

namespace x11 {

enum class Claim { Taken, HeldElsewhere, Unavailable };

// Whether a window of another copy holds the selection named by key.
bool ClaimHeld(const std::string& display, const std::string& key);
// Takes the selection for one window; *token identifies the claim for its release.
Claim TakeClaim(const std::string& display, const std::string& key, int* token);
void ReleaseClaim(int token);

}  // namespace x11
