// The main window: start-up and end, the message pump and the pause while inactive.
#pragma once

int StartWindow();
int EndWindow();
// The message pump without the API lock, for the engine's own calls.
int PumpWindowMessages();
void WaitWhileInactive();
// Brings the main window to the foreground and makes it top-most (full-screen start).
void BringWindowToFront();
// Clears the character-code buffer and the text-entry state.
void StartCharBuffer();
// Switches a running engine between windowed (1) and full-screen (0).
int SwitchWindowMode(int windowed);
// Sizes and places the main window for the current screen mode.
int RefreshWindowLayout();
