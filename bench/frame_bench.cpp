// The whole game frame on the software back-end: clear, grid, 128 discs, the counters and the
// panel texts, and the present into memory (the fake platform's window canvas).
#include <benchmark/benchmark.h>

#include "board.h"
#include "fake_platform.h"
#include "game.h"
#include "vornek.h"

namespace {

// A full board, every ball falling so that every square also draws its counter, the cursor on
// a square so that the whole panel is drawn.
void FullBoard() {
  for (int row = 0; row < BoardSize; ++row) {
    for (int column = 0; column < BoardSize; ++column) {
      Board[row][column] = {(row * 3 + column) % 7 + 1, Falling, 32};
    }
  }
  Game.MousePos = {100, 100};
  Game.FieldPos = {1, 1};
  Game.Selected = true;
  Game.Time = 32;
}

void GameFrame(benchmark::State& state) {
  fake::ResetPlatform();
  fake::SetClientSize(800, 600);
  if (StartGame() != 0) {
    state.SkipWithError("the engine did not start");
    return;
  }
  SetVSyncWait(FALSE);
  FullBoard();
  for (auto _ : state) {
    ClearScreen();
    DrawFrame();
    PresentScreen();
  }
  EndEngine();
}
BENCHMARK(GameFrame)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
