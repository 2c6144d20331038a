// Filled shapes: rectangles (outlined or filled), triangles, quadrilaterals and ovals, the same
// pixels on both back-ends (shape_spans.h says how).
#include <algorithm>
#include <cstdint>
#include <limits>
#include <utility>

#include "../core/engine_state.h"
#include "../window/window.h"
#include "draw_state.h"
#include "subtract_emulation.h"
#include "graphics_state.h"
#include "hardware/hardware_state.h"
#include "shape_spans.h"
#include "soft/fill_spans.h"
#include "vornek.h"
#include "../core/engine_thread.h"
#include "../core/last_error.h"

namespace {

// Spans gathered for the software fill a batch at a time.
class SpanSink {
 public:
  explicit SpanSink(std::uint32_t color) : color_(color), params_(CurrentSoftDrawParams()) {}
  ~SpanSink() { Flush(); }
  SpanSink(const SpanSink&) = delete;
  SpanSink& operator=(const SpanSink&) = delete;
  void operator()(const ShapeSpan& s) {
    spans_[count_++] = {s.y, s.left, s.right};
    if (count_ == kSize) Flush();
  }
  Rect Area() const { return SoftShapeArea(DrawState.softTarget, params_); }

 private:
  void Flush() {
    if (count_ != 0) SoftFillSpans(DrawState.softTarget, spans_, count_, color_, params_);
    count_ = 0;
  }
  static constexpr int kSize = 256;
  std::uint32_t color_;
  SoftDrawParams params_;
  FillSpan spans_[kSize];
  int count_ = 0;
};

// The hardware back-end's rows: each a rectangle of two triangles.
class HardwareSpans {
 public:
  explicit HardwareSpans(std::uint32_t color) : color_(color) {}
  void operator()(const ShapeSpan& s) {
    if (result_ == 0) result_ = HardwareBox(s.left, s.y, s.right, s.y + 1, color_);
  }
  int result() const { return result_; }

 private:
  std::uint32_t color_;
  int result_ = 0;
};

int Saturate(std::int64_t v) {
  return static_cast<int>(
      std::clamp<std::int64_t>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

// Runs draw() on the hardware back-end between the steps of the subtractive emulation when the
// device needs them; bounds are the shape's box.
template <class Draw>
int OnHardware(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom, Draw&& draw) {
  if (GraphicsState.device == nullptr) return -1;
  return DrawSubtracting(Saturate(left), Saturate(top), Saturate(right), Saturate(bottom), std::forward<Draw>(draw));
}

// The prologue every shape shares: false when nothing is to be drawn.
bool ReadyToDraw() {
  if (DrawState.drawAreaEmpty) return false;
  if (!EngineState.AppActive) WaitWhileInactive();
  return GraphicsState.useHardware || DrawState.softTarget != nullptr;
}

int FilledTriangles(const ShapePoint* points, int count, std::uint32_t color) {
  std::int64_t left = points[0].x, top = points[0].y, right = left, bottom = top;
  for (int i = 1; i < count; ++i) {
    left = std::min<std::int64_t>(left, points[i].x), right = std::max<std::int64_t>(right, points[i].x);
    top = std::min<std::int64_t>(top, points[i].y), bottom = std::max<std::int64_t>(bottom, points[i].y);
  }
  if (GraphicsState.useHardware) {
    float xy[12];
    for (int i = 0; i < count; ++i) {
      xy[2 * i] = static_cast<float>(points[i].x);
      xy[2 * i + 1] = static_cast<float>(points[i].y);
    }
    return OnHardware(left, top, right + 1, bottom + 1, [&] { return HardwareTriangles(xy, count, color); });
  }
  SpanSink sink(color);
  const Rect area = sink.Area();
  for (int i = 0; i + 2 < count; i += 3) TriangleSpans(points[i], points[i + 1], points[i + 2], area, sink);
  return 0;
}

// The hardware path fails only without a device (lost with the display).
int Drawn(const char* call, int result) {
  return result == -1 ? FailWithText("%s: the display device is lost; nothing was drawn", call) : result;
}

int Outline(const ShapePoint* points, int count, int color) {
  // Lines leave out their end point, so each corner is drawn once.
  int result = 0;
  for (int i = 0; i < count; ++i) {
    const ShapePoint& a = points[i];
    const ShapePoint& b = points[(i + 1) % count];
    if (DrawLine(a.x, a.y, b.x, b.y, color, 1) != 0) result = -1;
  }
  return result;
}

}  // namespace

int DrawBox(int x1, int y1, int x2, int y2, std::uint32_t color, int fill) {
  if (CalledOffEngineThread(__func__)) return -1;
  if (!ReadyToDraw()) return 0;
  const int left = std::min(x1, x2), right = std::max(x1, x2), top = std::min(y1, y2), bottom = std::max(y1, y2);
  if (left == right || top == bottom) return 0;
  const auto c = static_cast<std::uint32_t>(color);
  // The whole box, or its four sides with each pixel in one of them.
  struct Side {
    int l, t, r, b;
  } sides[4];
  int sideCount = 0;
  if (fill || std::int64_t{right} - left <= 2 || std::int64_t{bottom} - top <= 2) {
    sides[sideCount++] = {left, top, right, bottom};
  } else {
    sides[sideCount++] = {left, top, right, top + 1};
    sides[sideCount++] = {left, bottom - 1, right, bottom};
    sides[sideCount++] = {left, top + 1, left + 1, bottom - 1};
    sides[sideCount++] = {right - 1, top + 1, right, bottom - 1};
  }
  if (GraphicsState.useHardware) {
    return Drawn(__func__, OnHardware(left, top, right, bottom, [&] {
                   int result = 0;
                   for (int i = 0; i < sideCount && result == 0; ++i)
                     result = HardwareBox(sides[i].l, sides[i].t, sides[i].r, sides[i].b, c);
                   return result;
                 }));
  }
  SpanSink sink(c);
  const Rect area = sink.Area();
  for (int i = 0; i < sideCount; ++i) {
    const int t = std::max(sides[i].t, area.top), b = std::min(sides[i].b, area.bottom);
    const int l = std::max(sides[i].l, area.left), r = std::min(sides[i].r, area.right);
    if (l >= r) continue;
    for (int y = t; y < b; ++y) sink(ShapeSpan{y, l, r});
  }
  return 0;
}

int DrawTriangle(int x1, int y1, int x2, int y2, int x3, int y3, std::uint32_t color, int fill) {
  if (CalledOffEngineThread(__func__)) return -1;
  if (!ReadyToDraw()) return 0;
  const ShapePoint points[3] = {{x1, y1}, {x2, y2}, {x3, y3}};
  if (!fill) return Drawn(__func__, Outline(points, 3, color));
  return Drawn(__func__, FilledTriangles(points, 3, static_cast<std::uint32_t>(color)));
}

int DrawQuadrilateral(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4, std::uint32_t color, int fill) {
  if (CalledOffEngineThread(__func__)) return -1;
  if (!ReadyToDraw()) return 0;
  const ShapePoint corners[4] = {{x1, y1}, {x2, y2}, {x3, y3}, {x4, y4}};
  if (!fill) return Drawn(__func__, Outline(corners, 4, color));
  // Two triangles on the diagonal from the first corner: their shared edge's pixels belong to one.
  const ShapePoint points[6] = {corners[0], corners[1], corners[2], corners[0], corners[2], corners[3]};
  return Drawn(__func__, FilledTriangles(points, 6, static_cast<std::uint32_t>(color)));
}

int DrawOval(int x, int y, int rx, int ry, std::uint32_t color, int fill) {
  if (CalledOffEngineThread(__func__)) return -1;
  if (!ReadyToDraw() || rx < 0 || ry < 0) return 0;
  const auto c = static_cast<std::uint32_t>(color);
  if (GraphicsState.useHardware) {
    const Rect& area = DrawState.drawArea;
    return Drawn(__func__, OnHardware(std::int64_t{x} - rx, std::int64_t{y} - ry, std::int64_t{x} + rx + 1,
                                      std::int64_t{y} + ry + 1, [&] {
                                        HardwareSpans spans(c);
                                        OvalSpans(x, y, rx, ry, fill != 0, area, spans);
                                        return spans.result();
                                      }));
  }
  SpanSink sink(c);
  OvalSpans(x, y, rx, ry, fill != 0, sink.Area(), sink);
  return 0;
}
