// The recording device's pixels: pre-transformed points, lines and triangles rasterised by
// Direct3D 9's rules (the reference model of common/d3d9_pixel_rules.h), coloured by the
// texture stages' operations and blended by the blend states. Slow and plain: it serves
// tests, not speed.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "../common/d3d9_facts.h"
#include "platform/d3d9.h"

namespace fake {

// Where the pixels go, in A8R8G8B8 whatever the surface stores.
class RasterTarget {
 public:
  virtual ~RasterTarget() = default;
  virtual int width() const = 0;
  virtual int height() const = 0;
  virtual std::uint32_t get(int x, int y) const = 0;
  virtual void set(int x, int y, std::uint32_t argb) = 0;
};

struct RasterVertex {
  float x, y;
  std::uint32_t diffuse;
  float u, v;
};

// A texture's level 0 as it was when a primitive was drawn with it, in A8R8G8B8.
struct Texels {
  int width, height;
  std::vector<std::uint32_t> argb;
};

constexpr int RasterStageCount = static_cast<int>(D3DMAX_TEXTURE_STAGES);

// The device states that decide a pixel. The stages run from 0 up to the first whose colour
// operation is DISABLE; only stage 0 samples a texture, point-sampled or, when its magnifying
// filter is linear, from the four nearest texels with clamped addressing; the texture argument
// of a later stage reads white.
struct RasterStates {
  DWORD render[d3d9facts::RenderStateCount];
  DWORD stages[RasterStageCount][d3d9facts::StageStateCount];
  D3DVIEWPORT9 viewport;
  std::shared_ptr<const Texels> texture;  // stage 0's, null when none is bound
  bool linear = false;                    // stage 0's magnifying filter is D3DTEXF_LINEAR
};

// A new device's states.
void DefaultRasterStates(RasterStates* states);

void Rasterise(D3DPRIMITIVETYPE type, const RasterVertex* vertices, int count, const RasterStates& states,
               RasterTarget& target);

}  // namespace fake
