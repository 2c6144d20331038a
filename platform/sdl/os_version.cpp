// The system's version on Linux, in the fields of the Windows version record:
//   dwMajorVersion, dwMinorVersion  the kernel release's first two numbers ("6.1.0-18" -> 6, 1)
//   dwBuildNumber                   the kernel build's count, after '#' in its version ("#1 SMP")
//   dwPlatformId                    VER_PLATFORM_OTHER
//   szCSDVersion                    the distribution's name (PRETTY_NAME of os-release)
//   szSystemName                    the kernel's name and release ("Linux 6.1.0-18-amd64")
#include <sys/utsname.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "../common/platform_contract.h"
#include "code_page.h"
#include "platform/version.h"

namespace {

// The value of one key of os-release, unquoted; empty when the file or the key is missing.
std::string OsReleaseValue(const std::string& key) {
  for (const char* path : {"/etc/os-release", "/usr/lib/os-release"}) {
    std::ifstream file(path);
    if (!file) continue;
    std::string line;
    while (std::getline(file, line)) {
      if (line.compare(0, key.size() + 1, key + "=") != 0) continue;
      std::string value = line.substr(key.size() + 1);
      if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
      }
      return value;
    }
    return {};
  }
  return {};
}

void CopyText(char (&buffer)[128], const std::string& text) {
  std::snprintf(buffer, sizeof buffer, "%s", text.c_str());
}

}  // namespace

BOOL GetVersionExA(OSVERSIONINFOA* info) {
  if (info == nullptr || info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA)) return FALSE;
  struct utsname names {};
  if (uname(&names) != 0) return FALSE;
  *info = OSVERSIONINFOA{};
  info->dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
  info->dwPlatformId = VER_PLATFORM_OTHER;

  unsigned major = 0, minor = 0;
  std::sscanf(names.release, "%u.%u", &major, &minor);
  info->dwMajorVersion = major;
  info->dwMinorVersion = minor;
  if (const char* hash = std::strchr(names.version, '#')) {
    info->dwBuildNumber = static_cast<DWORD>(std::strtoul(hash + 1, nullptr, 10));
  }

  std::string distribution = OsReleaseValue("PRETTY_NAME");
  if (distribution.empty()) distribution = OsReleaseValue("NAME");
  CopyText(info->szCSDVersion, Utf8ToCodePage(distribution));
  CopyText(info->szSystemName, Utf8ToCodePage(std::string(names.sysname) + " " + names.release));
  return TRUE;
}
