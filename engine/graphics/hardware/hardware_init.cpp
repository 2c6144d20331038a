// The device's first state after it is made: the vertex buffers, samplers, the fixed render
// states and a fresh cache, all sent out.
#include <cstring>

#include "../draw_state.h"
#include "../graphics_state.h"
#include "hardware_state.h"

void PrefillVertexBuffers();

int InitHardwareState() {
  if (GraphicsState.device == nullptr) return -1;
  const int bilinear = HardwareState.bilinear;
  HardwareState = HardwareStateRecord{};
  HardwareState.bilinear = bilinear;  // the filter setting outlives the device
  HardwareState.anisotropy = 1;
  PrefillVertexBuffers();

  for (DWORD stage = 0; stage < StageCount; ++stage) {
    SetDeviceSamplerState(stage, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
    SetDeviceSamplerState(stage, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
    const DWORD filter = bilinear ? D3DTEXF_LINEAR : D3DTEXF_POINT;
    SetDeviceSamplerState(stage, D3DSAMP_MINFILTER, filter);
    SetDeviceSamplerState(stage, D3DSAMP_MAGFILTER, filter);
    SetDeviceSamplerState(stage, D3DSAMP_MIPFILTER, filter);
  }
  SetDeviceRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  SetDeviceRenderState(D3DRS_LIGHTING, TRUE);
  SetDeviceRenderState(D3DRS_SHADEMODE, D3DSHADE_FLAT);
  SetDeviceRenderState(D3DRS_DITHERENABLE, FALSE);
  SetDeviceRenderState(D3DRS_SPECULARENABLE, TRUE);
  SetDeviceRenderState(D3DRS_AMBIENTMATERIALSOURCE, D3DMCS_MATERIAL);

  HardwareState.diffuseColor = 0xFFFFFFFFu;
  HardwareState.viewport = {
      0, 0, static_cast<DWORD>(GraphicsState.screenWidth), static_cast<DWORD>(GraphicsState.screenHeight), 0.0f, 1.0f};
  HardwareState.viewportKnown = true;
  HardwareState.scissor = {0, 0, GraphicsState.screenWidth, GraphicsState.screenHeight};
  HardwareState.scissorKnown = true;
  HardwareState.renderTarget = GraphicsState.backBuffer;
  HardwareState.texture = nullptr;
  HardwareState.blendMode = NoBlendModeDerived;  // the first primitive sends its states
  HardwareState.blendDirty = 1;
  ResendDeviceState();

  // A scene is open from the start, with one point at (0, 0) queued; it goes out with the
  // first flush, which comes before any clear or present.
  OpenScene();
  PrepareDrawState(0, nullptr, 0);
  auto* point = static_cast<VertexPlain*>(ReserveVertices(FormatPlain, D3DPT_POINTLIST, 1, false));
  *point = {0.0f, 0.0f, 0.0f, 1.0f, HardwareState.diffuseColor};
  CommitVertices(1);
  return 0;
}
