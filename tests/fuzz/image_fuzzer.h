// The image readers under random damage: files of every format made by image_files, mutated by a
// seeded generator (bits flipped, bytes set to edge values, spans cut, repeated or dropped, sizes
// in headers changed, PNG chunk CRCs mended so that the damage reaches past them) and decoded.
// A crash, a sanitizer report or a block left behind is a finding.
#pragma once

#include <cstdint>

struct ImageFuzzResult {
  long long decodes = 0;
  long long accepted = 0;      // mutants that still decoded
  bool leaked = false;         // tracked blocks outlived a decode
  std::uint32_t checksum = 0;  // of every accepted pixel
};

ImageFuzzResult RunImageFuzz(std::uint64_t seed, int mutants);
