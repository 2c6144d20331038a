#include "sound_decode.h"

#include "vorbis_reader.h"
#include "wave_reader.h"

bool DecodeSound(const std::uint8_t* bytes, std::size_t size, SoundSamples* sound, const char** reason) {
  *sound = SoundSamples{};
  if (bytes == nullptr) {
    *reason = "データがありません";
    return false;
  }
  if (LooksLikeWave(bytes, size)) return ReadWave(bytes, size, sound, reason);
  if (LooksLikeOgg(bytes, size)) return ReadVorbis(bytes, size, sound, reason);
  *reason = "WAVE でも Ogg Vorbis でもありません";
  return false;
}
