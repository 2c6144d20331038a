#include "game_soak.h"

#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <random>

#include "board.h"
#include "core/engine_state.h"
#include "core/tracked_memory.h"
#include "fake_platform.h"
#include "game.h"
#include "graphics/graphics_state.h"
#include "input/input_state.h"
#include "test_support.h"
#include "vornek.h"
#include "window/char_buffer.h"

namespace {

constexpr int EscapeKey = 1;
constexpr int Colors = 8;  // 0 empty, 1..7 balls

using Snapshot = Cell[BoardSize][BoardSize];

bool IsState(int status) {
  return status == Idle || status == Matched || status == Falling || (status >= 4 && status <= 8);
}
bool IsSwapState(int status) { return status >= SwapFromRight && status <= SwapFromAbove; }

struct BallCounts {
  long long byColor[Colors] = {};
};

BallCounts CountBalls() {
  BallCounts counts;
  for (const auto& row : Board) {
    for (const Cell& cell : row) {
      if (cell.BallColor >= 0 && cell.BallColor < Colors) ++counts.byColor[cell.BallColor];
    }
  }
  return counts;
}

// "what value at (row, column); "
std::string Finding(const char* what, int value, int row, int column) {
  char line[96];
  std::snprintf(line, sizeof line, "%s %d at (%d, %d); ", what, value, row, column);
  return line;
}

// The invariants of one tick, given the board before it. Balls enter only in the top row and
// leave only at the end of a vanish; everything else moves or swaps them, so every colour's
// count changes by exactly what entered and what vanished.
std::string CheckTick(const Snapshot& before, GameSoakResult* result) {
  std::string failure;
  BallCounts expected;
  for (int row = 0; row < BoardSize; ++row) {
    for (int column = 0; column < BoardSize; ++column) {
      const Cell& cell = before[row][column];
      if (cell.BallColor >= 0 && cell.BallColor < Colors) ++expected.byColor[cell.BallColor];
      if (cell.Status == Vanishing && cell.Counter <= 1) {
        --expected.byColor[cell.BallColor];
        ++result->vanished;
      }
    }
  }
  int swapped = 0;
  for (int row = 0; row < BoardSize; ++row) {
    for (int column = 0; column < BoardSize; ++column) {
      const Cell& cell = Board[row][column];
      if (cell.BallColor < 0 || cell.BallColor > 7) failure += Finding("colour", cell.BallColor, row, column);
      if (!IsState(cell.Status)) failure += Finding("state", cell.Status, row, column);
      if (cell.Counter < -4 || cell.Counter > 64) failure += Finding("counter", cell.Counter, row, column);
      if (cell.Status == Vanishing && (cell.Counter < 1 || cell.Counter > 30)) {
        failure += Finding("vanishing counter", cell.Counter, row, column);
      }
      if (cell.BallColor == 0 && cell.Status != Idle)
        failure += Finding("empty square in state", cell.Status, row, column);
      if (IsSwapState(cell.Status) && cell.Counter == 60) ++swapped;
      // A new ball: in the top row, falling, counted down once (60) or not yet (64, placed at
      // the end of a vanish); one placed so last tick shows 60 now and is not new.
      const Cell& was = before[row][column];
      const bool waitingLastTick = was.Status == Falling && was.Counter == 64;
      if (row == 0 && cell.Status == Falling && (cell.Counter == 64 || (cell.Counter == 60 && !waitingLastTick))) {
        if (cell.BallColor >= 1 && cell.BallColor <= 7) ++expected.byColor[cell.BallColor];
        ++result->entered;
      }
    }
  }
  result->swaps += swapped / 2;
  const BallCounts now = CountBalls();
  for (int color = 1; color < Colors; ++color) {
    if (now.byColor[color] != expected.byColor[color]) {
      failure += "colour " + std::to_string(color) + ": " + std::to_string(now.byColor[color]) + " balls, " +
                 std::to_string(expected.byColor[color]) + " expected (a ball lost or duplicated); ";
    }
  }
  const GameVariables& g = Game;
  const bool outside = g.FieldPos.x == -1 && g.FieldPos.y == -1;
  const bool onBoard = g.FieldPos.x >= 0 && g.FieldPos.x < BoardSize && g.FieldPos.y >= 0 && g.FieldPos.y < BoardSize;
  if (!outside && !onBoard) failure += "field position out of range; ";
  if (g.Check.x < 0 || g.Check.x >= BoardSize || g.Check.y < 0 || g.Check.y >= BoardSize)
    failure += "check square out of range; ";
  if (g.Selected && !onBoard) failure += "a selection off the board; ";
  if (g.Time < 0 || g.Time > 64) failure += "time-out " + std::to_string(g.Time) + "; ";
  return failure;
}

// The player: a pointer wandering over and around the window, a button pressed and released
// now and then (so drags swap balls), keys other than Escape, and the window now and then
// losing and regaining the focus.
class Player {
 public:
  explicit Player(std::uint64_t seed) : random_(seed) {}

  void Act() {
    using fake::EventKind;
    const RECT& client = EngineState.ClientRectOnScreen;
    if (Chance(500)) {
      x_ += Between(-40, 40);
      y_ += Between(-40, 40);
      if (Chance(10)) {
        x_ = Between(-60, 860);
        y_ = Between(-60, 660);
      }
      x_ = x_ < -80 ? -80 : x_ > 880 ? 880 : x_;
      y_ = y_ < -80 ? -80 : y_ > 680 ? 680 : y_;
      fake::Send({EventKind::MouseMove, client.left + x_, client.top + y_});
    }
    if (Chance(30)) {
      held_ = !held_;
      fake::Send({held_ ? EventKind::ButtonDown : EventKind::ButtonUp, Chance(900) ? 0 : Between(1, 2)});
    }
    if (Chance(20)) {
      const int key = Between(2, 255);  // every key but Escape
      fake::Send({Chance(500) ? EventKind::KeyDown : EventKind::KeyUp, key});
    }
    if (Chance(1)) {
      fake::Send({EventKind::Deactivate});
      fake::Schedule(fake::CurrentPass() + Between(1, 5), {EventKind::Activate});
    }
  }

 private:
  // True with a chance of perMille in 1000.
  bool Chance(int perMille) { return static_cast<int>(random_() % 1000) < perMille; }
  int Between(int low, int high) { return low + static_cast<int>(random_() % static_cast<unsigned>(high - low + 1)); }

  std::mt19937_64 random_;
  int x_ = 400, y_ = 300;
  bool held_ = false;
};

std::uint64_t runningSeed = 0;
void OnAlarm(int) {
  char line[96];
  const int length =
      std::snprintf(line, sizeof line, "\ngame soak: seed %llu hung\n", static_cast<unsigned long long>(runningSeed));
  (void)!write(2, line, static_cast<std::size_t>(length));
  _exit(3);
}

}  // namespace

GameSoakResult RunGameSoak(std::uint64_t seed, long long ticks, int drawEvery, long long progressEvery) {
  GameSoakResult result;
  const auto started = std::chrono::steady_clock::now();
  runningSeed = seed;
  test_support::TempDirectory directory;
  std::signal(SIGALRM, OnAlarm);

  fake::ResetPlatform();
  EngineState = EngineStateRecord{};
  GraphicsState = GraphicsStateRecord{};
  InputState = InputStateRecord{};
  StartCharBuffer();
  ResetBoard();
  if (StartGame() != 0) {
    result.failure = "the game did not start";
    return result;
  }
  Player player(seed);
  Snapshot before;
  if (PumpMessages() != 0) result.failure = "the first pump ended the game";
  for (long long tick = 0; tick < ticks && result.failure.empty(); ++tick) {
    // Each tick must end in well under a minute, whatever the pause.
    if (tick % 1024 == 0) alarm(60);
    if (IsKeyDown(EscapeKey) != 0) {
      result.failure = "Escape was seen without being pressed";
      break;
    }
    for (int row = 0; row < BoardSize; ++row) {
      for (int column = 0; column < BoardSize; ++column) before[row][column] = Board[row][column];
    }
    if (drawEvery > 0 && tick % drawEvery == 0) {
      RunFrame();
      ++result.frames;
    } else {
      HandleMouse();
      TickBoard();
    }
    ++result.ticks;
    const std::string broken = CheckTick(before, &result);
    if (!broken.empty()) {
      result.failure = "tick " + std::to_string(tick) + ": " + broken;
      break;
    }
    if (progressEvery > 0 && result.ticks % progressEvery == 0) {
      const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
      std::fprintf(stderr, "game soak: %lld ticks, %lld swaps, %lld vanished, %lld entered, %.0f s\n", result.ticks,
                   result.swaps, result.vanished, result.entered, seconds);
    }
    player.Act();
    if (PumpMessages() != 0) result.failure = "tick " + std::to_string(tick) + ": the pump ended the game";
  }
  EndEngine();
  alarm(0);
  if (LiveBlockCount() != 0)
    result.failure += " the memory report lists " + std::to_string(LiveBlockCount()) + " blocks";
  if (fake::LiveFonts() != 0) result.failure += " GDI fonts left";
  if (fake::NativeWindowCount() != 0) result.failure += " the window outlived the engine";
  if (!result.failure.empty()) {
    result.failure = "seed " + std::to_string(seed) + ": " + result.failure;
    std::fprintf(stderr, "game soak: %s\n", result.failure.c_str());
  }
  fake::ResetPlatform();
  return result;
}
