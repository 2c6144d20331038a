// The main window: start-up and end, layout, cursor, the message pump and the pause while
// inactive, and the window procedure.
#pragma once

#include "char_buffer.h"
#include "platform/user32.h"
#include "vornek.h"

int StartWindow();
// Safe when the window was never created.
int EndWindow();
// Keeps the window's outer size in step with the screen size and WindowScale.
int RefreshWindowLayout();
// Gives the window the style of the current mode: windowed, centred on the desktop with the
// cursor shown; or full-screen, top-most at the origin with the cursor hidden. Either way the
// window is made active.
void ApplyWindowStyle();
// ApplyCursorVisibility (vornek.h): 1 shows the cursor, 0 hides it.
// Brings the main window to the foreground and makes it top-most (full-screen start).
void BringWindowToFront();

// The message pump without the API lock, for the engine's own calls: 0, or -1 once the
// program must end.
int PumpWindowMessages();
// Pumps messages while the application is inactive.
void WaitWhileInactive();

LRESULT WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The effective window scale (a setting <= 0 counts as 1.0; full-screen always 1.0; lowered
// to WindowFitScale where the desktop is smaller than the client area).
double EffectiveWindowScale();
// Works out WindowFitScale for the screen size, WindowScale and desktop size, and says in the
// log when the window is shrunk to fit.
void FitWindowToDesktop();
