// Graphics on the hardware back-end: each texture tile of a graphic becomes two triangles of
// the textured batch, clamped at the draw area with their texture coordinates moved along.
#include <algorithm>
#include <cstdint>

#include "../draw_state.h"
#include "../graphic_handle.h"
#include "../graphics_state.h"
#include "hardware_state.h"
#include "vornek.h"

namespace {

int ImageFlagsOf(const SharedImage* image) {
  return (image->flags.hasAlpha ? ImageHasAlpha : 0) | (image->flags.alphaTest ? ImageAlphaTest : 0);
}

struct Corner {
  float x, y, u, v;
};

// Appends one tile's quad given its top-left and bottom-right corners.
void AppendQuad(const TextureTile* tile, Corner tl, Corner br, std::uint32_t diffuse) {
  HardwareStateRecord& h = HardwareState;
  if (tile->texture != h.texture) {
    FlushVertexBatch();
    h.texture = tile->texture;
    h.textureDirty = 1;
  }
  if (h.blendDirty || h.textureDirty) ApplyBlendState();
  auto* v = static_cast<VertexTextured*>(ReserveVertices(FormatTextured, D3DPT_TRIANGLELIST, 6, true));
  const float z = DrawState.depth2D;
  const VertexTextured TL = {tl.x, tl.y, z, 1.0f, diffuse, tl.u, tl.v};
  const VertexTextured TR = {br.x, tl.y, z, 1.0f, 0, br.u, tl.v};
  const VertexTextured BL = {tl.x, br.y, z, 1.0f, 0, tl.u, br.v};
  const VertexTextured BR = {br.x, br.y, z, 1.0f, diffuse, br.u, br.v};
  v[0] = TL;
  v[1] = TR;
  v[2] = BL;
  v[3] = BR;
  v[4] = BL;
  v[5] = TR;
  CommitVertices(6);
}

// Moves a corner coordinate inside [low, high], its texture coordinate along by the same
// distance in texels.
void Clamp(float& p, float& t, float low, float high, float pixelsPerUnit, float scale) {
  if (p < low) {
    t += (low - p) / scale / pixelsPerUnit;
    p = low;
  } else if (p > high) {
    t -= (p - high) / scale / pixelsPerUnit;
    p = high;
  }
}

// b − a without leaving int on the way.
float Span(int a, int b) { return static_cast<float>(static_cast<std::int64_t>(b) - a); }

int DrawQuads(GraphicRecord* record, float originX, float originY, float scaleX, float scaleY, int transparency,
              int flags) {
  if (GraphicsState.device == nullptr) return -1;
  if (record->quadCount == 0 || record->quads[0].tile->texture == nullptr) return 0;
  OpenScene();
  // The caller's flag is TRUE or FALSE: any other bit would reach the draw-state flags.
  PrepareDrawState(ImageFlagsOf(record->image), record->quads[0].tile->texture,
                   (transparency != 0 ? PrepareTransparency : 0) | flags);
  const std::uint32_t diffuse = HardwareState.diffuseColor;
  const float* area = DrawState.drawAreaF;
  const Rect& a = DrawState.drawArea;
  // The area as float edges, on the same half-pixel grid as the quad origin.
  const float left = area[0] - 0.5f, top = area[1] - 0.5f, right = area[2] - 0.5f, bottom = area[3] - 0.5f;
  // A mirrored graphic runs left or up from its origin.
  const float spanX = static_cast<float>(record->width) * scaleX, spanY = static_cast<float>(record->height) * scaleY;
  const bool inside = originX + 0.5f + std::min(spanX, 0.0f) >= static_cast<float>(a.left) &&
                      originY + 0.5f + std::min(spanY, 0.0f) >= static_cast<float>(a.top) &&
                      originX + 0.5f + std::max(spanX, 0.0f) <= static_cast<float>(a.right) &&
                      originY + 0.5f + std::max(spanY, 0.0f) <= static_cast<float>(a.bottom);
  for (int i = 0; i < record->quadCount; ++i) {
    const GraphicQuad& q = record->quads[i];
    Corner tl = {originX + q.xa * scaleX, originY + q.ya * scaleY, q.ua, q.va};
    Corner br = {originX + q.xb * scaleX, originY + q.yb * scaleY, q.ub, q.vb};
    if (!inside) {
      const float tw = static_cast<float>(q.tile->textureWidth), th = static_cast<float>(q.tile->textureHeight);
      const float lo = std::min(tl.x, br.x), hi = std::max(tl.x, br.x);
      if (hi <= left || lo >= right) continue;
      if (std::max(tl.y, br.y) <= top || std::min(tl.y, br.y) >= bottom) continue;
      const float sx = scaleX < 0 ? -scaleX : scaleX, sy = scaleY < 0 ? -scaleY : scaleY;
      // A mirrored quad runs its texture the other way.
      const float dirX = scaleX < 0 ? -1.0f : 1.0f, dirY = scaleY < 0 ? -1.0f : 1.0f;
      float tu = tl.u * dirX, bu = br.u * dirX, tv = tl.v * dirY, bv = br.v * dirY;
      Clamp(tl.x, tu, left, right, tw, sx);
      Clamp(br.x, bu, left, right, tw, sx);
      Clamp(tl.y, tv, top, bottom, th, sy);
      Clamp(br.y, bv, top, bottom, th, sy);
      tl.u = tu * dirX, br.u = bu * dirX, tl.v = tv * dirY, br.v = bv * dirY;
    }
    AppendQuad(q.tile, tl, br, diffuse);
  }
  return 0;
}

}  // namespace

int HardwareDrawGraphAt(int x, int y, int handle, int transparency) {
  if (GraphicsState.device == nullptr) return -1;
  GraphicRecord* record = GraphicFromHandle(handle);
  if (record == nullptr) return -1;
  if (DrawState.drawAreaEmpty) return 0;
  return DrawQuads(record, static_cast<float>(x) - 0.5f, static_cast<float>(y) - 0.5f, 1.0f, 1.0f, transparency,
                   PrepareCallerFilters);
}

int HardwareDrawGraphStretched(int x1, int y1, int x2, int y2, int handle, int transparency) {
  if (GraphicsState.device == nullptr) return -1;
  GraphicRecord* record = GraphicFromHandle(handle);
  if (record == nullptr || x1 == x2 || y1 == y2) return -1;
  if (DrawState.drawAreaEmpty) return 0;
  const float sx = Span(x1, x2) / static_cast<float>(record->width);
  const float sy = Span(y1, y2) / static_cast<float>(record->height);
  return DrawQuads(record, static_cast<float>(x1) - 0.5f, static_cast<float>(y1) - 0.5f, sx, sy, transparency,
                   HardwareState.bilinear ? 0 : PrepareCallerFilters);
}

namespace {

// Narrows the draw area (not the viewport) for the time of one draw.
class NarrowedArea {
 public:
  NarrowedArea(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom)
      : saved_(DrawState.drawArea) {
    for (int i = 0; i < 4; ++i) savedF_[i] = DrawState.drawAreaF[i];
    // Within the saved area, so back inside int.
    Rect r{static_cast<int>(std::max<std::int64_t>(left, saved_.left)),
           static_cast<int>(std::max<std::int64_t>(top, saved_.top)),
           static_cast<int>(std::min<std::int64_t>(right, saved_.right)),
           static_cast<int>(std::min<std::int64_t>(bottom, saved_.bottom))};
    empty_ = r.left >= r.right || r.top >= r.bottom;
    DrawState.drawArea = r;
    DrawState.drawAreaF[0] = static_cast<float>(r.left);
    DrawState.drawAreaF[1] = static_cast<float>(r.top);
    DrawState.drawAreaF[2] = static_cast<float>(r.right);
    DrawState.drawAreaF[3] = static_cast<float>(r.bottom);
  }
  ~NarrowedArea() {
    DrawState.drawArea = saved_;
    for (int i = 0; i < 4; ++i) DrawState.drawAreaF[i] = savedF_[i];
  }
  bool empty() const { return empty_; }

 private:
  Rect saved_;
  float savedF_[4];
  bool empty_;
};

}  // namespace

int HardwareDrawGraphRect(int x, int y, int sourceX, int sourceY, int width, int height, int handle, int transparency,
                          int mirror) {
  if (GraphicsState.device == nullptr) return -1;
  GraphicRecord* record = GraphicFromHandle(handle);
  if (record == nullptr) return -1;
  if (DrawState.drawAreaEmpty || width <= 0 || height <= 0) return 0;
  NarrowedArea area(x, y, std::int64_t{x} + width, std::int64_t{y} + height);
  if (area.empty()) return 0;
  const float top = static_cast<float>(std::int64_t{y} - sourceY) - 0.5f;
  if (!mirror) {
    return DrawQuads(record, static_cast<float>(std::int64_t{x} - sourceX) - 0.5f, top, 1.0f, 1.0f, transparency,
                     PrepareCallerFilters);
  }
  // Mirrored: the graphic runs from its right edge to its left, placed so that the source
  // rectangle lands on the destination.
  const float right = static_cast<float>(std::int64_t{x} + width + sourceX) - 0.5f;
  return DrawQuads(record, right, top, -1.0f, 1.0f, transparency, HardwareState.bilinear ? 0 : PrepareCallerFilters);
}

int HardwareDrawGraphRectStretched(int x1, int y1, int x2, int y2, int sourceX, int sourceY, int width, int height,
                                   int handle, int transparency) {
  if (GraphicsState.device == nullptr) return -1;
  GraphicRecord* record = GraphicFromHandle(handle);
  if (record == nullptr || width <= 0 || height <= 0 || x1 == x2 || y1 == y2) return -1;
  if (DrawState.drawAreaEmpty) return 0;
  NarrowedArea area(std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2));
  if (area.empty()) return 0;
  // The whole graphic at the scale that makes the source rectangle fill the destination, placed
  // in floats so that a fractional scale does not move the texel edges.
  const float sx = Span(x1, x2) / static_cast<float>(width);
  const float sy = Span(y1, y2) / static_cast<float>(height);
  return DrawQuads(record, static_cast<float>(x1) - 0.5f - static_cast<float>(sourceX) * sx,
                   static_cast<float>(y1) - 0.5f - static_cast<float>(sourceY) * sy, sx, sy, transparency,
                   HardwareState.bilinear ? 0 : PrepareCallerFilters);
}
