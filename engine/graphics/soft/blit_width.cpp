#include "blit_table.h"

bool WideBlitsAllowed = true;

bool WideBlitsAvailable() {
  // The compiler's check covers both the instruction set and the system saving the registers.
  static const bool available = __builtin_cpu_supports("avx2");
  return available;
}
