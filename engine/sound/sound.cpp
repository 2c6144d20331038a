// Sound start-up and shut-down: the DirectSound object, the primary buffer's format and a short
// silent buffer that keeps the output device running for the whole run.
#include "sound.h"

#include <cstring>

#include "../core/engine_state.h"
#include "../core/log.h"
#include "mixer.h"
#include "music_stream.h"
#include "platform/user32.h"
#include "sound_state.h"
#include "vornek.h"

constinit SoundStateRecord SoundState{};

namespace {

constexpr DWORD InProcessOrLocal = 7;  // in-process server and handler, local server
constexpr DWORD SilentBlocks = 100;

void ReleaseObject() {
  SoundState.DirectSoundObject->Release();
  SoundState.DirectSoundObject = nullptr;
}

// The primary format from the device's capabilities: its channels and sample size, and its
// fastest secondary rate up to 44100 Hz.
void SetPrimaryFormat() {
  DSCAPS caps{};
  caps.dwSize = sizeof caps;
  SoundState.DirectSoundObject->GetCaps(&caps);
  WAVEFORMATEX format{};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = (caps.dwFlags & DSCAPS_PRIMARYSTEREO) ? 2 : 1;
  format.wBitsPerSample = (caps.dwFlags & DSCAPS_PRIMARY16BIT) ? 16 : 8;
  format.nSamplesPerSec = caps.dwMaxSecondarySampleRate >= 44100 ? 44100 : caps.dwMaxSecondarySampleRate;
  format.nBlockAlign = static_cast<WORD>(format.wBitsPerSample / 8 * format.nChannels);
  format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
  format.cbSize = 0;
  if (FAILED(SoundState.PrimaryBuffer->SetFormat(&format))) {
    LogText("DirectSoundのプライマリサウンドバッファのフォーマット設定に失敗しました\n");
  }
}

void StartSilentBuffer() {
  WAVEFORMATEX format{WAVE_FORMAT_PCM, 2, 44100, 176400, 4, 16, 0};
  DSBUFFERDESC description{};
  description.dwSize = sizeof description;
  description.dwFlags = DSBCAPS_STATIC | DSBCAPS_GLOBALFOCUS;
  description.dwBufferBytes = SilentBlocks * format.nBlockAlign;
  description.lpwfxFormat = &format;
  if (FAILED(SoundState.DirectSoundObject->CreateSoundBuffer(&description, &SoundState.SilentBuffer, nullptr))) {
    LogText("無音バッファの作成に失敗しました");
    SoundState.SilentBuffer = nullptr;
    return;
  }
  void* part1 = nullptr;
  void* part2 = nullptr;
  DWORD bytes1 = 0, bytes2 = 0;
  if (FAILED(SoundState.SilentBuffer->Lock(0, description.dwBufferBytes, &part1, &bytes1, &part2, &bytes2,
                                           DSBLOCK_ENTIREBUFFER))) {
    LogText("無音バッファのロックに失敗しました");
    SoundState.SilentBuffer->Release();
    SoundState.SilentBuffer = nullptr;
    return;
  }
  std::memset(part1, 0, bytes1);
  if (part2 != nullptr) std::memset(part2, 0, bytes2);
  SoundState.SilentBuffer->Unlock(part1, bytes1, part2, bytes2);
  SoundState.SilentBuffer->Play(0, 0, DSBPLAY_LOOPING);
}

// Music, voices and sounds, with or without a device.
void ReleaseEverySound() {
  EndMusic();
  ReleaseAllSounds();
}

void StopAndRelease(IDirectSoundBuffer*& buffer) {
  if (buffer == nullptr) return;
  buffer->Stop();
  buffer->Release();
  buffer = nullptr;
}

}  // namespace

int StartSound() {
  if (SoundState.DirectSoundObject != nullptr) return -1;
  // Sounds can be loaded and played from here on, with a device or without.
  SoundState.CallsOpen = 1;
  LogText("DirectSound の初期化を行います\n");
  LogText("DirectSound インターフェースの取得を行います....  ");
  void* object = nullptr;
  if (FAILED(CoCreateInstance(CLSID_DirectSound, nullptr, InProcessOrLocal, IID_IDirectSound, &object)) ||
      object == nullptr) {
    SoundState.DirectSoundObject = nullptr;
    LogText("DirectSoundインターフェースの作成に失敗しました\n");
    return -1;
  }
  SoundState.DirectSoundObject = static_cast<IDirectSound*>(object);
  LogText("成功\n");

  LogText("引き続きインターフェースの初期化処理...  ");
  if (FAILED(SoundState.DirectSoundObject->Initialize(nullptr))) {
    LogText("初期化に失敗しました\n");
    ReleaseObject();
    return -1;
  }
  LogText("成功\n");

  if (FAILED(SoundState.DirectSoundObject->SetCooperativeLevel(GetDesktopWindow(), DSSCL_PRIORITY))) {
    LogText("DirectSoundの協調レベルの設定に失敗しました\n");
    ReleaseObject();
    return -1;
  }

  DSBUFFERDESC primary{};
  primary.dwSize = sizeof primary;
  primary.dwFlags = DSBCAPS_PRIMARYBUFFER;
  if (FAILED(SoundState.DirectSoundObject->CreateSoundBuffer(&primary, &SoundState.PrimaryBuffer, nullptr))) {
    LogText("DirectSoundのプライマリサウンドバッファの作成に失敗しました\n");
    SoundState.PrimaryBuffer = nullptr;
    ReleaseObject();
    return -1;
  }

  SetPrimaryFormat();
  StartSilentBuffer();
  // The engine's voices and music are mixed in software and pulled by the device.
  {
    MixerHold hold;  // made here, on the game's thread, before the device can pull
  }
  SetMixerHeld(false);
  SoundState.MixerAttached = SUCCEEDED(SoundState.DirectSoundObject->SetMixSource(&MixSound, nullptr)) ? 1 : 0;

  LogIndentIn();
  WriteSoundDeviceReport();
  LogIndentOut();

  LogText("DirectSound の初期化は正常に終了しました\n");
  ReleaseEverySound();
  return 0;
}

int EndSound() {
  if (SoundState.DirectSoundObject != nullptr && SoundState.MixerAttached) {
    // Waits for a pull under way: nothing below is read by the device's thread afterwards.
    SoundState.DirectSoundObject->SetMixSource(nullptr, nullptr);
    SoundState.MixerAttached = 0;
  }
  ReleaseEverySound();
  EndMixer();
  ForgetMusicGain();
  SoundState.PlayWhileInactive = 0;
  SoundState.CallsOpen = 0;
  if (SoundState.DirectSoundObject == nullptr) return -1;
  StopAndRelease(SoundState.PrimaryBuffer);
  StopAndRelease(SoundState.SilentBuffer);
  ReleaseObject();
  LogText("DirectSound の終了処理は正常に終了しました\n");
  return 0;
}

void UpdateSoundStreams() {
  // Sounds hold still while the application is inactive, as the game does, unless told not to.
  const bool inactive = EngineState.MainWindow != nullptr && !EngineState.AppActive;
  if (SoundState.MixerAttached) SetMixerHeld(inactive && !SoundState.PlayWhileInactive);
  UpdateMusic();
}
