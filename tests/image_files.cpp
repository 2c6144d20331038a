#include "image_files.h"

#include <png.h>
#include <cstdio>
#include <jpeglib.h>

#include <cstring>
#include <stdexcept>

namespace image_files {

namespace {

void Put16(Bytes& out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(Bytes& out, std::uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

void Append(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}
void NoFlush(png_structp) {}

}  // namespace

Bytes Png(int width, int height, const PngLayout& layout, const std::vector<Bytes>& rows) {
  Bytes out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    throw std::runtime_error("png write");
  }
  png_set_write_fn(png, &out, Append, NoFlush);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), layout.bitDepth,
               layout.colorType, layout.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  std::vector<png_color> colours;
  std::vector<png_byte> alphas;
  for (std::uint32_t c : layout.palette) {
    colours.push_back({static_cast<png_byte>(c >> 16), static_cast<png_byte>(c >> 8), static_cast<png_byte>(c)});
    alphas.push_back(static_cast<png_byte>(c >> 24));
  }
  if (!colours.empty()) {
    png_set_PLTE(png, info, colours.data(), static_cast<int>(colours.size()));
    bool translucent = false;
    for (png_byte a : alphas) translucent |= a != 255;
    if (translucent) png_set_tRNS(png, info, alphas.data(), static_cast<int>(alphas.size()), nullptr);
  }
  if (layout.greyKey >= 0) {
    png_color_16 key{};
    key.gray = static_cast<png_uint_16>(layout.greyKey);
    png_set_tRNS(png, info, nullptr, 0, &key);
  }
  png_write_info(png, info);
  std::vector<png_bytep> pointers;
  for (const Bytes& row : rows) pointers.push_back(const_cast<png_bytep>(row.data()));
  png_write_image(png, pointers.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

Bytes JpegBytes(int width, int height, const Pixels& pixels, bool progressive, int quality) {
  jpeg_compress_struct info;
  jpeg_error_mgr errors;
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = static_cast<JDIMENSION>(width);
  info.image_height = static_cast<JDIMENSION>(height);
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  for (int c = 0; c < 3; ++c) info.comp_info[c].h_samp_factor = info.comp_info[c].v_samp_factor = 1;
  if (progressive) jpeg_simple_progression(&info);
  jpeg_start_compress(&info, TRUE);
  std::vector<unsigned char> row(static_cast<std::size_t>(width) * 3);
  while (info.next_scanline < info.image_height) {
    for (int x = 0; x < width; ++x) {
      const std::uint32_t p = pixels[info.next_scanline * width + x];
      row[x * 3] = static_cast<unsigned char>(p >> 16);
      row[x * 3 + 1] = static_cast<unsigned char>(p >> 8);
      row[x * 3 + 2] = static_cast<unsigned char>(p);
    }
    JSAMPROW pointer = row.data();
    jpeg_write_scanlines(&info, &pointer, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  Bytes out(buffer, buffer + size);
  std::free(buffer);
  return out;
}

Bytes BmpRows(int width, int height, int bits, bool bottomUp, const std::vector<std::uint32_t>& values) {
  const int stride = (width * bits + 31) / 32 * 4;
  Bytes out(static_cast<std::size_t>(stride) * height, 0);
  for (int y = 0; y < height; ++y) {
    const int fileRow = bottomUp ? height - 1 - y : y;
    std::uint8_t* row = out.data() + static_cast<std::size_t>(fileRow) * stride;
    for (int x = 0; x < width; ++x) {
      const std::uint32_t v = values[static_cast<std::size_t>(y) * width + x];
      if (bits < 8) {
        const int perByte = 8 / bits;
        row[x / perByte] |= static_cast<std::uint8_t>(v << (8 - bits * (x % perByte + 1)));
      } else {
        for (int k = 0; k < bits / 8; ++k) row[x * (bits / 8) + k] = static_cast<std::uint8_t>(v >> (8 * k));
      }
    }
  }
  return out;
}

Bytes Bmp(const BmpLayout& layout, const Bytes& pixelData) {
  const bool v4 = layout.masks[3] != 0;
  const std::uint32_t headerSize = layout.core ? 12 : v4 ? 108 : 40;
  const bool trailingMasks = !v4 && !layout.core && layout.compression == 3;
  const std::uint32_t entry = layout.core ? 3 : 4;
  const std::uint32_t offset =
      14 + headerSize + (trailingMasks ? 12 : 0) + static_cast<std::uint32_t>(layout.palette.size()) * entry;
  Bytes out = {'B', 'M'};
  Put32(out, offset + static_cast<std::uint32_t>(pixelData.size()));
  Put32(out, 0);
  Put32(out, offset);
  Put32(out, headerSize);
  if (layout.core) {
    Put16(out, static_cast<std::uint32_t>(layout.width));
    Put16(out, static_cast<std::uint32_t>(layout.height));
    Put16(out, 1);
    Put16(out, static_cast<std::uint32_t>(layout.bits));
  } else {
    Put32(out, static_cast<std::uint32_t>(layout.width));
    Put32(out, static_cast<std::uint32_t>(layout.height));
    Put16(out, 1);
    Put16(out, static_cast<std::uint32_t>(layout.bits));
    Put32(out, static_cast<std::uint32_t>(layout.compression));
    Put32(out, static_cast<std::uint32_t>(pixelData.size()));
    Put32(out, 2835);
    Put32(out, 2835);
    Put32(out, static_cast<std::uint32_t>(layout.palette.size()));
    Put32(out, 0);
    if (v4) {
      for (std::uint32_t m : layout.masks) Put32(out, m);
      while (out.size() < 14 + headerSize) out.push_back(0);
    }
    if (trailingMasks) {
      for (int i = 0; i < 3; ++i) Put32(out, layout.masks[i]);
    }
  }
  for (std::uint32_t c : layout.palette) {
    out.push_back(static_cast<std::uint8_t>(c));
    out.push_back(static_cast<std::uint8_t>(c >> 8));
    out.push_back(static_cast<std::uint8_t>(c >> 16));
    if (!layout.core) out.push_back(0);
  }
  out.insert(out.end(), pixelData.begin(), pixelData.end());
  return out;
}

Bytes Tga(int type, int width, int height, int bits, int descriptor, const Bytes& colorMap, int mapBits, int mapLength,
          const Bytes& data) {
  Bytes out = {0, static_cast<std::uint8_t>(colorMap.empty() ? 0 : 1), static_cast<std::uint8_t>(type)};
  Put16(out, 0);
  Put16(out, static_cast<std::uint32_t>(mapLength));
  out.push_back(static_cast<std::uint8_t>(mapBits));
  Put16(out, 0);
  Put16(out, 0);
  Put16(out, static_cast<std::uint32_t>(width));
  Put16(out, static_cast<std::uint32_t>(height));
  out.push_back(static_cast<std::uint8_t>(bits));
  out.push_back(static_cast<std::uint8_t>(descriptor));
  out.insert(out.end(), colorMap.begin(), colorMap.end());
  out.insert(out.end(), data.begin(), data.end());
  return out;
}

namespace {

Bytes DdsHeader(int width, int height, std::uint32_t pixelFlags, std::uint32_t fourCc, int bits,
                const std::uint32_t masks[4]) {
  Bytes out = {'D', 'D', 'S', ' '};
  Put32(out, 124);
  Put32(out, 0x1007);  // caps, height, width, pixel format
  Put32(out, static_cast<std::uint32_t>(height));
  Put32(out, static_cast<std::uint32_t>(width));
  Put32(out, 0);
  Put32(out, 0);
  Put32(out, 0);
  for (int i = 0; i < 11; ++i) Put32(out, 0);
  Put32(out, 32);
  Put32(out, pixelFlags);
  Put32(out, fourCc);
  Put32(out, static_cast<std::uint32_t>(bits));
  for (int i = 0; i < 4; ++i) Put32(out, masks != nullptr ? masks[i] : 0);
  Put32(out, 0x1000);
  for (int i = 0; i < 4; ++i) Put32(out, 0);
  return out;
}

}  // namespace

Bytes DdsFourCc(int width, int height, const char* fourCc, const Bytes& data) {
  std::uint32_t code;
  std::memcpy(&code, fourCc, 4);
  Bytes out = DdsHeader(width, height, 0x4, code, 0, nullptr);
  out.insert(out.end(), data.begin(), data.end());
  return out;
}

Bytes DdsMasks(int width, int height, int bits, std::uint32_t flags, const std::uint32_t masks[4], const Bytes& data) {
  Bytes out = DdsHeader(width, height, flags, 0, bits, masks);
  out.insert(out.end(), data.begin(), data.end());
  return out;
}

}  // namespace image_files
