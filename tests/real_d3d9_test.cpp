// The Direct3D 9 device on OpenGL, through the interface the engine calls, on a window of the
// real platform under X: capabilities, drawing read back from the back buffer, fills, copies,
// the presentation interval, and the window left usable for the software back-end.
#include <SDL.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "gl_renderer.h"
#include "platform/d3d9.h"
#include "platform/user32.h"
#include "sdl_video.h"

namespace {

constexpr int Width = 160, Height = 120;

struct PlainVertex {
  float x, y, z, rhw;
  D3DCOLOR diffuse;
};

void Pump() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

class RealDirect3D : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X display";
    ASSERT_TRUE(StartSdlVideo());
    className_ = "VornekDirect3DTest" + std::to_string(getpid());
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.lpszClassName = className_.c_str();
    ASSERT_NE(RegisterClassExA(&windowClass), 0);
    window_ = CreateWindowExA(0, className_.c_str(), "direct3d", WS_POPUP | WS_VISIBLE, 0, 0, Width, Height, nullptr,
                              nullptr, nullptr, nullptr);
    ASSERT_NE(window_, nullptr);
    Pump();
    direct3d_ = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(direct3d_, nullptr);
  }

  void TearDown() override {
    if (device_ != nullptr) device_->Release();
    if (direct3d_ != nullptr) direct3d_->Release();
    if (window_ != nullptr) DestroyWindow(window_);
    UnregisterClassA(className_.c_str(), nullptr);
  }

  D3DPRESENT_PARAMETERS Parameters(UINT interval = D3DPRESENT_INTERVAL_IMMEDIATE) {
    D3DPRESENT_PARAMETERS p{};
    p.BackBufferWidth = Width;
    p.BackBufferHeight = Height;
    p.BackBufferFormat = D3DFMT_X8R8G8B8;
    p.BackBufferCount = 1;
    p.SwapEffect = D3DSWAPEFFECT_COPY;
    p.hDeviceWindow = window_;
    p.Windowed = TRUE;
    p.PresentationInterval = interval;
    p.Flags = D3DPRESENTFLAG_LOCKABLE_BACKBUFFER;
    return p;
  }

  void CreateDevice(UINT interval = D3DPRESENT_INTERVAL_IMMEDIATE) {
    D3DPRESENT_PARAMETERS p = Parameters(interval);
    ASSERT_EQ(direct3d_->CreateDevice(0, D3DDEVTYPE_HAL, window_, D3DCREATE_HARDWARE_VERTEXPROCESSING, &p, &device_),
              D3D_OK);
    ASSERT_NE(device_, nullptr);
  }

  // The back buffer's pixels, top row first, X8R8G8B8.
  std::vector<std::uint32_t> ReadBackBuffer() {
    IDirect3DSurface9* back = nullptr;
    EXPECT_EQ(device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
    std::vector<std::uint32_t> pixels(Width * Height);
    D3DLOCKED_RECT locked{};
    EXPECT_EQ(back->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    for (int y = 0; y < Height; ++y) {
      std::memcpy(&pixels[y * Width], static_cast<std::uint8_t*>(locked.pBits) + y * locked.Pitch, Width * 4);
    }
    EXPECT_EQ(back->UnlockRect(), D3D_OK);
    back->Release();
    return pixels;
  }

  // The engine's untextured settings: stage 0 passes the diffuse colour.
  void UntexturedStates() {
    device_->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE);
    device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    device_->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    device_->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
    device_->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    device_->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_FLAT);
  }

  std::string className_;
  HWND window_ = nullptr;
  IDirect3D9* direct3d_ = nullptr;
  IDirect3DDevice9* device_ = nullptr;
};

TEST_F(RealDirect3D, CapabilitiesAndFormatsComeFromTheOpenGlContext) {
  D3DDISPLAYMODE mode{};
  ASSERT_EQ(direct3d_->GetAdapterDisplayMode(0, &mode), D3D_OK);
  EXPECT_EQ(mode.Format, D3DFMT_X8R8G8B8);  // xvfb-run's 24-bit screen keeps 32 bits a pixel
  EXPECT_EQ(direct3d_->CheckDeviceFormat(0, D3DDEVTYPE_HAL, mode.Format, 0, D3DRTYPE_TEXTURE, D3DFMT_A8R8G8B8), D3D_OK);
  EXPECT_EQ(direct3d_->CheckDeviceFormat(0, D3DDEVTYPE_HAL, mode.Format, 0, D3DRTYPE_TEXTURE, D3DFMT_DXT1),
            D3DERR_NOTAVAILABLE);
  EXPECT_EQ(direct3d_->CheckDeviceFormat(0, D3DDEVTYPE_HAL, mode.Format, D3DUSAGE_RENDERTARGET, D3DRTYPE_TEXTURE,
                                         D3DFMT_R5G6B5),
            D3DERR_NOTAVAILABLE);
  EXPECT_EQ(direct3d_->CheckDepthStencilMatch(0, D3DDEVTYPE_HAL, mode.Format, mode.Format, D3DFMT_D16), D3D_OK);
  CreateDevice();
  D3DCAPS9 caps{};
  ASSERT_EQ(device_->GetDeviceCaps(&caps), D3D_OK);
  EXPECT_TRUE(caps.PrimitiveMiscCaps & D3DPMISCCAPS_BLENDOP);
  EXPECT_GE(caps.MaxTextureWidth, 2048u);
  EXPECT_EQ(caps.MaxTextureWidth, caps.MaxTextureHeight);
  IDirect3DSurface9* back = nullptr;
  ASSERT_EQ(device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
  D3DSURFACE_DESC desc{};
  ASSERT_EQ(back->GetDesc(&desc), D3D_OK);
  EXPECT_EQ(desc.Format, D3DFMT_X8R8G8B8);
  EXPECT_EQ(desc.Width, static_cast<UINT>(Width));
  EXPECT_EQ(desc.Height, static_cast<UINT>(Height));
  back->Release();
}

TEST_F(RealDirect3D, LinesDrawnThroughTheDeviceReadBackFromTheBackBuffer) {
  CreateDevice();
  ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0), D3D_OK);
  UntexturedStates();
  ASSERT_EQ(device_->BeginScene(), D3D_OK);
  const PlainVertex lines[] = {{10, 5, 0.2f, 1, 0xFFFF0000},
                               {20, 5, 0.2f, 1, 0xFFFF0000},
                               {30, 40, 0.2f, 1, 0xFF00FF00},
                               {30, 30, 0.2f, 1, 0xFF00FF00}};
  ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_LINELIST, 2, lines, sizeof(PlainVertex)), D3D_OK);
  ASSERT_EQ(device_->EndScene(), D3D_OK);
  const std::vector<std::uint32_t> pixels = ReadBackBuffer();
  for (int x = 0; x < 25; ++x) {
    EXPECT_EQ(pixels[5 * Width + x] & 0xFFFFFF, x >= 10 && x < 20 ? 0xFF0000u : 0u) << "x " << x;
  }
  for (int y = 28; y < 42; ++y) {
    EXPECT_EQ(pixels[y * Width + 30] & 0xFFFFFF, y > 30 && y <= 40 ? 0x00FF00u : 0u) << "y " << y;
  }
}

TEST_F(RealDirect3D, ViewportAndScissorClipDrawingAndClear) {
  CreateDevice();
  ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0), D3D_OK);
  UntexturedStates();
  const D3DVIEWPORT9 viewport{20, 10, 40, 30, 0, 1};
  ASSERT_EQ(device_->SetViewport(&viewport), D3D_OK);
  ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FF, 1.0f, 0), D3D_OK);
  const RECT scissor{0, 0, 30, 200};
  device_->SetScissorRect(&scissor);
  device_->SetRenderState(D3DRS_SCISSORTESTENABLE, TRUE);
  const PlainVertex line[] = {{0, 20, 0.2f, 1, 0xFFFFFFFF}, {150, 20, 0.2f, 1, 0xFFFFFFFF}};
  ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_LINELIST, 1, line, sizeof(PlainVertex)), D3D_OK);
  const std::vector<std::uint32_t> pixels = ReadBackBuffer();
  EXPECT_EQ(pixels[5 * Width + 25] & 0xFFFFFF, 0u);          // above the viewport
  EXPECT_EQ(pixels[15 * Width + 25] & 0xFFFFFF, 0xFFu);      // cleared inside it
  EXPECT_EQ(pixels[20 * Width + 19] & 0xFFFFFF, 0u);         // line left of the viewport
  EXPECT_EQ(pixels[20 * Width + 25] & 0xFFFFFF, 0xFFFFFFu);  // inside both
  EXPECT_EQ(pixels[20 * Width + 35] & 0xFFFFFF, 0xFFu);      // right of the scissor
}

TEST_F(RealDirect3D, ColorFillStretchRectAndRenderTargets) {
  CreateDevice();
  IDirect3DSurface9* target = nullptr;
  ASSERT_EQ(
      device_->CreateRenderTarget(Width, Height, D3DFMT_X8R8G8B8, D3DMULTISAMPLE_NONE, 0, FALSE, &target, nullptr),
      D3D_OK);
  ASSERT_EQ(device_->ColorFill(target, nullptr, 0xFF102030), D3D_OK);
  const RECT spot{5, 6, 9, 8};
  ASSERT_EQ(device_->ColorFill(target, &spot, 0xFFFFFF00), D3D_OK);
  ASSERT_EQ(device_->SetRenderTarget(0, target), D3D_OK);
  UntexturedStates();
  const PlainVertex points[] = {{50, 50, 0.2f, 1, 0xFFFF00FF}};
  ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_POINTLIST, 1, points, sizeof(PlainVertex)), D3D_OK);
  IDirect3DSurface9* back = nullptr;
  ASSERT_EQ(device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
  ASSERT_EQ(device_->StretchRect(target, nullptr, back, nullptr, D3DTEXF_NONE), D3D_OK);
  back->Release();
  const std::vector<std::uint32_t> pixels = ReadBackBuffer();
  EXPECT_EQ(pixels[0] & 0xFFFFFF, 0x102030u);
  EXPECT_EQ(pixels[6 * Width + 5] & 0xFFFFFF, 0xFFFF00u);
  EXPECT_EQ(pixels[7 * Width + 8] & 0xFFFFFF, 0xFFFF00u);
  EXPECT_EQ(pixels[8 * Width + 8] & 0xFFFFFF, 0x102030u);
  EXPECT_EQ(pixels[50 * Width + 50] & 0xFFFFFF, 0xFF00FFu);
  target->Release();
}

TEST_F(RealDirect3D, TexturesWrittenThroughLocksAreDrawn) {
  CreateDevice();
  IDirect3DTexture9* texture = nullptr;
  ASSERT_EQ(device_->CreateTexture(4, 4, 1, 0, D3DFMT_R5G6B5, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
  D3DLOCKED_RECT locked{};
  ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
  for (int y = 0; y < 4; ++y) {
    auto* row = reinterpret_cast<std::uint16_t*>(static_cast<std::uint8_t*>(locked.pBits) + y * locked.Pitch);
    for (int x = 0; x < 4; ++x) row[x] = x < 2 ? 0xF800 : 0x001F;  // red left, blue right
  }
  ASSERT_EQ(texture->UnlockRect(0), D3D_OK);
  struct TexturedVertex {
    float x, y, z, rhw;
    D3DCOLOR diffuse;
    float u, v;
  };
  device_->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1);
  device_->SetTexture(0, texture);
  device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  device_->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  // A 4 × 4 quad at (−0.5, −0.5) maps texels to pixels one to one.
  const TexturedVertex quad[] = {{-0.5f, -0.5f, 0, 1, 0xFFFFFFFF, 0, 0},
                                 {3.5f, -0.5f, 0, 1, 0xFFFFFFFF, 1, 0},
                                 {-0.5f, 3.5f, 0, 1, 0xFFFFFFFF, 0, 1},
                                 {3.5f, 3.5f, 0, 1, 0xFFFFFFFF, 1, 1}};
  ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(TexturedVertex)), D3D_OK);
  const std::vector<std::uint32_t> pixels = ReadBackBuffer();
  EXPECT_EQ(pixels[1 * Width + 1] & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(pixels[2 * Width + 2] & 0xFFFFFF, 0x0000FFu);
  EXPECT_EQ(pixels[4 * Width + 4] & 0xFFFFFF, 0u);
  device_->SetTexture(0, nullptr);
  texture->Release();
}

// Many small DrawPrimitiveUP calls with the same states, as a disc's spans come, reach OpenGL as
// one draw.
TEST_F(RealDirect3D, ConsecutiveDrawsWithEqualStatesBecomeOneOpenGlDraw) {
  CreateDevice();
  UntexturedStates();
  const std::uint64_t before = gl::TotalDrawCalls();
  for (int row = 0; row < 100; ++row) {
    const PlainVertex span[] = {{10, static_cast<float>(row), 0.2f, 1, 0xFFFFFFFF},
                                {30, static_cast<float>(row), 0.2f, 1, 0xFFFFFFFF}};
    ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_LINELIST, 1, span, sizeof(PlainVertex)), D3D_OK);
  }
  ReadBackBuffer();
  EXPECT_EQ(gl::TotalDrawCalls() - before, 1u);
}

TEST_F(RealDirect3D, IntervalOneShowsOnePicturePerRefresh) {
  CreateDevice(D3DPRESENT_INTERVAL_ONE);
  IDirect3DSwapChain9* chain = nullptr;
  ASSERT_EQ(device_->GetSwapChain(0, &chain), D3D_OK);
  constexpr int Presents = 12;
  chain->Present(nullptr, nullptr, nullptr, nullptr, 0);
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < Presents; ++i) ASSERT_EQ(chain->Present(nullptr, nullptr, nullptr, nullptr, 0), D3D_OK);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  chain->Release();
  SDL_DisplayMode mode;
  int rate = SDL_GetCurrentDisplayMode(0, &mode) == 0 && mode.refresh_rate > 0 ? mode.refresh_rate : 60;
  EXPECT_GE(seconds, (Presents - 1) / static_cast<double>(rate));
}

// A full-screen device takes the display for its window, and gives the desktop back when it is
// reset to a window and when it goes.
TEST_F(RealDirect3D, FullScreenDeviceTakesTheDisplayAndGivesItBack) {
  SDL_DisplayMode desktop{};
  ASSERT_EQ(SDL_GetDesktopDisplayMode(0, &desktop), 0);
  D3DPRESENT_PARAMETERS p = Parameters();
  p.Windowed = FALSE;
  p.BackBufferWidth = static_cast<UINT>(desktop.w);
  p.BackBufferHeight = static_cast<UINT>(desktop.h);
  p.SwapEffect = D3DSWAPEFFECT_DISCARD;
  ASSERT_EQ(direct3d_->CreateDevice(0, D3DDEVTYPE_HAL, window_, D3DCREATE_HARDWARE_VERTEXPROCESSING, &p, &device_),
            D3D_OK);
  Pump();
  const auto fullScreen = [&] { return (SDL_GetWindowFlags(NativeWindowOf(window_)) & SDL_WINDOW_FULLSCREEN) != 0; };
  EXPECT_TRUE(fullScreen());
  D3DPRESENT_PARAMETERS small{};
  small.BackBufferWidth = small.BackBufferHeight = 100;
  small.BackBufferCount = 1;
  small.SwapEffect = D3DSWAPEFFECT_COPY;
  small.hDeviceWindow = window_;
  small.Windowed = TRUE;
  small.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
  ASSERT_EQ(device_->Reset(&small), D3D_OK);
  Pump();
  EXPECT_FALSE(fullScreen());
  ASSERT_EQ(device_->Reset(&p), D3D_OK);
  Pump();
  EXPECT_TRUE(fullScreen());
  device_->Release();
  device_ = nullptr;
  Pump();
  EXPECT_FALSE(fullScreen());
}

TEST_F(RealDirect3D, TheWindowSurfaceServesTheSoftwareBackEndAfterTheDeviceIsGone) {
  CreateDevice();
  device_->Release();
  device_ = nullptr;
  SDL_Surface* surface = SDL_GetWindowSurface(NativeWindowOf(window_));
  ASSERT_NE(surface, nullptr) << SDL_GetError();
  EXPECT_EQ(SDL_FillRect(surface, nullptr, 0), 0);
  EXPECT_EQ(SDL_UpdateWindowSurface(NativeWindowOf(window_)), 0) << SDL_GetError();
}

}  // namespace

namespace {

// Run with SDL_VIDEODRIVER=dummy (its own CTest entry): SDL drives no display OpenGL could draw
// on, so there is no Direct3D object and the engine takes its software back-end.
TEST(Direct3DWithoutDisplay, DummyVideoDriverGivesNoObject) {
  const char* driver = std::getenv("SDL_VIDEODRIVER");
  if (driver == nullptr || std::strcmp(driver, "dummy") != 0) GTEST_SKIP() << "runs under SDL's dummy driver";
  ASSERT_TRUE(StartSdlVideo());
  EXPECT_EQ(Direct3DCreate9(D3D_SDK_VERSION), nullptr);
}

}  // namespace
