#include "image_fuzzer.h"

#include <png.h>
#include <zlib.h>

#include <random>
#include <vector>

#include "core/tracked_memory.h"
#include "image/image_decode.h"
#include "image_files.h"

namespace {

using image_files::Bytes;
using image_files::Pixels;

std::vector<Bytes> SeedFiles() {
  const int w = 7, h = 5;
  Pixels pixels;
  for (int i = 0; i < w * h; ++i) pixels.push_back(0x80000000u | static_cast<std::uint32_t>(i * 0x051A2B));
  std::vector<Bytes> rgbaRows, paletteRows, greyRows;
  for (int y = 0; y < h; ++y) {
    Bytes rgba, indices, grey;
    for (int x = 0; x < w; ++x) {
      const std::uint32_t p = pixels[y * w + x];
      for (int shift : {16, 8, 0, 24}) rgba.push_back(static_cast<std::uint8_t>(p >> shift));
      indices.push_back(static_cast<std::uint8_t>((x + y) % 4));
      grey.push_back(static_cast<std::uint8_t>(p));
      grey.push_back(static_cast<std::uint8_t>(p >> 8));
    }
    rgbaRows.push_back(rgba);
    paletteRows.push_back(indices);
    greyRows.push_back(grey);
  }
  image_files::PngLayout interlaced{PNG_COLOR_TYPE_RGB_ALPHA, 8};
  interlaced.interlaced = true;
  image_files::PngLayout palette{PNG_COLOR_TYPE_PALETTE, 8};
  palette.palette = {0xFF000000, 0x80FF0000, 0xFF00FF00, 0x000000FF};
  std::vector<std::uint32_t> rgb, indices;
  for (int i = 0; i < w * h; ++i) {
    rgb.push_back(pixels[i] & 0xFFFFFF);
    indices.push_back(static_cast<std::uint32_t>(i % 4));
  }
  image_files::BmpLayout bmp8{w, h, 8};
  bmp8.palette = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
  image_files::BmpLayout rle8{w, h, 8, 1};
  rle8.palette = bmp8.palette;
  const Bytes rleData = {7, 1, 0, 0, 0, 7, 0, 1, 2, 3, 0, 1, 2, 0, 0, 2, 3, 1, 0, 0, 7, 2, 0, 0, 7, 3, 0, 1};
  Bytes tgaRle;
  for (int i = 0; i < h; ++i) {
    tgaRle.push_back(0x80 | (w - 1));
    for (int k = 0; k < 4; ++k) tgaRle.push_back(static_cast<std::uint8_t>(pixels[i] >> (8 * k)));
  }
  Bytes dxt5(2 * 2 * 16);
  for (std::size_t i = 0; i < dxt5.size(); ++i) dxt5[i] = static_cast<std::uint8_t>(i * 37);
  return {image_files::Png(w, h, interlaced, rgbaRows),
          image_files::Png(w, h, palette, paletteRows),
          image_files::Png(w, h, {PNG_COLOR_TYPE_GRAY_ALPHA, 8}, greyRows),
          image_files::JpegBytes(w, h, pixels, false, 90),
          image_files::JpegBytes(w, h, pixels, true, 90),
          image_files::Bmp({w, h, 24}, image_files::BmpRows(w, h, 24, true, rgb)),
          image_files::Bmp(bmp8, image_files::BmpRows(w, h, 8, true, indices)),
          image_files::Bmp(rle8, rleData),
          image_files::Tga(10, w, h, 32, 0x28, {}, 0, 0, tgaRle),
          image_files::DdsFourCc(w, h, "DXT5", dxt5),
          image_files::DdsFourCc(w, h, "DXT1", Bytes(dxt5.begin(), dxt5.begin() + 32))};
}

// Recomputes the CRC of every PNG chunk whose length still fits the file.
void MendPngCrcs(Bytes& file) {
  std::size_t at = 8;
  while (at + 12 <= file.size()) {
    const std::uint32_t length =
        static_cast<std::uint32_t>(file[at] << 24 | file[at + 1] << 16 | file[at + 2] << 8 | file[at + 3]);
    if (length > file.size() - at - 12) return;
    const std::uint32_t crc = static_cast<std::uint32_t>(crc32(0, file.data() + at + 4, length + 4));
    for (int k = 0; k < 4; ++k) file[at + 8 + length + k] = static_cast<std::uint8_t>(crc >> (24 - 8 * k));
    at += 12 + length;
  }
}

void Mutate(Bytes& file, std::mt19937_64& random) {
  auto pick = [&](std::size_t n) { return n == 0 ? 0 : static_cast<std::size_t>(random() % n); };
  // Headers decide the most: half the damage lands in the first 64 bytes.
  auto position = [&] { return random() % 2 ? pick(std::min<std::size_t>(file.size(), 64)) : pick(file.size()); };
  const int edits = 1 + static_cast<int>(random() % 4);
  for (int e = 0; e < edits && !file.empty(); ++e) {
    switch (random() % 7) {
      case 0:
        file[position()] ^= static_cast<std::uint8_t>(1u << (random() % 8));
        break;
      case 1: {
        static const std::uint8_t edges[] = {0x00, 0x01, 0x7F, 0x80, 0xFE, 0xFF};
        file[position()] = edges[random() % 6];
        break;
      }
      case 2: {  // a 16- or 32-bit size field made large
        const std::size_t at = position();
        for (std::size_t k = at; k < std::min(file.size(), at + 2 + 2 * (random() % 2)); ++k) file[k] = 0xFF;
        break;
      }
      case 3:
        file.resize(pick(file.size()) + 1);
        break;
      case 4: {  // a span repeated
        const std::size_t at = position(), length = std::min<std::size_t>(1 + pick(32), file.size() - at);
        const Bytes span(file.begin() + static_cast<std::ptrdiff_t>(at),
                         file.begin() + static_cast<std::ptrdiff_t>(at + length));
        file.insert(file.begin() + static_cast<std::ptrdiff_t>(at), span.begin(), span.end());
        break;
      }
      case 5: {  // a span dropped
        const std::size_t at = position(), length = std::min<std::size_t>(1 + pick(16), file.size() - at);
        file.erase(file.begin() + static_cast<std::ptrdiff_t>(at),
                   file.begin() + static_cast<std::ptrdiff_t>(at + length));
        break;
      }
      default:
        file[position()] = static_cast<std::uint8_t>(random());
    }
  }
  if (file.size() > 8 && file[0] == 0x89 && file[1] == 'P' && random() % 4 != 0) MendPngCrcs(file);
}

}  // namespace

ImageFuzzResult RunImageFuzz(std::uint64_t seed, int mutants) {
  static const std::vector<Bytes> seeds = SeedFiles();
  std::mt19937_64 random(seed);
  ImageFuzzResult result;
  const long long before = LiveBlockCount();
  for (int i = 0; i < mutants; ++i) {
    Bytes file = seeds[random() % seeds.size()];
    Mutate(file, random);
    ImageRecord image{};
    ++result.decodes;
    if (DecodeImage(file.data(), file.size(), &image) == 0) {
      ++result.accepted;
      // Every pixel of an accepted image is readable (the sanitizer watches).
      for (std::size_t k = 0; k < static_cast<std::size_t>(image.width) * image.height; ++k)
        result.checksum += image.pixels[k];
      ReleaseImageRecord(&image);
    } else if (image.pixels != nullptr) {
      result.leaked = true;
    }
    if (LiveBlockCount() != before) result.leaked = true;
  }
  return result;
}
