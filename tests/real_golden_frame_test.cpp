// The game's first frames on the real platform: an SDL window under X and the installed gothic
// face through FreeType. The generator is seeded by hand and the pointer parked beside the
// board, so the frames are the same on every run; the software screen image is compared.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "board.h"
#include "game.h"
#include "golden.h"
#include "gothic_face.h"
#include "core/engine_state.h"
#include "core/tracked_memory.h"
#include "graphics/graphics_state.h"
#include "random/random.h"
#include "test_support.h"
#include "vornek.h"

namespace {

PngImage ScreenImage() {
  const MEMIMG& screen = GraphicsState.screenImage;
  PngImage image;
  image.width = screen.width;
  image.height = screen.height;
  for (int y = 0; y < screen.height; ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(screen.pixels + y * screen.shared->pitch);
    for (int x = 0; x < screen.width; ++x) image.pixels.push_back(row[x] & 0xFFFFFF);
  }
  return image;
}

TEST(RealGoldenFrame, FirstFramesWithTheInstalledFace) {
  if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X display";
  if (!GothicFaceInstalled()) GTEST_SKIP() << "IPAGothic (fonts-ipafont-gothic) is not installed";
  test_support::TempDirectory directory;
  ASSERT_EQ(StartGame(), 0);
  SetVSyncWait(FALSE);
  // Beside the board, wherever the window manager put the window.
  SDL_WarpMouseGlobal(EngineState.ClientRectOnScreen.left + 700, EngineState.ClientRectOnScreen.top + 500);
  PumpMessages();
  SeedRandom(4357);
  ResetBoard();

  struct Shot {
    int tick;
    const char* name;
  };
  const Shot shots[] = {{1, "01_first_tick"}, {60, "02_filling"}, {128, "03_all_at_rest"}};
  int tick = 0;
  for (const Shot& shot : shots) {
    while (tick < shot.tick) {
      RunFrame();
      PumpMessages();
      ++tick;
    }
    const std::string failure = CompareWithGolden(ScreenImage(), GOLDEN_DIR, GOLDEN_OUTPUT_DIR, shot.name);
    EXPECT_TRUE(failure.empty()) << failure;
  }
  EXPECT_EQ(Game.MousePos.x, 700) << "the pointer stayed beside the board";
  EXPECT_EQ(Game.MousePos.y, 500);
  EndEngine();
  EXPECT_EQ(LiveBlockCount(), 0) << "engine blocks left after EndEngine";
}

}  // namespace
