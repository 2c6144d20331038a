#include "platform/cpu.h"
#include "../common/platform_contract.h"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <x86intrin.h>
#endif

bool CpuIdAvailable() {
#if defined(__x86_64__) || defined(__i386__)
  return __get_cpuid_max(0, nullptr) != 0;
#else
  return false;
#endif
}

void CpuId(std::uint32_t leaf, std::uint32_t registers[4]) {
  registers[0] = registers[1] = registers[2] = registers[3] = 0;
#if defined(__x86_64__) || defined(__i386__)
  // The highest leaf is unsigned in gcc's <cpuid.h> and int in clang's.
  if (leaf > static_cast<std::uint32_t>(__get_cpuid_max(leaf & 0x80000000u, nullptr))) return;
  __cpuid_count(leaf, 0, registers[0], registers[1], registers[2], registers[3]);
#else
  (void)leaf;
#endif
}

std::uint64_t ReadTimeStampCounter() {
#if defined(__x86_64__) || defined(__i386__)
  return __rdtsc();
#else
  return 0;
#endif
}
