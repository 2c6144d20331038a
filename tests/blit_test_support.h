// Images for the blit tests: owned MEMIMGs with pixel access, and the run codes image loading
// builds for them.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "graphics/soft/mem_img.h"
#include "graphics/soft/mem_img_derived.h"
#include "graphics/soft/soft_draw.h"

class TestImage {
 public:
  TestImage() = default;
  TestImage(int width, int height, int colorType, int paletted = 0, int alpha = 0, int extras = 0,
            std::uint32_t transColor = 0, int pitch = -1) {
    EXPECT_EQ(CreateMemImg(&image_, width, height, pitch, transColor, colorType, paletted, alpha, extras, nullptr), 0);
  }
  ~TestImage() { ReleaseMemImg(&image_); }
  TestImage(const TestImage&) = delete;
  TestImage& operator=(const TestImage&) = delete;

  MEMIMG* get() { return &image_; }
  MemImgShared* shared() { return image_.shared; }
  int bytes() const { return BytesPerPixel(image_.shared); }
  std::uint32_t at(int x, int y) const {
    std::uint32_t v = 0;
    std::memcpy(&v, image_.pixels + static_cast<std::ptrdiff_t>(y) * image_.shared->pitch + x * bytes(),
                static_cast<std::size_t>(bytes()));
    return v;
  }
  void set(int x, int y, std::uint32_t v) {
    std::memcpy(image_.pixels + static_cast<std::ptrdiff_t>(y) * image_.shared->pitch + x * bytes(), &v,
                static_cast<std::size_t>(bytes()));
  }
  // The whole storage, padding included.
  std::vector<std::uint8_t> storage() const {
    const auto* b = image_.shared->pixelBuffer;
    return {b, b + static_cast<std::ptrdiff_t>(image_.shared->pitch) * image_.shared->height};
  }
  void setStorage(const std::vector<std::uint8_t>& bytes) {
    std::memcpy(image_.shared->pixelBuffer, bytes.data(), bytes.size());
  }

  // The run codes image loading builds, marked valid; needs an image made with extras.
  void buildRunCodes() {
    BuildRunCodes(image_.shared);
    image_.shared->runCodesValid = 1;
  }

 private:
  MEMIMG image_{};
};

inline SoftDrawParams DrawParams(Rect area, int mode = 0, int param = 255, std::uint8_t r = 255, std::uint8_t g = 255,
                                 std::uint8_t b = 255) {
  SoftDrawParams params{};
  params.drawArea = area;
  params.blendMode = mode;
  params.blendParam = param;
  params.bright[0] = r;
  params.bright[1] = g;
  params.bright[2] = b;
  return params;
}
