// Voices are resampled with 4-point cubic Lagrange interpolation. At an unchanged rate it
// returns the samples themselves; a 1 kHz tone raised from 22050 Hz to 44100 Hz comes out within
// 1.5/10000 of its amplitude, where linear interpolation is off by 1/100 and dulls the highs
// (Catmull-Rom's cubic: 4/10000). It folds back less than linear when a sound is played faster,
// for about twice the arithmetic, a small share of a core for dozens of voices.
#include "mixer.h"

#include <algorithm>

#include "../core/handle.h"
#include "platform/kernel32.h"

namespace {

struct MixerState {
  CRITICAL_SECTION lock;
  bool lockMade;
  bool slotsReady;
  Voice voices[VoiceSlots];
  int nextCheck;
  std::uint32_t nextOrder;
  float master;
  MusicFeed* music;
  std::atomic<bool> held;
};
MixerState Mixer{};

constexpr float SampleScale = 1.0f / 32768.0f;
constexpr double FractionScale = 1.0 / 4294967296.0;

void Prepare() {
  if (!Mixer.lockMade) {
    InitializeCriticalSection(&Mixer.lock);
    Mixer.lockMade = true;
  }
  if (!Mixer.slotsReady) {
    for (Voice& v : Mixer.voices) v.checkNumber = -1;
    Mixer.master = 1.0f;
    Mixer.slotsReady = true;
  }
}

// The weights of the frames before, at, after and two after the position, t past it.
struct Weights {
  float w[4];
  explicit Weights(float t) {
    const float before = t + 1.0f, after = t - 1.0f, twoAfter = t - 2.0f;
    w[0] = -t * after * twoAfter * (1.0f / 6.0f);
    w[1] = before * after * twoAfter * 0.5f;
    w[2] = -before * t * twoAfter * 0.5f;
    w[3] = before * t * after * (1.0f / 6.0f);
  }
  float operator()(float p0, float p1, float p2, float p3) const {
    return w[0] * p0 + w[1] * p1 + w[2] * p2 + w[3] * p3;
  }
};

// Balance: the far side is turned down, the near one stays at full.
void PanGains(float gain, float pan, float* left, float* right) {
  *left = gain * std::min(1.0f, 1.0f - pan);
  *right = gain * std::min(1.0f, 1.0f + pan);
}

// The frame index i of a voice's sound, wrapped into the loop; -1 for the silence before the
// start and past the end.
inline std::int64_t Wrap(const Voice& v, std::int64_t i) {
  if (i < 0) return -1;
  if (i < static_cast<std::int64_t>(v.frames)) return i;
  if (!v.loop) return -1;
  const std::int64_t length = v.frames - v.loopStart;
  return v.loopStart + (i - v.frames) % length;
}

// Adds one interpolated frame of a voice to an output frame (a mono voice to both sides).
template <int Channels>
inline void AddFrame(float* out, const float (&sample)[Channels], float left, float right) {
  out[0] += sample[0] * left;
  out[1] += sample[Channels - 1] * right;
}

// Frames whose four neighbours all lie inside the sound, from the position on: the run the
// inner loop takes without looking at the ends.
template <int Channels>
void MixInterior(const std::int16_t* s, std::uint64_t& position, std::uint64_t step, float* out, DWORD count,
                 float left, float right) {
  if (step == (std::uint64_t{1} << 32) && (position & 0xFFFFFFFFu) == 0) {
    // The output's own rate: the samples themselves.
    const std::int16_t* p = s + (position >> 32) * Channels;
    for (DWORD f = 0; f < count; ++f, p += Channels) {
      out[2 * f] += p[0] * left;
      out[2 * f + 1] += p[Channels - 1] * right;
    }
    position += std::uint64_t{count} << 32;
    return;
  }
  for (DWORD f = 0; f < count; ++f) {
    const Weights cubic(static_cast<float>((position & 0xFFFFFFFFu) * FractionScale));
    const std::int16_t* p = s + ((position >> 32) - 1) * Channels;
    float sample[Channels];
    for (int c = 0; c < Channels; ++c)
      sample[c] = cubic(p[c], p[Channels + c], p[2 * Channels + c], p[3 * Channels + c]);
    AddFrame<Channels>(out + 2 * f, sample, left, right);
    position += step;
  }
}

template <int Channels>
void MixVoice(Voice& v, float* out, DWORD frames, DWORD rate, float master) {
  float left, right;
  PanGains(v.volume * master * SampleScale, v.pan, &left, &right);
  const std::uint64_t step = (static_cast<std::uint64_t>(v.frequency) << 32) / rate;
  const std::uint64_t end = static_cast<std::uint64_t>(v.frames) << 32;
  // The last position whose frame two ahead is still in the sound.
  const std::uint64_t lastInterior =
      v.frames >= 3 ? ((static_cast<std::uint64_t>(v.frames - 3) << 32) | 0xFFFFFFFFu) : 0;
  const std::int16_t* s = v.samples;
  for (DWORD f = 0; f < frames;) {
    if (v.position >= end) {
      if (!v.loop) {
        v.playing = false;
        return;
      }
      const std::uint64_t loopStart = static_cast<std::uint64_t>(v.loopStart) << 32;
      v.position = loopStart + (v.position - end) % (end - loopStart);
    }
    if (v.frames >= 3 && v.position >= (std::uint64_t{1} << 32) && v.position <= lastInterior) {
      const std::uint64_t run = (lastInterior - v.position) / step + 1;
      const DWORD count = static_cast<DWORD>(std::min<std::uint64_t>(run, frames - f));
      MixInterior<Channels>(s, v.position, step, out + 2 * f, count, left, right);
      f += count;
      continue;
    }
    // Near an end: the neighbours wrap into the loop or are silence.
    const auto i = static_cast<std::int64_t>(v.position >> 32);
    const Weights cubic(static_cast<float>((v.position & 0xFFFFFFFFu) * FractionScale));
    const std::int64_t at[4] = {Wrap(v, i - 1), Wrap(v, i), Wrap(v, i + 1), Wrap(v, i + 2)};
    float sample[Channels];
    for (int c = 0; c < Channels; ++c) {
      float p[4];
      for (int k = 0; k < 4; ++k) p[k] = at[k] < 0 ? 0.0f : s[at[k] * Channels + c];
      sample[c] = cubic(p[0], p[1], p[2], p[3]);
    }
    AddFrame<Channels>(out + 2 * f, sample, left, right);
    v.position += step;
    ++f;
  }
}

// The music from the ring: like a looped voice, except that the frames come from the decoder
// as it goes and a fade may run.
void MixMusic(MusicFeed& m, float* out, DWORD frames, DWORD rate, float master) {
  if (m.finished.load(std::memory_order_relaxed)) return;
  const std::uint64_t step = (static_cast<std::uint64_t>(m.rate) << 32) / rate;
  const std::uint64_t written = m.written.load(std::memory_order_acquire);
  const bool complete =
      m.complete.load(std::memory_order_acquire) && written == m.written.load(std::memory_order_acquire);
  const int channels = m.channels;
  float fadeStep = m.fadePerSecond / static_cast<float>(rate);
  auto at = [&](std::uint64_t i, int c) -> float {
    return i < written ? m.ring[(i % m.capacity) * channels + c] : 0.0f;
  };
  for (DWORD f = 0; f < frames; ++f) {
    const std::uint64_t i = m.position >> 32;
    if (i >= written) {
      if (complete) m.finished.store(true, std::memory_order_relaxed);
      break;  // the decoder is behind: silence until it catches up
    }
    // Two frames ahead are needed, unless there are no more to come.
    if (i + 2 >= written && !complete) break;
    const Weights cubic(static_cast<float>((m.position & 0xFFFFFFFFu) * FractionScale));
    const std::uint64_t before = i - 1;  // for the first frame far past what is written: silence
    float left, right;
    PanGains(m.volume * m.fade * master, 0.0f, &left, &right);
    const float l = cubic(at(before, 0), at(i, 0), at(i + 1, 0), at(i + 2, 0)) * SampleScale;
    const float r = channels == 1 ? l : cubic(at(before, 1), at(i, 1), at(i + 1, 1), at(i + 2, 1)) * SampleScale;
    out[2 * f] += l * left;
    out[2 * f + 1] += r * right;
    m.position += step;
    if (fadeStep != 0.0f) {
      m.fade += fadeStep;
      if ((fadeStep > 0.0f && m.fade >= m.fadeTarget) || (fadeStep < 0.0f && m.fade <= m.fadeTarget)) {
        m.fade = m.fadeTarget;
        m.fadePerSecond = 0.0f;
        fadeStep = 0.0f;
        if (m.stopWhenSilent && m.fade <= 0.0f) {
          m.finished.store(true, std::memory_order_relaxed);
          break;
        }
      }
    }
  }
  // The frame before the current one is still read by the interpolation.
  const std::uint64_t current = m.position >> 32;
  m.released.store(current == 0 ? 0 : current - 1, std::memory_order_release);
}

}  // namespace

MixerHold::MixerHold() {
  Prepare();
  EnterCriticalSection(&Mixer.lock);
}

MixerHold::~MixerHold() { LeaveCriticalSection(&Mixer.lock); }

int StartVoice(int soundIndex, const SoundRecord& sound, bool loop, bool audible) {
  Prepare();
  // A free slot; else the voice that ended first (its handle then turns bad, so this is put off).
  Voice* slot = nullptr;
  for (Voice& v : Mixer.voices) {
    if (v.checkNumber < 0) {
      slot = &v;
      break;
    }
  }
  for (Voice& v : Mixer.voices) {
    if (slot != nullptr) break;
    if (!v.playing) slot = &v;
  }
  if (slot == nullptr) {
    // Every voice plays: the oldest that will end by itself gives way.
    for (Voice& v : Mixer.voices) {
      if (!v.loop && (slot == nullptr || v.order - Mixer.nextOrder < slot->order - Mixer.nextOrder)) slot = &v;
    }
    if (slot == nullptr) return -1;
  }
  const bool looped = loop && sound.data.frames > 0;
  *slot = Voice{};
  slot->checkNumber = Mixer.nextCheck;
  if (++Mixer.nextCheck > HandleCheckNumberMask) Mixer.nextCheck = 0;
  slot->sound = soundIndex;
  slot->samples = sound.data.samples;
  slot->frames = sound.data.frames;
  slot->loopStart = sound.loopStart < sound.data.frames ? sound.loopStart : 0;
  slot->channels = sound.data.channels;
  slot->loop = looped;
  slot->playing = sound.data.frames > 0 && (audible || looped);
  slot->frequency = sound.frequency != 0 ? static_cast<std::uint32_t>(sound.frequency) : sound.data.rate;
  slot->volume = static_cast<float>(sound.volume) / 1000.0f;
  slot->pan = static_cast<float>(sound.pan) / 1000.0f;
  slot->order = Mixer.nextOrder++;
  return MakeHandle(HandleTypeVoice, slot->checkNumber, static_cast<int>(slot - Mixer.voices));
}

Voice* FindVoice(int handle) {
  Prepare();
  const int index =
      ValidateHandle(handle, HandleTypeVoice, VoiceSlots, [](int i) { return Mixer.voices[i].checkNumber; });
  return index < 0 ? nullptr : &Mixer.voices[index];
}

Voice& VoiceSlot(int index) {
  Prepare();
  return Mixer.voices[index];
}

void StopVoicesOf(int soundIndex) {
  for (Voice& v : Mixer.voices) {
    if (v.checkNumber >= 0 && v.sound == soundIndex) v.playing = false;
  }
}

void StopAllVoices() {
  for (Voice& v : Mixer.voices) v.playing = false;
}

void SetMasterGain(float gain) {
  Prepare();
  Mixer.master = gain;
}

float MasterGain() {
  Prepare();
  return Mixer.master;
}

void SetMusicFeed(MusicFeed* feed) { Mixer.music = feed; }

void SetMixerHeld(bool held) { Mixer.held.store(held, std::memory_order_relaxed); }
bool MixerHeld() { return Mixer.held.load(std::memory_order_relaxed); }

void MixSound(void*, float* out, DWORD frames, DWORD rate) {
  if (rate == 0 || Mixer.held.load(std::memory_order_relaxed)) return;
  MixerHold hold;
  const float master = Mixer.master;
  for (Voice& v : Mixer.voices) {
    if (v.checkNumber < 0 || !v.playing) continue;
    if (v.channels == 2) {
      MixVoice<2>(v, out, frames, rate, master);
    } else {
      MixVoice<1>(v, out, frames, rate, master);
    }
  }
  if (Mixer.music != nullptr) MixMusic(*Mixer.music, out, frames, rate, master);
}

void EndMixer() {
  if (Mixer.lockMade) DeleteCriticalSection(&Mixer.lock);
  Mixer.lockMade = false;
  Mixer.slotsReady = false;
  Mixer.music = nullptr;
  Mixer.held.store(false);
}
