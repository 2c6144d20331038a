#include "image_file.h"

#include "../core/last_error.h"
#include "../core/log.h"
#include "../core/tracked_memory.h"
#include "image_record.h"
#include "platform/kernel32.h"

int ReadWholeFile(const char* name, std::uint8_t** data, std::size_t* size) {
  *data = nullptr;
  *size = 0;
  if (name == nullptr) {
    SetLastErrorText("the file name is null");
    return -1;
  }
  HANDLE file = CreateFileA(name, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    LogFormat("ファイルを開けませんでした: %s", name);
    SetLastErrorText("the file %s could not be opened", name);
    return -1;
  }
  LARGE_INTEGER length{};
  if (!GetFileSizeEx(file, &length) || length.QuadPart < 0 || length.QuadPart > MaxImageFileBytes) {
    CloseHandle(file);
    LogFormat("ファイルの大きさが読み込める範囲を越えています: %s", name);
    SetLastErrorText("the file %s is larger than the %lld bytes an image file may have", name,
                     static_cast<long long>(MaxImageFileBytes));
    return -1;
  }
  const auto bytes = static_cast<std::size_t>(length.QuadPart);
  auto* block = static_cast<std::uint8_t*>(TrackedAlloc(bytes > 0 ? bytes : 1, __FILE__, __LINE__));
  if (block == nullptr) {
    CloseHandle(file);
    LogFormat("ファイルを読み込むメモリを確保できませんでした: %s", name);
    SetLastErrorText("there is no memory to read the file %s", name);
    return -1;
  }
  DWORD read = 0;
  const BOOL ok = bytes == 0 || ReadFile(file, block, static_cast<DWORD>(bytes), &read, nullptr);
  CloseHandle(file);
  if (!ok || read != bytes) {
    TrackedFree(block);
    LogFormat("ファイルの読み込みに失敗しました: %s", name);
    SetLastErrorText("the file %s could not be read", name);
    return -1;
  }
  *data = block;
  *size = bytes;
  return 0;
}

int WriteWholeFile(const char* name, const void* data, std::size_t size) {
  if (name == nullptr) {
    SetLastErrorText("the file name is null");
    return -1;
  }
  HANDLE file = CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    LogFormat("ファイルを作成できませんでした: %s", name);
    SetLastErrorText("the file %s could not be created", name);
    return -1;
  }
  DWORD written = 0;
  const BOOL ok = WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr);
  const BOOL closed = CloseHandle(file);
  if (!ok || written != size || !closed) {
    LogFormat("ファイルの書き込みに失敗しました: %s", name);
    SetLastErrorText("the file %s could not be written", name);
    return -1;
  }
  return 0;
}
