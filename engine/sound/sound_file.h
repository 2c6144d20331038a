// Whole files read through the platform, for sounds decoded at once.
#pragma once

#include <cstddef>
#include <cstdint>

// A tracked block with the file's bytes and their count, or null (with *reason) when the file
// cannot be opened or read or is larger than limit bytes.
std::uint8_t* ReadWholeFile(const char* path, std::size_t limit, std::size_t* size, const char** reason);
