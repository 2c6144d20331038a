#include "gl_draw_settings.h"

#include <cstring>

namespace gl {

DrawSettings MakeDrawSettings(const PixelBounds& clip) {
  DrawSettings s;
  std::memset(&s, 0, sizeof s);
  s.program.stages[0] =
      StageOps{stage::SelectArg1, stage::Diffuse, stage::Current, stage::SelectArg1, stage::Diffuse, stage::Current};
  s.program.alphaFunc = AlphaAlways;
  s.sourceFactor = GL_ONE;
  s.destinationFactor = GL_ZERO;
  s.equation = GL_FUNC_ADD;
  s.textureFactor = 0xFFFFFFFF;
  for (SamplerState& sampler : s.samplers) sampler = SamplerState{1, 1, 3, 3};
  s.clip = clip;
  return s;
}

bool operator==(const DrawSettings& a, const DrawSettings& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

}  // namespace gl
