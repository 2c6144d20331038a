// The start-up report of the engine, the system and the processor.
#include "system_report.h"

#include <cstdio>
#include <cstring>

#include "engine_state.h"
#include "log.h"
#include "platform/cpu.h"
#include "platform/version.h"
#include "platform/winmm.h"
#include "time_counters.h"

namespace {

constexpr std::uint32_t MmxBit = 1u << 23;  // leaf 1, EDX
constexpr std::uint32_t SseBit = 1u << 25;
constexpr std::uint32_t Sse2Bit = 1u << 26;

// The Windows name suffix and code for a version; false for a combination not listed (the code
// then stays as it was).
bool WindowsVersion(const OSVERSIONINFOA& v, char (&suffix)[16], int* code) {
  suffix[0] = '\0';
  switch (v.dwPlatformId) {
    case VER_PLATFORM_WIN32s:
      std::strcpy(suffix, "3.1");
      *code = 0;
      return true;
    case VER_PLATFORM_WIN32_WINDOWS:
      if (v.dwMinorVersion == 0) {
        std::strcpy(suffix, v.szCSDVersion[0] == 'C' ? "95OSR2" : "95");
        *code = 1;
      } else if (v.dwMinorVersion == 10) {
        std::strcpy(suffix, v.szCSDVersion[0] == 'A' ? "98SE" : "98");
        *code = 2;
      } else if (v.dwMinorVersion == 90) {
        std::strcpy(suffix, "Me");
        *code = 3;
      } else {
        return false;
      }
      return true;
    case VER_PLATFORM_WIN32_NT:
      if (v.dwMajorVersion == 3) {
        std::strcpy(suffix, "NT 3.51");
        *code = 0x104;
      } else if (v.dwMajorVersion == 4) {
        std::strcpy(suffix, "4.0");
        *code = 0x105;
      } else if (v.dwMajorVersion == 5 && v.dwMinorVersion == 0) {
        std::strcpy(suffix, "2000");
        *code = 0x106;
      } else if (v.dwMajorVersion == 5 && v.dwMinorVersion == 1) {
        std::strcpy(suffix, "XP");
        *code = 0x107;
      } else if (v.dwMajorVersion == 6) {
        std::strcpy(suffix, "Vista");
        *code = 0x108;
      } else {
        return false;
      }
      return true;
    default:
      return false;
  }
}

void ReportSystem() {
  LogText("ＯＳ  ");
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  if (!GetVersionExA(&version)) {
    version = OSVERSIONINFOA{};
    version.dwPlatformId = VER_PLATFORM_OTHER;
  }
  char name[160];
  const bool windows = version.dwPlatformId == VER_PLATFORM_WIN32s ||
                       version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS ||
                       version.dwPlatformId == VER_PLATFORM_WIN32_NT;
  if (windows || version.szSystemName[0] == '\0') {
    char suffix[16];
    WindowsVersion(version, suffix, &EngineState.OsCode);
    std::snprintf(name, sizeof name, "Windows%s", suffix);
  } else {
    // Another system names itself; the code stays as it was, as for an unlisted Windows.
    std::snprintf(name, sizeof name, "%s", version.szSystemName);
  }
  std::snprintf(EngineState.OsText, sizeof EngineState.OsText, "%s ( Build %d %s )", name,
                static_cast<int>(version.dwBuildNumber), version.szCSDVersion);
  LogFormat("%s", EngineState.OsText);
}

void RaiseTimerPeriod() {
  TIMECAPS caps{};
  if (timeGetDevCaps(&caps, sizeof caps) == MMSYSERR_NOERROR) timeBeginPeriod(caps.wPeriodMin);
}

// The vendor text's three pieces (EBX, EDX, ECX of leaf 0), each with its terminating zero.
struct VendorText {
  char piece[3][5];
};

void ReportProcessor() {
  EngineState.MmxUsable = EngineState.SseUsable = EngineState.Sse2Usable = 0;
  EngineState.CpuMhz = 0;
  EngineState.CpuName[0] = '\0';
  const bool identifiable = CpuIdAvailable();
  VendorText vendor{};
  char brand[49] = {};
  int level = 0;
  if (identifiable) {
    std::uint32_t r[4];
    CpuId(0, r);
    std::memcpy(vendor.piece[0], &r[1], 4);
    std::memcpy(vendor.piece[1], &r[3], 4);
    std::memcpy(vendor.piece[2], &r[2], 4);
    CpuId(1, r);
    const std::uint32_t features = r[3];
    level = 1;
    if (features & MmxBit) {
      level = 3;
      if (features & SseBit) {
        level = 4;
        if (features & Sse2Bit) level = 5;
      }
    }
    CpuId(0x80000000u, r);
    if (r[0] >= 0x80000004u) {
      for (std::uint32_t leaf = 0; leaf < 3; ++leaf) {
        CpuId(0x80000002u + leaf, r);
        std::memcpy(brand + 16 * leaf, r, 16);
      }
    }
  }

  // Finds the time-stamp counter through the same identification and measures it.
  const std::uint64_t ticks = CalibrateCpuCounter();
  if (EngineState.CpuCounterUsable) {
    EngineState.CpuMhz = static_cast<int>(static_cast<double>(ticks) * 0.00001);
    LogFormat("ＣＰＵ動作速度：大体%.2fGHz", EngineState.CpuMhz * 0.001);
  }

  if (!identifiable) {
    LogText("ＣＰＵＩＤ命令は使えません\n");
    return;
  }
  if (level == 1) LogText("ＭＭＸは使えません\n");
  if (level >= 3) {
    LogText("ＭＭＸ命令を使用します\n");
    EngineState.MmxUsable = 1;
  }
  if (level >= 4) {
    LogText("ＳＳＥ命令が使用可能です\n");
    EngineState.SseUsable = 1;
  }
  if (level >= 5) {
    LogText("ＳＳＥ２命令が使用可能です\n");
    EngineState.Sse2Usable = 1;
  }

  LogText("ＣＰＵベンダ：");
  for (const char* piece : vendor.piece) LogText(piece);
  LogText("\n");
  if (brand[0] != '\0') {
    LogFormat("ＣＰＵ名：%s", brand);
    std::memcpy(EngineState.CpuName, brand, sizeof brand);
  }
}

}  // namespace

void WriteSystemReport() {
  LogText("システムの情報を出力します\n");
  LogIndentIn();
  LogFormat("Vornek Ver%s\n", "3.00");
  ReportSystem();
  EngineState.DirectXVersion = 0x70000;
  RaiseTimerPeriod();
  ReportProcessor();
  LogIndentOut();
}
