#include "char_buffer.h"

namespace {

struct CharBufferRecord {
  unsigned char slots[CharBufferSlots];
  int writeIndex;
  int readIndex;
};

constinit CharBufferRecord CharBuffer{};

}  // namespace

void StartCharBuffer() { CharBuffer = CharBufferRecord{}; }

void EndCharBuffer() { CharBuffer.writeIndex = CharBuffer.readIndex = 0; }

bool CharBufferFull() { return (CharBuffer.writeIndex + 1) % CharBufferSlots == CharBuffer.readIndex; }

int PutCharBuffer(unsigned char code) {
  if (CharBufferFull()) return -1;
  CharBuffer.slots[CharBuffer.writeIndex] = code;
  CharBuffer.writeIndex = (CharBuffer.writeIndex + 1) % CharBufferSlots;
  return 0;
}

int TakeCharBuffer() {
  if (CharBuffer.readIndex == CharBuffer.writeIndex) return -1;
  const int code = CharBuffer.slots[CharBuffer.readIndex];
  CharBuffer.readIndex = (CharBuffer.readIndex + 1) % CharBufferSlots;
  return code;
}

// No text-entry field is open in this program, so the typed codes wait in the buffer (and the
// newest are dropped once it is full) until a field would take them.
void ProcessTextEntry() {}
