// The game's frames on the hardware back-end of the fake platform: each frame is recorded by the
// Direct3D 9 device instead of drawn in software. The frames where a square is selected or runs
// are marked carry the thick frames the software back-end leaves out.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "core/tracked_memory.h"
#include "engine_fixture.h"
#include "fake_d3d9.h"
#include "game.h"
#include "golden.h"
#include "png_image.h"
#include "board.h"
#include "golden_game_script.h"
#include "test_support.h"

namespace {

using fake::D3dCall;
using fake::D3dCallKind;

// The calls of a kind among frame, and of those the ones whose numbers are these.
int Count(const std::vector<D3dCall>& frame, D3dCallKind kind) {
  return static_cast<int>(
      std::count_if(frame.begin(), frame.end(), [kind](const D3dCall& c) { return c.kind == kind; }));
}
int Count(const std::vector<D3dCall>& frame, D3dCallKind kind, const std::vector<std::int64_t>& numbers) {
  return static_cast<int>(std::count_if(frame.begin(), frame.end(),
                                        [&](const D3dCall& c) { return c.kind == kind && c.numbers == numbers; }));
}

class HardwareGameTest : public EngineFixture, public golden_game::Platform {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    fake::SetClientSize(800, 600);
    fake::UseRecordingDevice(true);
    fake::RecordVertices(false);  // the frames are judged by their draws alone
    ResetBoard();
  }
  void TearDown() override {
    EngineFixture::TearDown();
    EXPECT_EQ(fake::LiveD3dObjects(), 0);
    EXPECT_EQ(LiveBlockCount(), 0);
  }

  void Mouse(int x, int y, bool held) override {
    const RECT& client = EngineState.ClientRectOnScreen;
    fake::Send({fake::EventKind::MouseMove, client.left + x, client.top + y});
    if (held != buttonHeld_) fake::Send({held ? fake::EventKind::ButtonDown : fake::EventKind::ButtonUp, 0});
    buttonHeld_ = held;
    PumpMessages();
    fake::ClearD3dCalls();
  }

  // The last frame drawn: from its clear on.
  void ExpectFrame(const std::string& name) override {
    const std::vector<D3dCall> calls = fake::D3dCallRecords();
    fake::ClearD3dCalls();
    const auto clear = std::find_if(calls.rbegin(), calls.rend(), [](const D3dCall& c) {
      return c.kind == D3dCallKind::ColorFill && c.objects == std::vector<std::string>{"backbuffer"} && !c.rects[0] &&
             c.numbers[0] == 0;
    });
    ASSERT_NE(clear, calls.rend()) << name;
    const std::vector<D3dCall> frame(std::prev(clear.base()), calls.end());
    SCOPED_TRACE(name);
    EXPECT_EQ(Count(frame, D3dCallKind::SwapChainPresent), 1);
    const fake::D3dRect screen{0, 0, 800, 600};
    for (const D3dCall& c : frame) {
      if (c.kind != D3dCallKind::SwapChainPresent) continue;
      EXPECT_EQ(c.rects, (std::vector<std::optional<fake::D3dRect>>{screen, screen}));
      EXPECT_EQ(c.objects, (std::vector<std::string>{"window", "null"}));
      EXPECT_EQ(c.numbers, std::vector<std::int64_t>{0});
    }
    EXPECT_EQ(Count(frame, D3dCallKind::BeginScene), Count(frame, D3dCallKind::EndScene))
        << "every scene is closed before presenting";
    EXPECT_EQ(Count(frame, D3dCallKind::DrawPrimitiveUP, {D3DPT_LINELIST, 18, 20}), 1)
        << "the grid's 18 lines go out as one list";
    // A white frame three pixels wide around the square under the cursor, and a red one around
    // each matched ball: four thick lines each.
    int frames = Game.FieldPos.x != -1 || Game.FieldPos.y != -1 ? 1 : 0;
    for (const auto& row : Board) {
      for (const Cell& cell : row) frames += cell.Status == Matched ? 1 : 0;
    }
    EXPECT_EQ(Count(frame, D3dCallKind::DrawPrimitiveUP, {D3DPT_TRIANGLESTRIP, 2, 28}), 4 * frames);
    if (name == "07_match_marked") {
      EXPECT_GE(frames, 1 + 3);
    }
    ExpectSoftwarePicture(name);

    // The whole picture, thick frames included, as the hardware back-end draws it.
    PngImage actual{800, 600, {}};
    for (std::uint32_t pixel : fake::BackBufferPixels()) actual.pixels.push_back(pixel & 0xFFFFFF);
    const std::string failure =
        CompareWithGolden(actual, std::string(GOLDEN_DIR) + "/hardware", GOLDEN_OUTPUT_DIR, "hardware_" + name);
    if (!failure.empty()) ADD_FAILURE() << failure;
  }

  // Outside the thick frames, which only one back-end draws, the device's picture is the
  // software back-end's reference frame, texts included.
  void ExpectSoftwarePicture(const std::string& name) {
    PngImage reference;
    ASSERT_TRUE(ReadPng(std::string(GOLDEN_DIR) + "/" + name + ".png", &reference));
    const std::vector<std::uint32_t> pixels = fake::BackBufferPixels();
    ASSERT_EQ(pixels.size(), reference.pixels.size());
    std::vector<bool> skip(pixels.size(), false);
    auto mask = [&](int left, int top, int right, int bottom) {
      for (int y = std::max(top, 0); y < std::min(bottom, 600); ++y) {
        for (int x = std::max(left, 0); x < std::min(right, 800); ++x) skip[static_cast<size_t>(y) * 800 + x] = true;
      }
    };
    auto frame = [&](int x, int y) {
      mask(x - 3, y - 3, x + 68, y + 3);
      mask(x - 3, y + 62, x + 68, y + 68);
      mask(x - 3, y - 3, x + 3, y + 68);
      mask(x + 62, y - 3, x + 68, y + 68);
    };
    if (Game.FieldPos.x != -1 || Game.FieldPos.y != -1) {
      frame(BoardLeft + CellPixels * Game.FieldPos.x, BoardLeft + CellPixels * Game.FieldPos.y);
    }
    for (int row = 0; row < BoardSize; ++row) {
      for (int column = 0; column < BoardSize; ++column) {
        const Cell& cell = Board[row][column];
        const int x = BoardLeft + CellPixels * column, y = BoardLeft + CellPixels * row;
        if (cell.Status == Matched) frame(x, y);
      }
    }
    int differing = 0;
    size_t first = 0;
    for (size_t i = 0; i < pixels.size(); ++i) {
      if (skip[i] || (pixels[i] & 0xFFFFFF) == reference.pixels[i]) continue;
      if (differing++ == 0) first = i;
    }
    if (differing != 0) {
      PngImage actual{800, 600, {}};
      for (std::uint32_t pixel : pixels) actual.pixels.push_back(pixel & 0xFFFFFF);
      WritePng(std::string(GOLDEN_OUTPUT_DIR) + "/hardware_" + name + ".actual.png", actual);
      ADD_FAILURE() << differing << " pixels differ from the software frame, the first at (" << first % 800 << ", "
                    << first / 800 << "): " << std::hex << (pixels[first] & 0xFFFFFF) << " instead of "
                    << reference.pixels[first];
    }
  }

  bool buttonHeld_ = false;
  test_support::TempDirectory directory_;
};

TEST_F(HardwareGameTest, TheScriptedGameOnTheRecordingDevice) {
  ASSERT_EQ(StartGame(), 0);
  ASSERT_EQ(GraphicsState.useHardware, 1);
  SetVSyncWait(FALSE);
  fake::SetIdlePassTime(0);
  fake::ClearD3dCalls();
  golden_game::Play(*this);
}

}  // namespace
