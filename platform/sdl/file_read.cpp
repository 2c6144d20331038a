// Reading files: straight through to the descriptor.
#include "../common/file_object.h"
#include "../common/platform_contract.h"

BOOL ReadFile(HANDLE file, void* data, DWORD size, DWORD* read, void* overlapped) {
  if (overlapped != nullptr) {
    if (read != nullptr) *read = 0;
    return FALSE;
  }
  return ReadFileDescriptor(FileDescriptorOf(file), data, size, read);
}
