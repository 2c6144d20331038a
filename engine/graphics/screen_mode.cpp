#include "graphics_state.h"
#include "vornek.h"

#include "../core/engine_state.h"

constinit GraphicsStateRecord GraphicsState{};

int SetScreenMode(int width, int height, int bitDepth, int refreshRate) {
  if (width == 0 || height == 0) return -1;
  if (bitDepth != 8 && bitDepth != 16 && bitDepth != 32) return -1;
  GraphicsState.screenWidth = width;
  GraphicsState.screenHeight = height;
  GraphicsState.screenBitDepth = bitDepth;
  GraphicsState.refreshRate = refreshRate;
  return 0;
}

int StartGraphics() {
  GraphicsState.graphicsStarted = 1;
  return 0;
}

int EndGraphics() {
  GraphicsState.graphicsStarted = 0;
  return 0;
}

int HasDisplayMode(int, int) { return 1; }

int SetVSyncWait(int flag) {
  GraphicsState.noVSyncWait = flag == 0;
  return 0;
}
