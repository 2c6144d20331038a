// Whole files in and out through the platform's file calls, so that the fake platform can fail
// them.
#pragma once

#include <cstddef>
#include <cstdint>

// Reads the whole file into a tracked block (freed with TrackedFree). 0, or -1 with a log line
// for a file that cannot be opened or read, or that is larger than MaxImageFileBytes.
int ReadWholeFile(const char* name, std::uint8_t** data, std::size_t* size);
// Writes the bytes as the whole file, replacing it. 0, or -1 with a log line.
int WriteWholeFile(const char* name, const void* data, std::size_t size);
