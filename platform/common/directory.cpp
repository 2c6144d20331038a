// Current directory and process exit.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/kernel32.h"

DWORD GetCurrentDirectoryA(DWORD bufferLength, char* buffer) {
  std::vector<char> path(4096);
  while (getcwd(path.data(), path.size()) == nullptr) {
    if (errno != ERANGE) return 0;
    path.resize(path.size() * 2);
  }
  const DWORD length = static_cast<DWORD>(std::strlen(path.data()));
  if (buffer == nullptr || bufferLength <= length) return length + 1;
  std::memcpy(buffer, path.data(), length + 1);
  return length;
}

BOOL SetCurrentDirectoryA(const char* path) { return path != nullptr && chdir(path) == 0 ? TRUE : FALSE; }

void ExitProcess(UINT exitCode) {
  std::fflush(nullptr);
  std::_Exit(static_cast<int>(exitCode));
}
