// Filled triangles on the hardware back-end: the caller's vertices as they are, in the
// triangle-list batch with the line's diffuse colour.
#include "../draw_state.h"
#include "../graphics_state.h"
#include "hardware_state.h"

int HardwareTriangles(const float* xy, int count, std::uint32_t color) {
  if (GraphicsState.device == nullptr) return -1;
  if (xy == nullptr || count < 3) return 0;
  OpenScene();
  PrepareDrawState(0, nullptr, PrepareModulateColor);
  const std::uint32_t diffuse = PrimitiveDiffuse(color);
  const float z = DrawState.depth2D;
  for (int done = 0; done + 3 <= count; done += 3) {
    auto* v = static_cast<VertexPlain*>(ReserveVertices(FormatPlain, D3DPT_TRIANGLELIST, 3, false));
    for (int k = 0; k < 3; ++k) v[k] = {xy[2 * (done + k)], xy[2 * (done + k) + 1], z, 1.0f, diffuse};
    CommitVertices(3);
  }
  return 0;
}
