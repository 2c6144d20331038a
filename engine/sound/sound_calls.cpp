// The public sound calls: sound handles, voices, the master volume and the music.
#include <algorithm>
#include <cstring>

#include "../core/log.h"
#include "../core/tracked_memory.h"
#include "mixer.h"
#include "music_stream.h"
#include "sound_decode.h"
#include "sound_file.h"
#include "sound_state.h"
#include "sound_table.h"
#include "vornek.h"

namespace {

// A compressed file is smaller than what it decodes to; this only keeps a mistaken path (a disk
// image, a video) from being read whole.
constexpr std::size_t MaxSoundFileBytes = std::size_t{512} << 20;

constexpr int MaxVolume = 1000;
constexpr int MinFrequency = 100, MaxFrequency = 400000;

bool Audible() { return SoundState.MixerAttached != 0; }

// Sounds live from the sound start-up to its end: one made outside would outlive every release.
bool Refused(const char* what) {
  if (SoundState.CallsOpen) return false;
  LogFormat("%sに失敗しました: エンジンが動いていません", what);
  return true;
}

int AddDecoded(const std::uint8_t* bytes, std::size_t size, const char* origin) {
  SoundSamples data{};
  const char* reason = nullptr;
  if (!DecodeSound(bytes, size, &data, &reason)) {
    LogFormat("サウンド %s の読み込みに失敗しました: %s", origin, reason);
    return -1;
  }
  const int handle = AddSound(data);
  if (handle < 0) {
    FreeSoundSamples(data);
    LogFormat("サウンド %s の読み込みに失敗しました: サウンドハンドルが %d 個すべて使われています", origin, SoundSlots);
  }
  return handle;
}

void ApplyToVoices(const SoundRecord& sound, void (*apply)(Voice&, int), int value) {
  const int index = SoundSlotIndex(sound);
  for (int i = 0; i < VoiceSlots; ++i) {
    Voice& v = VoiceSlot(i);
    if (v.checkNumber >= 0 && v.sound == index) apply(v, value);
  }
}

void VolumeOf(Voice& v, int volume) { v.volume = static_cast<float>(volume) / MaxVolume; }
void PanOf(Voice& v, int pan) { v.pan = static_cast<float>(pan) / MaxVolume; }

bool ValidFrequency(int hz) { return hz == 0 || (hz >= MinFrequency && hz <= MaxFrequency); }

}  // namespace

int LoadSound(const char* path) {
  if (Refused("サウンドの読み込み")) return -1;
  if (path == nullptr) {
    LogText("サウンドの読み込みに失敗しました: ファイル名がありません\n");
    return -1;
  }
  std::size_t size = 0;
  const char* reason = nullptr;
  std::uint8_t* bytes = ReadWholeFile(path, MaxSoundFileBytes, &size, &reason);
  if (bytes == nullptr) {
    LogFormat("サウンド %s の読み込みに失敗しました: %s", path, reason);
    return -1;
  }
  const int handle = AddDecoded(bytes, size, path);
  TrackedFree(bytes);
  return handle;
}

int LoadSoundFromMemory(const void* data, int size) {
  if (Refused("サウンドの読み込み")) return -1;
  if (data == nullptr || size <= 0) {
    LogText("メモリ上のサウンドの読み込みに失敗しました: データがありません\n");
    return -1;
  }
  return AddDecoded(static_cast<const std::uint8_t*>(data), static_cast<std::size_t>(size), "(メモリ)");
}

int ReleaseSound(int sound) {
  SoundRecord* record = FindSound(sound);
  if (record == nullptr) return -1;
  {
    MixerHold hold;
    StopVoicesOf(SoundSlotIndex(*record));
    for (int i = 0; i < VoiceSlots; ++i) {
      Voice& v = VoiceSlot(i);
      if (v.checkNumber >= 0 && v.sound == SoundSlotIndex(*record)) v.checkNumber = -1;
    }
  }
  FreeSoundSlot(*record);
  return 0;
}

int ReleaseAllSounds() {
  {
    MixerHold hold;
    for (int i = 0; i < VoiceSlots; ++i) VoiceSlot(i).checkNumber = -1;
  }
  for (int i = 0; i < SoundSlots; ++i) {
    if (SoundSlot(i).checkNumber >= 0) FreeSoundSlot(SoundSlot(i));
  }
  return 0;
}

int GetSoundFrames(int sound) {
  const SoundRecord* record = FindSound(sound);
  return record == nullptr ? -1 : static_cast<int>(record->data.frames);
}

int GetSoundRate(int sound) {
  const SoundRecord* record = FindSound(sound);
  return record == nullptr ? -1 : static_cast<int>(record->data.rate);
}

int GetSoundChannels(int sound) {
  const SoundRecord* record = FindSound(sound);
  return record == nullptr ? -1 : record->data.channels;
}

int GetSoundLength(int sound) {
  const SoundRecord* record = FindSound(sound);
  if (record == nullptr) return -1;
  return static_cast<int>(static_cast<std::uint64_t>(record->data.frames) * 1000 / record->data.rate);
}

int SetSoundLoopPoint(int sound, int frame) {
  SoundRecord* record = FindSound(sound);
  if (record == nullptr || frame < 0 || (frame > 0 && static_cast<std::uint32_t>(frame) >= record->data.frames)) {
    return -1;
  }
  record->loopStart = static_cast<std::uint32_t>(frame);
  MixerHold hold;
  const int index = SoundSlotIndex(*record);
  for (int i = 0; i < VoiceSlots; ++i) {
    Voice& v = VoiceSlot(i);
    if (v.checkNumber >= 0 && v.sound == index) v.loopStart = record->loopStart;
  }
  return 0;
}

int PlaySoundHandle(int sound, int mode) {
  const SoundRecord* record = FindSound(sound);
  if (record == nullptr || (mode != PlayOnce && mode != PlayLoop)) return -1;
  MixerHold hold;
  const int voice = StartVoice(SoundSlotIndex(*record), *record, mode == PlayLoop, Audible());
  if (voice < 0) LogFormat("サウンドを再生できません: ボイスが %d 個すべてループ再生中です", VoiceSlots);
  return voice;
}

int StopSoundHandle(int sound) {
  const SoundRecord* record = FindSound(sound);
  if (record == nullptr) return -1;
  MixerHold hold;
  StopVoicesOf(SoundSlotIndex(*record));
  return 0;
}

int IsSoundHandlePlaying(int sound) {
  const SoundRecord* record = FindSound(sound);
  if (record == nullptr) return -1;
  MixerHold hold;
  const int index = SoundSlotIndex(*record);
  for (int i = 0; i < VoiceSlots; ++i) {
    const Voice& v = VoiceSlot(i);
    if (v.checkNumber >= 0 && v.sound == index && v.playing) return 1;
  }
  return 0;
}

int SetSoundVolume(int sound, int volume) {
  SoundRecord* record = FindSound(sound);
  if (record == nullptr || volume < 0 || volume > MaxVolume) return -1;
  record->volume = volume;
  MixerHold hold;
  ApplyToVoices(*record, &VolumeOf, volume);
  return 0;
}

int SetSoundPan(int sound, int pan) {
  SoundRecord* record = FindSound(sound);
  if (record == nullptr || pan < -MaxVolume || pan > MaxVolume) return -1;
  record->pan = pan;
  MixerHold hold;
  ApplyToVoices(*record, &PanOf, pan);
  return 0;
}

int SetSoundFrequency(int sound, int frequency) {
  SoundRecord* record = FindSound(sound);
  if (record == nullptr || !ValidFrequency(frequency)) return -1;
  record->frequency = frequency;
  const int hz = frequency != 0 ? frequency : static_cast<int>(record->data.rate);
  MixerHold hold;
  ApplyToVoices(*record, [](Voice& v, int value) { v.frequency = static_cast<std::uint32_t>(value); }, hz);
  return 0;
}

int StopVoice(int voice) {
  MixerHold hold;
  Voice* v = FindVoice(voice);
  if (v == nullptr) return -1;
  v->playing = false;
  return 0;
}

int IsVoicePlaying(int voice) {
  MixerHold hold;
  const Voice* v = FindVoice(voice);
  return v == nullptr ? -1 : (v->playing ? 1 : 0);
}

int SetVoiceVolume(int voice, int volume) {
  MixerHold hold;
  Voice* v = FindVoice(voice);
  if (v == nullptr || volume < 0 || volume > MaxVolume) return -1;
  VolumeOf(*v, volume);
  return 0;
}

int SetVoicePan(int voice, int pan) {
  MixerHold hold;
  Voice* v = FindVoice(voice);
  if (v == nullptr || pan < -MaxVolume || pan > MaxVolume) return -1;
  PanOf(*v, pan);
  return 0;
}

int SetVoiceFrequency(int voice, int frequency) {
  MixerHold hold;
  Voice* v = FindVoice(voice);
  if (v == nullptr || !ValidFrequency(frequency)) return -1;
  v->frequency = frequency != 0 ? static_cast<std::uint32_t>(frequency) : SoundSlot(v->sound).data.rate;
  return 0;
}

int SetMasterVolume(int volume) {
  if (volume < 0 || volume > MaxVolume) return -1;
  MixerHold hold;
  SetMasterGain(static_cast<float>(volume) / MaxVolume);
  return 0;
}

int GetMasterVolume() {
  MixerHold hold;
  return static_cast<int>(MasterGain() * MaxVolume + 0.5f);
}

int SetSoundPlayWhileInactive(int flag) {
  SoundState.PlayWhileInactive = flag != 0;
  if (flag != 0) SetMixerHeld(false);
  return 0;
}

int PlayMusic(const char* path, int mode, int loopStartFrame, int fadeInMilliseconds) {
  if (Refused("音楽の演奏")) return -1;
  if ((mode != PlayOnce && mode != PlayLoop) || loopStartFrame < 0 || fadeInMilliseconds < 0) {
    LogText("音楽の演奏に失敗しました: 引数が範囲外です\n");
    return -1;
  }
  return StartMusic(path, mode == PlayLoop, static_cast<std::uint32_t>(loopStartFrame), fadeInMilliseconds, Audible());
}

int StopMusic() {
  EndMusic();
  return 0;
}

int IsMusicPlaying() { return MusicPlaying() ? 1 : 0; }

int SetMusicVolume(int volume) {
  if (volume < 0 || volume > MaxVolume) return -1;
  SetMusicGain(static_cast<float>(volume) / MaxVolume);
  return 0;
}

int FadeOutMusic(int milliseconds) { return FadeMusicOut(milliseconds); }
