// CharBuffer: the ring of typed character codes that the text-entry processing consumes.
#pragma once

constexpr int CharBufferSlots = 1025;  // holds at most 1024 codes

// Clears the buffer and the text-entry state.
void StartCharBuffer();
// Releases the buffer and the text-entry handles.
void EndCharBuffer();
bool CharBufferFull();
// Appends a code; a code that arrives when the buffer is full is dropped (returns -1).
int PutCharBuffer(unsigned char code);
// The oldest code, or -1 when the buffer is empty.
int TakeCharBuffer();
// The text-entry processing at the end of each message pump.
void ProcessTextEntry();
