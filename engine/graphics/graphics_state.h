// GraphicsState: the screen mode, the display back-end and the software screen.
#pragma once

#include <cstdint>

#include "platform/d3d9.h"
#include "platform/ddraw.h"
#include "platform/win32_types.h"
#include "soft/mem_img.h"
#include "vornek.h"  // GetVSyncWait, SetClearColor

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
  MEMIMG workImages[2];                           // screen-sized: one plain, one with alpha
  unsigned char clearRed, clearGreen, clearBlue;  // background colour
  // Every PresentScreen counts here; the front-screen timer remembers the count it last saw, so
  // that it shows the picture again only when nothing was presented since its previous tick.
  unsigned presentCount;
  unsigned presentCountAtTimerTick;

  // The hardware back-end.
  int fpuPreserve;
  int multiSampleType, multiSampleQuality;
  IDirect3D9* direct3d;
  IDirect3DDevice9* device;
  IDirect3DSurface9* backBuffer;     // back buffer 0 of swap chain 0
  IDirect3DSwapChain9* swapChain;    // swap chain 0, used to present
  IDirect3DSurface9* subBackBuffer;  // full-screen front-screen drawing; made on demand
  IDirect3DSurface9* depthBuffer;
  int depthBufferWidth, depthBufferHeight;
  D3DCAPS9 caps;
  D3DFORMAT backBufferFormat;
  int hardwareVertexProcessing;
  int vertexShader20, pixelShader20;
  int blendOpSupported;
  int maxTextureWidth, maxTextureHeight, maxTextureSize;
  int shadersAvailable;
};

extern GraphicsStateRecord GraphicsState;

// The widest and tallest screen a mode may ask for.
constexpr int MaxScreenSide = 8192;

int StartGraphics();
int EndGraphics();
// -1 in width, height, bitDepth or refreshRate keeps the current value; force restarts even
// when nothing changes. 0, or -1 when the wanted mode could not be started and another serves.
int ChangeScreenMode(int width, int height, int bitDepth, int force, int refreshRate);
// The background colour as a pixel of the given image's format.
std::uint32_t BackgroundPixel(const MEMIMG& image);
// 1 when the display offers a mode of this size.
int HasDisplayMode(int width, int height);

int OpenDisplayBackEnd();
// Hardware back-end bring-up, in the order OpenDisplayBackEnd runs them; each 0 / -1.
int CreateDirect3D();
int CreateDisplayDevice();
int CreateDepthBuffer();
int CreateSubBackBuffer();
void SetupShaders();
// Releases every Direct3D object (device reset to a small window first in full-screen mode).
void ReleaseDisplayDevice();
void CloseDisplayBackEnd();
void CreateScreenImage();

void WaitVerticalBlank();
// Presents again without waiting for the vertical blank: a repaint while the back screen is
// the draw target, and the front-screen timer when nothing was presented since its last tick.
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
