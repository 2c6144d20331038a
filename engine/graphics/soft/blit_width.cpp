#include "blit_table.h"

#include <cstdlib>
#include <cstring>

bool WideBlitsAllowed = true;

bool WideBlitsAvailable() {
  // The compiler's check covers both the instruction set and the system saving the registers.
  static const bool available = __builtin_cpu_supports("avx2");
  return available;
}

bool GeneralPixelLoopsOnly() {
  static const bool general = [] {
    const char* value = std::getenv("VORNEK_SOFT_GENERAL");
    return value != nullptr && value[0] != '\0' && std::strcmp(value, "0") != 0;
  }();
  return general;
}

LoopSet ChosenLoopSet() {
  if (GeneralPixelLoopsOnly()) return LoopSet::General;
  return WideBlitsAllowed && WideBlitsAvailable() ? LoopSet::Wide : LoopSet::Baseline;
}
