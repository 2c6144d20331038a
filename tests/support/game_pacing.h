// The game's own loop run for a while on whatever platform is linked, counting what a player
// sees: game ticks, presents, and distinct pictures (a picture differing from the one before;
// on the software back-end only, whose picture is in memory), against the display refreshes
// that passed meanwhile.
#pragma once

#include <dirent.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include <SDL.h>

#include "game.h"
#include "graphics/graphics_state.h"
#include "vornek.h"

struct GamePacing {
  double seconds = 0;
  int ticks = 0;
  unsigned presents = 0;
  int pictures = 0;      // counted on the software back-end only
  double refreshes = 0;  // display refreshes in `seconds`
  int longTicks = 0;     // ticks that took two refresh periods or more
  int missedTicks = 0;   // long ticks that were not kept from a CPU (see RunGameLoopFor)
  double TicksPerSecond() const { return seconds > 0 ? ticks / seconds : 0; }
  double PresentsPerSecond() const { return seconds > 0 ? presents / seconds : 0; }
  double PicturesPerSecond() const { return seconds > 0 ? pictures / seconds : 0; }
};

inline std::uint64_t PictureHash(const MEMIMG& screen) {
  std::uint64_t hash = 0xcbf29ce484222325ull;
  for (int y = 0; y < screen.height; ++y) {
    const auto* row =
        reinterpret_cast<const std::uint64_t*>(screen.pixels + static_cast<std::size_t>(y) * screen.shared->pitch);
    const int words = screen.width * screen.shared->colorData->bytesPerPixel / 8;
    for (int x = 0; x < words; ++x) hash = (hash ^ row[x]) * 0x100000001b3ull;
  }
  return hash;
}

// Nanoseconds the calling thread has run (Linux's scheduler statistics; 0 where they cannot be
// read).
inline std::uint64_t ThreadRunning() {
  unsigned long long running = 0;
  if (FILE* f = std::fopen("/proc/thread-self/schedstat", "r")) {
    if (std::fscanf(f, "%llu", &running) != 1) running = 0;
    std::fclose(f);
  }
  return running;
}

// Nanoseconds the process's threads have spent waiting for a CPU, as above.
inline std::uint64_t RunQueueWait() {
  std::uint64_t total = 0;
  DIR* tasks = opendir("/proc/self/task");
  if (tasks == nullptr) return 0;
  while (const dirent* entry = readdir(tasks)) {
    if (entry->d_name[0] == '.') continue;
    const std::string path = std::string("/proc/self/task/") + entry->d_name + "/schedstat";
    if (FILE* f = std::fopen(path.c_str(), "r")) {
      unsigned long long running = 0, waiting = 0;
      if (std::fscanf(f, "%llu %llu", &running, &waiting) == 2) total += waiting;
      std::fclose(f);
    }
  }
  closedir(tasks);
  return total;
}

inline double DisplayRefreshRate() {
  SDL_DisplayMode mode;
  if (SDL_WasInit(SDL_INIT_VIDEO) != 0 && SDL_GetCurrentDisplayMode(0, &mode) == 0 && mode.refresh_rate > 0) {
    return mode.refresh_rate;
  }
  return 60;
}

// The engine must be started (StartGame); the loop is the game's: key check, frame, pump.
inline GamePacing RunGameLoopFor(double seconds) {
  using Clock = std::chrono::steady_clock;
  GamePacing pacing;
  const double period = 1.0 / DisplayRefreshRate();
  const bool pictures = !UsingHardwarePath();
  const unsigned firstPresent = GraphicsState.presentCount;
  std::uint64_t lastPicture = 0;
  std::uint64_t waited = RunQueueWait(), ran = ThreadRunning();
  const Clock::time_point start = Clock::now();
  Clock::time_point now = start;
  while (std::chrono::duration<double>(now - start).count() < seconds) {
    if (IsKeyDown(1) != 0) break;
    RunFrame();
    ++pacing.ticks;
    if (pictures) {
      const std::uint64_t picture = PictureHash(GraphicsState.screenImage);
      if (pacing.ticks == 1 || picture != lastPicture) ++pacing.pictures;
      lastPicture = picture;
    }
    if (PumpMessages() != 0) break;
    const Clock::time_point before = now;
    now = Clock::now();
    const std::uint64_t waitedBefore = waited, ranBefore = ran;
    waited = RunQueueWait();
    ran = ThreadRunning();
    if (std::chrono::duration<double>(now - before).count() >= 1.75 * period) {
      ++pacing.longTicks;
      // A tick is late when its work, the game thread's running and every thread's waiting for
      // a CPU, overran a refresh period; a loaded machine does that. A tick that took two
      // refreshes with half a period of such work or less slept through a refresh it could
      // have kept.
      const double work = static_cast<double>((waited - waitedBefore) + (ran - ranBefore)) * 1e-9;
      if (work < 0.5 * period) ++pacing.missedTicks;
    }
  }
  pacing.seconds = std::chrono::duration<double>(now - start).count();
  pacing.refreshes = pacing.seconds / period;
  pacing.presents = GraphicsState.presentCount - firstPresent;
  return pacing;
}
