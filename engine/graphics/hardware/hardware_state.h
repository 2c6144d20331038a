// HardwareState: the vertex batch, the scene bracket and the cache of every device state the
// hardware back-end sets. Everything here returns -1 (or does nothing) without a device.
#pragma once

#include <cstdint>

#include "../blend_modes.h"
#include "../subtract_emulation.h"
#include "platform/d3d9.h"

// Pre-transformed vertex layouts, one static buffer each.
struct VertexPlain {
  float x, y, z, rhw;
  std::uint32_t diffuse;
};
struct VertexTextured {
  float x, y, z, rhw;
  std::uint32_t diffuse;
  float u, v;
};
struct VertexTextured2 {
  float x, y, z, rhw;
  std::uint32_t diffuse, specular;
  float u1, v1, u2, v2;
};
static_assert(sizeof(VertexPlain) == 20 && sizeof(VertexTextured) == 28 && sizeof(VertexTextured2) == 40);

enum VertexFormat : int { FormatPlain = 0, FormatTextured = 1, FormatTextured2 = 2, VertexFormatCount = 3 };
constexpr DWORD VertexFormatFvf[VertexFormatCount] = {D3DFVF_XYZRHW | D3DFVF_DIFFUSE,
                                                      D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1,
                                                      D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX2};
constexpr int VertexFormatStride[VertexFormatCount] = {20, 28, 40};
constexpr int VertexFormatCapacity[VertexFormatCount] = {3225, 2340, 1638};

// Caller vertices of DrawVertices2D: position, texture coordinates and a colour as bytes.
struct Vertex2D {
  float x, y, u, v;
  std::uint8_t blue, green, red, alpha;
};

struct VertexBatchRecord {
  int format;  // VertexFormat
  D3DPRIMITIVETYPE type;
  int count;
  void* write;  // next free vertex of the format's buffer
};

// The alpha a textured source brings.
enum SourceAlphaKind : int { SourceAlphaNone = 0, SourceAlphaChannel = 1, SourceAlphaTest = 2 };

// Flags of PrepareDrawState.
constexpr int PrepareTransparency = 0x1;
constexpr int PrepareCallerFilters = 0x2;
constexpr int PrepareGouraud = 0x8;
// Set for the caller's own vertices (DrawVertices2D); nothing reads it yet.
constexpr int PrepareCallerVertices = 0x10;
constexpr int PrepareModulateColor = 0x20;
constexpr int PrepareModulateAlpha = 0x40;
constexpr int PrepareKeepStates = 0x100;
constexpr int PrepareSecondDepth = 0x800;
constexpr int PrepareStageSamplers = 0x1000;
// What DrawVertices2D asks for besides transparency.
constexpr int PrepareForCallerVertices =
    PrepareGouraud | PrepareCallerVertices | PrepareModulateColor | PrepareModulateAlpha | PrepareStageSamplers;

// Image flags a graphic brings to PrepareDrawState.
constexpr int ImageHasAlpha = 0x1;
constexpr int ImageAlphaTest = 0x2;

constexpr int RenderStateSlots = 256;
constexpr int SamplerStateSlots = 14;
constexpr int StageStateSlots = 33;
constexpr int StageCount = 8;

struct HardwareStateRecord {
  VertexBatchRecord batch;
  int sceneOpen;

  // The blend cache: what the blend and stage states were last derived from.
  IDirect3DTexture9* texture;
  int blendMode;  // or NoBlendModeDerived
  int sourceAlpha;
  int modulateColor;  // the diffuse colour modulates the texture's colour
  int modulateAlpha;  // ... and its alpha
  int blendDirty;
  int textureDirty;

  // Every device state as last sent; known = sent since the device was made.
  DWORD renderState[RenderStateSlots];
  bool renderKnown[RenderStateSlots];
  DWORD samplerState[StageCount][SamplerStateSlots];
  bool samplerKnown[StageCount][SamplerStateSlots];
  DWORD stageState[StageCount][StageStateSlots];
  bool stageKnown[StageCount][StageStateSlots];
  IDirect3DTexture9* stageTexture[StageCount];
  bool stageTextureKnown[StageCount];
  DWORD fvf;
  bool fvfKnown;
  D3DVIEWPORT9 viewport;
  bool viewportKnown;
  RECT scissor;
  bool scissorKnown;
  IDirect3DSurface9* renderTarget;
  bool shadersKnown;  // null vertex and pixel shaders bound
  int resending;      // ResendDeviceState: every state goes out whatever the cache says

  std::uint32_t diffuseColor;
  int bilinear;    // draw mode: 0 nearest, 1 bilinear
  int anisotropy;  // maximum anisotropy, default 1
};

extern HardwareStateRecord HardwareState;

// HardwareStateRecord::blendMode before the first primitive: whatever mode comes first differs.
constexpr int NoBlendModeDerived = -1;

// The texture formats chosen at device creation (0 = none available).
enum TextureFormatIndex : int {
  TextureColor16 = 0,
  TextureColor32 = 1,
  TextureAlpha16 = 2,
  TextureAlpha32 = 3,
  TextureAlphaTest16 = 4,
  TextureAlphaTest32 = 5,
  TextureDxt1 = 6,
  TextureTarget16 = 11,
  TextureTarget32 = 12,
  TextureTargetAlpha32 = 13,
  TextureTargetScreen = 14,
  TextureAlphaTestScreen = 15,
  TextureDepth = 16,
  TextureFormatCount = 17,
};
extern D3DFORMAT TextureFormatTable[TextureFormatCount];
// Fills entries 0-15 (16 is the depth format, chosen before); 0 / -1 with its log lines.
int SelectTextureFormats();

// Texture-stage settings, one stage each; a template is up to four.
struct StageSetting {
  DWORD colorOp, colorArg1, colorArg2, alphaOp, alphaArg1, alphaArg2;
};
struct TextureStageTemplate {
  int stageCount;
  StageSetting stages[4];
};
constexpr int TextureStageTemplateCount = 60;
extern const TextureStageTemplate TextureStageTemplates[TextureStageTemplateCount];
// 3 × (I + 2H + 8 × family) + A.
constexpr int StageTemplateIndex(int family, int modulateAlpha, int modulateColor, int alphaKind) {
  return 3 * (modulateAlpha + 2 * modulateColor + 8 * family) + alphaKind;
}

// The texture-stage family a blend mode draws with (the template index's family).
enum StageFamily : int { StageFamilyPlain = 0, StageFamilyMultiplyAlpha = 1, StageFamilyInvertedAlpha = 2 };

// Blend mode -> device states; KeepDeviceValue keeps the previous value.
constexpr int KeepDeviceValue = -1;
struct BlendStateRow {
  int destBlend, srcBlend, family, blendOp;  // family: StageFamily
};
constexpr int BlendStateRows = BlendModeCount;
extern const BlendStateRow BlendStateTable[BlendStateRows];

// The state cache: each sends only on change (flushing the batch first) unless resending.
void SetDeviceRenderState(D3DRENDERSTATETYPE state, DWORD value);
void SetDeviceSamplerState(DWORD stage, D3DSAMPLERSTATETYPE type, DWORD value);
void SetDeviceStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value);
void SetDeviceTexture(DWORD stage, IDirect3DTexture9* texture);
void SetDeviceFvf(DWORD fvf);
// Flushes and closes the scene first; logs a failure.
int SetDeviceViewport(int x, int y, int width, int height);
// Flushes and closes the scene first; a new target needs its viewport sent again.
void SetDeviceRenderTarget(IDirect3DSurface9* surface);
void UnbindShaders();

int InitHardwareState();
void ResendDeviceState();
void UpdateDiffuseColor();

void OpenScene();
// Flushes the batch and ends an open scene.
void CloseScene();
int FlushVertexBatch();
// Room for count vertices of this format and type at the batch's end (flushing as needed);
// the caller writes them there and then calls CommitVertices.
void* ReserveVertices(int format, D3DPRIMITIVETYPE type, int count, bool quads);
void CommitVertices(int count);
int PrimitiveCount(D3DPRIMITIVETYPE type, int vertices);

void PrepareDrawState(int imageFlags, IDirect3DTexture9* texture, int flags);
void ApplyBlendState();

// The diffuse colour for a primitive of this colour value: its channels scaled by the tint,
// with the draw alpha.
std::uint32_t PrimitiveDiffuse(std::uint32_t color);

int HardwareLine(int x1, int y1, int x2, int y2, std::uint32_t color);
int HardwareCircle(int x, int y, int r, std::uint32_t color, int fill);
int HardwareBox(int x1, int y1, int x2, int y2, std::uint32_t color);
// count / 3 filled triangles, vertex i at (xy[2i], xy[2i + 1]), in the triangle-list batch.
int HardwareTriangles(const float* xy, int count, std::uint32_t color);
// graphic NoGraphic: no texture; otherwise a graphic handle, drawn with its first texture.
int DrawVertices2D(const Vertex2D* vertices, int count, D3DPRIMITIVETYPE type, int graphic, int transparency);

// NeedsSubtractEmulation and SubtractEmulationStep: see ../subtract_emulation.h.

int HardwareClearScreen();
int HardwarePresentScreen();
int EnsureSubBackBuffer();
