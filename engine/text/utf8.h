// UTF-8 text: one character at a time, as the text calls walk it in UTF-8 mode.
#pragma once

#include <cstdint>

constexpr std::uint32_t ReplacementCharacter = 0xFFFD;

// The code point at bytes[at] and the bytes it takes (at least 1, never past length). A byte
// that starts no valid sequence, a sequence cut short, an overlong form, a surrogate or a value
// beyond U+10FFFF is one U+FFFD for its first byte, so that the walk goes on after it.
std::uint32_t DecodeUtf8(const std::uint8_t* bytes, int at, int length, int* used);
