// The default sound output through SDL's audio. SDL converts whatever format is asked for to the
// device's own, so the capabilities report every sample size and channel count and the device's
// preferred rate as the fastest. SDL's "dummy" driver has no device behind it and counts as no
// output at all; its "disk" driver writes the output to a file and is a device like any other.
#include <SDL.h>
#include <dlfcn.h>

#include <cstring>

#include "../common/audio_services.h"
#include "../common/platform_contract.h"
#include "code_page.h"
#include "platform/dsound.h"

namespace {

constexpr Uint16 FramesPerCallback = 1024;  // about 23 ms at 44100 Hz
constexpr DWORD SlowestRate = 100;

struct AudioRecord {
  bool subsystem = false;
  SDL_AudioDeviceID device = 0;
  AudioFormat format{};  // what the device is open at; read by the callback
  AudioMixer mixer = nullptr;
  void* context = nullptr;
  AudioCaps caps{};
};
AudioRecord audio;

void Feed(void*, Uint8* stream, int length) {
  if (length > 0) audio.mixer(audio.context, audio.format, stream, static_cast<std::size_t>(length));
}

void IgnoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

// ALSA prints every failure of its own to the terminal, a machine without a sound card gets
// half a dozen lines at each start; the engine's log says what became of the sound.
void QuietAlsa() {
  void* library = dlopen("libasound.so.2", RTLD_LAZY | RTLD_NOLOAD);
  if (library == nullptr) return;
  using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
  using SetHandler = int (*)(Handler);
  if (auto set = reinterpret_cast<SetHandler>(dlsym(library, "snd_lib_error_set_handler"))) set(&IgnoreAlsaError);
  dlclose(library);
}

bool StartSubsystem() {
  if (audio.subsystem) return true;
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
  const char* driver = SDL_GetCurrentAudioDriver();
  if (driver == nullptr || std::strcmp(driver, "dummy") == 0) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  if (std::strcmp(driver, "alsa") == 0) QuietAlsa();
  audio.subsystem = true;
  return true;
}

void StopSubsystem() {
  if (!audio.subsystem) return;
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  audio.subsystem = false;
}

// The default device's own format, or CD quality where the driver cannot tell.
AudioFormat PreferredFormat() {
  AudioFormat format{44100, 2, 16};
  char* name = nullptr;
  SDL_AudioSpec offered{};
  if (SDL_GetDefaultAudioInfo(&name, &offered, 0) == 0) {
    if (offered.freq > 0) format.rate = static_cast<DWORD>(offered.freq);
    if (offered.channels > 0) format.channels = offered.channels >= 2 ? 2 : 1;
    if (offered.format != 0) format.bits = SDL_AUDIO_BITSIZE(offered.format) >= 16 ? 16 : 8;
  }
  SDL_free(name);
  return format;
}

// Opens the default output at exactly this format (SDL converts) and starts feeding it.
bool OpenAt(const AudioFormat& format) {
  SDL_AudioSpec want{};
  want.freq = static_cast<int>(format.rate);
  want.format = format.bits == 16 ? AUDIO_S16LSB : AUDIO_U8;
  want.channels = static_cast<Uint8>(format.channels);
  want.samples = FramesPerCallback;
  want.callback = &Feed;
  SDL_AudioSpec have{};
  audio.format = format;
  audio.device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (audio.device == 0) return false;
  SDL_PauseAudioDevice(audio.device, 0);
  return true;
}

void CloseDevice() {
  if (audio.device == 0) return;
  SDL_CloseAudioDevice(audio.device);  // waits for a running callback
  audio.device = 0;
}

}  // namespace

bool PlatformAudioOpen(const AudioFormat* format, AudioMixer mixer, void* context, AudioCaps* caps) {
  if (format == nullptr) {
    if (audio.device != 0 || !StartSubsystem()) return false;
    const AudioFormat preferred = PreferredFormat();
    audio.mixer = mixer;
    audio.context = context;
    // The subsystem stays up after a failed open, as the joystick one does, until SDL_Quit at
    // exit: taking it down joins SDL's device-watching thread, which sleeps in steps of 100 ms,
    // and on a machine without sound that wait fell between start-up and the first frame.
    if (!OpenAt(preferred)) return false;
    const DWORD primary = DSCAPS_PRIMARYMONO | DSCAPS_PRIMARY8BIT |
                          (preferred.channels >= 2 ? DSCAPS_PRIMARYSTEREO : 0) |
                          (preferred.bits >= 16 ? DSCAPS_PRIMARY16BIT : 0);
    const DWORD secondary =
        DSCAPS_SECONDARYMONO | DSCAPS_SECONDARYSTEREO | DSCAPS_SECONDARY8BIT | DSCAPS_SECONDARY16BIT;
    audio.caps =
        AudioCaps{primary | secondary | DSCAPS_CONTINUOUSRATE | DSCAPS_EMULDRIVER, SlowestRate, preferred.rate, 0, 0};
  } else {
    if (audio.device == 0) return false;
    const AudioFormat previous = audio.format;
    CloseDevice();
    audio.mixer = mixer;
    audio.context = context;
    if (!OpenAt(*format)) {
      if (!OpenAt(previous)) audio.device = 0;
      return false;
    }
  }
  *caps = audio.caps;
  return true;
}

void PlatformAudioClose() {
  CloseDevice();
  StopSubsystem();
  audio = AudioRecord{};
}

std::vector<AudioDeviceName> PlatformAudioDevices() {
  std::vector<AudioDeviceName> names;
  if (!audio.subsystem) return names;
  const char* driver = SDL_GetCurrentAudioDriver();
  const std::string module = driver != nullptr ? driver : "";
  const int count = SDL_GetNumAudioDevices(0);
  for (int i = 0; i < count; ++i) {
    const char* name = SDL_GetAudioDeviceName(i, 0);
    if (name != nullptr) names.push_back({Utf8ToCodePage(name), module});
  }
  if (names.empty()) {
    // Drivers that cannot list their devices still have the default one.
    char* name = nullptr;
    SDL_AudioSpec offered{};
    const bool known = SDL_GetDefaultAudioInfo(&name, &offered, 0) == 0 && name != nullptr;
    names.push_back({known ? Utf8ToCodePage(name) : std::string("default"), module});
    SDL_free(name);
  }
  return names;
}
