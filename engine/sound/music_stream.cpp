#include "music_stream.h"

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "../core/last_error.h"
#include "../core/log.h"
#include "../core/tracked_memory.h"
#include "midi_music.h"
#include "mixer.h"
#include "platform/kernel32.h"
#include "sound_samples.h"

namespace {

constexpr std::uint32_t RingSeconds = 2;

struct MusicRecord {
  bool active;
  MidiRenderer* midi;  // null for Ogg Vorbis
  HANDLE file;
  OggVorbis_File vorbis;
  std::int16_t* ring;
  MusicFeed feed;
  bool loop;
  std::uint32_t loopStart;
  int link;
  float volume;  // kept from one music to the next
  bool volumeSet;
};
MusicRecord Music{};

size_t ReadStream(void* out, size_t size, size_t count, void* source) {
  if (size == 0 || count == 0) return 0;
  const std::size_t want = std::min<std::size_t>(size * count, 1u << 30);
  DWORD got = 0;
  if (!ReadFile(static_cast<HANDLE>(source), out, static_cast<DWORD>(want), &got, nullptr)) return 0;
  return got / size;
}

int SeekStream(void* source, ogg_int64_t offset, int whence) {
  const DWORD method = whence == SEEK_CUR ? FILE_CURRENT : whence == SEEK_END ? FILE_END : FILE_BEGIN;
  LONG high = static_cast<LONG>(static_cast<std::uint64_t>(offset) >> 32);
  const DWORD low = SetFilePointer(static_cast<HANDLE>(source), static_cast<LONG>(offset & 0xFFFFFFFF), &high, method);
  return low == INVALID_SET_FILE_POINTER ? -1 : 0;
}

long TellStream(void* source) {
  LONG high = 0;
  const DWORD low = SetFilePointer(static_cast<HANDLE>(source), 0, &high, FILE_CURRENT);
  if (low == INVALID_SET_FILE_POINTER) return -1;
  return static_cast<long>((static_cast<std::uint64_t>(static_cast<std::uint32_t>(high)) << 32) | low);
}

void Release() {
  if (!Music.active) return;
  {
    MixerHold hold;
    SetMusicFeed(nullptr);
  }
  if (Music.midi != nullptr) {
    CloseMidi(Music.midi);
    Music.midi = nullptr;
  } else {
    ov_clear(&Music.vorbis);  // closes nothing: the file is ours
    CloseHandle(Music.file);
  }
  TrackedFree(Music.ring);
  Music.ring = nullptr;
  Music.file = nullptr;
  Music.active = false;
}

// Decodes into the ring's free room; on the end, goes back to the loop point or marks the
// stream complete. Runs without the mixer's lock.
void Fill() {
  MusicFeed& feed = Music.feed;
  if (feed.complete.load(std::memory_order_relaxed)) return;
  const int channels = feed.channels;
  bool rewound = false;
  for (;;) {
    const std::uint64_t written = feed.written.load(std::memory_order_relaxed);
    const std::uint64_t room = feed.capacity - (written - feed.released.load(std::memory_order_acquire));
    if (room == 0) return;
    const std::uint64_t at = written % feed.capacity;
    const std::uint64_t frames = std::min<std::uint64_t>(room, feed.capacity - at);
    if (Music.midi != nullptr) {
      const std::uint32_t got = RenderMidi(Music.midi, Music.ring + at * channels,
                                           static_cast<std::uint32_t>(std::min<std::uint64_t>(frames, 4096)));
      if (got == 0) {
        feed.complete.store(true, std::memory_order_release);
        return;
      }
      feed.written.store(written + got, std::memory_order_release);
      continue;
    }
    int current = 0;
    const long got =
        ov_read(&Music.vorbis, reinterpret_cast<char*>(Music.ring + at * channels),
                static_cast<int>(std::min<std::uint64_t>(frames * channels * 2, 65536)), 0, 2, 1, &current);
    if (got == OV_HOLE) continue;  // a damaged page is skipped, the music goes on
    if (got < 0) {
      LogText("音楽のデータが壊れているので演奏を終えます\n");
      feed.complete.store(true, std::memory_order_release);
      return;
    }
    if (got == 0) {
      // At the end: back to the loop point, unless that gives nothing either.
      if (!Music.loop || rewound || ov_pcm_seek(&Music.vorbis, Music.loopStart) != 0) {
        feed.complete.store(true, std::memory_order_release);
        return;
      }
      rewound = true;
      continue;
    }
    if (current != Music.link) {
      const vorbis_info* info = ov_info(&Music.vorbis, current);
      if (info == nullptr || info->channels != channels || info->rate != static_cast<long>(feed.rate)) {
        LogText("音楽の途中で形式が変わったので演奏を終えます\n");
        feed.complete.store(true, std::memory_order_release);
        return;
      }
      Music.link = current;
    }
    rewound = false;
    feed.written.store(written + static_cast<std::uint64_t>(got) / (2 * channels), std::memory_order_release);
  }
}

// -1, with the reason in the log and in English as the last error (without the call's name).
int Fail(const char* path, const char* reason, const char* english) {
  LogFormat("音楽ファイル %s の演奏に失敗しました: %s", path, reason);
  SetLastErrorText("the music %s %s", path, english);
  return -1;
}

bool IsMidi(HANDLE file) {
  char head[4] = {};
  DWORD got = 0;
  const bool midi = ReadFile(file, head, 4, &got, nullptr) && got == 4 && std::memcmp(head, "MThd", 4) == 0;
  SetFilePointer(file, 0, nullptr, FILE_BEGIN);
  return midi;
}

}  // namespace

namespace {

// Music whose source is open in Music (an Ogg file or a MIDI renderer): its ring, filled two
// seconds ahead, handed to the mixer.
int Begin(const char* path, std::uint16_t channels, std::uint32_t rate, bool loop, std::uint32_t loopStartFrame,
          int fadeInMilliseconds) {
  const std::uint32_t capacity = rate * RingSeconds;
  auto* ring = static_cast<std::int16_t*>(TrackedAlloc(std::size_t{capacity} * channels * 2, "", 0));
  Music.active = true;
  Music.ring = ring;
  if (ring == nullptr) {
    Release();
    return Fail(path, "メモリが足りません", "cannot be played: there is no memory for its buffer");
  }
  Music.loop = loop;
  Music.loopStart = loopStartFrame;
  Music.link = -1;
  MusicFeed& feed = Music.feed;
  feed.ring = ring;
  feed.capacity = capacity;
  feed.channels = channels;
  feed.rate = rate;
  feed.written.store(0);
  feed.released.store(0);
  feed.complete.store(false);
  feed.finished.store(false);
  feed.position = 0;
  feed.volume = MusicGain();
  feed.fade = fadeInMilliseconds > 0 ? 0.0f : 1.0f;
  feed.fadeTarget = 1.0f;
  feed.fadePerSecond = fadeInMilliseconds > 0 ? 1000.0f / static_cast<float>(fadeInMilliseconds) : 0.0f;
  feed.stopWhenSilent = false;
  Fill();
  MixerHold hold;
  SetMusicFeed(&feed);
  return 0;
}

int StartMidi(const char* path, bool loop, int fadeInMilliseconds, bool audible) {
  const char* reason = nullptr;
  MidiRenderer* midi = OpenMidi(path, loop, &reason);
  if (midi == nullptr) {
    return Fail(path, reason,
                "cannot be played as MIDI: the build has no FluidSynth, no General MIDI SoundFont was found, or the "
                "file is damaged");
  }
  if (!audible) {
    CloseMidi(midi);
    return 0;
  }
  Music.midi = midi;
  return Begin(path, 2, MidiRate, loop, 0, fadeInMilliseconds);
}

}  // namespace

int StartMusic(const char* path, bool loop, std::uint32_t loopStartFrame, int fadeInMilliseconds, bool audible) {
  EndMusic();
  if (path == nullptr) return Fail("(null)", "ファイル名がありません", "has no file name");
  HANDLE file = CreateFileA(path, GENERIC_READ, 1, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return Fail(path, "ファイルが開けません", "could not be opened");
  if (IsMidi(file)) {
    CloseHandle(file);
    return StartMidi(path, loop, fadeInMilliseconds, audible);
  }
  const ov_callbacks callbacks{&ReadStream, &SeekStream, nullptr, &TellStream};
  if (ov_open_callbacks(file, &Music.vorbis, nullptr, 0, callbacks) != 0) {
    CloseHandle(file);
    return Fail(path, "Ogg Vorbis ファイルではないか、壊れています",
                "is not an Ogg Vorbis or MIDI file, or is damaged");
  }
  const vorbis_info* info = ov_info(&Music.vorbis, -1);
  const char* reason = nullptr;
  const char* english = nullptr;
  const ogg_int64_t total = ov_pcm_total(&Music.vorbis, -1);
  if (info == nullptr || (info->channels != 1 && info->channels != 2)) {
    reason = "モノラルとステレオ以外のチャンネル数です";
    english = "has neither one channel nor two";
  } else if (info->rate < static_cast<long>(MinSoundRate) || info->rate > static_cast<long>(MaxSoundRate)) {
    reason = "サンプリングレートが範囲外です";
    english = "has a rate outside 1000 to 384000 Hz";
  } else if (loop && total >= 0 && static_cast<ogg_int64_t>(loopStartFrame) >= std::max<ogg_int64_t>(total, 1)) {
    reason = "ループの位置が音楽の長さを超えています";
    english = "ends before the loop frame";
  }
  if (reason != nullptr || !audible) {
    ov_clear(&Music.vorbis);
    CloseHandle(file);
    return reason != nullptr ? Fail(path, reason, english) : 0;
  }
  Music.file = file;
  return Begin(path, static_cast<std::uint16_t>(info->channels), static_cast<std::uint32_t>(info->rate), loop,
               loopStartFrame, fadeInMilliseconds);
}

void EndMusic() { Release(); }

void UpdateMusic() {
  if (!Music.active) return;
  if (Music.feed.finished.load(std::memory_order_relaxed)) {
    Release();
    return;
  }
  Fill();
}

bool MusicPlaying() { return Music.active && !Music.feed.finished.load(std::memory_order_relaxed); }

void SetMusicGain(float volume) {
  Music.volume = volume;
  Music.volumeSet = true;
  if (!Music.active) return;
  MixerHold hold;
  Music.feed.volume = volume;
}

float MusicGain() { return Music.volumeSet ? Music.volume : 1.0f; }

void ForgetMusicGain() { Music.volumeSet = false; }

int FadeMusicOut(int milliseconds) {
  if (!Music.active) return -1;
  if (milliseconds <= 0) {
    Release();
    return 0;
  }
  MixerHold hold;
  Music.feed.fadeTarget = 0.0f;
  Music.feed.fadePerSecond = -1000.0f / static_cast<float>(milliseconds);
  Music.feed.stopWhenSilent = true;
  return 0;
}
