// Keyboard and mouse: input start-up and end, device re-acquisition.
#pragma once

// Returns 0, or 1 when the keyboard event could not be set up.
int InitInput();
int EndInput();
// 1 when the key state was refreshed, 0 when not.
int RefreshKeyboardState();
int ReacquireInputDevices();
// The two flags the input code's private window messages set (index 0 or 1).
void SetInputFlag(int index, bool on);
