// GraphicsState: the screen mode and the display back-end.
#pragma once

struct GraphicsStateRecord {
  int screenWidth;
  int screenHeight;
  int screenBitDepth;
  int refreshRate;
  int graphicsStarted;
  int useHardware;
  int noVSyncWait;
};

extern GraphicsStateRecord GraphicsState;

int StartGraphics();
int EndGraphics();
// 1 when the display offers a mode of this size.
int HasDisplayMode(int width, int height);

// Calls the window side makes into graphics.
// Presents the back screen again for a repaint of the window.
void RepaintPresent();
// Brings a lost full-screen back-end back after reactivation.
int RestoreGraphics();
// The current draw target: ScreenFront, ScreenBack or a graphic handle.
int GetDrawTarget();
// After the window moved: re-selects the front screen's render target and the last clip area.
void RefreshDrawAreaAfterMove();
// 1 while the display back-end is open.
int GraphicsDisplayOpen();
// 1 when the hardware path draws.
int UsingHardwarePath();
// 1 while presenting waits for the vertical blank.
int GetVSyncWait();
// The screen mode asked for with SetScreenMode.
void GetRequestedScreenMode(int* width, int* height, int* bitDepth);
