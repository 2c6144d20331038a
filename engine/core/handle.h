// Handle values: bit 31 clear, a type code in bits 27-30, an 11-bit check number in bits 16-26
// matched against the table entry, and the slot index in bits 0-15. -1 means none or failure.
#pragma once

#include <cstdint>

enum HandleTypeCode : int {
  HandleTypeGraphic = 1,
  HandleTypeSound = 2,
  HandleTypeVoice = 3,  // one playing of a sound
  HandleTypeFont = 4,
  HandleTypeMask = 8,
  HandleTypeNetwork = 9,
};

constexpr int HandleCheckNumberMask = 0x7FF;

// Where a drawing call takes a graphic, this one stands for none (untextured drawing).
constexpr int NoGraphic = -5;

constexpr int MakeHandle(int typeCode, int checkNumber, int index) {
  return (typeCode << 27) | ((checkNumber & HandleCheckNumberMask) << 16) | (index & 0xFFFF);
}

constexpr int HandleType(int handle) { return (handle >> 27) & 0xF; }
constexpr int HandleCheckNumber(int handle) { return (handle >> 16) & HandleCheckNumberMask; }
constexpr int HandleIndex(int handle) { return handle & 0xFFFF; }

// The slot index of a handle into a table of slotCount entries, or -1 when the handle is
// negative, of another type, out of range, names an empty slot or carries a stale check number.
// checkOf(index) gives the check number stored in an occupied slot, or -1 for an empty one.
template <class CheckOf>
int ValidateHandle(int handle, int typeCode, int slotCount, CheckOf checkOf) {
  if (handle < 0 || HandleType(handle) != typeCode) return -1;
  const int index = HandleIndex(handle);
  if (index >= slotCount) return -1;
  const int check = checkOf(index);
  if (check < 0 || ((check & HandleCheckNumberMask) << 16) != (handle & (HandleCheckNumberMask << 16))) {
    return -1;
  }
  return index;
}
