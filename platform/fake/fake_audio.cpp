// The fake sound output: opened at whatever format is asked, and played only when a test pulls.
#include "../common/audio_services.h"
#include "../common/dsound_standin.h"
#include "../common/platform_contract.h"
#include "fake_state.h"

using fake::State;

namespace {
AudioMixer mixer = nullptr;
void* mixerContext = nullptr;
}  // namespace

bool PlatformAudioOpen(const AudioFormat* format, AudioMixer feed, void* context, AudioCaps* caps) {
  const fake::AudioDevice& device = State().audioDevice;
  fake::AudioOutput& output = State().audioOutput;
  if (!device.present || (format == nullptr) != (output.rate == 0)) return false;
  if (format != nullptr) {
    output.rate = format->rate;
    output.channels = format->channels;
    output.bits = format->bits;
  } else {
    output.rate = device.maxRate;
    output.channels = (device.flags & DSCAPS_PRIMARYSTEREO) ? 2 : 1;
    output.bits = (device.flags & DSCAPS_PRIMARY16BIT) ? 16 : 8;
  }
  ++output.opens;
  mixer = feed;
  mixerContext = context;
  *caps = AudioCaps{device.flags, device.minRate, device.maxRate, device.totalMemory, device.freeMemory};
  return true;
}

void PlatformAudioClose() {
  State().audioOutput.rate = 0;
  mixer = nullptr;
  mixerContext = nullptr;
}

std::vector<AudioDeviceName> PlatformAudioDevices() {
  std::vector<AudioDeviceName> names;
  for (const auto& [description, module] : State().audioDevice.devices) names.push_back({description, module});
  return names;
}

namespace fake {

void SyncSoundFaults() {
  dsound::SoundFaults& f = dsound::Faults();
  f.create = Fails(Failure::DirectSoundCreate);
  f.cooperativeLevel = Fails(Failure::SoundCooperativeLevel);
  f.primaryBuffer = Fails(Failure::PrimarySoundBuffer);
  f.primaryFormat = Fails(Failure::PrimarySoundFormat);
  f.secondaryBuffer = Fails(Failure::SecondarySoundBuffer);
  f.lock = Fails(Failure::SoundBufferLock);
  f.library = Fails(Failure::LoadDsound);
  f.enumerateFunction = Fails(Failure::DirectSoundEnumerate);
}

void SetAudioDevice(const AudioDevice& device) { State().audioDevice = device; }

const AudioOutput& OpenedAudio() { return State().audioOutput; }

std::vector<std::uint8_t> PullAudio(int frames) {
  const AudioOutput& output = State().audioOutput;
  if (output.rate == 0 || mixer == nullptr || frames <= 0) return {};
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(frames) * output.channels * (output.bits / 8), 0xEE);
  const AudioFormat format{output.rate, static_cast<WORD>(output.channels), static_cast<WORD>(output.bits)};
  mixer(mixerContext, format, bytes.data(), bytes.size());
  return bytes;
}

int LiveSoundObjects() { return dsound::LiveObjects(); }

}  // namespace fake
