// The fake platform's settings, shared by its source files.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "fake_platform.h"

namespace fake {

struct FakeState {
  DWORD clock = 0;
  DWORD clockStep = 0;
  LONGLONG perfFrequency = 1000000;
  LONGLONG perfCount = 0;
  // Moving by default: the timer check at window start-up waits for the counter to change.
  LONGLONG perfStep = 1;
  std::uint64_t timeStampCounter = 0;
  std::uint64_t timeStampStep = 0;
  UINT timerPeriodMin = 1;
  UINT timerPeriodMax = 1000000;
  std::vector<UINT> raisedPeriods;
  std::string debugOutput;
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
