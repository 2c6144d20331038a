// Graphics drawn rotated and scaled about their centre, or stretched to four free corners, on
// both back-ends, sampled nearest or bilinear. Both back-ends place the graphic through the same
// map in float, so that they cover the same pixels.
#include <cmath>

#include "../core/engine_state.h"
#include "../window/window.h"
#include "draw_state.h"
#include "graphic_handle.h"
#include "graphics_state.h"
#include "hardware/hardware_state.h"
#include "soft/draw_image_mapped.h"
#include "../core/engine_thread.h"
#include "../core/last_error.h"

namespace {

int sampling = SamplingNearest;

// Rotation by `angle` and scale about the graphic's centre, which lands on (x, y).
struct Rotation {
  float cx, cy;  // the graphic's centre in its own pixels
  float x, y;
  float cosine, sine;  // already scaled
};

void MapRotated(const void* context, float gx, float gy, float* x, float* y) {
  const auto& r = *static_cast<const Rotation*>(context);
  const float dx = gx - r.cx, dy = gy - r.cy;
  *x = r.x + dx * r.cosine - dy * r.sine - 0.5f;
  *y = r.y + dx * r.sine + dy * r.cosine - 0.5f;
}

// The four corners: top-left, top-right, bottom-right, bottom-left; inside, bilinear.
struct Corners {
  float x[4], y[4];
  float width, height;
};

void MapCorners(const void* context, float gx, float gy, float* x, float* y) {
  const auto& c = *static_cast<const Corners*>(context);
  const float s = gx / c.width, t = gy / c.height;
  const float topX = c.x[0] + (c.x[1] - c.x[0]) * s, topY = c.y[0] + (c.y[1] - c.y[0]) * s;
  const float bottomX = c.x[3] + (c.x[2] - c.x[3]) * s, bottomY = c.y[3] + (c.y[2] - c.y[3]) * s;
  *x = topX + (bottomX - topX) * t - 0.5f;
  *y = topY + (bottomY - topY) * t - 0.5f;
}

using MapFn = void (*)(const void*, float, float, float*, float*);

// The software half: the graphic's view as two triangles, split as the hardware splits a tile.
int SoftDrawMapped(int handle, int transparency, MapFn map, const void* context) {
  const GraphicRecord* record = GraphicFromHandle(handle);
  if (record == nullptr || !IsMemImgValid(&record->softView)) return -1;
  if (DrawState.softTarget == nullptr || DrawState.drawAreaEmpty) return 0;
  const float w = static_cast<float>(record->width), h = static_cast<float>(record->height);
  MappedVertex tl{}, tr{}, bl{}, br{};
  map(context, 0, 0, &tl.x, &tl.y);
  map(context, w, 0, &tr.x, &tr.y);
  map(context, 0, h, &bl.x, &bl.y);
  map(context, w, h, &br.x, &br.y);
  tr.u = br.u = w;
  bl.v = br.v = h;
  const MappedVertex first[3] = {tl, tr, bl}, second[3] = {br, bl, tr};
  const SoftDrawParams params = CurrentSoftDrawParams();
  const int bilinear = sampling == SamplingBilinear ? 1 : 0;
  SoftDrawImageMapped(DrawState.softTarget, &record->softView, first, transparency ? 1 : 0, bilinear, params);
  SoftDrawImageMapped(DrawState.softTarget, &record->softView, second, transparency ? 1 : 0, bilinear, params);
  return 0;
}

// Corners this far out have lost their pixel precision in float: such a draw is left out.
constexpr float MaxReach = 1e8f;

bool WithinReach(int handle, MapFn map, const void* context) {
  const GraphicRecord* record = GraphicFromHandle(handle);
  const float w = static_cast<float>(record->width), h = static_cast<float>(record->height);
  const float corners[4][2] = {{0, 0}, {w, 0}, {0, h}, {w, h}};
  for (const auto& c : corners) {
    float x = 0, y = 0;
    map(context, c[0], c[1], &x, &y);
    if (!(std::fabs(x) <= MaxReach && std::fabs(y) <= MaxReach)) return false;
  }
  return true;
}

// A live graphic fails to draw only without a display device.
int Drawn(const char* call, int handle, int result) {
  return result == -1 ? FailWithText("%s: graphic %d could not be drawn: the display device is lost", call, handle)
                      : result;
}

int DrawMapped(int handle, int transparency, MapFn map, const void* context) {
  if (!EngineState.AppActive) WaitWhileInactive();
  if (!WithinReach(handle, map, context)) return 0;
  if (GraphicsState.useHardware) return HardwareDrawGraphMapped(handle, transparency, map, context);
  return SoftDrawMapped(handle, transparency, map, context);
}

}  // namespace

int SetDrawSampling(int mode) {
  if (CalledOffEngineThread(__func__)) return -1;
  if (mode != SamplingNearest && mode != SamplingBilinear) {
    return FailWithText("SetDrawSampling: %d is neither SamplingNearest (0) nor SamplingBilinear (1)", mode);
  }
  if (mode == sampling) return 0;
  sampling = mode;
  // The hardware back-end's filter states follow at the next primitive.
  if (GraphicsState.device != nullptr) FlushVertexBatch();
  HardwareState.bilinear = mode == SamplingBilinear ? 1 : 0;
  return 0;
}

int GetDrawSampling() {
  if (CalledOffEngineThread(__func__)) return -1;
  return sampling;
}

int DrawGraphRotated(int x, int y, double scale, double angle, int handle, int transparency) {
  if (CalledOffEngineThread(__func__)) return -1;
  const GraphicRecord* record = GraphicFromHandle(handle);
  if (record == nullptr) return FailWithText("DrawGraphRotated: %d is not a live graphic's handle", handle);
  if (!std::isfinite(scale) || !std::isfinite(angle)) {
    return FailWithText("DrawGraphRotated: the scale and the angle must be finite numbers (%g, %g)", scale, angle);
  }
  if (scale == 0) return 0;
  Rotation r{static_cast<float>(record->width) / 2,
             static_cast<float>(record->height) / 2,
             static_cast<float>(x),
             static_cast<float>(y),
             static_cast<float>(std::cos(angle) * scale),
             static_cast<float>(std::sin(angle) * scale)};
  return Drawn("DrawGraphRotated", handle, DrawMapped(handle, transparency, MapRotated, &r));
}

int DrawGraphFourCorners(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4, int handle, int transparency) {
  if (CalledOffEngineThread(__func__)) return -1;
  const GraphicRecord* record = GraphicFromHandle(handle);
  if (record == nullptr) return FailWithText("DrawGraphFourCorners: %d is not a live graphic's handle", handle);
  Corners c{{static_cast<float>(x1), static_cast<float>(x2), static_cast<float>(x3), static_cast<float>(x4)},
            {static_cast<float>(y1), static_cast<float>(y2), static_cast<float>(y3), static_cast<float>(y4)},
            static_cast<float>(record->width),
            static_cast<float>(record->height)};
  return Drawn("DrawGraphFourCorners", handle, DrawMapped(handle, transparency, MapCorners, &c));
}
