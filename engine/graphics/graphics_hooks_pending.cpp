// Stand-ins for graphics calls the window side makes, until the graphics back-ends provide them.
#include "graphics_state.h"
#include "vornek.h"

int RestoreGraphics() { return 0; }
void RefreshDrawAreaAfterMove() {}
int GraphicsDisplayOpen() { return GraphicsState.graphicsStarted; }
int UsingHardwarePath() { return GraphicsState.useHardware; }

void GetRequestedScreenMode(int* width, int* height, int* bitDepth) {
  *width = GraphicsState.screenWidth;
  *height = GraphicsState.screenHeight;
  *bitDepth = GraphicsState.screenBitDepth;
}
