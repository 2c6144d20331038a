// The public sound calls: sound handles, voices, the master volume and the music.
#include <algorithm>
#include <cstring>

#include "../core/last_error.h"
#include "../core/log.h"
#include "../core/tracked_memory.h"
#include "mixer.h"
#include "music_stream.h"
#include "sound_decode.h"
#include "sound_file.h"
#include "sound_state.h"
#include "sound_table.h"
#include "vornek.h"
#include "../core/engine_thread.h"

namespace {

// A compressed file is smaller than what it decodes to; this only keeps a mistaken path (a disk
// image, a video) from being read whole.
constexpr std::size_t MaxSoundFileBytes = std::size_t{512} << 20;

constexpr int MaxVolume = 1000;
constexpr int MinFrequency = 100, MaxFrequency = 400000;

bool Audible() { return SoundState.MixerAttached != 0; }

// Sounds live from the sound start-up to its end: one made outside would outlive every release.
bool Refused(const char* what, const char* call) {
  if (SoundState.CallsOpen) return false;
  LogFormat("%sに失敗しました: エンジンが動いていません", what);
  SetLastErrorText("%s: the engine is not running", call);
  return true;
}

int BadSound(const char* call, int sound) { return FailWithText("%s: %d is not a live sound's handle", call, sound); }

int BadVoice(const char* call, int voice) {
  return FailWithText("%s: %d is not a voice's handle (its slot may have been played again)", call, voice);
}

int OutOfRange(const char* call, const char* what, int value, int low, int high) {
  return FailWithText("%s: the %s %d is outside %d to %d", call, what, value, low, high);
}

int BadFrequency(const char* call, int hz) {
  return FailWithText("%s: the frequency %d Hz is outside %d to %d (0 for the sound's own)", call, hz, MinFrequency,
                      MaxFrequency);
}

int AddDecoded(const std::uint8_t* bytes, std::size_t size, const char* origin, const char* call) {
  SoundSamples data{};
  const char* reason = nullptr;
  if (!DecodeSound(bytes, size, &data, &reason)) {
    LogFormat("サウンド %s の読み込みに失敗しました: %s", origin, reason);
    return FailWithText("%s: %s is damaged, cut short, of a kind not read or decodes to more than 256 MiB", call,
                        origin);
  }
  const int handle = AddSound(data);
  if (handle < 0) {
    FreeSoundSamples(data);
    LogFormat("サウンド %s の読み込みに失敗しました: サウンドハンドルが %d 個すべて使われています", origin, SoundSlots);
    return FailWithText("%s: every one of the %d sound handles is in use", call, SoundSlots);
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
  if (CalledOffEngineThread(__func__)) return -1;
  if (Refused("サウンドの読み込み", "LoadSound")) return -1;
  if (path == nullptr) {
    LogText("サウンドの読み込みに失敗しました: ファイル名がありません\n");
    return FailWithText("LoadSound: the file name is null");
  }
  std::size_t size = 0;
  const char* reason = nullptr;
  std::uint8_t* bytes = ReadWholeFile(path, MaxSoundFileBytes, &size, &reason);
  if (bytes == nullptr) {
    LogFormat("サウンド %s の読み込みに失敗しました: %s", path, reason);
    return FailWithText("LoadSound: the file %s could not be read whole (missing, unreadable, or above %zu MiB)", path,
                        MaxSoundFileBytes >> 20);
  }
  const int handle = AddDecoded(bytes, size, path, "LoadSound");
  TrackedFree(bytes);
  return handle;
}

int LoadSoundFromMemory(const void* data, int size) {
  if (CalledOffEngineThread(__func__)) return -1;
  if (Refused("サウンドの読み込み", "LoadSoundFromMemory")) return -1;
  if (data == nullptr || size <= 0) {
    LogText("メモリ上のサウンドの読み込みに失敗しました: データがありません\n");
    return FailWithText("LoadSoundFromMemory: no data (%d bytes)", data == nullptr ? 0 : size);
  }
  return AddDecoded(static_cast<const std::uint8_t*>(data), static_cast<std::size_t>(size), "(メモリ)",
                    "LoadSoundFromMemory");
}

int ReleaseSound(int sound) {
  if (CalledOffEngineThread(__func__)) return -1;
  SoundRecord* record = FindSound(sound);
  if (record == nullptr) return BadSound(__func__, sound);
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
  if (CalledOffEngineThread(__func__)) return -1;
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
  if (CalledOffEngineThread(__func__)) return -1;
  const SoundRecord* record = FindSound(sound);
  if (record == nullptr) return BadSound(__func__, sound);
  return static_cast<int>(record->data.frames);
}

int GetSoundRate(int sound) {
  if (CalledOffEngineThread(__func__)) return -1;
  const SoundRecord* record = FindSound(sound);
  if (record == nullptr) return BadSound(__func__, sound);
  return static_cast<int>(record->data.rate);
}

int GetSoundChannels(int sound) {
  if (CalledOffEngineThread(__func__)) return -1;
  const SoundRecord* record = FindSound(sound);
  if (record == nullptr) return BadSound(__func__, sound);
  return record->data.channels;
}

int GetSoundLength(int sound) {
  if (CalledOffEngineThread(__func__)) return -1;
  const SoundRecord* record = FindSound(sound);
  if (record == nullptr) return BadSound(__func__, sound);
  return static_cast<int>(static_cast<std::uint64_t>(record->data.frames) * 1000 / record->data.rate);
}

int SetSoundLoopPoint(int sound, int frame) {
  if (CalledOffEngineThread(__func__)) return -1;
  SoundRecord* record = FindSound(sound);
  if (record == nullptr) return BadSound(__func__, sound);
  if (frame < 0 || (frame > 0 && static_cast<std::uint32_t>(frame) >= record->data.frames)) {
    return FailWithText("SetSoundLoopPoint: frame %d lies outside the sound's %u frames", frame,
                        static_cast<unsigned>(record->data.frames));
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
  if (CalledOffEngineThread(__func__)) return -1;
  const SoundRecord* record = FindSound(sound);
  if (record == nullptr) return BadSound(__func__, sound);
  if (mode != PlayOnce && mode != PlayLoop) {
    return FailWithText("PlaySoundHandle: the mode %d is neither PlayOnce (0) nor PlayLoop (1)", mode);
  }
  MixerHold hold;
  const int voice = StartVoice(SoundSlotIndex(*record), *record, mode == PlayLoop, Audible());
  if (voice < 0) {
    LogFormat("サウンドを再生できません: ボイスが %d 個すべてループ再生中です", VoiceSlots);
    return FailWithText("PlaySoundHandle: all %d voices are playing looped sounds", VoiceSlots);
  }
  return voice;
}

int StopSoundHandle(int sound) {
  if (CalledOffEngineThread(__func__)) return -1;
  const SoundRecord* record = FindSound(sound);
  if (record == nullptr) return BadSound(__func__, sound);
  MixerHold hold;
  StopVoicesOf(SoundSlotIndex(*record));
  return 0;
}

int IsSoundHandlePlaying(int sound) {
  if (CalledOffEngineThread(__func__)) return -1;
  const SoundRecord* record = FindSound(sound);
  if (record == nullptr) return BadSound(__func__, sound);
  MixerHold hold;
  const int index = SoundSlotIndex(*record);
  for (int i = 0; i < VoiceSlots; ++i) {
    const Voice& v = VoiceSlot(i);
    if (v.checkNumber >= 0 && v.sound == index && v.playing) return 1;
  }
  return 0;
}

int SetSoundVolume(int sound, int volume) {
  if (CalledOffEngineThread(__func__)) return -1;
  SoundRecord* record = FindSound(sound);
  if (record == nullptr) return BadSound(__func__, sound);
  if (volume < 0 || volume > MaxVolume) return OutOfRange(__func__, "volume", volume, 0, MaxVolume);
  record->volume = volume;
  MixerHold hold;
  ApplyToVoices(*record, &VolumeOf, volume);
  return 0;
}

int SetSoundPan(int sound, int pan) {
  if (CalledOffEngineThread(__func__)) return -1;
  SoundRecord* record = FindSound(sound);
  if (record == nullptr) return BadSound(__func__, sound);
  if (pan < -MaxVolume || pan > MaxVolume) return OutOfRange(__func__, "pan", pan, -MaxVolume, MaxVolume);
  record->pan = pan;
  MixerHold hold;
  ApplyToVoices(*record, &PanOf, pan);
  return 0;
}

int SetSoundFrequency(int sound, int frequency) {
  if (CalledOffEngineThread(__func__)) return -1;
  SoundRecord* record = FindSound(sound);
  if (record == nullptr) return BadSound(__func__, sound);
  if (!ValidFrequency(frequency)) return BadFrequency(__func__, frequency);
  record->frequency = frequency;
  const int hz = frequency != 0 ? frequency : static_cast<int>(record->data.rate);
  MixerHold hold;
  ApplyToVoices(
      *record, [](Voice& v, int value) { v.frequency = static_cast<std::uint32_t>(value); }, hz);
  return 0;
}

int StopVoice(int voice) {
  if (CalledOffEngineThread(__func__)) return -1;
  MixerHold hold;
  Voice* v = FindVoice(voice);
  if (v == nullptr) return BadVoice(__func__, voice);
  v->playing = false;
  return 0;
}

int IsVoicePlaying(int voice) {
  if (CalledOffEngineThread(__func__)) return -1;
  MixerHold hold;
  const Voice* v = FindVoice(voice);
  if (v == nullptr) return BadVoice(__func__, voice);
  return v->playing ? 1 : 0;
}

int SetVoiceVolume(int voice, int volume) {
  if (CalledOffEngineThread(__func__)) return -1;
  MixerHold hold;
  Voice* v = FindVoice(voice);
  if (v == nullptr) return BadVoice(__func__, voice);
  if (volume < 0 || volume > MaxVolume) return OutOfRange(__func__, "volume", volume, 0, MaxVolume);
  VolumeOf(*v, volume);
  return 0;
}

int SetVoicePan(int voice, int pan) {
  if (CalledOffEngineThread(__func__)) return -1;
  MixerHold hold;
  Voice* v = FindVoice(voice);
  if (v == nullptr) return BadVoice(__func__, voice);
  if (pan < -MaxVolume || pan > MaxVolume) return OutOfRange(__func__, "pan", pan, -MaxVolume, MaxVolume);
  PanOf(*v, pan);
  return 0;
}

int SetVoiceFrequency(int voice, int frequency) {
  if (CalledOffEngineThread(__func__)) return -1;
  MixerHold hold;
  Voice* v = FindVoice(voice);
  if (v == nullptr) return BadVoice(__func__, voice);
  if (!ValidFrequency(frequency)) return BadFrequency(__func__, frequency);
  v->frequency = frequency != 0 ? static_cast<std::uint32_t>(frequency) : SoundSlot(v->sound).data.rate;
  return 0;
}

int SetMasterVolume(int volume) {
  if (CalledOffEngineThread(__func__)) return -1;
  if (volume < 0 || volume > MaxVolume) return OutOfRange(__func__, "volume", volume, 0, MaxVolume);
  MixerHold hold;
  SetMasterGain(static_cast<float>(volume) / MaxVolume);
  return 0;
}

int GetMasterVolume() {
  if (CalledOffEngineThread(__func__)) return -1;
  MixerHold hold;
  return static_cast<int>(MasterGain() * MaxVolume + 0.5f);
}

int SetSoundPlayWhileInactive(int flag) {
  if (CalledOffEngineThread(__func__)) return -1;
  SoundState.PlayWhileInactive = flag != 0;
  if (flag != 0) SetMixerHeld(false);
  return 0;
}

int PlayMusic(const char* path, int mode, int loopStartFrame, int fadeInMilliseconds) {
  if (CalledOffEngineThread(__func__)) return -1;
  if (Refused("音楽の演奏", "PlayMusic")) return -1;
  if ((mode != PlayOnce && mode != PlayLoop) || loopStartFrame < 0 || fadeInMilliseconds < 0) {
    LogText("音楽の演奏に失敗しました: 引数が範囲外です\n");
    return FailWithText("PlayMusic: the mode %d, loop frame %d or fade-in %d ms is out of range", mode, loopStartFrame,
                        fadeInMilliseconds);
  }
  if (StartMusic(path, mode == PlayLoop, static_cast<std::uint32_t>(loopStartFrame), fadeInMilliseconds, Audible()) !=
      0) {
    return FailNamingCall("PlayMusic");
  }
  return 0;
}

int StopMusic() {
  if (CalledOffEngineThread(__func__)) return -1;
  EndMusic();
  return 0;
}

int IsMusicPlaying() {
  if (CalledOffEngineThread(__func__)) return 0;
  return MusicPlaying() ? 1 : 0;
}

int SetMusicVolume(int volume) {
  if (CalledOffEngineThread(__func__)) return -1;
  if (volume < 0 || volume > MaxVolume) return OutOfRange(__func__, "volume", volume, 0, MaxVolume);
  SetMusicGain(static_cast<float>(volume) / MaxVolume);
  return 0;
}

int FadeOutMusic(int milliseconds) {
  if (CalledOffEngineThread(__func__)) return -1;
  if (FadeMusicOut(milliseconds) != 0) return FailWithText("FadeOutMusic: no music is playing");
  return 0;
}
