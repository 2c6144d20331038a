// Line ends of log text: bare line feeds become CR LF, stepping over Shift-JIS double-byte
// characters.
#pragma once

#include <cstddef>

// Writes the converted text of length bytes and a terminating zero to out, which holds at least
// 2 * length + 1 bytes. Returns the converted length.
std::size_t ConvertLineEnds(const char* text, std::size_t length, char* out);
