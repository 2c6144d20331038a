// DrawText on the software back-end with the real fonts: the game's panel strings with a warm
// glyph cache, and the cost of a glyph that is not cached yet.
#include <benchmark/benchmark.h>

#include "core/engine_state.h"
#include "graphics/draw_state.h"
#include "graphics/graphics_state.h"
#include "text/font_system.h"
#include "vornek.h"

namespace {

// The software screen and draw state that StartGraphics would make, without a window.
void StartScreen() {
  static bool started = false;
  if (started) return;
  started = true;
  EngineState.AppActive = 1;
  GraphicsState.screenWidth = 800;
  GraphicsState.screenHeight = 600;
  GraphicsState.screenBitDepth = 32;
  CreateScreenMemImg(&GraphicsState.screenImage, 800, 600, Color32);
  DrawState.softTarget = &GraphicsState.screenImage;
  DrawState.drawScreen = ScreenBack;
  DrawState.drawArea = {0, 0, 800, 600};
  DrawState.tint[0] = DrawState.tint[1] = DrawState.tint[2] = 255;
  StartFontSystem();
}

void DrawPanel(int frame) {
  const int white = static_cast<int>(MakeColor(255, 255, 255));
  DrawTextFormat(560, 16, white, "MousePos(%3d,%3d)", frame % 800, frame % 600);
  DrawTextFormat(560, 36, white, "FieldPos(%3d,%3d)", frame % 8, (frame / 8) % 8);
  DrawTextFormat(560, 56, white, "BallColor:%d", frame % 7);
  DrawTextFormat(560, 76, white, "Status:%d", frame % 4);
  DrawTextFormat(560, 96, white, "Check:(%3d,%3d)", frame % 8, frame % 5);
  DrawTextFormat(560, 116, white, "Time:%d", frame % 31);
  DrawText(560, 136, "Mouse Clicked!", white, 0);
  DrawText(560, 156, "SCORE", white, 0);
  DrawText(560, 176, "Out of Field.", white, 0);
}

void BM_PanelStringsWarm(benchmark::State& state) {
  StartScreen();
  DrawPanel(0);
  int frame = 0;
  for (auto _ : state) DrawPanel(++frame);
  state.SetItemsProcessed(state.iterations() * 9);
  state.counters["panels/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PanelStringsWarm);

// One kanji drawn into an emptied cache each time: the GDI render and the cell write.
void BM_ColdGlyph(benchmark::State& state) {
  StartScreen();
  const int handle = QueryDefaultFont();
  const int white = static_cast<int>(MakeColor(255, 255, 255));
  unsigned trail = 0x40;
  for (auto _ : state) {
    state.PauseTiming();
    ResetGlyphCache(handle);
    const char text[3] = {static_cast<char>(0x89), static_cast<char>(trail), 0};
    trail = trail == 0x7E ? 0x40 : trail + 1;
    state.ResumeTiming();
    DrawText(100, 100, text, white, 0);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ColdGlyph);

}  // namespace

BENCHMARK_MAIN();
