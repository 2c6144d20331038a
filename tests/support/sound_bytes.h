// Sound files made in memory for the sound tests, the decoder fuzzer's seeds and the benches.
#pragma once

#include <cstdint>
#include <vector>

namespace sound_bytes {

using Bytes = std::vector<std::uint8_t>;

// amplitude × sin(2π·hz·i/rate) for frames frames, in -1..1.
std::vector<double> Sine(int frames, int rate, double hz, double amplitude);
// Interleaves channels of equal length.
std::vector<double> Interleave(const std::vector<double>& left, const std::vector<double>& right);
// 16-bit values as the engine keeps them: round(v × 32768), held to the 16-bit range.
std::vector<std::int16_t> ToInt16(const std::vector<double>& samples);

// A RIFF WAVE file of one fmt and one data chunk. blockAlign 0: channels × bits / 8. extra:
// bytes after the 16 of the plain fmt chunk (the size word included).
Bytes Wave(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate, std::uint16_t bits, const Bytes& data,
           std::uint16_t blockAlign = 0, const Bytes& extra = {});
// Samples (-1..1, interleaved) as PCM of 8, 16, 24 or 32 bits, or float of 32 or 64 bits.
Bytes Pcm(const std::vector<double>& samples, int bits);
Bytes Float(const std::vector<double>& samples, int bits);
// IMA ADPCM blocks of framesPerBlock frames (the last one shorter) and their block size.
Bytes Ima(const std::vector<std::int16_t>& samples, int channels, int framesPerBlock, std::uint16_t* blockAlign);
// A whole wave file of IMA ADPCM.
Bytes ImaWave(const std::vector<std::int16_t>& samples, int channels, std::uint32_t rate, int framesPerBlock);
// An Ogg Vorbis file of the samples (-1..1, interleaved) at the given quality (-0.1..1).
Bytes Vorbis(const std::vector<double>& samples, int channels, int rate, float quality = 0.6f);

void WriteFile(const char* path, const Bytes& bytes);

}  // namespace sound_bytes
