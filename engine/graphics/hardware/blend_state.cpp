// Device states per primitive: blend factors and operation, alpha test, texture stages, shade
// mode, filters and depth, derived from the draw state and sent through the cache.
#include "../../color/color_data.h"
#include "../draw_state.h"
#include "../graphics_state.h"
#include "hardware_state.h"

// Indexed by blend mode; each row's comment names its mode.
const BlendStateRow BlendStateTable[BlendStateRows] = {
    {KeepDeviceValue, KeepDeviceValue, StageFamilyPlain, D3DBLENDOP_ADD},                 // BlendModeNone
    {D3DBLEND_INVSRCALPHA, D3DBLEND_SRCALPHA, StageFamilyPlain, D3DBLENDOP_ADD},          // BlendModeAlpha
    {D3DBLEND_ONE, D3DBLEND_SRCALPHA, StageFamilyPlain, D3DBLENDOP_ADD},                  // BlendModeAdd
    {D3DBLEND_ZERO, D3DBLEND_INVDESTCOLOR, StageFamilyPlain, D3DBLENDOP_ADD},             // BlendModeSubtract (inverts)
    {D3DBLEND_SRCCOLOR, D3DBLEND_ZERO, StageFamilyPlain, D3DBLENDOP_ADD},                 // BlendModeMultiply
    {D3DBLEND_ONE, D3DBLEND_SRCALPHA, StageFamilyPlain, D3DBLENDOP_ADD},                  // BlendModeSubtractMiddle
    {KeepDeviceValue, KeepDeviceValue, StageFamilyPlain, D3DBLENDOP_ADD},                 // BlendModeUnblended
    {KeepDeviceValue, KeepDeviceValue, StageFamilyPlain, D3DBLENDOP_ADD},                 // BlendModeKeptFactors
    {D3DBLEND_ONE, D3DBLEND_ZERO, StageFamilyPlain, D3DBLENDOP_ADD},                      // BlendModeKeepTarget
    {D3DBLEND_ZERO, D3DBLEND_INVDESTCOLOR, StageFamilyPlain, D3DBLENDOP_ADD},             // BlendModeInvert
    {D3DBLEND_INVSRCALPHA, D3DBLEND_SRCALPHA, StageFamilyInvertedAlpha, D3DBLENDOP_ADD},  // BlendModeInvertedAlpha
    {D3DBLEND_SRCCOLOR, D3DBLEND_ZERO, StageFamilyMultiplyAlpha, D3DBLENDOP_ADD},         // BlendModeMultiplyAlpha
    {D3DBLEND_ONE, D3DBLEND_SRCALPHA, StageFamilyPlain, D3DBLENDOP_REVSUBTRACT},          // BlendModeReverseSubtract
};

namespace {

// One untextured stage for the row's family, followed by a disabled stage.
StageSetting UntexturedStage(int mode, int family) {
  if (mode == BlendModeSubtract && !GraphicsState.blendOpSupported) {
    return {D3DTOP_SELECTARG1, D3DTA_DIFFUSE, D3DTA_CURRENT, D3DTOP_SELECTARG2, D3DTA_CURRENT, D3DTA_DIFFUSE};
  }
  switch (family) {
    case StageFamilyMultiplyAlpha:
      return {D3DTOP_BLENDDIFFUSEALPHA, D3DTA_DIFFUSE, D3DTA_TFACTOR, D3DTOP_SELECTARG1, D3DTA_DIFFUSE, D3DTA_CURRENT};
    case StageFamilyInvertedAlpha:
      return {D3DTOP_SELECTARG1, D3DTA_DIFFUSE | D3DTA_COMPLEMENT, D3DTA_CURRENT, D3DTOP_SELECTARG1, D3DTA_DIFFUSE,
              D3DTA_CURRENT};
    default:
      return {D3DTOP_SELECTARG2, D3DTA_CURRENT, D3DTA_DIFFUSE, D3DTOP_SELECTARG2, D3DTA_CURRENT, D3DTA_DIFFUSE};
  }
}

void SendStage(DWORD stage, const StageSetting& s) {
  SetDeviceStageState(stage, D3DTSS_COLOROP, s.colorOp);
  SetDeviceStageState(stage, D3DTSS_COLORARG1, s.colorArg1);
  SetDeviceStageState(stage, D3DTSS_COLORARG2, s.colorArg2);
  SetDeviceStageState(stage, D3DTSS_ALPHAOP, s.alphaOp);
  SetDeviceStageState(stage, D3DTSS_ALPHAARG1, s.alphaArg1);
  SetDeviceStageState(stage, D3DTSS_ALPHAARG2, s.alphaArg2);
}

int RowIndex(int mode) { return mode >= 0 && mode < BlendStateRows ? mode : BlendModeNone; }

}  // namespace

void ApplyBlendState() {
  if (GraphicsState.device == nullptr) return;
  HardwareStateRecord& h = HardwareState;
  const int mode = RowIndex(h.blendMode);
  const BlendStateRow& row = BlendStateTable[mode];
  const bool textured = h.texture != nullptr;
  const bool sourceAlpha = textured && h.sourceAlpha == SourceAlphaChannel;

  const bool blendByMode = mode != BlendModeNone && mode != BlendModeUnblended;
  SetDeviceRenderState(D3DRS_ALPHABLENDENABLE, (blendByMode || sourceAlpha) ? TRUE : FALSE);

  if (textured && h.sourceAlpha == SourceAlphaTest) {
    SetDeviceRenderState(D3DRS_ALPHATESTENABLE, TRUE);
    SetDeviceRenderState(D3DRS_ALPHAREF, 16);
    SetDeviceRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
  } else if (textured && h.renderKnown[D3DRS_ZENABLE] && h.renderState[D3DRS_ZENABLE] != FALSE) {
    SetDeviceRenderState(D3DRS_ALPHATESTENABLE, TRUE);
    SetDeviceRenderState(D3DRS_ALPHAREF, 0);
    SetDeviceRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
  } else {
    SetDeviceRenderState(D3DRS_ALPHATESTENABLE, FALSE);
  }

  int srcBlend = row.srcBlend, destBlend = row.destBlend, blendOp = row.blendOp;
  if (mode == BlendModeSubtract && GraphicsState.blendOpSupported) {
    destBlend = D3DBLEND_ONE;
    srcBlend = D3DBLEND_SRCALPHA;
    blendOp = D3DBLENDOP_REVSUBTRACT;
  }
  if (sourceAlpha && (mode == BlendModeNone || mode == BlendModeUnblended)) {
    srcBlend = D3DBLEND_SRCALPHA;
    destBlend = D3DBLEND_INVSRCALPHA;
  }
  if (srcBlend != KeepDeviceValue) SetDeviceRenderState(D3DRS_SRCBLEND, static_cast<DWORD>(srcBlend));
  if (destBlend != KeepDeviceValue) SetDeviceRenderState(D3DRS_DESTBLEND, static_cast<DWORD>(destBlend));
  if (blendOp != KeepDeviceValue) SetDeviceRenderState(D3DRS_BLENDOP, static_cast<DWORD>(blendOp));
  if (row.family == StageFamilyMultiplyAlpha) {
    const bool changed = !h.renderKnown[D3DRS_TEXTUREFACTOR] || h.renderState[D3DRS_TEXTUREFACTOR] != 0xFFFFFFFFu;
    SetDeviceRenderState(D3DRS_TEXTUREFACTOR, 0xFFFFFFFFu);
    if (changed) {
      // The same factor for programmable shaders: blue, green, red, alpha.
      const float factor[4] = {1.0f, 1.0f, 1.0f, 1.0f};
      GraphicsState.device->SetPixelShaderConstantF(5, factor, 1);
    }
  }

  SetDeviceTexture(0, h.texture);
  if (!textured) {
    SendStage(0, UntexturedStage(mode, row.family));
    SetDeviceStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    SetDeviceStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
  } else {
    const TextureStageTemplate& t =
        TextureStageTemplates[StageTemplateIndex(row.family, h.modulateAlpha, h.modulateColor, h.sourceAlpha)];
    for (int stage = 0; stage < t.stageCount; ++stage) {
      if (stage >= 2 && t.stages[stage - 1].alphaOp == D3DTOP_DISABLE) break;
      SendStage(static_cast<DWORD>(stage), t.stages[stage]);
    }
    if (t.stageCount < StageCount) {
      SetDeviceStageState(static_cast<DWORD>(t.stageCount), D3DTSS_COLOROP, D3DTOP_DISABLE);
      SetDeviceStageState(static_cast<DWORD>(t.stageCount), D3DTSS_ALPHAOP, D3DTOP_DISABLE);
    }
  }
  h.blendDirty = 0;
  h.textureDirty = 0;
}

void PrepareDrawState(int imageFlags, IDirect3DTexture9* texture, int flags) {
  if (GraphicsState.device == nullptr) return;
  HardwareStateRecord& h = HardwareState;
  UnbindShaders();

  if ((flags & PrepareKeepStates) == 0) {
    int alpha = SourceAlphaNone;
    if (texture != nullptr && (flags & PrepareTransparency) != 0) {
      const bool hasAlpha = (imageFlags & ImageHasAlpha) != 0, alphaTest = (imageFlags & ImageAlphaTest) != 0;
      if (!hasAlpha && !alphaTest) {
        alpha = SourceAlphaNone;
      } else if ((DrawState.blendMode != BlendModeNone && DrawState.blendMode != BlendModeKeepTarget) ||
                 ((flags & PrepareCallerFilters) == 0 && h.bilinear)) {
        alpha = SourceAlphaChannel;
      } else {
        alpha = hasAlpha ? SourceAlphaChannel : SourceAlphaTest;
      }
    }
    const bool white = DrawState.tint[0] == 255 && DrawState.tint[1] == 255 && DrawState.tint[2] == 255;
    const int modulateColor = (flags & PrepareModulateColor) != 0 || !white ? 1 : 0;
    const int modulateAlpha = (flags & PrepareModulateAlpha) != 0 || DrawState.blendMode != BlendModeNone ? 1 : 0;
    if (texture != h.texture || DrawState.blendMode != h.blendMode || alpha != h.sourceAlpha ||
        (texture != nullptr && (modulateColor != h.modulateColor || modulateAlpha != h.modulateAlpha))) {
      FlushVertexBatch();
      h.texture = texture;
      h.blendMode = DrawState.blendMode;
      h.sourceAlpha = alpha;
      h.modulateColor = modulateColor;
      h.modulateAlpha = modulateAlpha;
      h.blendDirty = 1;
    }
    if (h.blendDirty || h.textureDirty) ApplyBlendState();
  }

  SetDeviceRenderState(D3DRS_SHADEMODE, (flags & PrepareGouraud) != 0 ? D3DSHADE_GOURAUD : D3DSHADE_FLAT);
  const DWORD filter = h.bilinear ? D3DTEXF_LINEAR : D3DTEXF_POINT;
  SetDeviceSamplerState(0, D3DSAMP_MINFILTER, filter);
  SetDeviceSamplerState(0, D3DSAMP_MAGFILTER, filter);
  SetDeviceSamplerState(0, D3DSAMP_MAXANISOTROPY, static_cast<DWORD>(h.anisotropy));
  SetDeviceRenderState(D3DRS_ZENABLE, FALSE);
}

std::uint32_t PrimitiveDiffuse(std::uint32_t color) {
  int red = 0, green = 0, blue = 0;
  SplitColor(color, &red, &green, &blue);
  const std::uint32_t d = HardwareState.diffuseColor;
  const std::uint32_t r = ((d >> 16) & 0xFF) * static_cast<std::uint32_t>(red) / 255;
  const std::uint32_t g = ((d >> 8) & 0xFF) * static_cast<std::uint32_t>(green) / 255;
  const std::uint32_t b = (d & 0xFF) * static_cast<std::uint32_t>(blue) / 255;
  return (d & 0xFF000000u) | (r << 16) | (g << 8) | b;
}
