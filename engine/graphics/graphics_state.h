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
