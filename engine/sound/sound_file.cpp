#include "sound_file.h"

#include <algorithm>

#include "../core/tracked_memory.h"
#include "platform/kernel32.h"

std::uint8_t* ReadWholeFile(const char* path, std::size_t limit, std::size_t* size, const char** reason) {
  *size = 0;
  HANDLE file = CreateFileA(path, GENERIC_READ, 1, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    *reason = "ファイルが開けません";
    return nullptr;
  }
  DWORD high = 0;
  const DWORD low = GetFileSize(file, &high);
  const std::uint64_t length = (static_cast<std::uint64_t>(high) << 32) | low;
  std::uint8_t* bytes = nullptr;
  if (low == INVALID_FILE_SIZE && high == 0) {
    *reason = "ファイルの大きさが読めません";
  } else if (length > limit) {
    *reason = "ファイルが大きすぎます";
  } else if ((bytes = static_cast<std::uint8_t*>(TrackedAlloc(length == 0 ? 1 : length, "", 0))) == nullptr) {
    *reason = "メモリが足りません";
  } else {
    std::uint64_t done = 0;
    while (done < length) {
      DWORD got = 0;
      const DWORD want = static_cast<DWORD>(std::min<std::uint64_t>(length - done, 1u << 30));
      if (!ReadFile(file, bytes + done, want, &got, nullptr) || got == 0) break;
      done += got;
    }
    if (done != length) {
      *reason = "ファイルが読めません";
      TrackedFree(bytes);
      bytes = nullptr;
    } else {
      *size = static_cast<std::size_t>(length);
    }
  }
  CloseHandle(file);
  return bytes;
}
