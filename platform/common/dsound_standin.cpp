#include "dsound_standin.h"

#include <strings.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>
#include <new>
#include <vector>

#include "audio_services.h"
#include "platform_contract.h"
#include "platform_object.h"

namespace dsound {

namespace {

int liveObjects = 0;

bool ValidPcm(const WAVEFORMATEX* f) {
  if (f == nullptr || f->wFormatTag != WAVE_FORMAT_PCM) return false;
  if (f->nChannels != 1 && f->nChannels != 2) return false;
  if (f->wBitsPerSample != 8 && f->wBitsPerSample != 16) return false;
  if (f->nSamplesPerSec < 100 || f->nSamplesPerSec > 200000) return false;
  return f->nBlockAlign == f->nChannels * f->wBitsPerSample / 8 &&
         f->nAvgBytesPerSec == f->nSamplesPerSec * f->nBlockAlign;
}

class Device;

class Buffer final : public IDirectSoundBuffer {
 public:
  Buffer(Device* device, bool primary, const WAVEFORMATEX& format, DWORD bytes);

  HRESULT GetStatus(DWORD* status) override;
  HRESULT GetCurrentPosition(DWORD* play, DWORD* write) override;
  HRESULT Lock(DWORD offset, DWORD bytes, void** part1, DWORD* bytes1, void** part2, DWORD* bytes2,
               DWORD flags) override;
  HRESULT Unlock(void* part1, DWORD bytes1, void* part2, DWORD bytes2) override;
  HRESULT Play(DWORD reserved, DWORD priority, DWORD flags) override;
  HRESULT Stop() override;
  HRESULT SetFormat(const WAVEFORMATEX* format) override;
  ULONG Release() override;

  // Adds this buffer's sound from its play position on into 32-bit stereo sums (device lock held).
  void MixInto(std::int32_t* sums, std::size_t frames, DWORD outputRate);

 private:
  ~Buffer();
  DWORD Frames() const { return static_cast<DWORD>(data_.size()) / format_.nBlockAlign; }

  Device* const device_;
  const bool primary_;
  WAVEFORMATEX format_;
  std::vector<std::uint8_t> data_;
  // Writes go to this copy between Lock and Unlock, so the mixer thread never reads half a write.
  std::vector<std::uint8_t> staging_;
  DWORD lockOffset_ = 0, lockBytes_ = 0;
  bool locked_ = false;
  bool playing_ = false, looping_ = false;
  std::uint64_t position_ = 0;  // frames, 16.16 fixed point
};

class Device final : public IDirectSound {
 public:
  Device() { ++liveObjects; }

  HRESULT Initialize(const GUID* device) override {
    (void)device;  // every enumerated device is the default output here
    if (initialised_) return DSERR_ALREADYINITIALIZED;
    if (!PlatformAudioOpen(nullptr, &Device::Mix, this, &caps_)) return DSERR_NODRIVER;
    initialised_ = true;
    return DS_OK;
  }

  HRESULT SetCooperativeLevel(HWND window, DWORD level) override {
    if (!initialised_) return DSERR_UNINITIALIZED;
    if (window == nullptr || level < DSSCL_NORMAL || level > 3) return DSERR_INVALIDPARAM;
    if (Faults().cooperativeLevel) return DSERR_GENERIC;
    level_ = level;
    return DS_OK;
  }

  HRESULT CreateSoundBuffer(const DSBUFFERDESC* d, IDirectSoundBuffer** result, void* outer) override {
    if (result == nullptr) return DSERR_INVALIDPARAM;
    *result = nullptr;
    if (!initialised_) return DSERR_UNINITIALIZED;
    if (d == nullptr || outer != nullptr || d->dwSize != sizeof(DSBUFFERDESC)) return DSERR_INVALIDPARAM;
    if (level_ == 0) return DSERR_PRIOLEVELNEEDED;
    Buffer* buffer = nullptr;
    if (d->dwFlags & DSBCAPS_PRIMARYBUFFER) {
      if (d->dwBufferBytes != 0 || d->lpwfxFormat != nullptr) return DSERR_INVALIDPARAM;
      if (Faults().primaryBuffer) return DSERR_GENERIC;
      buffer = new (std::nothrow) Buffer(this, true, WAVEFORMATEX{}, 0);
    } else {
      if (!ValidPcm(d->lpwfxFormat)) return DSERR_BADFORMAT;
      if (d->dwBufferBytes < 4 || d->dwBufferBytes > 0x0FFFFFFF ||
          d->dwBufferBytes % d->lpwfxFormat->nBlockAlign != 0) {
        return DSERR_INVALIDPARAM;
      }
      if (Faults().secondaryBuffer) return DSERR_GENERIC;
      buffer = new (std::nothrow) Buffer(this, false, *d->lpwfxFormat, d->dwBufferBytes);
    }
    if (buffer == nullptr) return DSERR_OUTOFMEMORY;
    *result = buffer;
    return DS_OK;
  }

  HRESULT GetCaps(DSCAPS* caps) override {
    if (caps == nullptr || caps->dwSize != sizeof(DSCAPS)) return DSERR_INVALIDPARAM;
    if (!initialised_) return DSERR_UNINITIALIZED;
    *caps = DSCAPS{};
    caps->dwSize = sizeof(DSCAPS);
    caps->dwFlags = caps_.flags;
    caps->dwMinSecondarySampleRate = caps_.minRate;
    caps->dwMaxSecondarySampleRate = caps_.maxRate;
    caps->dwPrimaryBuffers = 1;
    caps->dwTotalHwMemBytes = caps_.totalMemory;
    caps->dwFreeHwMemBytes = caps_.freeMemory;
    return DS_OK;
  }

  HRESULT SetMixSource(DirectSoundMixSource source, void* context) override {
    if (!initialised_) return DSERR_UNINITIALIZED;
    std::lock_guard<std::mutex> hold(sourceMutex_);
    source_ = source;
    sourceContext_ = context;
    return DS_OK;
  }

  ULONG Release() override { return Unref(); }

  void Ref() { ++references_; }
  ULONG Unref() {
    if (--references_ > 0) return static_cast<ULONG>(references_);
    if (initialised_) PlatformAudioClose();
    --liveObjects;
    delete this;
    return 0;
  }

  DWORD Level() const { return level_; }
  std::mutex& Mutex() { return mutex_; }
  void Add(Buffer* b) {
    std::lock_guard<std::mutex> hold(mutex_);
    buffers_.push_back(b);
  }
  void Remove(Buffer* b) {
    std::lock_guard<std::mutex> hold(mutex_);
    buffers_.erase(std::remove(buffers_.begin(), buffers_.end(), b), buffers_.end());
  }
  bool Reopen(const AudioFormat& format) { return PlatformAudioOpen(&format, &Device::Mix, this, &caps_); }

 private:
  ~Device() = default;

  static void Mix(void* context, const AudioFormat& format, std::uint8_t* out, std::size_t bytes) {
    static_cast<Device*>(context)->MixOutput(format, out, bytes);
  }

  void MixOutput(const AudioFormat& format, std::uint8_t* out, std::size_t bytes) {
    const std::size_t frameBytes = static_cast<std::size_t>(format.channels) * (format.bits / 8);
    if (frameBytes == 0) return;
    const std::size_t frames = bytes / frameBytes;
    sums_.assign(frames * 2, 0);
    {
      std::lock_guard<std::mutex> hold(mutex_);
      for (Buffer* b : buffers_) b->MixInto(sums_.data(), frames, format.rate);
    }
    PullSource(frames, format.rate);
    for (std::size_t f = 0; f < frames; ++f) {
      std::int32_t left = sums_[2 * f], right = sums_[2 * f + 1];
      if (format.channels == 1) left = right = (left + right) / 2;
      for (WORD c = 0; c < format.channels; ++c) {
        const std::int32_t v = std::clamp(c == 0 ? left : right, -32768, 32767);
        if (format.bits == 16) {
          const auto s = static_cast<std::uint16_t>(static_cast<std::int16_t>(v));
          *out++ = static_cast<std::uint8_t>(s & 0xFF);
          *out++ = static_cast<std::uint8_t>(s >> 8);
        } else {
          *out++ = static_cast<std::uint8_t>((v >> 8) + 128);
        }
      }
    }
    std::memset(out, format.bits == 8 ? 0x80 : 0, bytes - frames * frameBytes);
  }

  // The source's samples are added to the sums at 16-bit scale; far beyond full scale they
  // are held, so that the conversion to integers stays defined.
  void PullSource(std::size_t frames, DWORD rate) {
    std::lock_guard<std::mutex> hold(sourceMutex_);
    if (source_ == nullptr) return;
    pulled_.assign(frames * 2, 0.0f);
    source_(sourceContext_, pulled_.data(), static_cast<DWORD>(frames), rate);
    for (std::size_t i = 0; i < frames * 2; ++i) {
      const float v = std::isnan(pulled_[i]) ? 0.0f : std::clamp(pulled_[i], -4.0f, 4.0f);
      sums_[i] += static_cast<std::int32_t>(std::lrint(v * 32768.0f));
    }
  }

  int references_ = 1;
  bool initialised_ = false;
  std::mutex sourceMutex_;  // held while the source runs
  DirectSoundMixSource source_ = nullptr;
  void* sourceContext_ = nullptr;
  std::vector<float> pulled_;  // the mixer thread's own
  DWORD level_ = 0;
  AudioCaps caps_{};
  std::mutex mutex_;
  std::vector<Buffer*> buffers_;
  std::vector<std::int32_t> sums_;  // the mixer thread's own
};

Buffer::Buffer(Device* device, bool primary, const WAVEFORMATEX& format, DWORD bytes)
    : device_(device), primary_(primary), format_(format), data_(bytes, format.wBitsPerSample == 8 ? 0x80 : 0) {
  ++liveObjects;
  device_->Ref();
  if (!primary_) device_->Add(this);
}

Buffer::~Buffer() = default;

HRESULT Buffer::GetStatus(DWORD* status) {
  if (status == nullptr) return DSERR_INVALIDPARAM;
  std::lock_guard<std::mutex> hold(device_->Mutex());
  *status = (playing_ ? DSBSTATUS_PLAYING : 0) | (playing_ && looping_ ? DSBSTATUS_LOOPING : 0);
  return DS_OK;
}

HRESULT Buffer::GetCurrentPosition(DWORD* play, DWORD* write) {
  if (primary_) return DSERR_PRIOLEVELNEEDED;
  std::lock_guard<std::mutex> hold(device_->Mutex());
  const DWORD at = static_cast<DWORD>(position_ >> 16) * format_.nBlockAlign;
  if (play != nullptr) *play = at;
  if (write != nullptr) *write = at;
  return DS_OK;
}

HRESULT Buffer::Lock(DWORD offset, DWORD bytes, void** part1, DWORD* bytes1, void** part2, DWORD* bytes2, DWORD flags) {
  if (part1 == nullptr || bytes1 == nullptr) return DSERR_INVALIDPARAM;
  *part1 = nullptr;
  *bytes1 = 0;
  if (part2 != nullptr) *part2 = nullptr;
  if (bytes2 != nullptr) *bytes2 = 0;
  if (primary_) return DSERR_PRIOLEVELNEEDED;
  const DWORD size = static_cast<DWORD>(data_.size());
  if (flags & DSBLOCK_ENTIREBUFFER) {
    offset = 0;
    bytes = size;
  }
  if (locked_ || offset >= size || bytes == 0 || bytes > size) return DSERR_INVALIDPARAM;
  const DWORD first = std::min(bytes, size - offset);
  if (first < bytes && part2 == nullptr) return DSERR_INVALIDPARAM;
  if (Faults().lock) return DSERR_GENERIC;
  {
    std::lock_guard<std::mutex> hold(device_->Mutex());
    staging_ = data_;
  }
  locked_ = true;
  lockOffset_ = offset;
  lockBytes_ = bytes;
  *part1 = staging_.data() + offset;
  *bytes1 = first;
  if (first < bytes) {
    *part2 = staging_.data();
    *bytes2 = bytes - first;
  }
  return DS_OK;
}

HRESULT Buffer::Unlock(void* part1, DWORD bytes1, void* part2, DWORD bytes2) {
  if (!locked_ || part1 != staging_.data() + lockOffset_) return DSERR_INVALIDPARAM;
  const DWORD size = static_cast<DWORD>(data_.size());
  const DWORD first = std::min(lockBytes_, size - lockOffset_);
  if (bytes1 > first || (part2 != nullptr && (part2 != staging_.data() || bytes2 > lockBytes_ - first))) {
    return DSERR_INVALIDPARAM;
  }
  {
    std::lock_guard<std::mutex> hold(device_->Mutex());
    std::memcpy(data_.data() + lockOffset_, staging_.data() + lockOffset_, bytes1);
    if (part2 != nullptr) std::memcpy(data_.data(), staging_.data(), bytes2);
  }
  locked_ = false;
  staging_.clear();
  return DS_OK;
}

HRESULT Buffer::Play(DWORD reserved, DWORD priority, DWORD flags) {
  if (reserved != 0) return DSERR_INVALIDPARAM;
  (void)priority;
  // The primary buffer plays whenever the device does: nothing to start.
  if (primary_) return (flags & DSBPLAY_LOOPING) ? DS_OK : DSERR_INVALIDPARAM;
  std::lock_guard<std::mutex> hold(device_->Mutex());
  playing_ = true;
  looping_ = (flags & DSBPLAY_LOOPING) != 0;
  return DS_OK;
}

HRESULT Buffer::Stop() {
  std::lock_guard<std::mutex> hold(device_->Mutex());
  playing_ = false;
  return DS_OK;
}

HRESULT Buffer::SetFormat(const WAVEFORMATEX* format) {
  if (!primary_) return DSERR_INVALIDPARAM;
  if (device_->Level() < DSSCL_PRIORITY) return DSERR_PRIOLEVELNEEDED;
  if (!ValidPcm(format)) return DSERR_BADFORMAT;
  if (Faults().primaryFormat) return DSERR_BADFORMAT;
  const AudioFormat wanted{format->nSamplesPerSec, format->nChannels, format->wBitsPerSample};
  if (!device_->Reopen(wanted)) return DSERR_BADFORMAT;
  format_ = *format;
  return DS_OK;
}

ULONG Buffer::Release() {
  if (!primary_) device_->Remove(this);
  Device* device = device_;
  --liveObjects;
  delete this;
  device->Unref();
  return 0;
}

void Buffer::MixInto(std::int32_t* sums, std::size_t frames, DWORD outputRate) {
  const DWORD count = Frames();
  if (!playing_ || count == 0 || outputRate == 0) return;
  const std::uint64_t step = (static_cast<std::uint64_t>(format_.nSamplesPerSec) << 16) / outputRate;
  const std::uint64_t end = static_cast<std::uint64_t>(count) << 16;
  for (std::size_t f = 0; f < frames; ++f) {
    if (position_ >= end) {
      if (!looping_) {
        playing_ = false;
        position_ = 0;
        return;
      }
      position_ %= end;
    }
    const std::uint8_t* frame = data_.data() + static_cast<std::size_t>(position_ >> 16) * format_.nBlockAlign;
    std::int32_t s[2] = {0, 0};
    for (int c = 0; c < format_.nChannels; ++c) {
      s[c] = format_.wBitsPerSample == 16
                 ? static_cast<std::int16_t>(static_cast<std::uint16_t>(frame[2 * c] | (frame[2 * c + 1] << 8)))
                 : (static_cast<std::int32_t>(frame[c]) - 128) * 256;
    }
    if (format_.nChannels == 1) s[1] = s[0];
    sums[2 * f] += s[0];
    sums[2 * f + 1] += s[1];
    position_ += step;
  }
}

struct Library final : PlatformObject {
  Library() : PlatformObject(PlatformObjectKind::Library) {}
};
Library library;

HRESULT EnumerateDevices(LPDSENUMCALLBACKA callback, void* context) {
  if (callback == nullptr) return DSERR_INVALIDPARAM;
  const std::vector<AudioDeviceName> devices = PlatformAudioDevices();
  for (std::size_t i = 0; i < devices.size(); ++i) {
    GUID id{0x564E4B53, 0x4453, static_cast<WORD>(i), {0, 0, 0, 0, 0, 0, 0, static_cast<BYTE>(i)}};
    if (!callback(&id, devices[i].description.c_str(), devices[i].module.c_str(), context)) break;
  }
  return DS_OK;
}

}  // namespace

SoundFaults& Faults() {
  static SoundFaults faults;
  return faults;
}

HRESULT CreateInstance(const GUID& classId, DWORD context, const GUID& interfaceId, void** object) {
  if (!(classId == CLSID_DirectSound)) return REGDB_E_CLASSNOTREG;
  if (!(context & CLSCTX_INPROC_SERVER)) return REGDB_E_CLASSNOTREG;
  if (!(interfaceId == IID_IDirectSound)) return E_NOINTERFACE;
  if (Faults().create) return REGDB_E_CLASSNOTREG;
  *object = static_cast<IDirectSound*>(new (std::nothrow) Device);
  return *object != nullptr ? S_OK : E_FAIL;
}

HMODULE LoadLibrary(const char* name) {
  if (name == nullptr || strcasecmp(name, "dsound.dll") != 0 || Faults().library) return nullptr;
  return &library;
}

FARPROC GetProc(HMODULE module, const char* name) {
  if (module != &library || name == nullptr || Faults().enumerateFunction) return nullptr;
  if (std::strcmp(name, "DirectSoundEnumerateA") == 0) return reinterpret_cast<FARPROC>(&EnumerateDevices);
  return nullptr;
}

bool IsLibrary(HMODULE module) { return module == &library; }

int LiveObjects() { return liveObjects; }

}  // namespace dsound
