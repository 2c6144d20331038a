// Direct3D 9 on OpenGL: the Direct3D object answers for the display SDL drives; its devices are
// OpenGL 3.3 core contexts on the device window. There is no object where SDL drives no
// display that OpenGL could draw on (SDL's dummy and off-screen drivers), and no device where
// the window or the driver cannot give such a context: the engine then takes its software
// back-end.
#include <SDL.h>

#include <atomic>
#include <cstring>

#include "../common/platform_contract.h"
#include "d3d9_objects.h"
#include "sdl_video.h"

namespace {

D3DFORMAT DesktopFormat(Uint32 sdlFormat) {
  if (SDL_BYTESPERPIXEL(sdlFormat) == 4) return D3DFMT_X8R8G8B8;
  if (sdlFormat == SDL_PIXELFORMAT_RGB565) return D3DFMT_R5G6B5;
  if (SDL_BYTESPERPIXEL(sdlFormat) == 2) return D3DFMT_X1R5G5B5;
  return D3DFMT_UNKNOWN;
}

class Direct3D final : public IDirect3D9 {
 public:
  ULONG AddRef() override { return ++references_; }
  ULONG Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) override {
    SDL_DisplayMode m;
    if (adapter != 0 || mode == nullptr || SDL_GetDesktopDisplayMode(0, &m) != 0) return D3DERR_INVALIDCALL;
    *mode = D3DDISPLAYMODE{static_cast<UINT>(m.w), static_cast<UINT>(m.h), static_cast<UINT>(m.refresh_rate),
                           DesktopFormat(m.format)};
    return D3D_OK;
  }

  UINT GetAdapterModeCount(UINT adapter, D3DFORMAT format) override {
    if (adapter != 0) return 0;
    UINT count = 0;
    const int modes = SDL_GetNumDisplayModes(0);
    for (int i = 0; i < modes; ++i) {
      SDL_DisplayMode m;
      if (SDL_GetDisplayMode(0, i, &m) == 0 && DesktopFormat(m.format) == format) ++count;
    }
    return count;
  }

  // Drawing goes to single-sampled framebuffer objects.
  HRESULT CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE type, D3DFORMAT, BOOL, D3DMULTISAMPLE_TYPE multiSample,
                                     DWORD* qualityLevels) override {
    if (adapter != 0 || type != D3DDEVTYPE_HAL) return D3DERR_INVALIDCALL;
    if (multiSample != D3DMULTISAMPLE_NONE) return D3DERR_NOTAVAILABLE;
    if (qualityLevels != nullptr) *qualityLevels = 1;
    return D3D_OK;
  }

  HRESULT CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type, D3DFORMAT, D3DFORMAT renderTargetFormat,
                                 D3DFORMAT depthFormat) override {
    if (adapter != 0 || type != D3DDEVTYPE_HAL) return D3DERR_INVALIDCALL;
    return d3d9gl::RenderTargetFormatSupported(renderTargetFormat) && d3d9gl::DepthFormatSupported(depthFormat)
               ? D3D_OK
               : D3DERR_NOTAVAILABLE;
  }

  HRESULT CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT, DWORD usage, D3DRESOURCETYPE resourceType,
                            D3DFORMAT format) override {
    if (adapter != 0 || type != D3DDEVTYPE_HAL) return D3DERR_INVALIDCALL;
    bool supported;
    if (usage & D3DUSAGE_DEPTHSTENCIL) {
      supported = d3d9gl::DepthFormatSupported(format);
    } else if (usage & D3DUSAGE_RENDERTARGET) {
      supported = d3d9gl::RenderTargetFormatSupported(format);
    } else {
      supported = resourceType == D3DRTYPE_TEXTURE && d3d9gl::TextureFormatSupported(format);
    }
    return supported ? D3D_OK : D3DERR_NOTAVAILABLE;
  }

  HRESULT CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD, D3DPRESENT_PARAMETERS* parameters,
                       IDirect3DDevice9** device) override {
    if (device != nullptr) *device = nullptr;
    if (adapter != 0 || type != D3DDEVTYPE_HAL) return D3DERR_INVALIDCALL;
    return d3d9gl::CreateDevice(focusWindow, parameters, device);
  }

 private:
  std::atomic<ULONG> references_{1};
};

bool DisplayCanTakeOpenGl() {
  if (!StartSdlVideo()) return false;
  const char* driver = SDL_GetCurrentVideoDriver();
  return driver != nullptr && std::strcmp(driver, "dummy") != 0 && std::strcmp(driver, "offscreen") != 0;
}

}  // namespace

IDirect3D9* Direct3DCreate9(UINT sdkVersion) {
  if (sdkVersion != D3D_SDK_VERSION || !DisplayCanTakeOpenGl()) return nullptr;
  return new Direct3D;
}
