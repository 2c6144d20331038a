// The Direct3D 9 objects served on the OpenGL drawing engine: the device, its swap chain,
// surfaces and textures. They share one record of the device's context, which outlives the
// device while any of its objects is still referenced (they then fail or do nothing).
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "../common/d3d9_facts.h"
#include "gl_renderer.h"
#include "platform/d3d9.h"

namespace d3d9gl {

struct DeviceCore {
  gl::Renderer renderer;
  bool alive = false;
};

// Bytes per pixel of the formats the device keeps, 0 for any other.
using d3d9facts::BytesPerPixel;
// Whether textures, render targets or depth surfaces can be made in the format.
bool TextureFormatSupported(D3DFORMAT format);
bool RenderTargetFormatSupported(D3DFORMAT format);
bool DepthFormatSupported(D3DFORMAT format);
// Rows of `format` pixels to and from 32-bit BGRA.
void ToBgra(D3DFORMAT format, const std::uint8_t* source, int count, std::uint32_t* bgra);
void FromBgra(D3DFORMAT format, const std::uint32_t* bgra, int count, std::uint8_t* destination);

// Pixels of one surface: a render target (back buffer, render-target surface or render-target
// texture), a texture's image (drawn from, written through locks) or a depth surface (no
// pixels: depth is not drawn with).
struct Storage {
  D3DFORMAT format = D3DFMT_UNKNOWN;
  int width = 0, height = 0;
  DWORD usage = 0;
  gl::Target target;   // render targets
  GLuint texture = 0;  // other textures
  std::vector<std::uint8_t> locked;
  RECT lockedRect{};
  bool lockReadOnly = false;
  bool isLocked = false;

  bool renderable() const { return target.framebuffer != 0; }
  GLuint sampled() const { return renderable() ? target.texture : texture; }
};

class Surface final : public IDirect3DSurface9 {
 public:
  // A surface with its own storage, or one level of a texture (which it keeps alive).
  Surface(std::shared_ptr<DeviceCore> core, std::unique_ptr<Storage> storage);
  Surface(std::shared_ptr<DeviceCore> core, Storage* level, IDirect3DTexture9* owner);

  ULONG AddRef() override;
  ULONG Release() override;
  HRESULT GetDesc(D3DSURFACE_DESC* desc) override;
  HRESULT LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
  HRESULT UnlockRect() override;

  Storage& storage() { return *storage_; }

 private:
  ~Surface();
  std::atomic<ULONG> references_{1};
  std::shared_ptr<DeviceCore> core_;
  std::unique_ptr<Storage> owned_;
  Storage* storage_;
  IDirect3DTexture9* owner_;
};

class Texture final : public IDirect3DTexture9 {
 public:
  Texture(std::shared_ptr<DeviceCore> core, std::unique_ptr<Storage> storage);

  ULONG AddRef() override;
  ULONG Release() override;
  DWORD GetLevelCount() override { return 1; }
  HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
  HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface9** surface) override;
  HRESULT LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
  HRESULT UnlockRect(UINT level) override;

  Storage& storage() { return *storage_; }

 private:
  ~Texture();
  std::atomic<ULONG> references_{1};
  std::shared_ptr<DeviceCore> core_;
  std::unique_ptr<Storage> storage_;
};

// Locks and unlocks shared by surfaces and texture levels.
HRESULT LockStorage(DeviceCore& core, Storage& storage, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags);
HRESULT UnlockStorage(DeviceCore& core, Storage& storage);
void DescribeStorage(const Storage& storage, D3DSURFACE_DESC* desc);
// Frees the OpenGL objects of a storage while its context lives.
void ReleaseStorage(DeviceCore& core, Storage& storage);

// Makes the device on the window; null with a failure result when OpenGL cannot serve it.
HRESULT CreateDevice(HWND window, D3DPRESENT_PARAMETERS* parameters, IDirect3DDevice9** device);

}  // namespace d3d9gl
