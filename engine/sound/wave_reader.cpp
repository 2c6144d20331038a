#include "wave_reader.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "ima_adpcm.h"

namespace {

constexpr std::uint16_t FormatPcm = 1, FormatFloat = 3, FormatIma = 0x11, FormatExtensible = 0xFFFE;

std::uint16_t Word(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t Dword(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

struct Format {
  std::uint16_t tag;
  std::uint16_t channels;
  std::uint32_t rate;
  std::uint16_t blockAlign;
  std::uint16_t bits;
  std::uint16_t framesPerBlock;  // IMA ADPCM
};

bool Fail(const char** reason, const char* text) {
  *reason = text;
  return false;
}

bool ReadFormat(const std::uint8_t* p, std::uint32_t size, Format* f, const char** reason) {
  if (size < 16) return Fail(reason, "fmt チャンクが短すぎます");
  f->tag = Word(p);
  f->channels = Word(p + 2);
  f->rate = Dword(p + 4);
  f->blockAlign = Word(p + 12);
  f->bits = Word(p + 14);
  const std::uint16_t extra = size >= 18 ? Word(p + 16) : 0;
  if (f->tag == FormatExtensible) {
    // The real format is the first two bytes of the sub-format GUID.
    if (size < 40 || extra < 22) return Fail(reason, "拡張 fmt チャンクが短すぎます");
    f->tag = Word(p + 24);
  }
  if (f->channels != 1 && f->channels != 2) return Fail(reason, "モノラルとステレオ以外のチャンネル数です");
  if (f->rate < MinSoundRate || f->rate > MaxSoundRate) return Fail(reason, "サンプリングレートが範囲外です");
  switch (f->tag) {
    case FormatPcm:
      if (f->bits != 8 && f->bits != 16 && f->bits != 24 && f->bits != 32) {
        return Fail(reason, "PCM のビット数が 8, 16, 24, 32 のどれでもありません");
      }
      break;
    case FormatFloat:
      if (f->bits != 32 && f->bits != 64) return Fail(reason, "浮動小数点のビット数が 32, 64 のどちらでもありません");
      break;
    case FormatIma: {
      if (f->bits != 4) return Fail(reason, "IMA ADPCM のビット数が 4 ではありません");
      const std::uint32_t headers = 4u * f->channels;
      if (f->blockAlign < headers || (f->channels == 2 && f->blockAlign % headers != 0)) {
        return Fail(reason, "IMA ADPCM のブロックの大きさが不正です");
      }
      const std::uint32_t most = ImaBlockFrames(f->blockAlign, f->channels);
      f->framesPerBlock =
          (size >= 20 && extra >= 2) ? Word(p + 18) : static_cast<std::uint16_t>(std::min<std::uint32_t>(most, 0xFFFF));
      if (f->framesPerBlock == 0 || f->framesPerBlock > most) {
        return Fail(reason, "IMA ADPCM のブロックあたりのサンプル数が不正です");
      }
      return true;
    }
    default:
      return Fail(reason, "対応していない形式です");
  }
  if (f->blockAlign != f->channels * (f->bits / 8)) return Fail(reason, "ブロックの大きさが形式と合いません");
  return true;
}

std::int16_t FromFloat(double v) {
  if (!(v == v)) return 0;  // NaN
  const double scaled = std::round(std::clamp(v, -1.0, 1.0) * 32768.0);
  return static_cast<std::int16_t>(std::clamp(scaled, -32768.0, 32767.0));
}

// One sample of a PCM or float frame, as 16 bits (the lower bits of deeper samples dropped).
std::int16_t Sample(const Format& f, const std::uint8_t* p) {
  if (f.tag == FormatFloat) {
    if (f.bits == 32) {
      float v;
      std::memcpy(&v, p, 4);
      return FromFloat(v);
    }
    double v;
    std::memcpy(&v, p, 8);
    return FromFloat(v);
  }
  switch (f.bits) {
    case 8:
      return static_cast<std::int16_t>((p[0] - 128) * 256);
    case 16:
      return static_cast<std::int16_t>(Word(p));
    case 24:
      return static_cast<std::int16_t>(Word(p + 1));
    default:
      return static_cast<std::int16_t>(Word(p + 2));
  }
}

}  // namespace

bool LooksLikeWave(const std::uint8_t* bytes, std::size_t size) {
  return size >= 12 && std::memcmp(bytes, "RIFF", 4) == 0 && std::memcmp(bytes + 8, "WAVE", 4) == 0;
}

bool ReadWave(const std::uint8_t* bytes, std::size_t size, SoundSamples* sound, const char** reason) {
  *sound = SoundSamples{};
  if (!LooksLikeWave(bytes, size)) return Fail(reason, "RIFF WAVE ファイルではありません");
  // The RIFF size is often wrong in files that play everywhere; the chunks' own sizes decide.
  Format format{};
  bool haveFormat = false;
  const std::uint8_t* data = nullptr;
  std::uint32_t dataBytes = 0;
  std::size_t at = 12;
  while (size - at >= 8) {
    const std::uint8_t* chunk = bytes + at;
    const std::uint32_t chunkSize = Dword(chunk + 4);
    const std::size_t room = size - at - 8;
    if (std::memcmp(chunk, "fmt ", 4) == 0) {
      if (chunkSize > room) return Fail(reason, "fmt チャンクが途中で切れています");
      if (!ReadFormat(chunk + 8, chunkSize, &format, reason)) return false;
      haveFormat = true;
    } else if (std::memcmp(chunk, "data", 4) == 0) {
      if (chunkSize > room) return Fail(reason, "data チャンクが途中で切れています");
      data = chunk + 8;
      dataBytes = chunkSize;
      break;
    }
    if (chunkSize > room) break;  // a chunk after the sound that was cut off is no loss
    at += 8 + static_cast<std::size_t>(chunkSize) + (chunkSize & 1);
    if (at > size) break;
  }
  if (!haveFormat) return Fail(reason, "data チャンクの前に fmt チャンクがありません");
  if (data == nullptr) return Fail(reason, "data チャンクがありません");

  std::uint64_t frames;
  if (format.tag == FormatIma) {
    const std::uint32_t whole = dataBytes / format.blockAlign;
    const std::uint32_t rest = dataBytes % format.blockAlign;
    frames = static_cast<std::uint64_t>(whole) * format.framesPerBlock +
             std::min<std::uint32_t>(ImaBlockFrames(rest, format.channels), format.framesPerBlock);
  } else {
    frames = dataBytes / format.blockAlign;
  }
  if (frames > MaxSoundFrames(format.channels)) return Fail(reason, "音が長すぎます");
  std::int16_t* out = AllocateSoundSamples(frames, format.channels);
  if (out == nullptr) return Fail(reason, "メモリが足りません");

  if (format.tag == FormatIma) {
    std::uint64_t done = 0;
    for (std::uint32_t offset = 0; done < frames; offset += format.blockAlign) {
      const std::uint32_t blockBytes = std::min<std::uint32_t>(format.blockAlign, dataBytes - offset);
      const std::uint32_t blockFrames = static_cast<std::uint32_t>(std::min<std::uint64_t>(
          std::min<std::uint32_t>(format.framesPerBlock, ImaBlockFrames(blockBytes, format.channels)), frames - done));
      if (blockFrames == 0 ||
          !DecodeImaBlock(data + offset, blockBytes, format.channels, blockFrames, out + done * format.channels)) {
        SoundSamples partial{out, 0, 0, 0};
        FreeSoundSamples(partial);
        return Fail(reason, "IMA ADPCM のブロックが壊れています");
      }
      done += blockFrames;
    }
  } else {
    const unsigned bytesPerSample = format.bits / 8;
    for (std::uint64_t i = 0; i < frames * format.channels; ++i) out[i] = Sample(format, data + i * bytesPerSample);
  }
  *sound = SoundSamples{out, static_cast<std::uint32_t>(frames), format.rate, format.channels};
  return true;
}
