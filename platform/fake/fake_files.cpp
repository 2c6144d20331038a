// Reading files: the real files on disk, unless the test made every read fail.
#include "fake_state.h"
#include "../common/file_object.h"
#include "../common/platform_contract.h"

BOOL ReadFile(HANDLE file, void* data, DWORD size, DWORD* read, void* overlapped) {
  if (read != nullptr) *read = 0;
  if (overlapped != nullptr || fake::Fails(fake::Failure::ReadFile)) return FALSE;
  return ReadFileDescriptor(FileDescriptorOf(file), data, size, read);
}
