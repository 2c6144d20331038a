#include "picture_fit.h"

#include <algorithm>
#include <cstring>
#include <vector>

PictureFit FitPicture(int pictureWidth, int pictureHeight, int outputWidth, int outputHeight) {
  const long long pw = std::max(pictureWidth, 1), ph = std::max(pictureHeight, 1);
  const long long ow = std::max(outputWidth, 1), oh = std::max(outputHeight, 1);
  PictureFit fit;
  fit.pictureWidth = static_cast<int>(pw);
  fit.pictureHeight = static_cast<int>(ph);
  const long long whole = std::min(ow / pw, oh / ph);
  long long w = 0, h = 0;
  if (whole >= 1) {
    // Whole factors keep every pixel square and every edge sharp.
    w = pw * whole;
    h = ph * whole;
  } else if (ow * ph <= oh * pw) {
    // Narrower than the picture in proportion: the width decides.
    w = ow;
    h = std::max(1LL, ph * ow / pw);
  } else {
    h = oh;
    w = std::max(1LL, pw * oh / ph);
  }
  fit.width = static_cast<int>(w);
  fit.height = static_cast<int>(h);
  fit.x = static_cast<int>((ow - w) / 2);
  fit.y = static_cast<int>((oh - h) / 2);
  return fit;
}

namespace {

// Picture column (or row) shown at an output offset inside the placed picture: the one under
// the output pixel's centre, as a nearest-neighbour blit on the graphics card picks it.
int ToPicture(long long offset, int placed, int picture) {
  const long long clamped = std::clamp<long long>(offset, 0, placed - 1);
  return static_cast<int>((2 * clamped + 1) * picture / (2LL * placed));
}

int ToOutput(long long at, int placed, int picture) {
  // The first output pixel whose picture pixel is at or after `at`, so that the rectangles of
  // neighbouring picture areas neither overlap nor leave gaps.
  const long long numerator = 2 * at * placed - picture;
  if (numerator <= 0) return 0;
  return static_cast<int>((numerator + 2LL * picture - 1) / (2LL * picture));
}

}  // namespace

POINT OutputToPicture(const PictureFit& fit, int outputX, int outputY) {
  return POINT{ToPicture(static_cast<long long>(outputX) - fit.x, fit.width, fit.pictureWidth),
               ToPicture(static_cast<long long>(outputY) - fit.y, fit.height, fit.pictureHeight)};
}

RECT PictureToOutput(const PictureFit& fit, const RECT& rect) {
  return RECT{fit.x + ToOutput(rect.left, fit.width, fit.pictureWidth),
              fit.y + ToOutput(rect.top, fit.height, fit.pictureHeight),
              fit.x + ToOutput(rect.right, fit.width, fit.pictureWidth),
              fit.y + ToOutput(rect.bottom, fit.height, fit.pictureHeight)};
}

void ScalePicture(const PictureFit& fit, const Canvas& picture, const Canvas& output) {
  const int left = std::clamp(fit.x, 0, output.width), right = std::clamp(fit.x + fit.width, 0, output.width);
  const int top = std::clamp(fit.y, 0, output.height), bottom = std::clamp(fit.y + fit.height, 0, output.height);
  std::vector<int> columns(static_cast<std::size_t>(std::max(right - left, 0)));
  for (int x = left; x < right; ++x) {
    columns[x - left] = std::min(ToPicture(x - fit.x, fit.width, fit.pictureWidth), picture.width - 1);
  }
  const std::uint32_t* previousSource = nullptr;
  for (int y = 0; y < output.height; ++y) {
    std::uint32_t* row = output.pixels + static_cast<std::ptrdiff_t>(y) * output.pitchPixels;
    if (y < top || y >= bottom || columns.empty() || picture.width <= 0 || picture.height <= 0) {
      std::memset(row, 0, static_cast<std::size_t>(output.width) * 4);
      previousSource = nullptr;
      continue;
    }
    const int sy = std::min(ToPicture(y - fit.y, fit.height, fit.pictureHeight), picture.height - 1);
    const std::uint32_t* source = picture.pixels + static_cast<std::ptrdiff_t>(sy) * picture.pitchPixels;
    if (source == previousSource) {
      // Rows scaled up repeat the row above.
      std::memcpy(row, row - output.pitchPixels, static_cast<std::size_t>(output.width) * 4);
      continue;
    }
    previousSource = source;
    std::memset(row, 0, static_cast<std::size_t>(left) * 4);
    for (int x = left; x < right; ++x) row[x] = source[columns[x - left]] & 0xFFFFFF;
    std::memset(row + right, 0, static_cast<std::size_t>(output.width - right) * 4);
  }
}
