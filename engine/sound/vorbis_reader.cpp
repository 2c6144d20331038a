#include "vorbis_reader.h"

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "../core/tracked_memory.h"

namespace {

struct MemorySource {
  const std::uint8_t* bytes;
  std::size_t size;
  std::size_t at;
};

size_t ReadMemory(void* out, size_t size, size_t count, void* source) {
  auto* m = static_cast<MemorySource*>(source);
  if (size == 0) return 0;
  const std::size_t items = std::min(count, (m->size - m->at) / size);
  std::memcpy(out, m->bytes + m->at, items * size);
  m->at += items * size;
  return items;
}

int SeekMemory(void* source, ogg_int64_t offset, int whence) {
  auto* m = static_cast<MemorySource*>(source);
  ogg_int64_t base = 0;
  if (whence == SEEK_CUR) base = static_cast<ogg_int64_t>(m->at);
  if (whence == SEEK_END) base = static_cast<ogg_int64_t>(m->size);
  const ogg_int64_t target = base + offset;
  if (target < 0 || target > static_cast<ogg_int64_t>(m->size)) return -1;
  m->at = static_cast<std::size_t>(target);
  return 0;
}

long TellMemory(void* source) { return static_cast<long>(static_cast<MemorySource*>(source)->at); }

bool Fail(const char** reason, const char* text) {
  *reason = text;
  return false;
}

// Whether the bytes end with a whole page that ends its stream. The decoder plays a file that
// was cut off up to its last whole page without a word, so the loss is found here.
bool EndsWithLastPage(const std::uint8_t* bytes, std::size_t size) {
  if (size < 27) return false;
  for (std::size_t p = size - 27 + 1; p-- > 0;) {
    if (std::memcmp(bytes + p, "OggS", 4) != 0) continue;
    const std::size_t segments = bytes[p + 26];
    if (p + 27 + segments > size) return false;
    std::size_t body = 0;
    for (std::size_t i = 0; i < segments; ++i) body += bytes[p + 27 + i];
    return p + 27 + segments + body == size && (bytes[p + 5] & 0x04) != 0;
  }
  return false;
}

}  // namespace

bool LooksLikeOgg(const std::uint8_t* bytes, std::size_t size) {
  return size >= 4 && std::memcmp(bytes, "OggS", 4) == 0;
}

bool ReadVorbis(const std::uint8_t* bytes, std::size_t size, SoundSamples* sound, const char** reason) {
  *sound = SoundSamples{};
  if (!EndsWithLastPage(bytes, size)) return Fail(reason, "Ogg の最後のページがありません (途中で切れています)");
  MemorySource source{bytes, size, 0};
  OggVorbis_File file;
  const ov_callbacks callbacks{&ReadMemory, &SeekMemory, nullptr, &TellMemory};
  if (ov_open_callbacks(&source, &file, nullptr, 0, callbacks) != 0) {
    return Fail(reason, "Ogg Vorbis のヘッダーが読めません");
  }
  const vorbis_info* info = ov_info(&file, 0);
  const ogg_int64_t total = ov_pcm_total(&file, -1);
  bool ok = false;
  std::int16_t* out = nullptr;
  if (info == nullptr || (info->channels != 1 && info->channels != 2)) {
    Fail(reason, "モノラルとステレオ以外のチャンネル数です");
  } else if (info->rate < static_cast<long>(MinSoundRate) || info->rate > static_cast<long>(MaxSoundRate)) {
    Fail(reason, "サンプリングレートが範囲外です");
  } else if (total < 0) {
    Fail(reason, "Ogg Vorbis の長さが読めません");
  } else if (static_cast<std::uint64_t>(total) > MaxSoundFrames(static_cast<unsigned>(info->channels))) {
    Fail(reason, "音が長すぎます");
  } else if ((out = AllocateSoundSamples(static_cast<std::uint64_t>(total), static_cast<unsigned>(info->channels))) ==
             nullptr) {
    Fail(reason, "メモリが足りません");
  } else {
    // The length comes from the last page's position, which a damaged file can misstate: the
    // decoding stops at whichever of the two ends first.
    const int channels = info->channels;
    const long rate = info->rate;
    const std::uint64_t capacity = static_cast<std::uint64_t>(total) * channels * 2;
    std::uint64_t done = 0;
    int link = -1;
    ok = true;
    while (done < capacity) {
      int current = 0;
      const std::uint64_t room = capacity - done;
      const long got = ov_read(&file, reinterpret_cast<char*>(out) + done,
                               static_cast<int>(room < 65536 ? room : 65536), 0, 2, 1, &current);
      if (got == 0) break;
      if (got < 0) {
        ok = Fail(reason, "Ogg Vorbis のデータが壊れています");
        break;
      }
      if (current != link) {
        const vorbis_info* linkInfo = ov_info(&file, current);
        if (linkInfo == nullptr || linkInfo->channels != channels || linkInfo->rate != rate) {
          ok = Fail(reason, "Ogg Vorbis の途中で形式が変わっています");
          break;
        }
        link = current;
      }
      done += static_cast<std::uint64_t>(got);
    }
    if (ok) {
      *sound = SoundSamples{out, static_cast<std::uint32_t>(done / (2 * channels)), static_cast<std::uint32_t>(rate),
                            static_cast<std::uint16_t>(channels)};
    } else {
      TrackedFree(out);
    }
  }
  ov_clear(&file);
  return ok;
}
