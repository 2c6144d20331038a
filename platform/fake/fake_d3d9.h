// The fake platform's Direct3D 9: off by default (Direct3DCreate9 yields null, so the engine
// takes its software back-end). Switched on, Direct3DCreate9 yields a recording object whose
// device keeps every call with its arguments, and every DrawPrimitiveUP with its vertices, as
// lines of text. Render targets and the back buffer keep their pixels: clears, fills and copies
// reach them, and so do primitives, rasterised by Direct3D 9's rules through the texture stages
// (fake_raster.h). As on a real device, a new texture holds leftovers (0xCD in every byte) until
// it is written, and ColorFill takes only surfaces made to be drawn into.
#pragma once

#include <string>
#include <vector>

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

// Every call made on the Direct3D object, the device, its swap chain and its surfaces, one
// line each, in order; DrawPrimitiveUP adds one indented line per vertex.
const std::vector<std::string>& D3dCalls();
// Whether DrawPrimitiveUP's vertex lines are kept (default yes); long runs that only count
// draws go faster without them.
void RecordVertices(bool on);
// Whether primitives reach the pixels of the render target (default yes).
void RasterisePrimitives(bool on);
// The same lines joined with '\n' (each ending in one).
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
