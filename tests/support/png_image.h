// Reading and writing 8-bit RGB PNG files for golden-image tests. Pixels are XRGB words.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct PngImage {
  int width = 0, height = 0;
  std::vector<std::uint32_t> pixels;  // 0x00RRGGBB, top row first
};

// False when the file is missing or not a PNG this reader understands.
bool ReadPng(const std::string& path, PngImage* image);
bool WritePng(const std::string& path, const PngImage& image);
