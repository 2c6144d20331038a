// The fake platform's Direct3D 9: off by default (Direct3DCreate9 yields null, so the engine
// takes its software back-end). Switched on, Direct3DCreate9 yields a recording object whose
// device keeps every call as a record of its kind and arguments, a draw with its vertices and the
// states it went out with; the records become text only to be shown. Render targets and the back buffer keep their
// pixels: clears, fills and copies reach them, and so do primitives, rasterised by Direct3D 9's rules through the
// texture stages (fake_raster.h). As on a real device, a new texture holds leftovers (0xCD in every byte) until it is
// written, and ColorFill takes only surfaces made to be drawn into.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "fake_raster.h"
#include "platform/d3d9.h"

namespace fake {

void UseRecordingDevice(bool on);

enum class D3dFailure {
  Create,               // Direct3DCreate9 yields null
  DeviceHardware,       // CreateDevice with hardware vertex processing
  DeviceSoftware,       // CreateDevice with software vertex processing
  DepthStencilSurface,  // CreateDepthStencilSurface
  RenderTarget,         // CreateRenderTarget
  Texture,              // CreateTexture
  Count,
};
void SetD3dFailure(D3dFailure which, bool fail);

// CheckDeviceFormat refuses this format with this usage (0 or D3DUSAGE_RENDERTARGET).
void RefuseFormat(D3DFORMAT format, DWORD usage);
// CheckDepthStencilMatch refuses this depth format.
void RefuseDepthFormat(D3DFORMAT format);
// The desktop format GetAdapterDisplayMode reports; UNKNOWN (the default) follows the fake
// desktop's depth: X8R8G8B8 for 32 bits, R5G6B5 for 16.
void SetAdapterFormat(D3DFORMAT format);
// Full-screen modes offered in R5G6B5 (default 4).
void SetR5G6B5ModeCount(UINT count);
// Multisample types up to maxType are accepted with this many quality levels (default: none).
void SetMultiSampleSupport(int maxType, DWORD qualityLevels);
// Capabilities GetDeviceCaps reports. Defaults: blend operations, 2048 × 2048 textures, shader
// versions 2.0.
void SetBlendOpSupported(bool supported);
void SetMaxTextureSize(DWORD width, DWORD height);
void SetShaderVersions(DWORD vertexShader, DWORD pixelShader);

// The calls the recording keeps, on the Direct3D object, the device, its swap chain and its
// surfaces.
enum class D3dCallKind {
  Direct3DCreate9,
  GetAdapterDisplayMode,
  GetAdapterModeCount,
  CheckDeviceMultiSampleType,
  CheckDepthStencilMatch,
  CheckDeviceFormat,
  CreateDevice,
  GetDeviceCaps,
  GetBackBuffer,
  GetSwapChain,
  Reset,
  Present,
  SwapChainPresent,
  BeginScene,
  EndScene,
  Clear,
  ColorFill,
  StretchRect,
  CreateTexture,
  CreateRenderTarget,
  CreateDepthStencilSurface,
  SetRenderTarget,
  SetDepthStencilSurface,
  SetViewport,
  SetScissorRect,
  SetRenderState,
  SetSamplerState,
  SetTextureStageState,
  SetTexture,
  SetVertexShader,
  SetPixelShader,
  SetVertexShaderConstantF,
  SetPixelShaderConstantF,
  SetFVF,
  DrawPrimitiveUP,
};

struct D3dRect {
  LONG left, top, right, bottom;
  bool operator==(const D3dRect&) const = default;
};

// One vertex as DrawPrimitiveUP received it, read through the vertex format then set.
struct D3dVertex {
  bool positioned = false;  // the format has a pre-transformed position
  float x = 0, y = 0, z = 0, rhw = 0;
  std::optional<D3DCOLOR> diffuse, specular;
  std::vector<std::pair<float, float>> uv;  // one (u, v) per texture coordinate set
  bool operator==(const D3dVertex&) const = default;
};

// One call, its arguments sorted by kind, each kind in the order the call takes them:
// - numbers: counts, sizes, indices, formats, flags, colours, states and their values; for
//   CreateDevice the present parameters' numbers follow the behaviour flags, for Reset they are
//   all it has. A BOOL is 0 or 1.
// - reals: Clear's depth, the viewport's depth range, shader constants.
// - objects: surfaces and textures by the name the device gave them ("backbuffer",
//   "target1", "texture2", "texture2/0" for a level), "unknown" for one it did not make,
//   windows as "window", Clear's rectangles as "rects", region and shader arguments as
//   "region" and "shader"; "null" for none.
// - rects: rectangle arguments, nullopt for a null one.
// - result: what the call answered where its line shows it ("ok", "refused", "failed", "null",
//   or the name of the object it made); empty elsewhere.
struct D3dCall {
  D3dCallKind kind;
  std::vector<std::int64_t> numbers;
  std::vector<float> reals;
  std::vector<std::string> objects;
  std::vector<std::optional<D3dRect>> rects;
  std::string result;
  // DrawPrimitiveUP: the vertices (while they are recorded) and the device states in force
  // (its texels only while primitives are rasterised).
  std::vector<D3dVertex> vertices;
  std::shared_ptr<const RasterStates> states;
};

// Every call made, in order.
const std::vector<D3dCall>& D3dCallRecords();
// The calls of one kind, in order.
std::vector<D3dCall> D3dCallsOf(D3dCallKind kind);
// Whether DrawPrimitiveUP's vertices are kept (default yes); long runs that only count draws go
// faster without them.
void RecordVertices(bool on);
// Whether primitives reach the pixels of the render target (default yes).
void RasterisePrimitives(bool on);
// For failure messages: a call as a line of text, a draw followed by one indented line per
// vertex, each line ending in '\n'; and every call so far.
std::string FormatD3dCall(const D3dCall& call);
std::string D3dDump();
void ClearD3dCalls();
// Direct3D objects alive (the Direct3D object, device, swap chain, surfaces, textures).
int LiveD3dObjects();
// The device's behaviour flags at its creation, and its present parameters (zero before).
DWORD D3dBehaviorFlags();
const D3DPRESENT_PARAMETERS& D3dPresentParameters();
// Presents made through the swap chain or the device.
int D3dPresents();
// The back buffer's pixels (A8R8G8B8 or the 16-bit format, row after row), empty without a
// device.
std::vector<std::uint32_t> BackBufferPixels();

// What the device holds for a texture stage's state now (its default until the engine sets it;
// 0 without a device).
DWORD D3dStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type);

// Back to the defaults (part of ResetPlatform).
void ResetD3d();

}  // namespace fake
