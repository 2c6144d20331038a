// Loading a 1024 x 1024 PNG and JPEG from memory: the engine's readers (and the whole load into
// a software graphic) beside a plain decode with the same libraries into the same BGRA pixels.
// Run on one core: taskset -c 1 build/bench/image_load_bench
#include <benchmark/benchmark.h>
#include <jpeglib.h>
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "core/engine_state.h"
#include "fake_platform.h"
#include "graphics/graphics_state.h"
#include "image/image_decode.h"
#include "vornek.h"

namespace {

constexpr int Side = 1024;

// A picture with smooth colour, edges and a little grain, as photographs and sprite sheets have.
std::vector<std::uint8_t> Rgba() {
  std::vector<std::uint8_t> rgba(static_cast<std::size_t>(Side) * Side * 4);
  std::uint32_t seed = 12345;
  for (int y = 0; y < Side; ++y) {
    for (int x = 0; x < Side; ++x) {
      seed = seed * 1103515245u + 12345u;
      const int grain = static_cast<int>(seed >> 28) - 8;
      const double d = std::hypot(x - 512.0, y - 400.0);
      std::uint8_t* p = &rgba[(static_cast<std::size_t>(y) * Side + x) * 4];
      p[0] = static_cast<std::uint8_t>(std::clamp(128 + 100 * std::sin(x / 60.0) + grain, 0.0, 255.0));
      p[1] = static_cast<std::uint8_t>(std::clamp(y / 4.0 + grain, 0.0, 255.0));
      p[2] = static_cast<std::uint8_t>(d < 300 ? 220 : 60);
      p[3] = static_cast<std::uint8_t>(d < 450 ? 255 : std::max(0.0, 255 - (d - 450) * 2));
    }
  }
  return rgba;
}

std::vector<std::uint8_t> EncodePng(const std::vector<std::uint8_t>& rgba) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = Side;
  image.height = Side;
  image.format = PNG_FORMAT_RGBA;
  png_alloc_size_t size = 0;
  png_image_write_to_memory(&image, nullptr, &size, 0, rgba.data(), 0, nullptr);
  std::vector<std::uint8_t> out(size);
  png_image_write_to_memory(&image, out.data(), &size, 0, rgba.data(), 0, nullptr);
  out.resize(size);
  return out;
}

std::vector<std::uint8_t> EncodeJpeg(const std::vector<std::uint8_t>& rgba) {
  jpeg_compress_struct info;
  jpeg_error_mgr errors;
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = Side;
  info.image_height = Side;
  info.input_components = 4;
  info.in_color_space = JCS_EXT_RGBA;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 90, TRUE);
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(&rgba[static_cast<std::size_t>(info.next_scanline) * Side * 4]);
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  std::vector<std::uint8_t> out(buffer, buffer + size);
  std::free(buffer);
  return out;
}

const std::vector<std::uint8_t>& PngFile() {
  static const std::vector<std::uint8_t> file = EncodePng(Rgba());
  return file;
}
const std::vector<std::uint8_t>& JpegFile() {
  static const std::vector<std::uint8_t> file = EncodeJpeg(Rgba());
  return file;
}

void EngineDecodePng(benchmark::State& state) {
  PngFile();  // made before the clock starts
  for (auto _ : state) {
    ImageRecord image{};
    if (DecodeImage(PngFile().data(), PngFile().size(), &image) != 0) state.SkipWithError("decode failed");
    benchmark::DoNotOptimize(image.pixels);
    ReleaseImageRecord(&image);
  }
}

// libpng's own simplified reader into BGRA: what a program would write without the engine.
void PlainPng(benchmark::State& state) {
  PngFile();  // made before the clock starts
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(Side) * Side * 4);
  for (auto _ : state) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    png_image_begin_read_from_memory(&image, PngFile().data(), PngFile().size());
    image.format = PNG_FORMAT_BGRA;
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) state.SkipWithError("decode failed");
    benchmark::DoNotOptimize(pixels.data());
  }
}

void EngineDecodeJpeg(benchmark::State& state) {
  JpegFile();  // made before the clock starts
  for (auto _ : state) {
    ImageRecord image{};
    if (DecodeImage(JpegFile().data(), JpegFile().size(), &image) != 0) state.SkipWithError("decode failed");
    benchmark::DoNotOptimize(image.pixels);
    ReleaseImageRecord(&image);
  }
}

void PlainJpeg(benchmark::State& state) {
  JpegFile();  // made before the clock starts
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(Side) * Side * 4);
  for (auto _ : state) {
    jpeg_decompress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, JpegFile().data(), JpegFile().size());
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_EXT_BGRA;
    jpeg_start_decompress(&info);
    while (info.output_scanline < info.output_height) {
      JSAMPROW row = &pixels[static_cast<std::size_t>(info.output_scanline) * Side * 4];
      jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    benchmark::DoNotOptimize(pixels.data());
  }
}

// The whole load of the PNG into a graphic of the software back-end (fake platform): decode,
// conversion into the graphic's image, run codes.
void LoadGraphicPng(benchmark::State& state) {
  PngFile();  // made before the clock starts
  fake::ResetPlatform();
  fake::SetClientSize(800, 600);
  EngineState = EngineStateRecord{};
  GraphicsState = GraphicsStateRecord{};
  ChangeWindowMode(TRUE);
  SetScreenMode(800, 600, 32, 60);
  if (InitEngine() != 0) {
    state.SkipWithError("no engine");
    return;
  }
  for (auto _ : state) {
    const int handle = LoadGraphicFromMemory(PngFile().data(), static_cast<int>(PngFile().size()));
    if (handle == -1) state.SkipWithError("load failed");
    ReleaseGraphic(handle);
  }
  EndEngine();
  fake::ResetPlatform();
}

BENCHMARK(EngineDecodePng)->Unit(benchmark::kMillisecond);
BENCHMARK(PlainPng)->Unit(benchmark::kMillisecond);
BENCHMARK(EngineDecodeJpeg)->Unit(benchmark::kMillisecond);
BENCHMARK(PlainJpeg)->Unit(benchmark::kMillisecond);
BENCHMARK(LoadGraphicPng)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
