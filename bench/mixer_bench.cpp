// The mixer's cost: 32 voices mixed into periods of 1024 frames of 48 kHz stereo, called as the
// output's thread calls it. The voices are of every kind the mixer meets: mono and stereo,
// at the output's rate and at others, some at another frequency, at several volumes and pans.
// "core share" is the time of a period over the period's length (21.3 ms): the share of one
// core that mixing takes while it plays.
#include <benchmark/benchmark.h>

#include <time.h>

#include <vector>

#include "sound/mixer.h"
#include "support/sound_bytes.h"
#include "vornek.h"

namespace {

using namespace sound_bytes;

constexpr int Frames = 1024, Rate = 48000;

void StartVoices(int count, bool resample) {
  ReleaseAllSounds();
  const int rates[] = {48000, 44100, 22050, 32000};
  for (int i = 0; i < count; ++i) {
    const int rate = resample ? rates[i % 4] : Rate;
    std::vector<double> tone = Sine(rate, rate, 200 + 37 * i, 0.05);
    const bool stereo = i % 3 == 0;
    const Bytes file = stereo ? Wave(1, 2, static_cast<std::uint32_t>(rate), 16, Pcm(Interleave(tone, tone), 16))
                              : Wave(1, 1, static_cast<std::uint32_t>(rate), 16, Pcm(tone, 16));
    const int sound = LoadSoundFromMemory(file.data(), static_cast<int>(file.size()));
    SetSoundVolume(sound, 300 + 20 * i);
    SetSoundPan(sound, (i % 5 - 2) * 400);
    const int voice = PlaySoundHandle(sound, PlayLoop);
    if (resample && i % 2 == 1) SetVoiceFrequency(voice, rate + 3000);
  }
}

void Mix(benchmark::State& state, bool resample) {
  StartVoices(static_cast<int>(state.range(0)), resample);
  std::vector<float> out(2 * Frames);
  timespec before{}, after{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &before);
  for (auto _ : state) {
    std::fill(out.begin(), out.end(), 0.0f);
    MixSound(nullptr, out.data(), Frames, Rate);
    benchmark::DoNotOptimize(out.data());
  }
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &after);
  const double cpu = static_cast<double>(after.tv_sec - before.tv_sec) + (after.tv_nsec - before.tv_nsec) * 1e-9;
  const double period = static_cast<double>(Frames) / Rate;
  state.counters["core_share_pct"] = 100.0 * cpu / (static_cast<double>(state.iterations()) * period);
  ReleaseAllSounds();
}

void BM_MixAtTheOutputRate(benchmark::State& state) { Mix(state, false); }
void BM_MixResampled(benchmark::State& state) { Mix(state, true); }

BENCHMARK(BM_MixAtTheOutputRate)->Arg(1)->Arg(32);
BENCHMARK(BM_MixResampled)->Arg(1)->Arg(32);

}  // namespace

BENCHMARK_MAIN();
