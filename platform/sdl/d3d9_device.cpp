// The Direct3D 9 device on OpenGL: fixed-function states kept as the device was given them and
// turned into the drawing engine's settings at each draw; pre-transformed vertices read
// through the vertex format; one swap chain presenting the back buffer in the window.
#include <SDL.h>

#include <algorithm>
#include <array>
#include <cstring>

#include "d3d9_objects.h"
#include "platform/user32.h"
#include "sdl_video.h"

namespace d3d9gl {

namespace {

using d3d9facts::RenderStateCount;
using d3d9facts::SamplerStateCount;
using d3d9facts::StageStateCount;

GLenum BlendFactor(DWORD d3d) {
  switch (d3d) {
    case D3DBLEND_ZERO:
      return GL_ZERO;
    case D3DBLEND_ONE:
      return GL_ONE;
    case D3DBLEND_SRCCOLOR:
      return GL_SRC_COLOR;
    case D3DBLEND_INVSRCCOLOR:
      return GL_ONE_MINUS_SRC_COLOR;
    case D3DBLEND_SRCALPHA:
      return GL_SRC_ALPHA;
    case D3DBLEND_INVSRCALPHA:
      return GL_ONE_MINUS_SRC_ALPHA;
    case D3DBLEND_DESTALPHA:
      return GL_DST_ALPHA;
    case D3DBLEND_INVDESTALPHA:
      return GL_ONE_MINUS_DST_ALPHA;
    case D3DBLEND_DESTCOLOR:
      return GL_DST_COLOR;
    case D3DBLEND_INVDESTCOLOR:
      return GL_ONE_MINUS_DST_COLOR;
    case 11:
      return GL_SRC_ALPHA_SATURATE;
    default:
      return GL_ONE;
  }
}

GLenum BlendEquation(DWORD d3d) {
  switch (d3d) {
    case D3DBLENDOP_SUBTRACT:
      return GL_FUNC_SUBTRACT;
    case D3DBLENDOP_REVSUBTRACT:
      return GL_FUNC_REVERSE_SUBTRACT;
    case D3DBLENDOP_MIN:
      return GL_MIN;
    case D3DBLENDOP_MAX:
      return GL_MAX;
    default:
      return GL_FUNC_ADD;
  }
}

// A full-screen device takes the display mode of its back buffer through the window side, as
// the software back-end does; a windowed one gives the desktop its own mode back.
bool ApplyDisplayMode(const D3DPRESENT_PARAMETERS& p) {
  if (p.Windowed) return ChangeDisplaySettingsA(nullptr, 0) == DISP_CHANGE_SUCCESSFUL;
  DEVMODEA mode{};
  mode.dmSize = sizeof mode;
  mode.dmPelsWidth = p.BackBufferWidth;
  mode.dmPelsHeight = p.BackBufferHeight;
  mode.dmBitsPerPel = 32;
  mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
  if (p.FullScreen_RefreshRateInHz != 0) {
    mode.dmDisplayFrequency = p.FullScreen_RefreshRateInHz;
    mode.dmFields |= DM_DISPLAYFREQUENCY;
  }
  return ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN) == DISP_CHANGE_SUCCESSFUL;
}

// A surface without an alpha channel reads as opaque whatever alpha a fill brings.
D3DCOLOR FillColour(D3DFORMAT format, D3DCOLOR color) {
  return format == D3DFMT_X8R8G8B8 ? color | 0xFF000000u : color;
}

gl::PixelBounds Bounds(const RECT& r) { return gl::PixelBounds{r.left, r.top, r.right, r.bottom}; }

gl::PixelBounds Intersect(const gl::PixelBounds& a, const gl::PixelBounds& b) {
  return gl::PixelBounds{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                         std::min(a.bottom, b.bottom)};
}

class Device;

class SwapChain final : public IDirect3DSwapChain9 {
 public:
  explicit SwapChain(Device* device) : device_(device) {}
  ULONG AddRef() override;
  ULONG Release() override;
  HRESULT Present(const RECT* sourceRect, const RECT* destRect, HWND destWindow, const RGNDATA* dirtyRegion,
                  DWORD flags) override;

 private:
  Device* device_;
};

class Device final : public IDirect3DDevice9 {
 public:
  Device(std::shared_ptr<DeviceCore> core, const D3DPRESENT_PARAMETERS& parameters)
      : core_(std::move(core)), parameters_(parameters), swapChain_(this) {
    ResetStates();
  }

  bool MakeBackBuffer() {
    auto storage = std::make_unique<Storage>();
    storage->format = parameters_.BackBufferFormat;
    storage->usage = D3DUSAGE_RENDERTARGET;
    storage->width = static_cast<int>(parameters_.BackBufferWidth);
    storage->height = static_cast<int>(parameters_.BackBufferHeight);
    if (!core_->renderer.CreateTarget(storage->width, storage->height, false, &storage->target)) return false;
    backBuffer_ = new Surface(core_, std::move(storage));
    SetRenderTarget(0, backBuffer_);
    return true;
  }

  ULONG AddRef() override { return ++references_; }
  ULONG Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  HRESULT GetDeviceCaps(D3DCAPS9* caps) override {
    if (caps == nullptr) return D3DERR_INVALIDCALL;
    *caps = D3DCAPS9{};
    caps->DeviceType = D3DDEVTYPE_HAL;
    // OpenGL 3.3 blends with every operation; no Direct3D shader is served, so shader
    // versions stay 0.
    caps->PrimitiveMiscCaps = D3DPMISCCAPS_BLENDOP;
    caps->MaxTextureWidth = caps->MaxTextureHeight = static_cast<DWORD>(core_->renderer.maxTextureSize());
    return D3D_OK;
  }

  HRESULT GetBackBuffer(UINT swapChain, UINT index, D3DBACKBUFFER_TYPE, IDirect3DSurface9** surface) override {
    if (surface == nullptr) return D3DERR_INVALIDCALL;
    *surface = nullptr;
    if (swapChain != 0 || index != 0 || backBuffer_ == nullptr) return D3DERR_INVALIDCALL;
    backBuffer_->AddRef();
    *surface = backBuffer_;
    return D3D_OK;
  }

  HRESULT GetSwapChain(UINT index, IDirect3DSwapChain9** chain) override {
    if (chain == nullptr) return D3DERR_INVALIDCALL;
    *chain = nullptr;
    if (index != 0) return D3DERR_INVALIDCALL;
    swapChain_.AddRef();
    *chain = &swapChain_;
    return D3D_OK;
  }

  HRESULT Reset(D3DPRESENT_PARAMETERS* parameters) override {
    if (parameters == nullptr) return D3DERR_INVALIDCALL;
    D3DPRESENT_PARAMETERS p = *parameters;
    if (p.BackBufferFormat == D3DFMT_UNKNOWN) p.BackBufferFormat = parameters_.BackBufferFormat;
    if (!RenderTargetFormatSupported(p.BackBufferFormat) || p.BackBufferWidth == 0 || p.BackBufferHeight == 0) {
      return D3DERR_INVALIDCALL;
    }
    if (p.Windowed != parameters_.Windowed || !p.Windowed) {
      if (!ApplyDisplayMode(p)) return D3DERR_NOTAVAILABLE;
    }
    SetRenderTarget(0, nullptr);
    if (backBuffer_ != nullptr) backBuffer_->Release();
    backBuffer_ = nullptr;
    parameters_ = p;
    ResetStates();
    return MakeBackBuffer() ? D3D_OK : D3DERR_OUTOFVIDEOMEMORY;
  }

  HRESULT Present(const RECT* sourceRect, const RECT* destRect, HWND, const RGNDATA*) override {
    return PresentBackBuffer(sourceRect, destRect);
  }

  HRESULT PresentBackBuffer(const RECT* sourceRect, const RECT* destRect) {
    if (backBuffer_ == nullptr || !core_->alive) return D3DERR_INVALIDCALL;
    const gl::PixelBounds from = sourceRect != nullptr ? Bounds(*sourceRect) : gl::PixelBounds{};
    const gl::PixelBounds to = destRect != nullptr ? Bounds(*destRect) : gl::PixelBounds{};
    const bool wait = parameters_.PresentationInterval != D3DPRESENT_INTERVAL_IMMEDIATE;
    core_->renderer.Present(backBuffer_->storage().target, sourceRect != nullptr ? &from : nullptr,
                            destRect != nullptr ? &to : nullptr, wait);
    return D3D_OK;
  }

  HRESULT BeginScene() override {
    if (inScene_) return D3DERR_INVALIDCALL;
    inScene_ = true;
    return D3D_OK;
  }
  HRESULT EndScene() override {
    if (!inScene_) return D3DERR_INVALIDCALL;
    inScene_ = false;
    return D3D_OK;
  }

  HRESULT Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float, DWORD) override {
    if (renderTarget_ == nullptr || (count != 0 && rects == nullptr)) return D3DERR_INVALIDCALL;
    if (!(flags & D3DCLEAR_TARGET)) return D3D_OK;  // depth and stencil are not drawn with
    const gl::PixelBounds area = DrawArea();
    const gl::Target& target = renderTarget_->storage().target;
    color = FillColour(renderTarget_->storage().format, color);
    if (count == 0) {
      core_->renderer.Fill(target, area, color);
      return D3D_OK;
    }
    for (DWORD i = 0; i < count; ++i) {
      core_->renderer.Fill(target, Intersect(area, gl::PixelBounds{rects[i].x1, rects[i].y1, rects[i].x2, rects[i].y2}),
                           color);
    }
    return D3D_OK;
  }

  HRESULT ColorFill(IDirect3DSurface9* surface, const RECT* rect, D3DCOLOR color) override {
    auto* s = static_cast<Surface*>(surface);
    if (s == nullptr || !s->storage().renderable()) return D3DERR_INVALIDCALL;
    const Storage& st = s->storage();
    const gl::PixelBounds whole{0, 0, st.width, st.height};
    core_->renderer.Fill(st.target, rect != nullptr ? Intersect(whole, Bounds(*rect)) : whole,
                         FillColour(st.format, color));
    return D3D_OK;
  }

  HRESULT StretchRect(IDirect3DSurface9* source, const RECT* sourceRect, IDirect3DSurface9* dest, const RECT* destRect,
                      D3DTEXTUREFILTERTYPE filter) override {
    auto* s = static_cast<Surface*>(source);
    auto* d = static_cast<Surface*>(dest);
    if (s == nullptr || d == nullptr || s == d || !s->storage().renderable() || !d->storage().renderable()) {
      return D3DERR_INVALIDCALL;
    }
    const Storage& a = s->storage();
    const Storage& b = d->storage();
    const gl::PixelBounds from = sourceRect != nullptr ? Bounds(*sourceRect) : gl::PixelBounds{0, 0, a.width, a.height};
    const gl::PixelBounds to = destRect != nullptr ? Bounds(*destRect) : gl::PixelBounds{0, 0, b.width, b.height};
    if (from.left < 0 || from.top < 0 || from.right > a.width || from.bottom > a.height || to.left < 0 || to.top < 0 ||
        to.right > b.width || to.bottom > b.height) {
      return D3DERR_INVALIDCALL;
    }
    core_->renderer.Copy(a.target, from, b.target, to, filter == D3DTEXF_LINEAR);
    return D3D_OK;
  }

  HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL,
                        IDirect3DTexture9** texture, HANDLE*) override {
    if (texture == nullptr) return D3DERR_INVALIDCALL;
    *texture = nullptr;
    if (width == 0 || height == 0 || levels > 1) return D3DERR_INVALIDCALL;  // no mipmaps are served
    const bool target = (usage & D3DUSAGE_RENDERTARGET) != 0;
    if (!(target ? RenderTargetFormatSupported(format) : TextureFormatSupported(format))) {
      return D3DERR_INVALIDCALL;
    }
    auto storage = std::make_unique<Storage>();
    storage->format = format;
    storage->usage = usage & D3DUSAGE_RENDERTARGET;
    storage->width = static_cast<int>(width);
    storage->height = static_cast<int>(height);
    if (target) {
      if (!core_->renderer.CreateTarget(storage->width, storage->height, true, &storage->target)) {
        return D3DERR_OUTOFVIDEOMEMORY;
      }
    } else {
      storage->texture = core_->renderer.CreateTexture(storage->width, storage->height);
      if (storage->texture == 0) return D3DERR_OUTOFVIDEOMEMORY;
    }
    *texture = new Texture(core_, std::move(storage));
    return D3D_OK;
  }

  HRESULT CreateRenderTarget(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample, DWORD, BOOL,
                             IDirect3DSurface9** surface, HANDLE*) override {
    if (surface == nullptr) return D3DERR_INVALIDCALL;
    *surface = nullptr;
    if (!RenderTargetFormatSupported(format) || multiSample != D3DMULTISAMPLE_NONE || width == 0 || height == 0) {
      return D3DERR_INVALIDCALL;
    }
    auto storage = std::make_unique<Storage>();
    storage->format = format;
    storage->usage = D3DUSAGE_RENDERTARGET;
    storage->width = static_cast<int>(width);
    storage->height = static_cast<int>(height);
    if (!core_->renderer.CreateTarget(storage->width, storage->height, false, &storage->target)) {
      return D3DERR_OUTOFVIDEOMEMORY;
    }
    *surface = new Surface(core_, std::move(storage));
    return D3D_OK;
  }

  // Depth is not drawn with (two-dimensional drawing leaves the depth test off): the surface
  // is kept for its description only.
  HRESULT CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample, DWORD,
                                    BOOL, IDirect3DSurface9** surface, HANDLE*) override {
    if (surface == nullptr) return D3DERR_INVALIDCALL;
    *surface = nullptr;
    if (!DepthFormatSupported(format) || multiSample != D3DMULTISAMPLE_NONE || width == 0 || height == 0) {
      return D3DERR_INVALIDCALL;
    }
    auto storage = std::make_unique<Storage>();
    storage->format = format;
    storage->usage = D3DUSAGE_DEPTHSTENCIL;
    storage->width = static_cast<int>(width);
    storage->height = static_cast<int>(height);
    *surface = new Surface(core_, std::move(storage));
    return D3D_OK;
  }

  HRESULT SetRenderTarget(DWORD index, IDirect3DSurface9* surface) override {
    auto* s = static_cast<Surface*>(surface);
    if (index != 0 || (s != nullptr && !s->storage().renderable())) return D3DERR_INVALIDCALL;
    if (s != nullptr) s->AddRef();
    if (renderTarget_ != nullptr) renderTarget_->Release();
    renderTarget_ = s;
    core_->renderer.SetTarget(s != nullptr ? &s->storage().target : nullptr);
    // A new target gets a viewport and scissor rectangle covering all of it.
    if (s != nullptr) {
      viewport_ = D3DVIEWPORT9{
          0, 0, static_cast<DWORD>(s->storage().width), static_cast<DWORD>(s->storage().height), 0.0f, 1.0f};
      scissor_ = RECT{0, 0, s->storage().width, s->storage().height};
    }
    return D3D_OK;
  }

  HRESULT SetDepthStencilSurface(IDirect3DSurface9* surface) override {
    auto* s = static_cast<Surface*>(surface);
    if (s != nullptr && s->storage().usage != D3DUSAGE_DEPTHSTENCIL) return D3DERR_INVALIDCALL;
    if (s != nullptr) s->AddRef();
    if (depth_ != nullptr) depth_->Release();
    depth_ = s;
    return D3D_OK;
  }

  HRESULT SetViewport(const D3DVIEWPORT9* viewport) override {
    if (viewport == nullptr || renderTarget_ == nullptr) return D3DERR_INVALIDCALL;
    const Storage& t = renderTarget_->storage();
    if (static_cast<long long>(viewport->X) + viewport->Width > static_cast<long long>(t.width) ||
        static_cast<long long>(viewport->Y) + viewport->Height > static_cast<long long>(t.height)) {
      return D3DERR_INVALIDCALL;
    }
    viewport_ = *viewport;
    return D3D_OK;
  }

  HRESULT SetScissorRect(const RECT* rect) override {
    if (rect == nullptr) return D3DERR_INVALIDCALL;
    scissor_ = *rect;
    return D3D_OK;
  }

  HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override {
    if (state >= RenderStateCount) return D3DERR_INVALIDCALL;
    renderStates_[state] = value;
    return D3D_OK;
  }

  HRESULT SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) override {
    if (sampler >= D3DMAX_TEXTURE_STAGES || type >= SamplerStateCount) return D3DERR_INVALIDCALL;
    samplerStates_[sampler][type] = value;
    return D3D_OK;
  }

  HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override {
    if (stage >= D3DMAX_TEXTURE_STAGES || type >= StageStateCount) return D3DERR_INVALIDCALL;
    stageStates_[stage][type] = value;
    return D3D_OK;
  }

  HRESULT SetTexture(DWORD stage, IDirect3DTexture9* texture) override {
    if (stage >= D3DMAX_TEXTURE_STAGES) return D3DERR_INVALIDCALL;
    auto* t = static_cast<Texture*>(texture);
    if (t != nullptr) t->AddRef();
    if (textures_[stage] != nullptr) textures_[stage]->Release();
    textures_[stage] = t;
    return D3D_OK;
  }

  // No shader objects are served: only unbinding them is accepted.
  HRESULT SetVertexShader(IDirect3DVertexShader9* shader) override {
    return shader == nullptr ? D3D_OK : D3DERR_INVALIDCALL;
  }
  HRESULT SetPixelShader(IDirect3DPixelShader9* shader) override {
    return shader == nullptr ? D3D_OK : D3DERR_INVALIDCALL;
  }
  HRESULT SetVertexShaderConstantF(UINT, const float* data, UINT) override {
    return data != nullptr ? D3D_OK : D3DERR_INVALIDCALL;
  }
  HRESULT SetPixelShaderConstantF(UINT, const float* data, UINT) override {
    return data != nullptr ? D3D_OK : D3DERR_INVALIDCALL;
  }

  HRESULT SetFVF(DWORD fvf) override {
    fvf_ = fvf;
    return D3D_OK;
  }

  HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertices, UINT stride) override {
    if (vertices == nullptr || !(fvf_ & D3DFVF_XYZRHW) || renderTarget_ == nullptr) return D3DERR_INVALIDCALL;
    const std::size_t count = d3d9facts::VertexCount(type, primitiveCount);
    if (count == 0) return D3DERR_INVALIDCALL;
    const d3d9facts::VertexLayout layout = d3d9facts::LayoutOfVertex(fvf_);
    const int textureSets = layout.textureSets;
    if (stride < static_cast<UINT>(layout.size)) return D3DERR_INVALIDCALL;
    decoded_.resize(count);
    const auto* bytes = static_cast<const std::uint8_t*>(vertices);
    for (std::size_t i = 0; i < count; ++i) {
      const std::uint8_t* v = bytes + i * stride;
      gl::SourceVertex& out = decoded_[i];
      float position[3];
      std::memcpy(position, v, sizeof position);
      out.x = position[0];
      out.y = position[1];
      out.z = position[2];
      out.diffuse = 0xFFFFFFFF;
      if (layout.diffuse >= 0) std::memcpy(&out.diffuse, v + layout.diffuse, 4);
      for (int set = 0; set < 2; ++set) {
        float uv[2] = {0, 0};
        if (set < textureSets) std::memcpy(uv, v + layout.textures + 8 * set, sizeof uv);
        out.u[set] = uv[0];
        out.v[set] = uv[1];
      }
    }
    core_->renderer.Draw(static_cast<gl::Primitive>(type), decoded_.data(), count, primitiveCount, Settings());
    return D3D_OK;
  }

 private:
  ~Device() {
    for (Texture*& t : textures_) {
      if (t != nullptr) t->Release();
      t = nullptr;
    }
    if (renderTarget_ != nullptr) renderTarget_->Release();
    if (depth_ != nullptr) depth_->Release();
    if (backBuffer_ != nullptr) backBuffer_->Release();
    core_->renderer.Stop();
    core_->alive = false;
    if (!parameters_.Windowed) ChangeDisplaySettingsA(nullptr, 0);
  }

  // Direct3D 9's initial states, for those the drawing reads.
  void ResetStates() {
    for (DWORD state = 0; state < RenderStateCount; ++state) {
      renderStates_[state] = d3d9facts::DefaultRenderState(state, parameters_.EnableAutoDepthStencil != FALSE);
    }
    for (DWORD stage = 0; stage < D3DMAX_TEXTURE_STAGES; ++stage) {
      for (DWORD type = 0; type < StageStateCount; ++type)
        stageStates_[stage][type] = d3d9facts::DefaultStageState(stage, type);
      for (DWORD type = 0; type < SamplerStateCount; ++type)
        samplerStates_[stage][type] = d3d9facts::DefaultSamplerState(type);
    }
    fvf_ = 0;
  }

  // The viewport, narrowed to the scissor rectangle while the scissor test is on.
  gl::PixelBounds DrawArea() const {
    gl::PixelBounds area{static_cast<int>(viewport_.X), static_cast<int>(viewport_.Y),
                         static_cast<int>(viewport_.X + viewport_.Width),
                         static_cast<int>(viewport_.Y + viewport_.Height)};
    if (renderStates_[D3DRS_SCISSORTESTENABLE]) area = Intersect(area, Bounds(scissor_));
    return area;
  }

  // The drawing engine's settings for the current states. Settings that cannot change the
  // picture are left at zero, so that draws differing only in them still merge.
  gl::DrawSettings Settings() const {
    gl::DrawSettings s = gl::MakeDrawSettings(DrawArea());
    std::memset(&s.program.stages, 0, sizeof s.program.stages);
    for (int i = 0; i < gl::MaxStages; ++i) {
      const auto& st = stageStates_[i];
      if (st[D3DTSS_COLOROP] == D3DTOP_DISABLE) break;
      s.program.stages[i] = gl::StageOps{
          static_cast<std::uint8_t>(st[D3DTSS_COLOROP]),   static_cast<std::uint8_t>(st[D3DTSS_COLORARG1]),
          static_cast<std::uint8_t>(st[D3DTSS_COLORARG2]), static_cast<std::uint8_t>(st[D3DTSS_ALPHAOP]),
          static_cast<std::uint8_t>(st[D3DTSS_ALPHAARG1]), static_cast<std::uint8_t>(st[D3DTSS_ALPHAARG2])};
      if (textures_[i] != nullptr) {
        s.program.textured[i] = 1;
        s.textures[i] = textures_[i]->storage().sampled();
        const auto& sampler = samplerStates_[i];
        s.samplers[i] = gl::SamplerState{static_cast<std::uint8_t>(sampler[D3DSAMP_MINFILTER]),
                                         static_cast<std::uint8_t>(sampler[D3DSAMP_MAGFILTER]),
                                         static_cast<std::uint8_t>(sampler[D3DSAMP_ADDRESSU]),
                                         static_cast<std::uint8_t>(sampler[D3DSAMP_ADDRESSV])};
      } else {
        s.samplers[i] = gl::SamplerState{};
      }
    }
    for (int i = 0; i < gl::MaxStages; ++i) {
      if (!s.program.textured[i]) s.samplers[i] = gl::SamplerState{};
    }
    if (renderStates_[D3DRS_ALPHATESTENABLE] && renderStates_[D3DRS_ALPHAFUNC] != D3DCMP_ALWAYS) {
      s.program.alphaFunc = static_cast<std::uint8_t>(renderStates_[D3DRS_ALPHAFUNC]);
      s.alphaRef = renderStates_[D3DRS_ALPHAREF] & 0xFF;
    }
    if (renderStates_[D3DRS_ALPHABLENDENABLE]) {
      s.blend = 1;
      s.sourceFactor = BlendFactor(renderStates_[D3DRS_SRCBLEND]);
      s.destinationFactor = BlendFactor(renderStates_[D3DRS_DESTBLEND]);
      s.equation = BlendEquation(renderStates_[D3DRS_BLENDOP]);
    }
    s.textureFactor = renderStates_[D3DRS_TEXTUREFACTOR];
    s.flatShading = renderStates_[D3DRS_SHADEMODE] == D3DSHADE_FLAT ? 1 : 0;
    return s;
  }

  std::atomic<ULONG> references_{1};
  std::shared_ptr<DeviceCore> core_;
  D3DPRESENT_PARAMETERS parameters_;
  SwapChain swapChain_;
  Surface* backBuffer_ = nullptr;
  Surface* renderTarget_ = nullptr;
  Surface* depth_ = nullptr;
  std::array<Texture*, D3DMAX_TEXTURE_STAGES> textures_{};
  std::array<DWORD, RenderStateCount> renderStates_{};
  std::array<std::array<DWORD, StageStateCount>, D3DMAX_TEXTURE_STAGES> stageStates_{};
  std::array<std::array<DWORD, SamplerStateCount>, D3DMAX_TEXTURE_STAGES> samplerStates_{};
  DWORD fvf_ = 0;
  D3DVIEWPORT9 viewport_{};
  RECT scissor_{};
  bool inScene_ = false;
  std::vector<gl::SourceVertex> decoded_;
};

// The swap chain lives inside its device and keeps it alive while referenced.
ULONG SwapChain::AddRef() { return device_->AddRef(); }
ULONG SwapChain::Release() { return device_->Release(); }
HRESULT SwapChain::Present(const RECT* sourceRect, const RECT* destRect, HWND, const RGNDATA*, DWORD) {
  return device_->PresentBackBuffer(sourceRect, destRect);
}

}  // namespace

namespace {

HRESULT MakeDevice(HWND window, D3DPRESENT_PARAMETERS* parameters, IDirect3DDevice9** device) {
  if (device == nullptr) return D3DERR_INVALIDCALL;
  *device = nullptr;
  if (parameters == nullptr) return D3DERR_INVALIDCALL;
  D3DPRESENT_PARAMETERS p = *parameters;
  const HWND deviceWindow = p.hDeviceWindow != nullptr ? p.hDeviceWindow : window;
  if (NativeWindowOf(deviceWindow) == nullptr) return D3DERR_INVALIDCALL;
  // Refused before the window takes OpenGL: a window left with it would carry the software
  // back-end's picture through a visual chosen for a device that never came.
  if (!RenderTargetFormatSupported(p.BackBufferFormat) || p.MultiSampleType != D3DMULTISAMPLE_NONE ||
      p.BackBufferCount > 1) {
    return D3DERR_INVALIDCALL;
  }
  // Windows are made without OpenGL, so that the software back-end never loads it; the window
  // takes it only now that a device is wanted on it.
  SDL_Window* native = OpenGlWindowOf(deviceWindow);
  if (native == nullptr) {
    SDL_LogDebug(SDL_LOG_CATEGORY_RENDER, "no Direct3D 9 device on OpenGL: %s", SDL_GetError());
    return D3DERR_NOTAVAILABLE;
  }
  if (p.BackBufferWidth == 0 || p.BackBufferHeight == 0) {
    int w = 0, h = 0;
    SDL_GetWindowSize(native, &w, &h);
    if (p.BackBufferWidth == 0) p.BackBufferWidth = static_cast<UINT>(w);
    if (p.BackBufferHeight == 0) p.BackBufferHeight = static_cast<UINT>(h);
  }
  if (!p.Windowed && !ApplyDisplayMode(p)) return D3DERR_NOTAVAILABLE;
  auto core = std::make_shared<DeviceCore>();
  std::string error;
  if (!core->renderer.Start(native, &error)) {
    SDL_LogDebug(SDL_LOG_CATEGORY_RENDER, "no Direct3D 9 device on OpenGL: %s", error.c_str());
    if (!p.Windowed) ChangeDisplaySettingsA(nullptr, 0);
    RefuseOpenGl(deviceWindow);
    return D3DERR_NOTAVAILABLE;
  }
  core->alive = true;
  auto* created = new Device(core, p);
  if (!created->MakeBackBuffer()) {
    created->Release();  // gives the desktop its mode back
    return D3DERR_OUTOFVIDEOMEMORY;
  }
  *device = created;
  return D3D_OK;
}

}  // namespace

HRESULT CreateDevice(HWND window, D3DPRESENT_PARAMETERS* parameters, IDirect3DDevice9** device) {
  const HRESULT result = MakeDevice(window, parameters, device);
  // Made or refused, the window carries what it will draw with from here on: it may show.
  const HWND deviceWindow =
      parameters != nullptr && parameters->hDeviceWindow != nullptr ? parameters->hDeviceWindow : window;
  BackEndSettled(deviceWindow);
  return result;
}

}  // namespace d3d9gl
