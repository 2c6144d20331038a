// Bringing the hardware back-end up and down: the Direct3D object, the device on the main
// window, its depth surface, the sub back buffer and the shaders. A failure on the way is
// logged and leaves the software back-end to serve.
#include <algorithm>

#include "../../core/engine_state.h"
#include "../../core/log.h"
#include "../graphics_state.h"
#include "hardware_state.h"
#include "platform/kernel32.h"

namespace {

template <typename T>
void ReleaseObject(T*& object) {
  if (object != nullptr) object->Release();
  object = nullptr;
}

int PowerOfTwoAtLeast(int n) {
  int p = 1;
  while (p < n) p *= 2;
  return p;
}

// Lowers type until the device accepts it for this format; 0 when none is left.
int AcceptedSampleType(D3DFORMAT format, int type, DWORD* quality) {
  for (; type > 0; --type) {
    if (SUCCEEDED(GraphicsState.direct3d->CheckDeviceMultiSampleType(
            D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, format, EngineState.Windowed ? TRUE : FALSE,
            static_cast<D3DMULTISAMPLE_TYPE>(type), quality))) {
      return type;
    }
  }
  return 0;
}

void ChooseMultiSampling(D3DFORMAT backBufferFormat) {
  if (GraphicsState.multiSampleType == 0) return;
  DWORD colorQuality = 0, depthQuality = 0;
  int type = AcceptedSampleType(backBufferFormat, GraphicsState.multiSampleType, &colorQuality);
  if (type != 0) type = AcceptedSampleType(D3DFMT_D16, type, &depthQuality);
  if (type == 0) {
    GraphicsState.multiSampleType = 0;
    GraphicsState.multiSampleQuality = 0;
    return;
  }
  const int best = static_cast<int>(std::min(colorQuality, depthQuality)) - 1;
  GraphicsState.multiSampleType = type;
  if (GraphicsState.multiSampleQuality > best) GraphicsState.multiSampleQuality = std::max(best, 0);
}

const char* ScreenFormatName(D3DFORMAT format) {
  switch (format) {
    case D3DFMT_X8R8G8B8:
      return "D3DFMT_X8R8G8B8";
    case D3DFMT_R5G6B5:
      return "D3DFMT_R5G6B5";
    case D3DFMT_X1R5G5B5:
      return "D3DFMT_X1R5G5B5";
    default:
      return nullptr;
  }
}

// Present parameters of the wanted mode; false for a full-screen depth the device cannot take.
bool FillPresentParameters(D3DPRESENT_PARAMETERS* p) {
  *p = D3DPRESENT_PARAMETERS{};
  p->BackBufferWidth = static_cast<UINT>(GraphicsState.screenWidth);
  p->BackBufferHeight = static_cast<UINT>(GraphicsState.screenHeight);
  p->BackBufferCount = 1;
  p->EnableAutoDepthStencil = FALSE;
  p->hDeviceWindow = EngineState.MainWindow;
  p->MultiSampleType = static_cast<D3DMULTISAMPLE_TYPE>(GraphicsState.multiSampleType);
  p->MultiSampleQuality = static_cast<DWORD>(GraphicsState.multiSampleQuality);
  p->PresentationInterval = GraphicsState.noVSyncWait == 0 ? D3DPRESENT_INTERVAL_ONE : D3DPRESENT_INTERVAL_IMMEDIATE;
  p->Flags = GraphicsState.multiSampleType == 0 ? D3DPRESENTFLAG_LOCKABLE_BACKBUFFER : 0;
  if (EngineState.Windowed) {
    p->Windowed = TRUE;
    D3DDISPLAYMODE desktop{};
    GraphicsState.direct3d->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &desktop);
    p->BackBufferFormat = desktop.Format;
    p->SwapEffect = GraphicsState.multiSampleType == 0 ? D3DSWAPEFFECT_COPY : D3DSWAPEFFECT_DISCARD;
    if (desktop.Format == D3DFMT_X8R8G8B8) {
      GraphicsState.screenBitDepth = 32;
    } else if (desktop.Format >= D3DFMT_R5G6B5 && desktop.Format <= D3DFMT_A1R5G5B5) {
      GraphicsState.screenBitDepth = 16;
    }
    return true;
  }
  p->Windowed = FALSE;
  p->FullScreen_RefreshRateInHz = static_cast<UINT>(GraphicsState.refreshRate);
  p->SwapEffect = GraphicsState.emulate320x240 ? D3DSWAPEFFECT_COPY : D3DSWAPEFFECT_DISCARD;
  if (GraphicsState.screenBitDepth == 32) {
    p->BackBufferFormat = D3DFMT_X8R8G8B8;
  } else if (GraphicsState.screenBitDepth == 16) {
    p->BackBufferFormat = GraphicsState.direct3d->GetAdapterModeCount(D3DADAPTER_DEFAULT, D3DFMT_R5G6B5) != 0
                              ? D3DFMT_R5G6B5
                              : D3DFMT_X1R5G5B5;
  } else {
    LogText("非対応のバックバッファービット深度が指定されました\n");
    return false;
  }
  return true;
}

void ReleaseDevice() {
  ReleaseObject(GraphicsState.backBuffer);
  ReleaseObject(GraphicsState.swapChain);
  ReleaseObject(GraphicsState.device);
}

}  // namespace

int CreateDirect3D() {
  ReleaseObject(GraphicsState.direct3d);
  LogText("IDirect3D9 オブジェクトを取得します.... ");
  auto create = reinterpret_cast<Direct3DCreate9Function>(GetProcAddress(GraphicsState.d3d9Library, "Direct3DCreate9"));
  if (create == nullptr) {
    LogText("Direct3DCreate9 APIのアドレス取得に失敗しました\n");
    return -1;
  }
  GraphicsState.direct3d = create(D3D_SDK_VERSION);
  if (GraphicsState.direct3d == nullptr) {
    LogText("IDirect3D9 オブジェクトの取得に失敗しました\n");
    return -1;
  }
  LogText("成功\n");
  return 0;
}

int CreateDisplayDevice() {
  IDirect3D9* direct3d = GraphicsState.direct3d;
  if (direct3d == nullptr) return -1;
  ReleaseDevice();
  LogText("IDirect3DDevice9 オブジェクトを取得します.... ");

  D3DPRESENT_PARAMETERS parameters;
  if (!FillPresentParameters(&parameters)) return -1;
  ChooseMultiSampling(parameters.BackBufferFormat);
  parameters.MultiSampleType = static_cast<D3DMULTISAMPLE_TYPE>(GraphicsState.multiSampleType);
  parameters.MultiSampleQuality = static_cast<DWORD>(GraphicsState.multiSampleQuality);

  const DWORD fpu = GraphicsState.fpuPreserve ? D3DCREATE_FPU_PRESERVE : 0;
  D3DPRESENT_PARAMETERS attempt = parameters;
  GraphicsState.hardwareVertexProcessing = 1;
  if (FAILED(direct3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, EngineState.MainWindow,
                                    D3DCREATE_HARDWARE_VERTEXPROCESSING | fpu, &attempt, &GraphicsState.device))) {
    GraphicsState.device = nullptr;
    GraphicsState.hardwareVertexProcessing = 0;
    attempt = parameters;
    if (FAILED(direct3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, EngineState.MainWindow,
                                      D3DCREATE_SOFTWARE_VERTEXPROCESSING | fpu, &attempt, &GraphicsState.device))) {
      GraphicsState.device = nullptr;
      LogText("Direct3DDevice9 の作成に失敗しました\n");
      return -1;
    }
  }
  IDirect3DDevice9* device = GraphicsState.device;
  LogText(GraphicsState.hardwareVertexProcessing ? "ハードウエア頂点演算を使用します\n"
                                                 : "ソフトウエア頂点演算を使用します\n");

  const float vertexConstant[4] = {0.0f, 1.0f, 0.0f, 0.0f};
  const float pixelConstant[4] = {0.0f, 0.5f, 1.0f, 2.0f};
  device->SetVertexShaderConstantF(0, vertexConstant, 1);
  device->SetPixelShaderConstantF(0, pixelConstant, 1);
  HardwareState.shadersKnown = false;
  device->SetRenderState(D3DRS_ZENABLE, TRUE);

  // Every buffer of the chain starts black.
  for (int i = 0; i < 3; ++i) {
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    device->Present(nullptr, nullptr, EngineState.MainWindow, nullptr);
  }
  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);

  if (FAILED(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &GraphicsState.backBuffer)) ||
      FAILED(device->GetSwapChain(0, &GraphicsState.swapChain))) {
    LogText("Direct3DDevice9 の作成に失敗しました\n");
    ReleaseDevice();
    return -1;
  }
  LogText("成功\n");
  GraphicsState.caps = D3DCAPS9{};
  device->GetDeviceCaps(&GraphicsState.caps);

  const D3DCAPS9& caps = GraphicsState.caps;
  GraphicsState.vertexShader20 = GraphicsState.hardwareVertexProcessing && (caps.VertexShaderVersion & 0xFFFF) >= 0x200;
  GraphicsState.pixelShader20 = GraphicsState.hardwareVertexProcessing && (caps.PixelShaderVersion & 0xFFFF) >= 0x200;
  GraphicsState.blendOpSupported = (caps.PrimitiveMiscCaps & D3DPMISCCAPS_BLENDOP) != 0;
  GraphicsState.maxTextureWidth = caps.MaxTextureWidth != 0 ? static_cast<int>(caps.MaxTextureWidth) : 256;
  GraphicsState.maxTextureHeight = caps.MaxTextureHeight != 0 ? static_cast<int>(caps.MaxTextureHeight) : 256;
  GraphicsState.maxTextureSize = std::min(GraphicsState.maxTextureWidth, GraphicsState.maxTextureHeight);

  D3DSURFACE_DESC desc{};
  GraphicsState.backBuffer->GetDesc(&desc);
  GraphicsState.backBufferFormat = desc.Format;
  if (const char* name = ScreenFormatName(desc.Format)) {
    LogFormat("画面のフォーマットは %s です", name);
  } else {
    LogFormat("バックバッファが対応していないフォーマット %d です", static_cast<int>(desc.Format));
  }

  static const struct {
    D3DFORMAT format;
    const char* name;
  } depthFormats[] = {{D3DFMT_D16, "D3DFMT_D16"}, {D3DFMT_D24X8, "D3DFMT_D24X8"}, {D3DFMT_D32, "D3DFMT_D32"}};
  TextureFormatTable[TextureDepth] = D3DFMT_UNKNOWN;
  for (const auto& depth : depthFormats) {
    if (SUCCEEDED(direct3d->CheckDepthStencilMatch(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, GraphicsState.backBufferFormat,
                                                   GraphicsState.backBufferFormat, depth.format))) {
      TextureFormatTable[TextureDepth] = depth.format;
      LogFormat("Ｚバッファのフォーマットは %s です", depth.name);
      break;
    }
  }
  if (TextureFormatTable[TextureDepth] == D3DFMT_UNKNOWN) {
    LogText("使用できる Zバッファフォーマットが見つかりませんでした\n");
    return -1;
  }
  return SelectTextureFormats();
}

int CreateDepthBuffer() {
  IDirect3DDevice9* device = GraphicsState.device;
  if (device == nullptr) return -1;
  ReleaseObject(GraphicsState.depthBuffer);
  LogText("Ｚバッファを作成します.... ");
  const int width = PowerOfTwoAtLeast(GraphicsState.screenWidth);
  const int height = PowerOfTwoAtLeast(GraphicsState.screenHeight);
  if (FAILED(device->CreateDepthStencilSurface(
          static_cast<UINT>(width), static_cast<UINT>(height), TextureFormatTable[TextureDepth],
          static_cast<D3DMULTISAMPLE_TYPE>(GraphicsState.multiSampleType),
          static_cast<DWORD>(GraphicsState.multiSampleQuality), TRUE, &GraphicsState.depthBuffer, nullptr))) {
    GraphicsState.depthBuffer = nullptr;
    LogText("Ｚバッファの作成に失敗しました\n");
    return -1;
  }
  GraphicsState.depthBufferWidth = width;
  GraphicsState.depthBufferHeight = height;
  device->SetDepthStencilSurface(GraphicsState.depthBuffer);
  device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
  LogText("成功\n");
  return 0;
}

int CreateSubBackBuffer() {
  IDirect3DDevice9* device = GraphicsState.device;
  if (device == nullptr) return -1;
  ReleaseObject(GraphicsState.subBackBuffer);
  if (FAILED(device->CreateRenderTarget(
          static_cast<UINT>(GraphicsState.screenWidth), static_cast<UINT>(GraphicsState.screenHeight),
          GraphicsState.backBufferFormat, static_cast<D3DMULTISAMPLE_TYPE>(GraphicsState.multiSampleType),
          static_cast<DWORD>(GraphicsState.multiSampleQuality), FALSE, &GraphicsState.subBackBuffer, nullptr))) {
    GraphicsState.subBackBuffer = nullptr;
    LogText("サブバックバッファの作成に失敗しました\n");
    return -1;
  }
  return 0;
}

// No shader pack is shipped, so no programmable shader is ever made; nothing drawn needs one.
void SetupShaders() {
  if (GraphicsState.device != nullptr) {
    GraphicsState.device->SetVertexShader(nullptr);
    GraphicsState.device->SetPixelShader(nullptr);
  }
  GraphicsState.shadersAvailable = 0;
  LogText("プログラマブルシェーダーを使用しません\n");
}

void ReleaseDisplayDevice() {
  if (GraphicsState.device != nullptr) CloseScene();
  ReleaseObject(GraphicsState.depthBuffer);
  ReleaseObject(GraphicsState.subBackBuffer);
  ReleaseObject(GraphicsState.backBuffer);
  ReleaseObject(GraphicsState.swapChain);
  if (GraphicsState.device != nullptr && !EngineState.Windowed) {
    D3DPRESENT_PARAMETERS small{};
    small.BackBufferWidth = 100;
    small.BackBufferHeight = 100;
    small.BackBufferFormat = D3DFMT_UNKNOWN;
    small.BackBufferCount = 1;
    small.SwapEffect = D3DSWAPEFFECT_COPY;
    small.hDeviceWindow = EngineState.MainWindow;
    small.Windowed = TRUE;
    small.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    GraphicsState.device->Reset(&small);
  }
  ReleaseObject(GraphicsState.device);
  ReleaseObject(GraphicsState.direct3d);
  HardwareState.sceneOpen = 0;
  HardwareState.batch.count = 0;
}
