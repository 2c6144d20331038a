#include "sound_fuzzer.h"

#include <random>
#include <vector>

#include "core/tracked_memory.h"
#include "sound/sound_decode.h"
#include "support/sound_bytes.h"

namespace {

using sound_bytes::Bytes;

const std::vector<Bytes>& Seeds() {
  static const std::vector<Bytes> seeds = [] {
    using namespace sound_bytes;
    const std::vector<double> mono = Sine(300, 8000, 440, 0.6);
    const std::vector<double> stereo = Interleave(mono, Sine(300, 8000, 660, 0.3));
    const Bytes extensible = {22, 0, 16,   0, 3,    0, 0, 0,    3, 0,    0,    0,
                              0,  0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
    return std::vector<Bytes>{
        Wave(1, 1, 8000, 8, Pcm(mono, 8)),
        Wave(1, 2, 8000, 16, Pcm(stereo, 16)),
        Wave(1, 2, 8000, 24, Pcm(stereo, 24)),
        Wave(1, 1, 8000, 32, Pcm(mono, 32)),
        Wave(3, 2, 8000, 64, Float(stereo, 64)),
        Wave(0xFFFE, 2, 8000, 32, Float(stereo, 32), 0, extensible),
        ImaWave(ToInt16(mono), 1, 8000, 41),
        ImaWave(ToInt16(stereo), 2, 8000, 17),
        Vorbis(mono, 1, 8000, 0.0f),
    };
  }();
  return seeds;
}

// One of a few kinds of damage, as often many as one.
void Mutate(Bytes& b, std::mt19937_64& random) {
  const int count = 1 + static_cast<int>(random() % 8);
  for (int n = 0; n < count && !b.empty(); ++n) {
    const std::size_t at = random() % b.size();
    switch (random() % 7) {
      case 0:
        b[at] ^= static_cast<std::uint8_t>(1u << (random() % 8));
        break;
      case 1: {
        static constexpr std::uint8_t Edges[] = {0x00, 0x01, 0x7F, 0x80, 0xFE, 0xFF};
        b[at] = Edges[random() % 6];
        break;
      }
      case 2:
        b[at] = static_cast<std::uint8_t>(random());
        break;
      case 3:
        b.resize(at);  // cut off
        break;
      case 4: {  // a size or count word set to an edge value
        if (at + 4 > b.size()) break;
        static constexpr std::uint32_t Words[] = {0, 1, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF, 0xFFFF, 0x10000};
        const std::uint32_t w = Words[random() % 7];
        for (int k = 0; k < 4; ++k) b[at + k] = static_cast<std::uint8_t>(w >> (8 * k));
        break;
      }
      case 5: {  // bytes inserted
        const std::size_t length = 1 + random() % 16;
        for (std::size_t k = 0; k < length; ++k)
          b.insert(b.begin() + static_cast<long>(at), static_cast<std::uint8_t>(random()));
        break;
      }
      default: {  // a span repeated, as a chunk written twice
        const std::size_t length = std::min<std::size_t>(1 + random() % 64, b.size() - at);
        const Bytes span(b.begin() + static_cast<long>(at), b.begin() + static_cast<long>(at + length));
        b.insert(b.begin() + static_cast<long>(random() % b.size()), span.begin(), span.end());
        break;
      }
    }
  }
}

}  // namespace

SoundFuzzResult RunSoundFuzz(std::uint64_t seed, int inputs) {
  SoundFuzzResult result;
  std::mt19937_64 random(seed);
  const int blocks = LiveBlockCount();
  for (int i = 0; i < inputs && result.failure.empty(); ++i) {
    Bytes input = Seeds()[random() % Seeds().size()];
    if (i % 16 != 0) Mutate(input, random);  // now and then the seed whole, which must decode
    // A copy of exactly the input's size, so that a read past its end is a sanitizer finding.
    std::vector<std::uint8_t> exact(input.begin(), input.end());
    SoundSamples sound{};
    const char* reason = nullptr;
    ++result.inputs;
    if (!DecodeSound(exact.data(), exact.size(), &sound, &reason)) {
      if (reason == nullptr) result.failure = "refused without a reason";
      if (i % 16 == 0) result.failure = "an undamaged seed was refused: " + std::string(reason ? reason : "");
      if (sound.samples != nullptr) result.failure = "refused but kept samples";
    } else {
      ++result.decoded;
      if (sound.channels != 1 && sound.channels != 2) result.failure = "channels out of range";
      if (sound.rate < MinSoundRate || sound.rate > MaxSoundRate) result.failure = "rate out of range";
      if (sound.frames > MaxSoundFrames(sound.channels)) result.failure = "longer than the limit";
      // Every sample is read, so that a short block is found.
      std::int64_t sum = 0;
      for (std::uint64_t k = 0; k < std::uint64_t{sound.frames} * sound.channels; ++k) sum += sound.samples[k];
      if (sum == INT64_MIN) result.failure = "unreachable";
      FreeSoundSamples(sound);
    }
    if (LiveBlockCount() != blocks) result.failure = "a block was left allocated";
  }
  return result;
}
