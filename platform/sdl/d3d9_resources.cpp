// Surfaces and textures of the OpenGL device, and the pixel formats they are kept in.
#include <algorithm>
#include <cstring>

#include "d3d9_objects.h"

namespace d3d9gl {

bool TextureFormatSupported(D3DFORMAT format) { return BytesPerPixel(format) != 0; }

// Render targets are drawn in 8 bits a channel; 16-bit targets would blend differently.
bool RenderTargetFormatSupported(D3DFORMAT format) { return format == D3DFMT_X8R8G8B8 || format == D3DFMT_A8R8G8B8; }

bool DepthFormatSupported(D3DFORMAT format) {
  return format == D3DFMT_D16 || format == D3DFMT_D24X8 || format == D3DFMT_D32;
}

namespace {

std::uint32_t Expand(std::uint32_t value, int bits) {
  if (bits == 0) return 0xFF;
  const std::uint32_t max = (1u << bits) - 1;
  return (value * 255 + max / 2) / max;
}

std::uint32_t Reduce(std::uint32_t value, int bits) {
  const std::uint32_t max = (1u << bits) - 1;
  return (value * max + 127) / 255;
}

}  // namespace

void ToBgra(D3DFORMAT format, const std::uint8_t* source, int count, std::uint32_t* bgra) {
  if (BytesPerPixel(format) == 4) {
    std::memcpy(bgra, source, static_cast<std::size_t>(count) * 4);
    if (format == D3DFMT_X8R8G8B8) {
      for (int i = 0; i < count; ++i) bgra[i] |= 0xFF000000u;
    }
    return;
  }
  const d3d9facts::ColourLayout l = d3d9facts::LayoutOfColour(format);
  for (int i = 0; i < count; ++i) {
    std::uint16_t p;
    std::memcpy(&p, source + 2 * i, 2);
    const std::uint32_t b = Expand(p & ((1u << l.blueBits) - 1), l.blueBits);
    const std::uint32_t g = Expand((p >> l.greenShift()) & ((1u << l.greenBits) - 1), l.greenBits);
    const std::uint32_t r = Expand((p >> l.redShift()) & ((1u << l.redBits) - 1), l.redBits);
    const std::uint32_t a = l.alphaBits ? Expand((p >> l.alphaShift()) & ((1u << l.alphaBits) - 1), l.alphaBits) : 0xFF;
    bgra[i] = a << 24 | r << 16 | g << 8 | b;
  }
}

void FromBgra(D3DFORMAT format, const std::uint32_t* bgra, int count, std::uint8_t* destination) {
  if (BytesPerPixel(format) == 4) {
    std::memcpy(destination, bgra, static_cast<std::size_t>(count) * 4);
    return;
  }
  const d3d9facts::ColourLayout l = d3d9facts::LayoutOfColour(format);
  for (int i = 0; i < count; ++i) {
    const std::uint32_t c = bgra[i];
    std::uint32_t p = Reduce(c & 0xFF, l.blueBits) | Reduce((c >> 8) & 0xFF, l.greenBits) << l.greenShift() |
                      Reduce((c >> 16) & 0xFF, l.redBits) << l.redShift();
    if (l.alphaBits) p |= Reduce(c >> 24, l.alphaBits) << l.alphaShift();
    const std::uint16_t packed = static_cast<std::uint16_t>(p);
    std::memcpy(destination + 2 * i, &packed, 2);
  }
}

void DescribeStorage(const Storage& s, D3DSURFACE_DESC* desc) {
  *desc = D3DSURFACE_DESC{};
  desc->Format = s.format;
  desc->Type = D3DRTYPE_SURFACE;
  desc->Usage = s.usage;
  desc->Pool = D3DPOOL_DEFAULT;
  desc->Width = static_cast<UINT>(s.width);
  desc->Height = static_cast<UINT>(s.height);
}

HRESULT LockStorage(DeviceCore& core, Storage& s, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) {
  if (locked == nullptr || s.isLocked || !core.alive) return D3DERR_INVALIDCALL;
  const int bpp = BytesPerPixel(s.format);
  if (bpp == 0) return D3DERR_INVALIDCALL;  // depth surfaces hold no pixels to lock
  const RECT r = rect != nullptr ? *rect : RECT{0, 0, s.width, s.height};
  if (r.left < 0 || r.top < 0 || r.right > s.width || r.bottom > s.height || r.left >= r.right || r.top >= r.bottom) {
    return D3DERR_INVALIDCALL;
  }
  const int width = r.right - r.left, height = r.bottom - r.top;
  s.locked.assign(static_cast<std::size_t>(width) * height * bpp, 0);
  // A render target's pixels live in OpenGL: they are read back for the lock. A texture's
  // contents are not kept outside OpenGL, so locking one without discarding reads it too.
  if (s.renderable() || !(flags & D3DLOCK_DISCARD)) {
    std::vector<std::uint32_t> bgra(static_cast<std::size_t>(width) * height);
    if (s.renderable()) {
      core.renderer.Read(s.target, gl::PixelBounds{r.left, r.top, r.right, r.bottom}, bgra.data(), width * 4);
    } else {
      core.renderer.ReadTexture(s.texture, s.width, s.height, gl::PixelBounds{r.left, r.top, r.right, r.bottom},
                                bgra.data(), width * 4);
    }
    FromBgra(s.format, bgra.data(), width * height, s.locked.data());
  }
  s.lockedRect = r;
  s.lockReadOnly = (flags & D3DLOCK_READONLY) != 0;
  s.isLocked = true;
  locked->Pitch = width * bpp;
  locked->pBits = s.locked.data();
  return D3D_OK;
}

HRESULT UnlockStorage(DeviceCore& core, Storage& s) {
  if (!s.isLocked) return D3DERR_INVALIDCALL;
  s.isLocked = false;
  if (!s.lockReadOnly && core.alive) {
    const RECT r = s.lockedRect;
    const int width = r.right - r.left, height = r.bottom - r.top;
    std::vector<std::uint32_t> bgra(static_cast<std::size_t>(width) * height);
    ToBgra(s.format, s.locked.data(), width * height, bgra.data());
    core.renderer.UploadTexture(s.sampled(), r.left, r.top, width, height, bgra.data(), width * 4);
  }
  s.locked.clear();
  s.locked.shrink_to_fit();
  return D3D_OK;
}

void ReleaseStorage(DeviceCore& core, Storage& s) {
  if (!core.alive) return;
  if (s.renderable()) core.renderer.DestroyTarget(s.target);
  if (s.texture != 0) core.renderer.DestroyTexture(s.texture);
  s.texture = 0;
}

// ---- surfaces ----------------------------------------------------------------------------------

Surface::Surface(std::shared_ptr<DeviceCore> core, std::unique_ptr<Storage> storage)
    : core_(std::move(core)), owned_(std::move(storage)), storage_(owned_.get()), owner_(nullptr) {}

Surface::Surface(std::shared_ptr<DeviceCore> core, Storage* level, IDirect3DTexture9* owner)
    : core_(std::move(core)), storage_(level), owner_(owner) {
  owner_->AddRef();
}

Surface::~Surface() {
  if (owned_) ReleaseStorage(*core_, *owned_);
  if (owner_ != nullptr) owner_->Release();
}

ULONG Surface::AddRef() { return ++references_; }

ULONG Surface::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT Surface::GetDesc(D3DSURFACE_DESC* desc) {
  if (desc == nullptr) return D3DERR_INVALIDCALL;
  DescribeStorage(*storage_, desc);
  return D3D_OK;
}

HRESULT Surface::LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) {
  return LockStorage(*core_, *storage_, locked, rect, flags);
}

HRESULT Surface::UnlockRect() { return UnlockStorage(*core_, *storage_); }

// ---- textures ----------------------------------------------------------------------------------

Texture::Texture(std::shared_ptr<DeviceCore> core, std::unique_ptr<Storage> storage)
    : core_(std::move(core)), storage_(std::move(storage)) {}

Texture::~Texture() { ReleaseStorage(*core_, *storage_); }

ULONG Texture::AddRef() { return ++references_; }

ULONG Texture::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT Texture::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) {
  if (level != 0 || desc == nullptr) return D3DERR_INVALIDCALL;
  DescribeStorage(*storage_, desc);
  return D3D_OK;
}

HRESULT Texture::GetSurfaceLevel(UINT level, IDirect3DSurface9** surface) {
  if (surface == nullptr) return D3DERR_INVALIDCALL;
  *surface = nullptr;
  if (level != 0) return D3DERR_INVALIDCALL;
  *surface = new Surface(core_, storage_.get(), this);
  return D3D_OK;
}

HRESULT Texture::LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) {
  if (level != 0) return D3DERR_INVALIDCALL;
  return LockStorage(*core_, *storage_, locked, rect, flags);
}

HRESULT Texture::UnlockRect(UINT level) {
  if (level != 0) return D3DERR_INVALIDCALL;
  return UnlockStorage(*core_, *storage_);
}

}  // namespace d3d9gl
