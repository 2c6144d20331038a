#include "sound_bytes.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>

namespace sound_bytes {

namespace {

void Put16(Bytes& b, std::uint32_t v) {
  b.push_back(static_cast<std::uint8_t>(v));
  b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(Bytes& b, std::uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}

constexpr int StepTable[89] = {7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,   21,    23,
                               25,    28,    31,    34,    37,    41,    45,    50,    55,    60,    66,   73,    80,
                               88,    97,    107,   118,   130,   143,   157,   173,   190,   209,   230,  253,   279,
                               307,   337,   371,   408,   449,   494,   544,   598,   658,   724,   796,  876,   963,
                               1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,  2272,  2499,  2749, 3024,  3327,
                               3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,  9493, 10442, 11487,
                               12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};
constexpr int IndexTable[16] = {-1, -1, -1, -1, 2, 4, 6, 8, -1, -1, -1, -1, 2, 4, 6, 8};

struct ImaState {
  int predictor = 0;
  int index = 0;
  // The textbook encoder: the nibble whose decoded value comes nearest, then decoded as the
  // decoder will.
  unsigned Encode(int sample) {
    const int step = StepTable[index];
    int difference = sample - predictor;
    unsigned nibble = 0;
    if (difference < 0) {
      nibble = 8;
      difference = -difference;
    }
    int s = step;
    if (difference >= s) {
      nibble |= 4;
      difference -= s;
    }
    s >>= 1;
    if (difference >= s) {
      nibble |= 2;
      difference -= s;
    }
    s >>= 1;
    if (difference >= s) nibble |= 1;
    int delta = step >> 3;
    if (nibble & 1) delta += step >> 2;
    if (nibble & 2) delta += step >> 1;
    if (nibble & 4) delta += step;
    if (nibble & 8) delta = -delta;
    predictor = std::clamp(predictor + delta, -32768, 32767);
    index = std::clamp(index + IndexTable[nibble], 0, 88);
    return nibble;
  }
};

}  // namespace

std::vector<double> Sine(int frames, int rate, double hz, double amplitude) {
  std::vector<double> s(static_cast<std::size_t>(frames));
  for (int i = 0; i < frames; ++i) s[i] = amplitude * std::sin(2 * M_PI * hz * i / rate);
  return s;
}

std::vector<double> Interleave(const std::vector<double>& left, const std::vector<double>& right) {
  std::vector<double> s;
  for (std::size_t i = 0; i < left.size(); ++i) {
    s.push_back(left[i]);
    s.push_back(right[i]);
  }
  return s;
}

std::vector<std::int16_t> ToInt16(const std::vector<double>& samples) {
  std::vector<std::int16_t> s;
  for (double v : samples) s.push_back(static_cast<std::int16_t>(std::clamp(std::lround(v * 32768), -32768L, 32767L)));
  return s;
}

Bytes Wave(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate, std::uint16_t bits, const Bytes& data,
           std::uint16_t blockAlign, const Bytes& extra) {
  if (blockAlign == 0) blockAlign = static_cast<std::uint16_t>(channels * bits / 8);
  Bytes b = {'R', 'I', 'F', 'F'};
  Put32(b, static_cast<std::uint32_t>(4 + 8 + 16 + extra.size() + 8 + data.size() + (data.size() & 1)));
  b.insert(b.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  Put32(b, static_cast<std::uint32_t>(16 + extra.size()));
  Put16(b, tag);
  Put16(b, channels);
  Put32(b, rate);
  Put32(b, rate * blockAlign);
  Put16(b, blockAlign);
  Put16(b, bits);
  b.insert(b.end(), extra.begin(), extra.end());
  b.insert(b.end(), {'d', 'a', 't', 'a'});
  Put32(b, static_cast<std::uint32_t>(data.size()));
  b.insert(b.end(), data.begin(), data.end());
  if (data.size() & 1) b.push_back(0);
  return b;
}

Bytes Pcm(const std::vector<double>& samples, int bits) {
  Bytes b;
  for (double v : samples) {
    const double c = std::clamp(v, -1.0, 1.0);
    if (bits == 8) {
      b.push_back(static_cast<std::uint8_t>(std::clamp(std::lround(c * 128) + 128, 0L, 255L)));
      continue;
    }
    const long long full = std::clamp<long long>(std::llround(c * std::ldexp(1.0, bits - 1)), -(1LL << (bits - 1)),
                                                 (1LL << (bits - 1)) - 1);
    for (int byte = 0; byte < bits / 8; ++byte) b.push_back(static_cast<std::uint8_t>(full >> (8 * byte)));
  }
  return b;
}

Bytes Float(const std::vector<double>& samples, int bits) {
  Bytes b;
  for (double v : samples) {
    std::uint8_t raw[8];
    if (bits == 32) {
      const float f = static_cast<float>(v);
      std::memcpy(raw, &f, 4);
    } else {
      std::memcpy(raw, &v, 8);
    }
    b.insert(b.end(), raw, raw + bits / 8);
  }
  return b;
}

Bytes Ima(const std::vector<std::int16_t>& samples, int channels, int framesPerBlock, std::uint16_t* blockAlign) {
  *blockAlign = static_cast<std::uint16_t>(4 * channels + (framesPerBlock - 1) / 2 * channels);
  Bytes b;
  const std::size_t frames = samples.size() / channels;
  for (std::size_t start = 0; start < frames; start += framesPerBlock) {
    const std::size_t count = std::min<std::size_t>(framesPerBlock, frames - start);
    ImaState state[2];
    for (int c = 0; c < channels; ++c) {
      const std::int16_t first = samples[start * channels + c];
      state[c].predictor = first;
      Put16(b, static_cast<std::uint16_t>(first));
      b.push_back(0);
      b.push_back(0);
    }
    // Groups of 8 frames: 4 bytes for each channel in turn, low nibble first.
    for (std::size_t g = 1; g < count; g += 8) {
      for (int c = 0; c < channels; ++c) {
        for (int k = 0; k < 8; k += 2) {
          const auto at = [&](std::size_t j) -> int {
            return j < count ? samples[(start + j) * channels + c] : state[c].predictor;
          };
          const unsigned low = state[c].Encode(at(g + k));
          const unsigned high = state[c].Encode(at(g + k + 1));
          b.push_back(static_cast<std::uint8_t>(low | (high << 4)));
        }
      }
    }
  }
  return b;
}

Bytes ImaWave(const std::vector<std::int16_t>& samples, int channels, std::uint32_t rate, int framesPerBlock) {
  std::uint16_t blockAlign = 0;
  const Bytes data = Ima(samples, channels, framesPerBlock, &blockAlign);
  Bytes extra;
  Put16(extra, 2);
  Put16(extra, static_cast<std::uint32_t>(framesPerBlock));
  return Wave(0x11, static_cast<std::uint16_t>(channels), rate, 4, data, blockAlign, extra);
}

Bytes Vorbis(const std::vector<double>& samples, int channels, int rate, float quality) {
  vorbis_info info;
  vorbis_info_init(&info);
  if (vorbis_encode_init_vbr(&info, channels, rate, quality) != 0) std::abort();
  vorbis_comment comment;
  vorbis_comment_init(&comment);
  vorbis_dsp_state dsp;
  vorbis_analysis_init(&dsp, &info);
  vorbis_block block;
  vorbis_block_init(&dsp, &block);
  ogg_stream_state stream;
  ogg_stream_init(&stream, 1);
  Bytes out;
  auto put = [&](const ogg_page& page) {
    out.insert(out.end(), page.header, page.header + page.header_len);
    out.insert(out.end(), page.body, page.body + page.body_len);
  };
  ogg_packet header, commentPacket, codebooks;
  vorbis_analysis_headerout(&dsp, &comment, &header, &commentPacket, &codebooks);
  ogg_stream_packetin(&stream, &header);
  ogg_stream_packetin(&stream, &commentPacket);
  ogg_stream_packetin(&stream, &codebooks);
  ogg_page page;
  while (ogg_stream_flush(&stream, &page) != 0) put(page);

  const std::size_t frames = samples.size() / channels;
  for (std::size_t at = 0;; at += 1024) {
    const std::size_t count = at < frames ? std::min<std::size_t>(1024, frames - at) : 0;
    if (count > 0) {
      float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(count));
      for (std::size_t i = 0; i < count; ++i) {
        for (int c = 0; c < channels; ++c) buffer[c][i] = static_cast<float>(samples[(at + i) * channels + c]);
      }
    }
    vorbis_analysis_wrote(&dsp, static_cast<int>(count));  // 0: the end
    while (vorbis_analysis_blockout(&dsp, &block) == 1) {
      vorbis_analysis(&block, nullptr);
      vorbis_bitrate_addblock(&block);
      ogg_packet packet;
      while (vorbis_bitrate_flushpacket(&dsp, &packet) == 1) {
        ogg_stream_packetin(&stream, &packet);
        while (ogg_stream_pageout(&stream, &page) != 0) put(page);
      }
    }
    if (count == 0) break;
  }
  while (ogg_stream_flush(&stream, &page) != 0) put(page);
  ogg_stream_clear(&stream);
  vorbis_block_clear(&block);
  vorbis_dsp_clear(&dsp);
  vorbis_comment_clear(&comment);
  vorbis_info_clear(&info);
  return out;
}

void WriteFile(const char* path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace sound_bytes
