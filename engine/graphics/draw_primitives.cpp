// DrawLine and DrawCircle: the checks every primitive shares, then the back-end.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "../core/last_error.h"
#include "../core/engine_state.h"
#include "../core/handle.h"
#include "../window/window.h"
#include "../color/color_data.h"
#include "subtract_emulation.h"
#include "draw_state.h"
#include "graphics_state.h"
#include "hardware/hardware_state.h"
#include "soft/soft_draw.h"
#include "vornek.h"
#include "../core/engine_thread.h"

namespace {

// Bounds worked out in 64 bits and brought back into int; the box they make is clipped to the
// draw area anyway.
int ClampToInt(std::int64_t v) {
  return static_cast<int>(
      std::clamp<std::int64_t>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

// A line thicker than one pixel is a quadrilateral drawn as a two-triangle strip; only the
// hardware back-end draws it.
int DrawThickLine(int x1, int y1, int x2, int y2, int color, int thickness) {
  if (!GraphicsState.useHardware) return 0;
  const float dx = static_cast<float>(static_cast<std::int64_t>(x2) - x1);
  const float dy = static_cast<float>(static_cast<std::int64_t>(y2) - y1);
  const float length = std::sqrt(dx * dx + dy * dy);
  if (length == 0.0f) return 0;  // no direction to be thick in
  const float s = static_cast<float>(thickness) / 2.0f / length;
  const float nx = dy * s, ny = -dx * s;
  int red = 0, green = 0, blue = 0;
  SplitColor(static_cast<std::uint32_t>(color), &red, &green, &blue);
  const auto b = static_cast<std::uint8_t>(blue), g = static_cast<std::uint8_t>(green),
             r = static_cast<std::uint8_t>(red);
  const float ax = static_cast<float>(x1), ay = static_cast<float>(y1), bx = static_cast<float>(x2),
              by = static_cast<float>(y2);
  const Vertex2D corners[4] = {{ax + nx, ay + ny, 0, 0, b, g, r, 255},
                               {bx + nx, by + ny, 0, 0, b, g, r, 255},
                               {ax - nx, ay - ny, 0, 0, b, g, r, 255},
                               {bx - nx, by - ny, 0, 0, b, g, r, 255}};
  return DrawVertices2D(corners, 4, D3DPT_TRIANGLESTRIP, NoGraphic, 0);
}

// The hardware path fails only without a device (lost with the display).
int DeviceResult(int result, const char* call) {
  return result == -1 ? FailWithText("%s: the display device is lost; nothing was drawn", call) : result;
}

}  // namespace

int DrawLine(int x1, int y1, int x2, int y2, std::uint32_t color, int thickness) {
  if (CalledOffEngineThread(__func__)) return -1;
  if (thickness > 1) return DeviceResult(DrawThickLine(x1, y1, x2, y2, color, thickness), "DrawLine");
  if (DrawState.drawAreaEmpty) return 0;
  if (!EngineState.AppActive) WaitWhileInactive();
  if (GraphicsState.useHardware) {
    const int left = std::min(x1, x2), top = std::min(y1, y2);
    const int right = ClampToInt(std::int64_t{std::max(x1, x2)} + 1),
              bottom = ClampToInt(std::int64_t{std::max(y1, y2)} + 1);
    return DeviceResult(DrawSubtracting(left, top, right, bottom, [&] { return HardwareLine(x1, y1, x2, y2, color); }),
                        "DrawLine");
  }
  if (DrawState.softTarget == nullptr) return 0;
  const SoftDrawParams params = CurrentSoftDrawParams();
  SoftDrawLine(DrawState.softTarget, &params, x1, y1, x2, y2, static_cast<std::uint32_t>(color));
  return 0;
}

int DrawCircle(int x, int y, int r, std::uint32_t color, int fill) {
  if (CalledOffEngineThread(__func__)) return -1;
  if (DrawState.drawAreaEmpty) return 0;
  if (!EngineState.AppActive) WaitWhileInactive();
  if (r < 0) return 0;
  if (GraphicsState.useHardware) {
    const std::int64_t reach = std::int64_t{r} + 1;
    const int left = ClampToInt(x - reach), top = ClampToInt(y - reach), right = ClampToInt(x + reach),
              bottom = ClampToInt(y + reach);
    return DeviceResult(DrawSubtracting(left, top, right, bottom, [&] { return HardwareCircle(x, y, r, color, fill); }),
                        "DrawCircle");
  }
  if (DrawState.softTarget == nullptr) return 0;
  const SoftDrawParams params = CurrentSoftDrawParams();
  SoftDrawCircle(DrawState.softTarget, &params, x, y, r, static_cast<std::uint32_t>(color), fill);
  return 0;
}
