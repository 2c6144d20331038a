// Steps of other subsystems at the display's turning points. Graphics calls them without knowing
// whose they are: text keeps its fonts and draws the on-screen log through them.
#pragma once

// Each member may be null. Listeners are called in the order they were added.
struct DisplayListener {
  void (*started)();     // the display is up and graphics can be made (end of StartGraphics)
  void (*ending)();      // the display is about to go with everything made on it (EndGraphics)
  void (*restored)();    // a new hardware device after a loss; the textures are back, empty
  void (*presenting)();  // the picture is about to be shown (PresentScreen)
  // A change of the screen mode: before the display ends, and once it is up in the new mode
  // (or in the mode that serves instead) with the window laid out again.
  void (*modeChanging)();
  void (*modeChanged)();
};

// Adds a listener; adding one already there changes nothing. -1 when the table is full.
int AddDisplayListener(const DisplayListener* listener);

// Graphics' own calls at each turning point.
void NotifyDisplayStarted();
void NotifyDisplayEnding();
void NotifyDisplayRestored();
void NotifyDisplayPresenting();
void NotifyDisplayModeChanging();
void NotifyDisplayModeChanged();
