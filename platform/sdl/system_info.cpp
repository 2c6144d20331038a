// Memory status and the OEM code page.
#include <sys/sysinfo.h>
#include <unistd.h>

#include "../common/platform_contract.h"
#include "platform/kernel32.h"

void GlobalMemoryStatus(MEMORYSTATUS* status) {
  if (status == nullptr) return;
  *status = MEMORYSTATUS{};
  status->dwLength = sizeof *status;
  struct sysinfo info {};
  if (sysinfo(&info) != 0) return;
  const std::size_t unit = info.mem_unit != 0 ? info.mem_unit : 1;
  status->dwTotalPhys = info.totalram * unit;
  status->dwAvailPhys = (info.freeram + info.bufferram) * unit;
  status->dwTotalPageFile = (info.totalram + info.totalswap) * unit;
  status->dwAvailPageFile = (info.freeram + info.freeswap) * unit;
  if (info.totalram != 0) {
    status->dwMemoryLoad = static_cast<DWORD>(100 - (info.freeram + info.bufferram) * 100 / info.totalram);
  }
}

UINT GetOEMCP() { return 932; }
