// The game's frames on the real platform: an SDL window under X and the installed gothic face
// through FreeType. The generator is seeded by hand and the pointer is driven on the X display
// itself (moved by the test's own X connection as xdotool moves it, its button pressed through
// the X test extension), each change awaited until the engine's input reports it, so the frames
// are the same on every run; the software screen image is compared.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "board.h"
#include "core/engine_state.h"
#include "core/tracked_memory.h"
#include "game.h"
#include "golden.h"
#include "golden_game_script.h"
#include "gothic_face.h"
#include "graphics/graphics_state.h"
#include "random/random.h"
#include "test_support.h"
#include "vornek.h"
#include "x_button.h"

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

class RealPointer : public golden_game::Platform {
 public:
  explicit RealPointer(XLeftButton& button) : button_(button) {}

  void Mouse(int x, int y, bool held) override {
    // Wherever the window manager put the window.
    const RECT& client = EngineState.ClientRectOnScreen;
    button_.MoveTo(client.left + x, client.top + y);
    if (held != button_.Held()) button_.Set(held);
    // Both reach the engine through the window's events: pump until they agree with what was
    // sent.
    constexpr Uint32 patience = 5000;
    const Uint32 start = SDL_GetTicks();
    int seenX = 0, seenY = 0;
    bool seenHeld = false;
    for (;;) {
      PumpMessages();
      GetCursorPosition(&seenX, &seenY);
      seenHeld = (GetMouseButtons() & 1) != 0;
      if (seenX == x && seenY == y && seenHeld == held) return;
      if (SDL_GetTicks() - start > patience) break;
      SDL_Delay(1);
    }
    FAIL() << "after " << patience << " ms the engine sees the pointer at (" << seenX << ", " << seenY
           << ") with the left button " << (seenHeld ? "held" : "up") << "; sent (" << x << ", " << y << ") "
           << (held ? "held" : "up");
  }

  void ExpectFrame(const std::string& name) override {
    const std::string failure = CompareWithGolden(ScreenImage(), GOLDEN_DIR, GOLDEN_OUTPUT_DIR, name);
    EXPECT_TRUE(failure.empty()) << failure;
  }

 private:
  XLeftButton& button_;
};

TEST(RealGoldenFrame, TheGameWithTheInstalledFaceThroughASwapAndARefill) {
  if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X display";
  if (!GothicFaceInstalled()) GTEST_SKIP() << "IPAGothic (fonts-ipafont-gothic) is not installed";
  XLeftButton button;
  if (!button.Available()) GTEST_SKIP() << "the X display offers no test extension to press the mouse button";
  test_support::TempDirectory directory;
  ASSERT_EQ(StartGame(), 0);
  SetVSyncWait(FALSE);
  SeedRandom(4357);
  ResetBoard();
  RealPointer pointer(button);
  golden_game::Play(pointer);
  EndEngine();
  EXPECT_EQ(LiveBlockCount(), 0) << "engine blocks left after EndEngine";
}

}  // namespace
