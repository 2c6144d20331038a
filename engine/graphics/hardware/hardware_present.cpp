// Clearing and presenting on the hardware back-end.
#include "../../window/window.h"
#include "../../core/engine_state.h"
#include "../../color/color_data.h"
#include "../draw_state.h"
#include "../graphic_handle.h"
#include "../graphics_state.h"
#include "hardware_state.h"

int HardwareClearScreen() {
  IDirect3DDevice9* device = GraphicsState.device;
  if (device == nullptr) return 0;
  CloseScene();
  // The current target: the screen's buffer or a graphic's texture.
  IDirect3DSurface9* surface =
      GraphicsState.subBackBuffer != nullptr ? GraphicsState.subBackBuffer : GraphicsState.backBuffer;
  if (IsGraphicHandleValid(DrawState.drawScreen)) surface = HardwareState.renderTarget;
  if (surface != nullptr) {
    // ColorFill takes an A8R8G8B8 colour whatever the surface's format; alpha 0 leaves a
    // graphic with an alpha channel clear, and a surface without one ignores it.
    const D3DCOLOR color = PackColor(ColorDataForSurfaceFormat(D3DFMT_A8R8G8B8), GraphicsState.clearRed,
                                     GraphicsState.clearGreen, GraphicsState.clearBlue, 0);
    device->ColorFill(surface, nullptr, color);
  }
  if (GraphicsState.depthBuffer != nullptr) device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
  return 0;
}

int HardwarePresentScreen() {
  if (GraphicsState.device == nullptr) return 0;
  const int w = GraphicsState.screenWidth != 0 ? GraphicsState.screenWidth : 640;
  const int h = GraphicsState.screenHeight != 0 ? GraphicsState.screenHeight : 480;
  const bool doubling = GraphicsState.emulate320x240 && w == 640 && h == 480;
  const double scale = EffectiveWindowScale();
  RECT source = {0, 0, w, h};
  RECT destination = {0, 0, static_cast<LONG>(scale * w), static_cast<LONG>(scale * h)};
  if (!EngineState.Windowed) destination = source;
  if (doubling) {
    source = {0, 0, 320, 240};
    destination = {0, 0, 640, 480};
  }

  CloseScene();
  if (GraphicsState.subBackBuffer != nullptr && GraphicsState.backBuffer != nullptr) {
    GraphicsState.device->StretchRect(GraphicsState.subBackBuffer, nullptr, GraphicsState.backBuffer, nullptr,
                                      D3DTEXF_NONE);
  }
  if (GraphicsState.swapChain == nullptr) return 0;
  if (!EngineState.Windowed && !doubling) {
    GraphicsState.swapChain->Present(nullptr, nullptr, EngineState.MainWindow, nullptr, 0);
  } else {
    GraphicsState.swapChain->Present(&source, &destination, EngineState.MainWindow, nullptr, 0);
  }
  return 0;
}

int EnsureSubBackBuffer() {
  if (GraphicsState.subBackBuffer != nullptr) return 0;
  if (GraphicsState.device == nullptr) return -1;
  CloseScene();
  if (CreateSubBackBuffer() != 0) return -1;
  GraphicsState.device->StretchRect(GraphicsState.backBuffer, nullptr, GraphicsState.subBackBuffer, nullptr,
                                    D3DTEXF_NONE);
  SetDeviceRenderTarget(GraphicsState.subBackBuffer);
  ResendDeviceState();
  return 0;
}
