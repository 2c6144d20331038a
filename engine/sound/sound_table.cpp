#include "sound_table.h"

#include "../core/handle.h"

namespace {

struct SoundTableRecord {
  SoundRecord slots[SoundSlots];
  int nextCheck;
  bool ready;  // slots marked free
};
SoundTableRecord Table{};

void Prepare() {
  if (Table.ready) return;
  for (SoundRecord& slot : Table.slots) slot.checkNumber = -1;
  Table.ready = true;
}

}  // namespace

SoundRecord* FindSound(int handle) {
  Prepare();
  const int index =
      ValidateHandle(handle, HandleTypeSound, SoundSlots, [](int i) { return Table.slots[i].checkNumber; });
  return index < 0 ? nullptr : &Table.slots[index];
}

int AddSound(const SoundSamples& data) {
  Prepare();
  for (int i = 0; i < SoundSlots; ++i) {
    SoundRecord& slot = Table.slots[i];
    if (slot.checkNumber >= 0) continue;
    slot = SoundRecord{Table.nextCheck, data, 1000, 0, 0, 0};
    if (++Table.nextCheck > HandleCheckNumberMask) Table.nextCheck = 0;
    return MakeHandle(HandleTypeSound, slot.checkNumber, i);
  }
  return -1;
}

void FreeSoundSlot(SoundRecord& record) {
  FreeSoundSamples(record.data);
  record.checkNumber = -1;
}

SoundRecord& SoundSlot(int index) {
  Prepare();
  return Table.slots[index];
}

int SoundSlotIndex(const SoundRecord& record) { return static_cast<int>(&record - Table.slots); }
