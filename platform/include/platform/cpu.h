// The processor's identification instruction.
#pragma once

#include <cstdint>

// False when the processor has no identification instruction.
bool CpuIdAvailable();
// Registers EAX, EBX, ECX, EDX of the given leaf (sub-leaf 0); all zero when unavailable.
void CpuId(std::uint32_t leaf, std::uint32_t registers[4]);
