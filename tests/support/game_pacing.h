// The game's own loop run for a while on whatever platform is linked, counting what a player
// sees: game ticks, presents, and distinct pictures (a picture differing from the one before).
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

#include "game.h"
#include "graphics/graphics_state.h"
#include "vornek.h"

struct GamePacing {
  double seconds = 0;
  int ticks = 0;
  unsigned presents = 0;
  int pictures = 0;
  double TicksPerSecond() const { return seconds > 0 ? ticks / seconds : 0; }
  double PresentsPerSecond() const { return seconds > 0 ? presents / seconds : 0; }
  double PicturesPerSecond() const { return seconds > 0 ? pictures / seconds : 0; }
};

inline std::uint64_t PictureHash(const MEMIMG& screen) {
  std::uint64_t hash = 0xcbf29ce484222325ull;
  for (int y = 0; y < screen.height; ++y) {
    const auto* row = reinterpret_cast<const std::uint64_t*>(screen.pixels + static_cast<std::size_t>(y) * screen.shared->pitch);
    const int words = screen.width * screen.shared->colorData->bytesPerPixel / 8;
    for (int x = 0; x < words; ++x) hash = (hash ^ row[x]) * 0x100000001b3ull;
  }
  return hash;
}

// The engine must be started (StartGame); the loop is the game's: key check, frame, pump.
inline GamePacing RunGameLoopFor(double seconds) {
  using Clock = std::chrono::steady_clock;
  GamePacing pacing;
  const unsigned firstPresent = GraphicsState.presentCount;
  std::uint64_t lastPicture = 0;
  const Clock::time_point start = Clock::now();
  Clock::time_point now = start;
  while (std::chrono::duration<double>(now - start).count() < seconds) {
    if (IsKeyDown(1) != 0) break;
    RunFrame();
    ++pacing.ticks;
    const std::uint64_t picture = PictureHash(GraphicsState.screenImage);
    if (pacing.ticks == 1 || picture != lastPicture) ++pacing.pictures;
    lastPicture = picture;
    if (PumpMessages() != 0) break;
    now = Clock::now();
  }
  pacing.seconds = std::chrono::duration<double>(now - start).count();
  pacing.presents = GraphicsState.presentCount - firstPresent;
  return pacing;
}
