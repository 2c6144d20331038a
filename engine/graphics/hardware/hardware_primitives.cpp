// Untextured primitives of the hardware back-end: lines, circles and discs, filled boxes and
// caller vertices. Lines and boxes go into the batch; circles and caller vertices are drawn at
// once after it.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "../../core/engine_state.h"
#include "../../core/fatal_error.h"
#include "../../core/handle.h"
#include "../../core/tracked_memory.h"
#include "../../window/window.h"
#include "../circle_walk.h"
#include "../draw_state.h"
#include "../graphic_handle.h"
#include "../graphics_state.h"
#include "hardware_state.h"
#include "vornek.h"

int HardwareLine(int x1, int y1, int x2, int y2, std::uint32_t color) {
  if (GraphicsState.device == nullptr) return -1;
  if (x1 == x2 && y1 == y2) return 0;
  OpenScene();
  PrepareDrawState(0, nullptr, PrepareModulateColor);
  const std::uint32_t diffuse = PrimitiveDiffuse(color);
  auto* v = static_cast<VertexPlain*>(ReserveVertices(FormatPlain, D3DPT_LINELIST, 2, false));
  const float z = DrawState.depth2D;
  float endX = static_cast<float>(x2), endY = static_cast<float>(y2);
  // A line leaves out its last pixel; an axis-aligned one ends a little short of it, so that
  // the end is never on a pixel's exit edge.
  if (x1 == x2) endY += y2 > y1 ? -0.1f : 0.1f;
  if (y1 == y2) endX += x2 > x1 ? -0.1f : 0.1f;
  v[0] = {static_cast<float>(x1), static_cast<float>(y1), z, 1.0f, diffuse};
  v[1] = {endX, endY, z, 1.0f, diffuse};
  CommitVertices(2);
  return 0;
}

namespace {

// A fixed array of vertices drawn as one primitive kind whenever it is full.
class DirectVertices {
 public:
  DirectVertices(D3DPRIMITIVETYPE type, int capacity, std::uint32_t diffuse)
      : type_(type), capacity_(capacity), diffuse_(diffuse) {}
  ~DirectVertices() { Draw(); }
  void Add(float x, float y) {
    vertices_[count_++] = {x, y, DrawState.depth2D, 1.0f, diffuse_};
    if (count_ == capacity_) Draw();
  }

 private:
  void Draw() {
    if (count_ == 0) return;
    GraphicsState.device->DrawPrimitiveUP(type_, static_cast<UINT>(PrimitiveCount(type_, count_)), vertices_,
                                          sizeof(VertexPlain));
    count_ = 0;
  }
  D3DPRIMITIVETYPE type_;
  int capacity_;
  std::uint32_t diffuse_;
  VertexPlain vertices_[40];
  int count_ = 0;
};

// A caller's coordinate truncated and moved by delta, held inside int (0 for not a number); the
// box it bounds is clipped to the draw area.
int BoxEdge(float v, int delta) {
  if (std::isnan(v)) return 0;
  const double edge = std::trunc(static_cast<double>(v)) + delta;
  return static_cast<int>(std::clamp(edge, static_cast<double>(std::numeric_limits<int>::min()),
                                     static_cast<double>(std::numeric_limits<int>::max())));
}

}  // namespace

int HardwareCircle(int x, int y, int r, std::uint32_t color, int fill) {
  if (GraphicsState.device == nullptr) return -1;
  OpenScene();
  PrepareDrawState(0, nullptr, PrepareModulateColor);
  FlushVertexBatch();
  SetDeviceFvf(VertexFormatFvf[FormatPlain]);
  const std::uint32_t diffuse = PrimitiveDiffuse(color);
  const Rect& a = DrawState.drawArea;
  const circle_walk::Area area{a.left, a.top, a.right, a.bottom};
  if (fill == 0) {
    DirectVertices points(D3DPT_POINTLIST, 40, diffuse);
    circle_walk::WalkOutline(x, y, r, area, [&](std::int64_t px, std::int64_t py) {
      points.Add(static_cast<float>(px), static_cast<float>(py));
    });
    return 0;
  }
  // Runs from (left, row) to (right, row), with the pixel at right left out.
  DirectVertices spans(D3DPT_LINELIST, 20, diffuse);
  const int height = DrawState.drawScreenHeight;
  circle_walk::WalkDisc(x, y, r, area, [&](std::int64_t row, std::int64_t left, std::int64_t right) {
    if (row >= height) return;
    spans.Add(static_cast<float>(left), static_cast<float>(row));
    spans.Add(static_cast<float>(right), static_cast<float>(row));
  });
  return 0;
}

int HardwareBox(int x1, int y1, int x2, int y2, std::uint32_t color) {
  if (GraphicsState.device == nullptr) return -1;
  const Rect& a = DrawState.drawArea;
  const int left = std::max(std::min(x1, x2), a.left), right = std::min(std::max(x1, x2), a.right);
  const int top = std::max(std::min(y1, y2), a.top), bottom = std::min(std::max(y1, y2), a.bottom);
  if (left >= right || top >= bottom) return 0;
  OpenScene();
  PrepareDrawState(0, nullptr, PrepareModulateColor);
  const std::uint32_t diffuse = PrimitiveDiffuse(color);
  const float z = DrawState.depth2D;
  const float l = static_cast<float>(left), t = static_cast<float>(top), r = static_cast<float>(right),
              b = static_cast<float>(bottom);
  auto* v = static_cast<VertexPlain*>(ReserveVertices(FormatPlain, D3DPT_TRIANGLELIST, 6, false));
  v[0] = {l, t, z, 1.0f, diffuse};
  v[1] = {r, t, z, 1.0f, diffuse};
  v[2] = {l, b, z, 1.0f, diffuse};
  v[3] = {r, b, z, 1.0f, diffuse};
  v[4] = {l, b, z, 1.0f, diffuse};
  v[5] = {r, t, z, 1.0f, diffuse};
  CommitVertices(6);
  return 0;
}

int DrawVertices2D(const Vertex2D* vertices, int count, D3DPRIMITIVETYPE type, int graphic, int transparency) {
  // NoGraphic: untextured. A graphic is drawn with its first texture, the one its u, v address.
  IDirect3DTexture9* texture = nullptr;
  int imageFlags = 0;
  if (graphic != NoGraphic) {
    const GraphicRecord* record = GraphicFromHandle(graphic);
    if (record == nullptr) return -1;
    if (!GraphicsState.useHardware || record->quadCount == 0 || record->quads[0].tile->texture == nullptr) return 0;
    texture = record->quads[0].tile->texture;
    imageFlags =
        (record->image->flags.hasAlpha ? ImageHasAlpha : 0) | (record->image->flags.alphaTest ? ImageAlphaTest : 0);
  }
  if (!GraphicsState.useHardware) return 0;
  if (GraphicsState.device == nullptr) return -1;
  if (vertices == nullptr || count <= 0) return 0;
  if (!EngineState.AppActive) WaitWhileInactive();

  constexpr int LocalVertices = 64;
  VertexTextured local[LocalVertices];
  VertexTextured* converted = local;
  if (count > LocalVertices) {
    converted =
        static_cast<VertexTextured*>(TrackedAlloc(sizeof(VertexTextured) * static_cast<std::size_t>(count), "", 0));
    if (converted == nullptr) return -1;
  }
  const bool blended = DrawState.blendMode != BlendModeNone;
  float left = vertices[0].x, right = vertices[0].x, top = vertices[0].y, bottom = vertices[0].y;
  for (int i = 0; i < count; ++i) {
    const Vertex2D& in = vertices[i];
    const std::uint32_t b = in.blue * DrawState.tint[2] / 255u, g = in.green * DrawState.tint[1] / 255u,
                        r = in.red * DrawState.tint[0] / 255u;
    const std::uint32_t a = blended ? in.alpha * static_cast<std::uint32_t>(DrawState.blendParam) / 255u : in.alpha;
    converted[i] = {in.x, in.y, 0.0f, 1.0f, (a << 24) | (r << 16) | (g << 8) | b, in.u, in.v};
    left = std::min(left, in.x);
    right = std::max(right, in.x);
    top = std::min(top, in.y);
    bottom = std::max(bottom, in.y);
  }

  const bool emulate = NeedsSubtractEmulation();
  const int boxLeft = BoxEdge(left, -1), boxTop = BoxEdge(top, -1);
  const int boxRight = BoxEdge(right, 1), boxBottom = BoxEdge(bottom, 1);
  if (emulate) SubtractEmulationStep(boxLeft, boxTop, boxRight, boxBottom, BlendModeSubtractMiddle);
  FlushVertexBatch();
  OpenScene();
  PrepareDrawState(imageFlags, texture, PrepareForCallerVertices | (transparency != 0 ? PrepareTransparency : 0));
  SetDeviceFvf(VertexFormatFvf[FormatTextured]);
  const int primitives = PrimitiveCount(type, count);
  if (primitives > 0) {
    GraphicsState.device->DrawPrimitiveUP(type, static_cast<UINT>(primitives), converted, sizeof(VertexTextured));
  }
  if (emulate) SubtractEmulationStep(boxLeft, boxTop, boxRight, boxBottom, BlendModeSubtract);
  if (converted != local) TrackedFree(converted);
  return 0;
}

bool NeedsSubtractEmulation() {
  return GraphicsState.useHardware && DrawState.blendMode == BlendModeSubtract && !GraphicsState.blendOpSupported;
}

void SubtractEmulationStep(int left, int top, int right, int bottom, int finalMode) {
  const int param = DrawState.blendParam;
  const std::uint8_t tint[3] = {DrawState.tint[0], DrawState.tint[1], DrawState.tint[2]};
  const bool white = tint[0] == 255 && tint[1] == 255 && tint[2] == 255;
  if (!white) SetTint(255, 255, 255);
  if (DrawState.blendMode != BlendModeSubtract || DrawState.blendParam != 255) SetBlendMode(BlendModeSubtract, 255);
  HardwareBox(left, top, right, bottom, MakeColor(255, 255, 255));
  SetTint(tint[0], tint[1], tint[2]);
  SetBlendMode(finalMode, param);
}
