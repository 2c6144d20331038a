// The device state cache: a state goes to the device only when it differs from what was last
// sent, and the pending batch is drawn first so that it keeps the states it was built under.

#include "../../core/log.h"
#include "../draw_state.h"
#include "../graphics_state.h"
#include "hardware_state.h"

HardwareStateRecord HardwareState;

namespace {

IDirect3DDevice9* Device() { return GraphicsState.device; }

}  // namespace

void SetDeviceRenderState(D3DRENDERSTATETYPE state, DWORD value) {
  if (Device() == nullptr || state >= RenderStateSlots) return;
  HardwareStateRecord& h = HardwareState;
  if (!h.resending && h.renderKnown[state] && h.renderState[state] == value) return;
  if (!h.resending) FlushVertexBatch();
  Device()->SetRenderState(state, value);
  h.renderState[state] = value;
  h.renderKnown[state] = true;
}

void SetDeviceSamplerState(DWORD stage, D3DSAMPLERSTATETYPE type, DWORD value) {
  if (Device() == nullptr || stage >= StageCount || type >= SamplerStateSlots) return;
  HardwareStateRecord& h = HardwareState;
  if (!h.resending && h.samplerKnown[stage][type] && h.samplerState[stage][type] == value) return;
  if (!h.resending) FlushVertexBatch();
  Device()->SetSamplerState(stage, type, value);
  h.samplerState[stage][type] = value;
  h.samplerKnown[stage][type] = true;
}

void SetDeviceStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
  if (Device() == nullptr || stage >= StageCount || type >= StageStateSlots) return;
  HardwareStateRecord& h = HardwareState;
  if (!h.resending && h.stageKnown[stage][type] && h.stageState[stage][type] == value) return;
  if (!h.resending) FlushVertexBatch();
  Device()->SetTextureStageState(stage, type, value);
  h.stageState[stage][type] = value;
  h.stageKnown[stage][type] = true;
}

void SetDeviceTexture(DWORD stage, IDirect3DTexture9* texture) {
  if (Device() == nullptr || stage >= StageCount) return;
  HardwareStateRecord& h = HardwareState;
  if (!h.resending && h.stageTextureKnown[stage] && h.stageTexture[stage] == texture) return;
  if (!h.resending) FlushVertexBatch();
  Device()->SetTexture(stage, texture);
  h.stageTexture[stage] = texture;
  h.stageTextureKnown[stage] = true;
}

// The batch's own flush sets the FVF; it must not flush again.
void SetDeviceFvf(DWORD fvf) {
  if (Device() == nullptr) return;
  HardwareStateRecord& h = HardwareState;
  if (!h.resending && h.fvfKnown && h.fvf == fvf) return;
  Device()->SetFVF(fvf);
  h.fvf = fvf;
  h.fvfKnown = true;
}

int SetDeviceViewport(int x, int y, int width, int height) {
  if (Device() == nullptr) return -1;
  HardwareStateRecord& h = HardwareState;
  const D3DVIEWPORT9 viewport = {
      static_cast<DWORD>(x), static_cast<DWORD>(y), static_cast<DWORD>(width), static_cast<DWORD>(height), 0.0f, 1.0f};
  if (!h.resending && h.viewportKnown && h.viewport.X == viewport.X && h.viewport.Y == viewport.Y &&
      h.viewport.Width == viewport.Width && h.viewport.Height == viewport.Height) {
    return 0;  // the depth range is always 0..1
  }
  if (!h.resending) CloseScene();
  const HRESULT result = Device()->SetViewport(&viewport);
  if (FAILED(result)) {
    LogFormat("ビューポートのセットに失敗しました ErrorCode %x\n", static_cast<unsigned>(result));
    h.viewportKnown = false;
    return -1;
  }
  h.viewport = viewport;
  h.viewportKnown = true;
  return 0;
}

void SetDeviceRenderTarget(IDirect3DSurface9* surface) {
  if (Device() == nullptr || surface == nullptr) return;
  HardwareStateRecord& h = HardwareState;
  if (!h.resending && h.renderTarget == surface) return;
  CloseScene();
  Device()->SetRenderTarget(0, surface);
  h.renderTarget = surface;
  // Setting a target puts the device's viewport over the whole target; the cached one goes
  // out again so that the cache stays true.
  if (h.viewportKnown) Device()->SetViewport(&h.viewport);
}

void UnbindShaders() {
  if (Device() == nullptr) return;
  HardwareStateRecord& h = HardwareState;
  if (!h.resending && h.shadersKnown) return;
  Device()->SetVertexShader(nullptr);
  Device()->SetPixelShader(nullptr);
  h.shadersKnown = true;
}

void ResendDeviceState() {
  if (Device() == nullptr) return;
  CloseScene();
  HardwareStateRecord& h = HardwareState;
  h.resending = 1;
  if (h.viewportKnown) {
    const D3DVIEWPORT9 v = h.viewport;
    SetDeviceViewport(static_cast<int>(v.X), static_cast<int>(v.Y), static_cast<int>(v.Width),
                      static_cast<int>(v.Height));
  }
  if (h.scissorKnown) Device()->SetScissorRect(&h.scissor);
  for (int stage = 0; stage < StageCount; ++stage) {
    for (int type = 0; type < SamplerStateSlots; ++type) {
      if (h.samplerKnown[stage][type]) {
        SetDeviceSamplerState(stage, static_cast<D3DSAMPLERSTATETYPE>(type), h.samplerState[stage][type]);
      }
    }
  }
  for (int state = 0; state < RenderStateSlots; ++state) {
    if (h.renderKnown[state]) SetDeviceRenderState(static_cast<D3DRENDERSTATETYPE>(state), h.renderState[state]);
  }
  for (int stage = 0; stage < StageCount; ++stage) {
    if (h.stageTextureKnown[stage]) SetDeviceTexture(stage, h.stageTexture[stage]);
    for (int type = 0; type < StageStateSlots; ++type) {
      if (h.stageKnown[stage][type]) {
        SetDeviceStageState(stage, static_cast<D3DTEXTURESTAGESTATETYPE>(type), h.stageState[stage][type]);
      }
    }
  }
  if (h.fvfKnown) SetDeviceFvf(h.fvf);
  h.resending = 0;
  // The next primitive derives its blend and stage states afresh.
  h.blendDirty = 1;
}

void UpdateDiffuseColor() {
  const std::uint32_t alpha =
      DrawState.blendMode == BlendModeNone ? 255u : static_cast<std::uint32_t>(DrawState.blendParam);
  HardwareState.diffuseColor = (alpha << 24) | (static_cast<std::uint32_t>(DrawState.tint[0]) << 16) |
                               (static_cast<std::uint32_t>(DrawState.tint[1]) << 8) | DrawState.tint[2];
}
