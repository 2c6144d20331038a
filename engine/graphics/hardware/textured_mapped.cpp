// Graphics drawn rotated, scaled or to four free corners on the hardware back-end: every texture
// tile's corners go through the caller's map and become two triangles of the textured batch.
#include "../draw_state.h"
#include "../graphic_handle.h"
#include "../graphics_state.h"
#include "hardware_state.h"

int HardwareDrawGraphMapped(int handle, int transparency,
                            void (*map)(const void* context, float gx, float gy, float* x, float* y),
                            const void* context) {
  if (GraphicsState.device == nullptr) return -1;
  GraphicRecord* record = GraphicFromHandle(handle);
  if (record == nullptr) return -1;
  if (DrawState.drawAreaEmpty || record->quadCount == 0 || record->quads[0].tile->texture == nullptr) return 0;
  OpenScene();
  const SharedImage* image = record->image;
  const int imageFlags = (image->flags.hasAlpha ? ImageHasAlpha : 0) | (image->flags.alphaTest ? ImageAlphaTest : 0);
  PrepareDrawState(imageFlags, record->quads[0].tile->texture,
                   (transparency ? PrepareTransparency : 0) | (HardwareState.bilinear ? 0 : PrepareCallerFilters));
  const std::uint32_t diffuse = HardwareState.diffuseColor;
  const float z = DrawState.depth2D;
  HardwareStateRecord& h = HardwareState;
  for (int i = 0; i < record->quadCount; ++i) {
    const GraphicQuad& q = record->quads[i];
    if (q.tile->texture != h.texture) {
      FlushVertexBatch();
      h.texture = q.tile->texture;
      h.textureDirty = 1;
    }
    if (h.blendDirty || h.textureDirty) ApplyBlendState();
    float x[4], y[4];
    map(context, q.xa, q.ya, &x[0], &y[0]);
    map(context, q.xb, q.ya, &x[1], &y[1]);
    map(context, q.xa, q.yb, &x[2], &y[2]);
    map(context, q.xb, q.yb, &x[3], &y[3]);
    const VertexTextured tl = {x[0], y[0], z, 1.0f, diffuse, q.ua, q.va};
    const VertexTextured tr = {x[1], y[1], z, 1.0f, 0, q.ub, q.va};
    const VertexTextured bl = {x[2], y[2], z, 1.0f, 0, q.ua, q.vb};
    const VertexTextured br = {x[3], y[3], z, 1.0f, diffuse, q.ub, q.vb};
    auto* v = static_cast<VertexTextured*>(ReserveVertices(FormatTextured, D3DPT_TRIANGLELIST, 6, true));
    v[0] = tl;
    v[1] = tr;
    v[2] = bl;
    v[3] = br;
    v[4] = bl;
    v[5] = tr;
    CommitVertices(6);
  }
  return 0;
}
