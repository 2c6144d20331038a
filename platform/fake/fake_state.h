// The fake platform's settings, shared by its source files.
#pragma once

#include <array>
#include <cstdint>

#include "fake_platform.h"

namespace fake {

struct FakeState {
  DWORD clock = 0;
  LONGLONG perfFrequency = 1000000;
  LONGLONG perfCount = 0;
  int desktopDepth = 32;
  bool realCpu = true;
  bool cpuAvailable = true;
  std::uint32_t leaf1Edx = 0;
  std::array<bool, static_cast<int>(Failure::FailureCount)> failures{};
  int comDepth = 0;
  PresentedFrame presented;
  int verticalBlankWaits = 0;
  std::vector<FontCall> fontCalls;
  int failNextFonts = 0;
  int glyphRenders = 0;
  int liveFonts = 0;
};

FakeState& State();

inline bool Fails(Failure which) { return State().failures[static_cast<int>(which)]; }

}  // namespace fake
