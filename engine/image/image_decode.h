// The image readers: PNG, JPEG, BMP, TGA and DDS, each from bytes in memory into the decoded
// image record. Each returns 0, or -1 with a log line and the record left empty; nothing a
// file declares is trusted before it is checked against the data and the size limits.
#pragma once

#include <cstddef>
#include <cstdint>

#include "image_record.h"

int DecodePng(const std::uint8_t* data, std::size_t size, ImageRecord* image);
int DecodeJpeg(const std::uint8_t* data, std::size_t size, ImageRecord* image);
int DecodeBmp(const std::uint8_t* data, std::size_t size, ImageRecord* image);
int DecodeTga(const std::uint8_t* data, std::size_t size, ImageRecord* image);
int DecodeDds(const std::uint8_t* data, std::size_t size, ImageRecord* image);

// Picks the reader by the file's signature (TGA, which has none, last).
int DecodeImage(const std::uint8_t* data, std::size_t size, ImageRecord* image);
