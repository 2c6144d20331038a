// The processor's identification instruction and its time-stamp counter.
#pragma once

#include <cstdint>

// False when the processor has no identification instruction.
bool CpuIdAvailable();
// Registers EAX, EBX, ECX, EDX of the given leaf (sub-leaf 0); all zero when unavailable.
void CpuId(std::uint32_t leaf, std::uint32_t registers[4]);
// The processor's time-stamp counter (0 where there is none).
std::uint64_t ReadTimeStampCounter();
