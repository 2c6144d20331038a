// Sound through SDL's disk audio driver, which writes the output to a file.
//   sound_output_bench [trials]
// 1. Latency: from PlaySoundHandle to the first sample of the sound written at the output, over
//    trials plays at random moments, with the output's period of 1024 frames at 44100 Hz
//    (23.2 ms) and the driver paced at that rate. The target is two periods.
// 2. Mixing cost with the output running flat out (SDL_DISKAUDIODELAY=0) at 48 kHz stereo and
//    32 looped voices: the process's processor time per period of 1024 frames, and that over
//    the period's length (the share of one core at real time). The driver's own work (writing
//    the file) is in the figure; the same is measured with no voice, and with SDL_mixer playing
//    the same sounds where the bench was built with it. SDL_mixer converts its sounds to the
//    output's rate when they load and mixes without resampling, so the engine's voices here
//    play at the output's rate too.
#include <SDL.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#ifdef VORNEK_HAVE_SDL_MIXER
#include <SDL_mixer.h>
#endif

#include "core/engine_state.h"
#include "sound/sound.h"
#include "sound/sound_state.h"
#include "support/sound_bytes.h"
#include "vornek.h"

namespace {

using namespace sound_bytes;
using Clock = std::chrono::steady_clock;

std::string file;

long long FileSize() {
  struct stat s {};
  return stat(file.c_str(), &s) == 0 ? static_cast<long long>(s.st_size) : 0;
}

double CpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + t.tv_nsec * 1e-9;
}

// The 32 sounds of the cost measurement, as wave files at rate.
std::vector<Bytes> Sounds(int rate) {
  std::vector<Bytes> files;
  for (int i = 0; i < 32; ++i) {
    const std::vector<double> tone = Sine(rate, rate, 200 + 37 * i, 0.02);
    files.push_back(i % 3 == 0 ? Wave(1, 2, static_cast<std::uint32_t>(rate), 16, Pcm(Interleave(tone, tone), 16))
                               : Wave(1, 1, static_cast<std::uint32_t>(rate), 16, Pcm(tone, 16)));
  }
  return files;
}

void Latency(int trials) {
  setenv("SDL_DISKAUDIODELAY", "23", 1);
  SoundState = SoundStateRecord{};
  if (StartSound() != 0) {
    std::printf("latency: the disk driver did not start\n");
    return;
  }
  std::vector<double> level(4410, 0.5);
  const Bytes tone = Wave(1, 1, 44100, 16, Pcm(level, 16));
  const int sound = LoadSoundFromMemory(tone.data(), static_cast<int>(tone.size()));
  std::mt19937 random(7);
  std::vector<double> ms;
  for (int t = 0; t < trials; ++t) {
    std::this_thread::sleep_for(std::chrono::milliseconds(30 + random() % 40));
    const long long from = FileSize();
    const Clock::time_point played = Clock::now();
    const int voice = PlaySoundHandle(sound, PlayOnce);
    bool heard = false;
    while (!heard && Clock::now() - played < std::chrono::seconds(1)) {
      std::ifstream in(file, std::ios::binary);
      in.seekg(from);
      std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      heard = std::any_of(bytes.begin(), bytes.end(), [](char c) { return c != 0; });
      if (!heard) std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - played).count());
    while (IsVoicePlaying(voice) == 1) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  EndSound();
  std::sort(ms.begin(), ms.end());
  const double period = 1024 * 1000.0 / 44100;
  std::printf("latency over %d plays: median %.1f ms, worst %.1f ms (%.2f periods of %.1f ms; target 2)\n", trials,
              ms[ms.size() / 2], ms.back(), ms.back() / period, period);
}

void Report(const char* what, double cpu, long long bytes) {
  const double periods = static_cast<double>(bytes) / 4 / 1024;
  const double perPeriod = cpu / periods;
  std::printf("%-34s %8.1f us a period, %6.2f %% of a core at real time\n", what, perPeriod * 1e6,
              100 * perPeriod / (1024.0 / 48000));
}

// Runs the output flat out for a second and reports what it cost.
void Measure(const char* what) {
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  const long long from = FileSize();
  const double cpu = CpuSeconds();
  std::this_thread::sleep_for(std::chrono::seconds(1));
  Report(what, CpuSeconds() - cpu, FileSize() - from);
}

void EngineCost() {
  setenv("SDL_DISKAUDIODELAY", "0", 1);
  SoundState = SoundStateRecord{};
  if (StartSound() != 0) return;
  WAVEFORMATEX format{WAVE_FORMAT_PCM, 2, 48000, 192000, 4, 16, 0};
  SoundState.PrimaryBuffer->SetFormat(&format);
  Measure("engine, no voice");
  int i = 0;
  for (const Bytes& f : Sounds(48000)) {
    const int sound = LoadSoundFromMemory(f.data(), static_cast<int>(f.size()));
    SetSoundVolume(sound, 300 + 20 * i);
    SetSoundPan(sound, (i % 5 - 2) * 400);
    PlaySoundHandle(sound, PlayLoop);
    ++i;
  }
  Measure("engine, 32 voices");
  EndSound();
}

void SdlMixerCost() {
#ifdef VORNEK_HAVE_SDL_MIXER
  setenv("SDL_DISKAUDIODELAY", "0", 1);
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0 || Mix_OpenAudio(48000, AUDIO_S16LSB, 2, 1024) != 0) {
    std::printf("SDL_mixer: no output (%s)\n", SDL_GetError());
    return;
  }
  Measure("SDL_mixer, no channel");
  Mix_AllocateChannels(32);
  std::vector<Mix_Chunk*> chunks;
  int i = 0;
  for (const Bytes& f : Sounds(48000)) {
    Mix_Chunk* chunk = Mix_LoadWAV_RW(SDL_RWFromConstMem(f.data(), static_cast<int>(f.size())), 1);
    chunks.push_back(chunk);
    Mix_Volume(i, (300 + 20 * i) * MIX_MAX_VOLUME / 1000);
    const int pan = (i % 5 - 2) * 400;
    Mix_SetPanning(i, static_cast<Uint8>(255 * std::min(1000, 1000 - pan) / 1000),
                   static_cast<Uint8>(255 * std::min(1000, 1000 + pan) / 1000));
    Mix_PlayChannel(i, chunk, -1);
    ++i;
  }
  Measure("SDL_mixer, 32 channels");
  Mix_HaltChannel(-1);
  Mix_CloseAudio();
  for (Mix_Chunk* chunk : chunks) Mix_FreeChunk(chunk);
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
#else
  std::printf("SDL_mixer: not built in (libsdl2-mixer-dev not installed)\n");
#endif
}

}  // namespace

int main(int argc, char** argv) {
  const int trials = argc > 1 ? std::atoi(argv[1]) : 30;
  char directory[] = "/tmp/vornek-sound-bench-XXXXXX";
  if (mkdtemp(directory) == nullptr) return 1;
  file = std::string(directory) + "/out.raw";
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
  std::strcpy(EngineState.StartupDirectory, directory);
  Latency(trials);
  EngineCost();
  SdlMixerCost();
  unlink(file.c_str());
  rmdir(directory);
  return 0;
}
