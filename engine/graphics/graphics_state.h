// GraphicsState: the screen mode, the display back-end and the software screen.
#pragma once

#include <cstdint>

#include "platform/ddraw.h"
#include "platform/win32_types.h"
#include "soft/mem_img.h"

struct GraphicsStateRecord {
  int screenWidth;
  int screenHeight;
  int screenBitDepth;
  int refreshRate;
  int graphicsStarted;
  int useHardware;
  int softwareOnly;
  int emulate320x240;
  int noVSyncWait;
  HMODULE d3d9Library;
  IDirectDraw7* directDraw;
  MEMIMG screenImage;
  MEMIMG workImages[2];  // screen-sized: one plain, one with alpha
  unsigned char clearRed, clearGreen, clearBlue;  // background colour
};

extern GraphicsStateRecord GraphicsState;

// The widest and tallest screen a mode may ask for.
constexpr int MaxScreenSide = 8192;

int StartGraphics();
int EndGraphics();
// -1 in width, height, bitDepth or refreshRate keeps the current value; force restarts even
// when nothing changes.
int ChangeScreenMode(int width, int height, int bitDepth, int force, int refreshRate);
int GetVSyncWait();
int SetClearColor(int red, int green, int blue);
// The background colour as a pixel of the given image's format.
std::uint32_t BackgroundPixel(const MEMIMG& image);
// 1 when the display offers a mode of this size.
int HasDisplayMode(int width, int height);

int OpenDisplayBackEnd();
void CloseDisplayBackEnd();
void CreateScreenImage();

void WaitVerticalBlank();
// Presents again on a repaint while the back screen is the draw target.
void RepaintPresent();
// Starts the 32 ms timer that presents the front screen again whenever messages are pumped.
void StartFrontScreenTimer();

// Calls the window side makes into graphics.
// Brings a lost full-screen back-end back after reactivation.
int RestoreGraphics();
// After the window moved: re-selects the front screen's render target and the last clip area.
void RefreshDrawAreaAfterMove();
// 1 while the display back-end is open.
int GraphicsDisplayOpen();
// 1 when the hardware path draws.
int UsingHardwarePath();
// The screen mode asked for with SetScreenMode.
void GetRequestedScreenMode(int* width, int* height, int* bitDepth);
