// The game's frames on the real platform: an SDL window under X and the installed gothic face
// through FreeType. The generator is seeded by hand and the pointer is driven on the X display
// itself (moved by the test's own X connection as xdotool moves it, its button pressed through
// the X test extension), each change awaited until the engine's input reports it, so the frames
// are the same on every run. On the software back-end the screen image is compared; on the
// hardware back-end (OpenGL, Mesa's rasteriser under xvfb-run) the back buffer is read back and
// compared with its own references and, outside the thick frames, with the software back-end's,
// texts included.
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "board.h"
#include "core/engine_state.h"
#include "core/tracked_memory.h"
#include "game.h"
#include "golden.h"
#include "golden_game_script.h"
#include "gothic_face.h"
#include "graphics/graphics_state.h"
#include "png_image.h"
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

// The back buffer of the hardware back-end, read back through a lock.
PngImage BackBufferImage() {
  PngImage image;
  IDirect3DSurface9* back = GraphicsState.backBuffer;
  D3DSURFACE_DESC desc{};
  D3DLOCKED_RECT locked{};
  if (back == nullptr || back->GetDesc(&desc) != D3D_OK ||
      back->LockRect(&locked, nullptr, D3DLOCK_READONLY) != D3D_OK) {
    return image;
  }
  image.width = static_cast<int>(desc.Width);
  image.height = static_cast<int>(desc.Height);
  for (int y = 0; y < image.height; ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(static_cast<const std::uint8_t*>(locked.pBits) +
                                                             static_cast<std::ptrdiff_t>(y) * locked.Pitch);
    for (int x = 0; x < image.width; ++x) image.pixels.push_back(row[x] & 0xFFFFFF);
  }
  back->UnlockRect();
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

 protected:
  XLeftButton& button_;
};

// Where the two back-ends may differ: the thick frames, drawn only by the hardware back-end.
// The texts, drawn there through the texture glyph cache, must equal the software frames.
std::vector<bool> DifferencesAllowed() {
  std::vector<bool> allowed(800 * 600, false);
  const auto mark = [&](int left, int top, int right, int bottom) {
    for (int y = std::max(top, 0); y < std::min(bottom, 600); ++y) {
      for (int x = std::max(left, 0); x < std::min(right, 800); ++x) allowed[y * 800 + x] = true;
    }
  };
  const auto frame = [&](int column, int row) {
    const int x = BoardLeft + CellPixels * column, y = BoardLeft + CellPixels * row;
    mark(x - 3, y - 3, x + 68, y + 3);
    mark(x - 3, y + 62, x + 68, y + 68);
    mark(x - 3, y - 3, x + 3, y + 68);
    mark(x + 62, y - 3, x + 68, y + 68);
  };
  for (int row = 0; row < BoardSize; ++row) {
    for (int column = 0; column < BoardSize; ++column) {
      if (Board[row][column].Status == Matched) frame(column, row);
    }
  }
  if (Game.FieldPos.x != -1 || Game.FieldPos.y != -1) frame(Game.FieldPos.x, Game.FieldPos.y);
  return allowed;
}

class HardwareFrames : public RealPointer {
 public:
  using RealPointer::RealPointer;

  void ExpectFrame(const std::string& name) override {
    const PngImage actual = BackBufferImage();
    ASSERT_EQ(actual.width, 800);
    ASSERT_EQ(actual.height, 600);
    // Actual and difference images beside the software test's, in a folder of their own.
    const std::string output = std::string(GOLDEN_OUTPUT_DIR) + "/hardware";
    std::filesystem::create_directories(output);
    const std::string failure = CompareWithGolden(actual, HARDWARE_GOLDEN_DIR, output, name);
    EXPECT_TRUE(failure.empty()) << failure;
    PngImage software;
    ASSERT_TRUE(ReadPng(std::string(GOLDEN_DIR) + "/" + name + ".png", &software)) << name;
    const std::vector<bool> allowed = DifferencesAllowed();
    int differing = 0, firstX = -1, firstY = -1;
    for (int y = 0; y < 600; ++y) {
      for (int x = 0; x < 800; ++x) {
        const std::size_t i = static_cast<std::size_t>(y) * 800 + static_cast<std::size_t>(x);
        if (allowed[i] || actual.pixels[i] == software.pixels[i]) continue;
        if (differing++ == 0) firstX = x, firstY = y;
      }
    }
    EXPECT_EQ(differing, 0) << name << ": " << differing << " pixels differ from the software back-end's frame "
                            << "outside the frames, the first at (" << firstX << ", " << firstY << ")";
  }
};

TEST(RealGoldenFrame, TheGameOnTheHardwareBackEndMatchesTheSoftwareFrames) {
  if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X display";
  if (!GothicFaceInstalled()) GTEST_SKIP() << "IPAGothic (fonts-ipafont-gothic) is not installed";
  XLeftButton button;
  if (!button.Available()) GTEST_SKIP() << "the X display offers no test extension to press the mouse button";
  test_support::TempDirectory directory;
  ASSERT_EQ(StartGame(), 0);
  ASSERT_TRUE(UsingHardwarePath()) << "no OpenGL 3.3 on this display: the engine took its software back-end";
  SeedRandom(4357);
  ResetBoard();
  HardwareFrames frames(button);
  golden_game::Play(frames);
  EndEngine();
  EXPECT_EQ(LiveBlockCount(), 0) << "engine blocks left after EndEngine";
}

TEST(RealGoldenFrame, TheGameWithTheInstalledFaceThroughASwapAndARefill) {
  if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X display";
  if (!GothicFaceInstalled()) GTEST_SKIP() << "IPAGothic (fonts-ipafont-gothic) is not installed";
  XLeftButton button;
  if (!button.Available()) GTEST_SKIP() << "the X display offers no test extension to press the mouse button";
  test_support::TempDirectory directory;
  GraphicsState.softwareOnly = 1;
  ASSERT_EQ(StartGame(), 0);
  ASSERT_FALSE(UsingHardwarePath());
  SetVSyncWait(FALSE);
  SeedRandom(4357);
  ResetBoard();
  RealPointer pointer(button);
  golden_game::Play(pointer);
  EndEngine();
  GraphicsState.softwareOnly = 0;
  EXPECT_EQ(LiveBlockCount(), 0) << "engine blocks left after EndEngine";
}

}  // namespace
