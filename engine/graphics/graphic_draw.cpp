// Drawing graphics: textured quads on the hardware back-end, the software blits of the graphic's
// view otherwise.
#include <algorithm>
#include <cstdint>
#include <limits>

#include "../core/last_error.h"
#include "draw_state.h"
#include "graphic_handle.h"
#include "graphics_state.h"
#include "soft/soft_blit.h"
#include "../core/engine_thread.h"

namespace {

// -1 with the last error: a bad handle, or a rectangle the graphic cannot give.
int GraphicFailure(const char* call, int handle) {
  if (!IsGraphicHandleValid(handle)) return FailWithText("%s: %d is not a live graphic's handle", call, handle);
  return FailWithText("%s: the rectangle is empty or lies outside graphic %d", call, handle);
}

int Checked(int result, const char* call, int handle) { return result == -1 ? GraphicFailure(call, handle) : result; }

// The software target and the graphic's view, or null when nothing can be drawn.
const MEMIMG* SoftSource(int handle) {
  const GraphicRecord* record = GraphicFromHandle(handle);
  if (record == nullptr || !IsMemImgValid(&record->softView)) return nullptr;
  return &record->softView;
}

// a + b, held at int's ends.
int Sum(int a, int b) {
  return static_cast<int>(
      std::clamp<std::int64_t>(std::int64_t{a} + b, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

// The rectangle lies within the graphic (sizes already positive).
bool InsideGraphic(const MEMIMG& source, int x, int y, int width, int height) {
  return x >= 0 && y >= 0 && std::int64_t{x} + width <= source.width && std::int64_t{y} + height <= source.height;
}

}  // namespace

int DrawGraphAt(int x, int y, int handle, int transparency) {
  if (CalledOffEngineThread(__func__)) return -1;
  if (GraphicsState.useHardware) return Checked(HardwareDrawGraphAt(x, y, handle, transparency), "DrawGraphAt", handle);
  const MEMIMG* source = SoftSource(handle);
  if (source == nullptr) return GraphicFailure("DrawGraphAt", handle);
  if (DrawState.softTarget == nullptr || DrawState.drawAreaEmpty) return 0;
  SoftDrawImage(DrawState.softTarget, source, x, y, transparency ? 1 : 0, nullptr, CurrentSoftDrawParams());
  return 0;
}

int DrawGraphStretched(int x1, int y1, int x2, int y2, int handle, int transparency) {
  if (CalledOffEngineThread(__func__)) return -1;
  if (GraphicsState.useHardware)
    return Checked(HardwareDrawGraphStretched(x1, y1, x2, y2, handle, transparency), "DrawGraphStretched", handle);
  const MEMIMG* source = SoftSource(handle);
  if (source == nullptr || x1 == x2 || y1 == y2) return GraphicFailure("DrawGraphStretched", handle);
  if (DrawState.softTarget == nullptr || DrawState.drawAreaEmpty) return 0;
  // Bilinear sampling as the hardware back-end samples a stretched graphic: through the mapped
  // drawing of the four corners.
  if (GetDrawSampling() == SamplingBilinear)
    return DrawGraphFourCorners(x1, y1, x2, y1, x2, y2, x1, y2, handle, transparency);
  SoftDrawImageScaled(DrawState.softTarget, source, Rect{x1, y1, x2, y2}, transparency ? 1 : 0, nullptr,
                      CurrentSoftDrawParams());
  return 0;
}

int DrawGraphRect(int x, int y, int sourceX, int sourceY, int width, int height, int handle, int transparency,
                  int mirror) {
  if (CalledOffEngineThread(__func__)) return -1;
  if (GraphicsState.useHardware) {
    return Checked(HardwareDrawGraphRect(x, y, sourceX, sourceY, width, height, handle, transparency, mirror),
                   "DrawGraphRect", handle);
  }
  const MEMIMG* source = SoftSource(handle);
  if (source == nullptr) return GraphicFailure("DrawGraphRect", handle);
  if (DrawState.softTarget == nullptr || DrawState.drawAreaEmpty || width <= 0 || height <= 0) return 0;
  if (!InsideGraphic(*source, sourceX, sourceY, width, height)) return GraphicFailure("DrawGraphRect", handle);
  MEMIMG part{};
  MakeMemImgView(&part, source, sourceX, sourceY, width, height);
  if (!IsMemImgValid(&part)) return GraphicFailure("DrawGraphRect", handle);
  if (mirror) {
    SoftDrawImageScaled(DrawState.softTarget, &part, Rect{Sum(x, width), y, x, Sum(y, height)}, transparency ? 1 : 0,
                        nullptr, CurrentSoftDrawParams());
  } else {
    SoftDrawImage(DrawState.softTarget, &part, x, y, transparency ? 1 : 0, nullptr, CurrentSoftDrawParams());
  }
  ReleaseMemImg(&part);
  return 0;
}

int DrawGraphRectStretched(int x1, int y1, int x2, int y2, int sourceX, int sourceY, int width, int height, int handle,
                           int transparency) {
  if (CalledOffEngineThread(__func__)) return -1;
  if (GraphicsState.useHardware) {
    return Checked(
        HardwareDrawGraphRectStretched(x1, y1, x2, y2, sourceX, sourceY, width, height, handle, transparency),
        "DrawGraphRectStretched", handle);
  }
  const MEMIMG* source = SoftSource(handle);
  if (source == nullptr || width <= 0 || height <= 0 || x1 == x2 || y1 == y2)
    return GraphicFailure("DrawGraphRectStretched", handle);
  if (!InsideGraphic(*source, sourceX, sourceY, width, height)) return GraphicFailure("DrawGraphRectStretched", handle);
  if (DrawState.softTarget == nullptr || DrawState.drawAreaEmpty) return 0;
  MEMIMG part{};
  MakeMemImgView(&part, source, sourceX, sourceY, width, height);
  if (!IsMemImgValid(&part)) return GraphicFailure("DrawGraphRectStretched", handle);
  SoftDrawImageScaled(DrawState.softTarget, &part, Rect{x1, y1, x2, y2}, transparency ? 1 : 0, nullptr,
                      CurrentSoftDrawParams());
  ReleaseMemImg(&part);
  return 0;
}
