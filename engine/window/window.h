// The main window: start-up and end, layout, cursor, the message pump and the pause while
// inactive, and the window procedure.
#pragma once

#include "char_buffer.h"
#include "platform/user32.h"

int StartWindow();
// Safe when the window was never created.
int EndWindow();
// Keeps the window's outer size in step with the screen size and WindowScale.
int RefreshWindowLayout();
// Gives the window its windowed style, centred on the desktop, active, with the cursor shown.
void ApplyWindowStyle();
// 1 shows the cursor, 0 hides it.
void ApplyCursorVisibility(int request);
// Brings the main window to the foreground and makes it top-most (full-screen start).
void BringWindowToFront();
// Switches a running engine between windowed (1) and full-screen (0).
int SwitchWindowMode(int windowed);

// The message pump without the API lock, for the engine's own calls: 0, or -1 once the
// program must end.
int PumpWindowMessages();
// Pumps messages while the application is inactive.
void WaitWhileInactive();

LRESULT WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The effective window scale (a setting <= 0 counts as 1.0; full-screen always 1.0).
double EffectiveWindowScale();
