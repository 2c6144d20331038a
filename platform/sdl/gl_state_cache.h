// What OpenGL has set, as the renderer last set it, so that a queue sends only what changed.
// Anything that sets OpenGL's state past the cache (a fill's scissor box, a copy, a texture bound
// to upload to, a program made, a present) forgets the whole of it in one call.
#pragma once

#include <epoxy/gl.h>

#include <cstdint>

#include "gl_geometry.h"
#include "gl_programs.h"

namespace gl {

// The blend and the clip every draw of a queue shares.
struct BlendClip {
  std::uint32_t blend;
  GLenum sourceFactor, destinationFactor, equation;
  PixelBounds clip;
};

struct StateCache {
  bool valid = false;  // false: nothing below may be trusted, everything is set again
  BlendClip blendClip{};
  const Program* program = nullptr;
  GLuint textures[MaxStages] = {};
  GLuint samplers[MaxStages] = {};

  void Forget() {
    valid = false;
    program = nullptr;
  }
};

}  // namespace gl
