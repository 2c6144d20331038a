// The fake platform's recording Direct3D 9 (see fake_d3d9.h).
#include "fake_d3d9.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <set>
#include <utility>

#include "../common/d3d9_facts.h"
#include "../common/d3d9_pixel_rules.h"
#include "../common/platform_contract.h"
#include "fake_raster.h"
#include "fake_state.h"

namespace fake {
namespace {

struct D3dSettings {
  bool recording = false;
  bool vertices = true;
  bool pixels = true;
  std::array<bool, static_cast<int>(D3dFailure::Count)> failures{};
  std::set<std::pair<DWORD, DWORD>> refusedFormats;  // (format, usage)
  std::set<DWORD> refusedDepthFormats;
  D3DFORMAT adapterFormat = D3DFMT_UNKNOWN;
  UINT r5g6b5Modes = 4;
  int maxMultiSample = 0;
  DWORD multiSampleQuality = 0;
  bool blendOp = true;
  DWORD maxTextureWidth = 2048, maxTextureHeight = 2048;
  DWORD vertexShaderVersion = D3DVertexShaderVersion(2, 0);
  DWORD pixelShaderVersion = D3DPixelShaderVersion(2, 0);

  std::vector<D3dCall> calls;
  int live = 0;
  DWORD behaviorFlags = 0;
  D3DPRESENT_PARAMETERS parameters{};
  int presents = 0;
  int nextTarget = 1, nextDepth = 1, nextTexture = 1;
};

D3dSettings& Settings() {
  static D3dSettings settings;
  return settings;
}

bool D3dFails(D3dFailure which) { return Settings().failures[static_cast<int>(which)]; }

D3dCall& RecordCall(D3dCallKind kind, std::vector<std::int64_t> numbers = {}) {
  std::vector<D3dCall>& calls = Settings().calls;
  calls.push_back(D3dCall{kind, std::move(numbers), {}, {}, {}, {}, {}, nullptr});
  return calls.back();
}

std::string Named(const void* object, const char* name) { return object != nullptr ? name : "null"; }

std::optional<D3dRect> RectOf(const RECT* rect) {
  if (rect == nullptr) return std::nullopt;
  return D3dRect{rect->left, rect->top, rect->right, rect->bottom};
}

// Colour formats by their layout; any other keeps four bytes a pixel, taken as A8R8G8B8.
int BytesPerPixel(D3DFORMAT format) {
  const int bytes = d3d9facts::BytesPerPixel(format);
  return bytes != 0 ? bytes : 4;
}

using d3d9facts::IsDepthFormat;

// An A8R8G8B8 colour in the surface's format, each channel cut to its top bits.
std::uint32_t Convert(D3DFORMAT format, D3DCOLOR color) {
  const d3d9facts::ColourLayout l = d3d9facts::LayoutOfColour(format);
  if (l.bytes != 2) return format == D3DFMT_X8R8G8B8 ? color | 0xFF000000u : color;
  const std::uint32_t a = color >> 24, r = (color >> 16) & 0xFF, g = (color >> 8) & 0xFF, b = color & 0xFF;
  std::uint32_t pixel =
      (b >> (8 - l.blueBits)) | (g >> (8 - l.greenBits)) << l.greenShift() | (r >> (8 - l.redBits)) << l.redShift();
  if (l.alphaBits != 0) pixel |= (a >> (8 - l.alphaBits)) << l.alphaShift();
  return pixel;
}

// A pixel of the surface's format as A8R8G8B8.
std::uint32_t Expand(D3DFORMAT format, std::uint32_t pixel) {
  const d3d9facts::ColourLayout l = d3d9facts::LayoutOfColour(format);
  if (l.bytes != 2) return format == D3DFMT_X8R8G8B8 ? pixel | 0xFF000000u : pixel;
  const auto channel = [pixel](int shift, int bits) {
    return d3d9rules::WidenChannel((pixel >> shift) & ((1u << bits) - 1), bits);
  };
  const std::uint32_t a = l.alphaBits != 0 ? channel(l.alphaShift(), l.alphaBits) : 0xFF;
  return a << 24 | channel(l.redShift(), l.redBits) << 16 | channel(l.greenShift(), l.greenBits) << 8 |
         channel(0, l.blueBits);
}

// Reference counting shared by every object; Release logs nothing (the engine's releases are
// checked through LiveD3dObjects).
class Counted {
 public:
  Counted() { ++Settings().live; }
  virtual ~Counted() { --Settings().live; }
  ULONG AddRefCount() { return ++references_; }
  ULONG ReleaseCount() {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

 private:
  ULONG references_ = 1;
};

class Surface;
// Surfaces the device knows, by interface pointer, for names in the dump and for copies.
std::vector<std::pair<IDirect3DSurface9*, Surface*>>& KnownSurfaces() {
  static std::vector<std::pair<IDirect3DSurface9*, Surface*>> known;
  return known;
}

class Surface final : public IDirect3DSurface9, public Counted, public RasterTarget {
 public:
  Surface(std::string name, UINT width, UINT height, D3DFORMAT format, DWORD usage, D3DPOOL pool, Counted* owner)
      : name_(std::move(name)), owner_(owner) {
    desc_ = {format, D3DRTYPE_SURFACE, usage, pool, D3DMULTISAMPLE_NONE, 0, width, height};
    if (!IsDepthFormat(format)) pixels_.assign(static_cast<size_t>(width) * height * BytesPerPixel(format), 0);
    if (owner_ != nullptr) owner_->AddRefCount();
  }
  ~Surface() override;
  ULONG AddRef() override { return AddRefCount(); }
  ULONG Release() override { return ReleaseCount(); }
  HRESULT GetDesc(D3DSURFACE_DESC* desc) override {
    if (desc == nullptr) return D3DERR_INVALIDCALL;
    *desc = desc_;
    return D3D_OK;
  }
  HRESULT LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD) override {
    if (locked == nullptr || pixels_.empty() || locked_) return D3DERR_INVALIDCALL;
    settle();
    const int bytes = BytesPerPixel(desc_.Format);
    locked->Pitch = static_cast<int>(desc_.Width) * bytes;
    size_t offset = 0;
    if (rect != nullptr)
      offset = static_cast<size_t>(rect->top) * locked->Pitch + static_cast<size_t>(rect->left) * bytes;
    locked->pBits = pixels_.data() + offset;
    locked_ = true;
    ++version_;
    return D3D_OK;
  }
  HRESULT UnlockRect() override {
    if (!locked_) return D3DERR_INVALIDCALL;
    locked_ = false;
    return D3D_OK;
  }

  const std::string& name() const { return name_; }
  const D3DSURFACE_DESC& desc() const { return desc_; }
  void multiSample(D3DMULTISAMPLE_TYPE type, DWORD quality) {
    desc_.MultiSampleType = type;
    desc_.MultiSampleQuality = quality;
  }
  bool hasPixels() const { return !pixels_.empty(); }
  void scribble(unsigned char byte) { std::fill(pixels_.begin(), pixels_.end(), byte); }
  std::uint32_t pixel(UINT x, UINT y) const {
    const size_t i = static_cast<size_t>(y) * desc_.Width + x;
    if (BytesPerPixel(desc_.Format) == 2) {
      std::uint16_t value;
      std::memcpy(&value, pixels_.data() + i * 2, 2);
      return value;
    }
    std::uint32_t value;
    std::memcpy(&value, pixels_.data() + i * 4, 4);
    return value;
  }
  void setPixel(UINT x, UINT y, std::uint32_t value) {
    const size_t i = static_cast<size_t>(y) * desc_.Width + x;
    if (BytesPerPixel(desc_.Format) == 2) {
      const auto narrow = static_cast<std::uint16_t>(value);
      std::memcpy(pixels_.data() + i * 2, &narrow, 2);
    } else {
      std::memcpy(pixels_.data() + i * 4, &value, 4);
    }
  }
  void fill(const RECT& area, D3DCOLOR color) {
    if (pixels_.empty()) return;
    // Primitives wholly painted over need never be rasterised.
    if (area.left <= 0 && area.top <= 0 && area.right >= static_cast<LONG>(desc_.Width) &&
        area.bottom >= static_cast<LONG>(desc_.Height)) {
      pending_.clear();
    } else {
      settle();
    }
    ++version_;
    const std::uint32_t value = Convert(desc_.Format, color);
    for (LONG y = std::max<LONG>(area.top, 0); y < std::min<LONG>(area.bottom, desc_.Height); ++y) {
      for (LONG x = std::max<LONG>(area.left, 0); x < std::min<LONG>(area.right, desc_.Width); ++x) {
        setPixel(static_cast<UINT>(x), static_cast<UINT>(y), value);
      }
    }
  }
  RECT whole() const { return {0, 0, static_cast<LONG>(desc_.Width), static_cast<LONG>(desc_.Height)}; }
  // Grows whenever the pixels may have changed.
  std::uint64_t version() const { return version_; }

  // Primitives are rasterised when their pixels are first looked at, not when drawn: most
  // frames of a long run are cleared before anyone looks.
  void queue(D3DPRIMITIVETYPE type, std::vector<RasterVertex> vertices, std::shared_ptr<const RasterStates> states) {
    pending_.push_back({type, std::move(vertices), std::move(states)});
    ++version_;
  }
  void settle() {
    for (const Pending& draw : pending_) {
      Rasterise(draw.type, draw.vertices.data(), static_cast<int>(draw.vertices.size()), *draw.states, *this);
    }
    pending_.clear();
  }

  int width() const override { return pixels_.empty() ? 0 : static_cast<int>(desc_.Width); }
  int height() const override { return pixels_.empty() ? 0 : static_cast<int>(desc_.Height); }
  std::uint32_t get(int x, int y) const override {
    return Expand(desc_.Format, pixel(static_cast<UINT>(x), static_cast<UINT>(y)));
  }
  void set(int x, int y, std::uint32_t argb) override {
    setPixel(static_cast<UINT>(x), static_cast<UINT>(y), Convert(desc_.Format, argb));
  }

 private:
  std::string name_;
  Counted* owner_;  // a texture keeps its levels' owner alive
  D3DSURFACE_DESC desc_{};
  std::vector<unsigned char> pixels_;
  bool locked_ = false;
  std::uint64_t version_ = 0;
  struct Pending {
    D3DPRIMITIVETYPE type;
    std::vector<RasterVertex> vertices;
    std::shared_ptr<const RasterStates> states;  // shared by the draws between two state changes
  };
  std::vector<Pending> pending_;
};

class Texture;
// Stage 0's texture, forgotten when the texture goes.
Texture* BoundTexture = nullptr;

class Texture final : public IDirect3DTexture9, public Counted {
 public:
  Texture(const std::string& name, UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool)
      : name_(name) {
    if (levels == 0) {
      levels = 1;
      for (UINT w = width, h = height; w > 1 || h > 1; w = std::max(1u, w / 2), h = std::max(1u, h / 2)) ++levels;
    }
    for (UINT i = 0; i < levels; ++i) {
      levels_.push_back(new Surface(name + "/" + std::to_string(i), std::max(1u, width >> i), std::max(1u, height >> i),
                                    format, usage, pool, nullptr));
      // A new texture holds what its memory held before, as on a real device.
      levels_.back()->scribble(0xCD);
    }
  }
  ~Texture() override {
    if (BoundTexture == this) BoundTexture = nullptr;
    for (Surface* level : levels_) level->Release();
  }
  ULONG AddRef() override { return AddRefCount(); }
  ULONG Release() override { return ReleaseCount(); }
  DWORD GetLevelCount() override { return static_cast<DWORD>(levels_.size()); }
  HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override {
    if (level >= levels_.size()) return D3DERR_INVALIDCALL;
    return levels_[level]->GetDesc(desc);
  }
  HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface9** surface) override;
  HRESULT LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override {
    if (level >= levels_.size()) return D3DERR_INVALIDCALL;
    return levels_[level]->LockRect(locked, rect, flags);
  }
  HRESULT UnlockRect(UINT level) override {
    if (level >= levels_.size()) return D3DERR_INVALIDCALL;
    return levels_[level]->UnlockRect();
  }
  const std::string& name() const { return name_; }
  // Level 0 as it is now; the same copy as long as it has not changed.
  std::shared_ptr<const Texels> texels() {
    Surface* level = levels_[0];
    if (texels_ == nullptr || texelsVersion_ != level->version()) {
      level->settle();
      auto copy = std::make_shared<Texels>();
      copy->width = level->width();
      copy->height = level->height();
      copy->argb.resize(static_cast<size_t>(copy->width) * copy->height);
      for (int y = 0; y < copy->height; ++y) {
        for (int x = 0; x < copy->width; ++x) copy->argb[static_cast<size_t>(y) * copy->width + x] = level->get(x, y);
      }
      texels_ = std::move(copy);
      texelsVersion_ = level->version();
    }
    return texels_;
  }

 private:
  std::string name_;
  std::vector<Surface*> levels_;
  std::shared_ptr<const Texels> texels_;
  std::uint64_t texelsVersion_ = 0;
};

// What GetSurfaceLevel hands out: the level's surface, keeping its texture alive.
class LevelHandle final : public IDirect3DSurface9, public Counted {
 public:
  LevelHandle(Texture* texture, Surface* level) : texture_(texture), level_(level) {
    texture_->AddRef();
    KnownSurfaces().push_back({this, level_});
  }
  ~LevelHandle() override {
    auto& known = KnownSurfaces();
    known.erase(std::remove_if(known.begin(), known.end(), [this](const auto& entry) { return entry.first == this; }),
                known.end());
    texture_->Release();
  }
  ULONG AddRef() override { return AddRefCount(); }
  ULONG Release() override { return ReleaseCount(); }
  HRESULT GetDesc(D3DSURFACE_DESC* desc) override { return level_->GetDesc(desc); }
  HRESULT LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override {
    return level_->LockRect(locked, rect, flags);
  }
  HRESULT UnlockRect() override { return level_->UnlockRect(); }

 private:
  Texture* texture_;
  Surface* level_;
};

HRESULT Texture::GetSurfaceLevel(UINT level, IDirect3DSurface9** surface) {
  if (surface == nullptr || level >= levels_.size()) return D3DERR_INVALIDCALL;
  *surface = new LevelHandle(this, levels_[level]);
  return D3D_OK;
}

Surface::~Surface() {
  auto& known = KnownSurfaces();
  known.erase(std::remove_if(known.begin(), known.end(), [this](const auto& entry) { return entry.second == this; }),
              known.end());
  if (owner_ != nullptr) owner_->ReleaseCount();
}

Surface* AsSurface(IDirect3DSurface9* surface) {
  if (surface == nullptr) return nullptr;
  for (auto& entry : KnownSurfaces()) {
    if (entry.first == surface) return entry.second;
  }
  return nullptr;
}

std::string SurfaceName(IDirect3DSurface9* surface) {
  if (surface == nullptr) return "null";
  Surface* known = AsSurface(surface);
  return known != nullptr ? known->name() : "unknown";
}

class Device;
Device* CurrentDevice = nullptr;

class SwapChain final : public IDirect3DSwapChain9, public Counted {
 public:
  explicit SwapChain(Counted* device) : device_(device) { device_->AddRefCount(); }
  ~SwapChain() override { device_->ReleaseCount(); }
  ULONG AddRef() override { return AddRefCount(); }
  ULONG Release() override { return ReleaseCount(); }
  HRESULT Present(const RECT* sourceRect, const RECT* destRect, HWND destWindow, const RGNDATA* dirtyRegion,
                  DWORD flags) override {
    D3dCall& call = RecordCall(D3dCallKind::SwapChainPresent, {flags});
    call.rects = {RectOf(sourceRect), RectOf(destRect)};
    call.objects = {Named(destWindow, "window"), Named(dirtyRegion, "region")};
    ++Settings().presents;
    return D3D_OK;
  }

 private:
  Counted* device_;
};

class Device final : public IDirect3DDevice9, public Counted {
 public:
  Device(const D3DPRESENT_PARAMETERS& parameters) {
    backBuffer_ = new Surface("backbuffer", parameters.BackBufferWidth, parameters.BackBufferHeight,
                              parameters.BackBufferFormat, D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT, nullptr);
    KnownSurfaces().push_back({backBuffer_, backBuffer_});
    target_ = backBuffer_;
    CurrentDevice = this;
    DefaultRasterStates(&raster_);
    raster_.viewport = {0, 0, parameters.BackBufferWidth, parameters.BackBufferHeight, 0.0f, 1.0f};
  }
  ~Device() override {
    backBuffer_->Release();
    if (CurrentDevice == this) CurrentDevice = nullptr;
  }
  ULONG AddRef() override { return AddRefCount(); }
  ULONG Release() override { return ReleaseCount(); }

  HRESULT GetDeviceCaps(D3DCAPS9* caps) override {
    RecordCall(D3dCallKind::GetDeviceCaps);
    if (caps == nullptr) return D3DERR_INVALIDCALL;
    const D3dSettings& s = Settings();
    *caps = D3DCAPS9{};
    caps->DeviceType = D3DDEVTYPE_HAL;
    caps->PrimitiveMiscCaps = s.blendOp ? D3DPMISCCAPS_BLENDOP : 0;
    caps->MaxTextureWidth = s.maxTextureWidth;
    caps->MaxTextureHeight = s.maxTextureHeight;
    caps->VertexShaderVersion = s.vertexShaderVersion;
    caps->PixelShaderVersion = s.pixelShaderVersion;
    return D3D_OK;
  }
  HRESULT GetBackBuffer(UINT swapChain, UINT backBuffer, D3DBACKBUFFER_TYPE type,
                        IDirect3DSurface9** surface) override {
    RecordCall(D3dCallKind::GetBackBuffer, {swapChain, backBuffer, type});
    if (surface == nullptr || swapChain != 0 || backBuffer != 0) return D3DERR_INVALIDCALL;
    backBuffer_->AddRef();
    *surface = backBuffer_;
    return D3D_OK;
  }
  HRESULT GetSwapChain(UINT swapChain, IDirect3DSwapChain9** chain) override {
    RecordCall(D3dCallKind::GetSwapChain, {swapChain});
    if (chain == nullptr || swapChain != 0) return D3DERR_INVALIDCALL;
    *chain = new SwapChain(this);
    return D3D_OK;
  }
  HRESULT Reset(D3DPRESENT_PARAMETERS* parameters) override {
    if (parameters == nullptr) return D3DERR_INVALIDCALL;
    RecordCall(D3dCallKind::Reset, {parameters->BackBufferWidth, parameters->BackBufferHeight,
                                    parameters->BackBufferFormat, parameters->BackBufferCount, parameters->SwapEffect,
                                    parameters->Windowed, parameters->PresentationInterval});
    return D3D_OK;
  }
  HRESULT Present(const RECT* sourceRect, const RECT* destRect, HWND destWindow, const RGNDATA* dirtyRegion) override {
    D3dCall& call = RecordCall(D3dCallKind::Present);
    call.rects = {RectOf(sourceRect), RectOf(destRect)};
    call.objects = {Named(destWindow, "window"), Named(dirtyRegion, "region")};
    ++Settings().presents;
    return D3D_OK;
  }

  HRESULT BeginScene() override {
    RecordCall(D3dCallKind::BeginScene);
    if (inScene_) return D3DERR_INVALIDCALL;
    inScene_ = true;
    return D3D_OK;
  }
  HRESULT EndScene() override {
    RecordCall(D3dCallKind::EndScene);
    if (!inScene_) return D3DERR_INVALIDCALL;
    inScene_ = false;
    return D3D_OK;
  }
  HRESULT Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z, DWORD stencil) override {
    D3dCall& call = RecordCall(D3dCallKind::Clear, {count, flags, color, stencil});
    call.objects = {Named(rects, "rects")};
    call.reals = {z};
    if ((flags & D3DCLEAR_TARGET) != 0 && target_ != nullptr) {
      RECT area = {static_cast<LONG>(viewport_.X), static_cast<LONG>(viewport_.Y),
                   static_cast<LONG>(viewport_.X + viewport_.Width), static_cast<LONG>(viewport_.Y + viewport_.Height)};
      if (!viewportSet_) area = target_->whole();
      target_->fill(area, color);
    }
    return D3D_OK;
  }
  HRESULT ColorFill(IDirect3DSurface9* surface, const RECT* rect, D3DCOLOR color) override {
    D3dCall& call = RecordCall(D3dCallKind::ColorFill, {color});
    call.objects = {SurfaceName(surface)};
    call.rects = {RectOf(rect)};
    Surface* known = AsSurface(surface);
    // Only surfaces the device draws into can be filled; a texture's level is written through
    // a lock.
    if (known == nullptr || (known->desc().Usage & D3DUSAGE_RENDERTARGET) == 0) return D3DERR_INVALIDCALL;
    known->fill(rect != nullptr ? *rect : known->whole(), color);
    return D3D_OK;
  }
  HRESULT StretchRect(IDirect3DSurface9* source, const RECT* sourceRect, IDirect3DSurface9* dest, const RECT* destRect,
                      D3DTEXTUREFILTERTYPE filter) override {
    D3dCall& call = RecordCall(D3dCallKind::StretchRect, {filter});
    call.objects = {SurfaceName(source), SurfaceName(dest)};
    call.rects = {RectOf(sourceRect), RectOf(destRect)};
    Surface* from = AsSurface(source);
    Surface* to = AsSurface(dest);
    if (from == nullptr || to == nullptr || !from->hasPixels() || !to->hasPixels()) return D3DERR_INVALIDCALL;
    from->settle();
    to->settle();
    const RECT s = sourceRect != nullptr ? *sourceRect : from->whole();
    const RECT d = destRect != nullptr ? *destRect : to->whole();
    const LONG dw = d.right - d.left, dh = d.bottom - d.top, sw = s.right - s.left, sh = s.bottom - s.top;
    if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) return D3DERR_INVALIDCALL;
    for (LONG y = 0; y < dh; ++y) {
      for (LONG x = 0; x < dw; ++x) {
        const LONG sx = s.left + x * sw / dw, sy = s.top + y * sh / dh;
        const LONG tx = d.left + x, ty = d.top + y;
        if (sx < 0 || sy < 0 || tx < 0 || ty < 0 || sx >= static_cast<LONG>(from->desc().Width) ||
            sy >= static_cast<LONG>(from->desc().Height) || tx >= static_cast<LONG>(to->desc().Width) ||
            ty >= static_cast<LONG>(to->desc().Height)) {
          continue;
        }
        to->setPixel(static_cast<UINT>(tx), static_cast<UINT>(ty),
                     from->pixel(static_cast<UINT>(sx), static_cast<UINT>(sy)));
      }
    }
    return D3D_OK;
  }

  HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                        IDirect3DTexture9** texture, HANDLE*) override {
    const std::string name = "texture" + std::to_string(Settings().nextTexture++);
    RecordCall(D3dCallKind::CreateTexture, {width, height, levels, usage, format, pool}).result =
        D3dFails(D3dFailure::Texture) ? "failed" : name;
    if (texture == nullptr) return D3DERR_INVALIDCALL;
    *texture = nullptr;
    if (D3dFails(D3dFailure::Texture)) return D3DERR_OUTOFVIDEOMEMORY;
    *texture = new (std::nothrow) Texture(name, width, height, levels, usage, format, pool);
    return *texture != nullptr ? D3D_OK : D3DERR_OUTOFVIDEOMEMORY;
  }
  HRESULT CreateRenderTarget(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample,
                             DWORD multiSampleQuality, BOOL lockable, IDirect3DSurface9** surface, HANDLE*) override {
    const std::string name = "target" + std::to_string(Settings().nextTarget++);
    RecordCall(D3dCallKind::CreateRenderTarget, {width, height, format, multiSample, multiSampleQuality, lockable})
        .result = D3dFails(D3dFailure::RenderTarget) ? "failed" : name;
    if (surface == nullptr) return D3DERR_INVALIDCALL;
    *surface = nullptr;
    if (D3dFails(D3dFailure::RenderTarget)) return D3DERR_OUTOFVIDEOMEMORY;
    auto* created = new Surface(name, width, height, format, D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT, nullptr);
    created->multiSample(multiSample, multiSampleQuality);
    KnownSurfaces().push_back({created, created});
    *surface = created;
    return D3D_OK;
  }
  HRESULT CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample,
                                    DWORD multiSampleQuality, BOOL discard, IDirect3DSurface9** surface,
                                    HANDLE*) override {
    const std::string name = "depth" + std::to_string(Settings().nextDepth++);
    RecordCall(D3dCallKind::CreateDepthStencilSurface,
               {width, height, format, multiSample, multiSampleQuality, discard})
        .result = D3dFails(D3dFailure::DepthStencilSurface) ? "failed" : name;
    if (surface == nullptr) return D3DERR_INVALIDCALL;
    *surface = nullptr;
    if (D3dFails(D3dFailure::DepthStencilSurface)) return D3DERR_OUTOFVIDEOMEMORY;
    auto* created = new Surface(name, width, height, format, D3DUSAGE_DEPTHSTENCIL, D3DPOOL_DEFAULT, nullptr);
    created->multiSample(multiSample, multiSampleQuality);
    KnownSurfaces().push_back({created, created});
    *surface = created;
    return D3D_OK;
  }

  HRESULT SetRenderTarget(DWORD index, IDirect3DSurface9* surface) override {
    RecordCall(D3dCallKind::SetRenderTarget, {index}).objects = {SurfaceName(surface)};
    Surface* known = AsSurface(surface);
    if (index != 0 || known == nullptr) return D3DERR_INVALIDCALL;
    target_ = known;
    viewportSet_ = false;  // a new target resets the viewport to the whole target
    raster_.viewport = {0, 0, known->desc().Width, known->desc().Height, 0.0f, 1.0f};
    snapshot_ = nullptr;
    return D3D_OK;
  }
  HRESULT SetDepthStencilSurface(IDirect3DSurface9* surface) override {
    RecordCall(D3dCallKind::SetDepthStencilSurface).objects = {SurfaceName(surface)};
    return D3D_OK;
  }
  HRESULT SetViewport(const D3DVIEWPORT9* viewport) override {
    if (viewport == nullptr) return D3DERR_INVALIDCALL;
    RecordCall(D3dCallKind::SetViewport, {viewport->X, viewport->Y, viewport->Width, viewport->Height}).reals = {
        viewport->MinZ, viewport->MaxZ};
    viewport_ = *viewport;
    viewportSet_ = true;
    raster_.viewport = *viewport;
    snapshot_ = nullptr;
    return D3D_OK;
  }
  HRESULT SetScissorRect(const RECT* rect) override {
    RecordCall(D3dCallKind::SetScissorRect).rects = {RectOf(rect)};
    return rect != nullptr ? D3D_OK : D3DERR_INVALIDCALL;
  }

  HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override {
    RecordCall(D3dCallKind::SetRenderState, {state, value});
    if (state < d3d9facts::RenderStateCount) raster_.render[state] = value;
    snapshot_ = nullptr;
    return D3D_OK;
  }
  HRESULT SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) override {
    RecordCall(D3dCallKind::SetSamplerState, {sampler, type, value});
    if (sampler == 0 && type == D3DSAMP_MAGFILTER) {
      raster_.linear = value == D3DTEXF_LINEAR;
      snapshot_ = nullptr;
    }
    return D3D_OK;
  }
  HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override {
    RecordCall(D3dCallKind::SetTextureStageState, {stage, type, value});
    if (stage < RasterStageCount && type < d3d9facts::StageStateCount) raster_.stages[stage][type] = value;
    snapshot_ = nullptr;
    return D3D_OK;
  }
  DWORD stageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type) const {
    return stage < RasterStageCount && type < d3d9facts::StageStateCount ? raster_.stages[stage][type] : 0;
  }
  HRESULT SetTexture(DWORD stage, IDirect3DTexture9* texture) override {
    RecordCall(D3dCallKind::SetTexture, {stage}).objects = {texture != nullptr ? static_cast<Texture*>(texture)->name()
                                                                               : "null"};
    if (stage == 0) BoundTexture = static_cast<Texture*>(texture);
    return D3D_OK;
  }

  HRESULT SetVertexShader(IDirect3DVertexShader9* shader) override {
    RecordCall(D3dCallKind::SetVertexShader).objects = {Named(shader, "shader")};
    return D3D_OK;
  }
  HRESULT SetPixelShader(IDirect3DPixelShader9* shader) override {
    RecordCall(D3dCallKind::SetPixelShader).objects = {Named(shader, "shader")};
    return D3D_OK;
  }
  HRESULT SetVertexShaderConstantF(UINT start, const float* data, UINT count) override {
    return Constants(D3dCallKind::SetVertexShaderConstantF, start, data, count);
  }
  HRESULT SetPixelShaderConstantF(UINT start, const float* data, UINT count) override {
    return Constants(D3dCallKind::SetPixelShaderConstantF, start, data, count);
  }

  HRESULT SetFVF(DWORD fvf) override {
    RecordCall(D3dCallKind::SetFVF, {fvf});
    fvf_ = fvf;
    return D3D_OK;
  }
  HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertices, UINT stride) override {
    D3dCall& call = RecordCall(D3dCallKind::DrawPrimitiveUP, {type, primitiveCount, stride});
    // A stride shorter than the vertex format would read past each vertex; the OpenGL device
    // refuses it as well.
    if (vertices == nullptr || primitiveCount == 0 ||
        stride < static_cast<UINT>(d3d9facts::LayoutOfVertex(fvf_).size)) {
      return D3DERR_INVALIDCALL;
    }
    const int count = static_cast<int>(d3d9facts::VertexCount(type, primitiveCount));
    const auto* bytes = static_cast<const unsigned char*>(vertices);
    if (Settings().pixels && (fvf_ & D3DFVF_XYZRHW) != 0 && target_->hasPixels()) {
      const d3d9facts::VertexLayout layout = d3d9facts::LayoutOfVertex(fvf_);
      const bool textured = BoundTexture != nullptr && layout.textureSets >= 1;
      std::vector<RasterVertex> points(static_cast<size_t>(count));
      for (int i = 0; i < count; ++i) {
        const unsigned char* vertex = bytes + static_cast<size_t>(i) * stride;
        std::memcpy(&points[i].x, vertex, 4);
        std::memcpy(&points[i].y, vertex + 4, 4);
        points[i].diffuse = 0xFFFFFFFFu;
        if (layout.diffuse >= 0) std::memcpy(&points[i].diffuse, vertex + layout.diffuse, 4);
        points[i].u = points[i].v = 0;
        if (textured) {
          std::memcpy(&points[i].u, vertex + layout.textures, 4);
          std::memcpy(&points[i].v, vertex + layout.textures + 4, 4);
        }
      }
      std::shared_ptr<const Texels> texels = textured ? BoundTexture->texels() : nullptr;
      if (texels != raster_.texture) {
        raster_.texture = std::move(texels);
        snapshot_ = nullptr;
      }
      if (snapshot_ == nullptr) snapshot_ = std::make_shared<const RasterStates>(raster_);
      target_->queue(type, std::move(points), snapshot_);
    }
    if (snapshot_ == nullptr) snapshot_ = std::make_shared<const RasterStates>(raster_);
    call.states = snapshot_;
    if (!Settings().vertices) return D3D_OK;
    call.vertices.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) call.vertices.push_back(ReadVertex(bytes + static_cast<size_t>(i) * stride));
    return D3D_OK;
  }

  Surface* backBuffer() const { return backBuffer_; }

 private:
  HRESULT Constants(D3dCallKind kind, UINT start, const float* data, UINT count) {
    if (data == nullptr) return D3DERR_INVALIDCALL;
    RecordCall(kind, {start, count}).reals.assign(data, data + static_cast<size_t>(count) * 4);
    return D3D_OK;
  }

  // One vertex laid out by the current FVF.
  D3dVertex ReadVertex(const unsigned char* vertex) const {
    const d3d9facts::VertexLayout layout = d3d9facts::LayoutOfVertex(fvf_);
    auto read = [vertex](int offset, auto* value) { std::memcpy(value, vertex + offset, sizeof *value); };
    D3dVertex v;
    if ((fvf_ & D3DFVF_XYZRHW) != 0) {
      v.positioned = true;
      read(0, &v.x);
      read(4, &v.y);
      read(8, &v.z);
      read(12, &v.rhw);
    }
    if (layout.diffuse >= 0) read(layout.diffuse, &v.diffuse.emplace());
    if (layout.specular >= 0) read(layout.specular, &v.specular.emplace());
    for (int set = 0; set < layout.textureSets; ++set) {
      std::pair<float, float>& uv = v.uv.emplace_back();
      read(layout.textures + 8 * set, &uv.first);
      read(layout.textures + 8 * set + 4, &uv.second);
    }
    return v;
  }

  Surface* backBuffer_;
  Surface* target_;
  D3DVIEWPORT9 viewport_{};
  bool viewportSet_ = false;
  RasterStates raster_;
  std::shared_ptr<const RasterStates> snapshot_;
  bool inScene_ = false;
  DWORD fvf_ = 0;
};

class Direct3D final : public IDirect3D9, public Counted {
 public:
  ULONG AddRef() override { return AddRefCount(); }
  ULONG Release() override { return ReleaseCount(); }

  HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) override {
    RecordCall(D3dCallKind::GetAdapterDisplayMode, {adapter});
    if (mode == nullptr || adapter != 0) return D3DERR_INVALIDCALL;
    const FakeState& desktop = State();
    D3DFORMAT format = Settings().adapterFormat;
    if (format == D3DFMT_UNKNOWN) format = desktop.desktopDepth == 16 ? D3DFMT_R5G6B5 : D3DFMT_X8R8G8B8;
    *mode = {static_cast<UINT>(desktop.desktopWidth), static_cast<UINT>(desktop.desktopHeight), 60, format};
    return D3D_OK;
  }
  UINT GetAdapterModeCount(UINT adapter, D3DFORMAT format) override {
    RecordCall(D3dCallKind::GetAdapterModeCount, {adapter, format});
    if (adapter != 0) return 0;
    if (format == D3DFMT_R5G6B5) return Settings().r5g6b5Modes;
    return 4;
  }
  HRESULT CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE deviceType, D3DFORMAT surfaceFormat, BOOL windowed,
                                     D3DMULTISAMPLE_TYPE multiSample, DWORD* qualityLevels) override {
    const bool ok = static_cast<int>(multiSample) <= Settings().maxMultiSample;
    RecordCall(D3dCallKind::CheckDeviceMultiSampleType, {adapter, deviceType, surfaceFormat, windowed, multiSample})
        .result = ok ? "ok" : "refused";
    if (!ok) return D3DERR_NOTAVAILABLE;
    if (qualityLevels != nullptr) *qualityLevels = Settings().multiSampleQuality;
    return D3D_OK;
  }
  HRESULT CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE deviceType, D3DFORMAT adapterFormat,
                                 D3DFORMAT renderTargetFormat, D3DFORMAT depthStencilFormat) override {
    const bool ok = Settings().refusedDepthFormats.count(depthStencilFormat) == 0;
    RecordCall(D3dCallKind::CheckDepthStencilMatch,
               {adapter, deviceType, adapterFormat, renderTargetFormat, depthStencilFormat})
        .result = ok ? "ok" : "refused";
    return ok ? D3D_OK : D3DERR_NOTAVAILABLE;
  }
  HRESULT CheckDeviceFormat(UINT adapter, D3DDEVTYPE deviceType, D3DFORMAT adapterFormat, DWORD usage,
                            D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat) override {
    const bool ok = Settings().refusedFormats.count({checkFormat, usage}) == 0;
    RecordCall(D3dCallKind::CheckDeviceFormat, {adapter, deviceType, adapterFormat, usage, resourceType, checkFormat})
        .result = ok ? "ok" : "refused";
    return ok ? D3D_OK : D3DERR_NOTAVAILABLE;
  }
  HRESULT CreateDevice(UINT adapter, D3DDEVTYPE deviceType, HWND focusWindow, DWORD behaviorFlags,
                       D3DPRESENT_PARAMETERS* p, IDirect3DDevice9** device) override {
    const bool hardware = (behaviorFlags & D3DCREATE_HARDWARE_VERTEXPROCESSING) != 0;
    const bool fails = D3dFails(hardware ? D3dFailure::DeviceHardware : D3dFailure::DeviceSoftware);
    if (p == nullptr || device == nullptr) return D3DERR_INVALIDCALL;
    D3dCall& call =
        RecordCall(D3dCallKind::CreateDevice,
                   {adapter, deviceType, behaviorFlags, p->BackBufferWidth, p->BackBufferHeight, p->BackBufferFormat,
                    p->BackBufferCount, p->MultiSampleType, p->MultiSampleQuality, p->SwapEffect, p->Windowed,
                    p->EnableAutoDepthStencil, p->Flags, p->FullScreen_RefreshRateInHz, p->PresentationInterval});
    call.objects = {Named(focusWindow, "window"), Named(p->hDeviceWindow, "window")};
    call.result = fails ? "failed" : "ok";
    *device = nullptr;
    if (fails) return D3DERR_NOTAVAILABLE;
    Settings().behaviorFlags = behaviorFlags;
    Settings().parameters = *p;
    *device = new Device(*p);
    return D3D_OK;
  }
};

}  // namespace

void UseRecordingDevice(bool on) { Settings().recording = on; }
void SetD3dFailure(D3dFailure which, bool fail) { Settings().failures[static_cast<int>(which)] = fail; }
void RefuseFormat(D3DFORMAT format, DWORD usage) { Settings().refusedFormats.insert({format, usage}); }
void RefuseDepthFormat(D3DFORMAT format) { Settings().refusedDepthFormats.insert(format); }
void SetAdapterFormat(D3DFORMAT format) { Settings().adapterFormat = format; }
void SetR5G6B5ModeCount(UINT count) { Settings().r5g6b5Modes = count; }
void SetMultiSampleSupport(int maxType, DWORD qualityLevels) {
  Settings().maxMultiSample = maxType;
  Settings().multiSampleQuality = qualityLevels;
}
void SetBlendOpSupported(bool supported) { Settings().blendOp = supported; }
void SetMaxTextureSize(DWORD width, DWORD height) {
  Settings().maxTextureWidth = width;
  Settings().maxTextureHeight = height;
}
void SetShaderVersions(DWORD vertexShader, DWORD pixelShader) {
  Settings().vertexShaderVersion = vertexShader;
  Settings().pixelShaderVersion = pixelShader;
}

const std::vector<D3dCall>& D3dCallRecords() { return Settings().calls; }
std::vector<D3dCall> D3dCallsOf(D3dCallKind kind) {
  std::vector<D3dCall> found;
  for (const D3dCall& call : Settings().calls) {
    if (call.kind == kind) found.push_back(call);
  }
  return found;
}
void RecordVertices(bool on) { Settings().vertices = on; }
void RasterisePrimitives(bool on) { Settings().pixels = on; }
void ClearD3dCalls() { Settings().calls.clear(); }
int LiveD3dObjects() { return Settings().live; }
DWORD D3dBehaviorFlags() { return Settings().behaviorFlags; }
const D3DPRESENT_PARAMETERS& D3dPresentParameters() { return Settings().parameters; }
int D3dPresents() { return Settings().presents; }

std::vector<std::uint32_t> BackBufferPixels() {
  std::vector<std::uint32_t> pixels;
  if (CurrentDevice == nullptr) return pixels;
  Surface* back = CurrentDevice->backBuffer();
  back->settle();
  for (UINT y = 0; y < back->desc().Height; ++y) {
    for (UINT x = 0; x < back->desc().Width; ++x) pixels.push_back(back->pixel(x, y));
  }
  return pixels;
}

DWORD D3dStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type) {
  return CurrentDevice == nullptr ? 0 : CurrentDevice->stageState(stage, type);
}

void ResetD3d() {
  // Objects the last test left alive stay counted: a later check of LiveD3dObjects sees them.
  const int live = Settings().live;
  Settings() = D3dSettings{};
  Settings().live = live;
}

}  // namespace fake

IDirect3D9* Direct3DCreate9(UINT sdkVersion) {
  if (!fake::Settings().recording) return nullptr;
  fake::RecordCall(fake::D3dCallKind::Direct3DCreate9, {sdkVersion}).result =
      fake::D3dFails(fake::D3dFailure::Create) ? "null" : "";
  if (fake::D3dFails(fake::D3dFailure::Create) || sdkVersion != D3D_SDK_VERSION) return nullptr;
  return new (std::nothrow) fake::Direct3D;
}
