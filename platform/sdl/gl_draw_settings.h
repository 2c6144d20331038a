// What a draw of the OpenGL device depends on, and where it draws: the render target and the
// settings a draw carries into the queue.
#pragma once

#include <epoxy/gl.h>

#include <cstdint>

#include "gl_geometry.h"
#include "gl_programs.h"

namespace gl {

// A render target: a texture with its framebuffer object. Row 0 is the picture's top row.
struct Target {
  GLuint texture = 0, framebuffer = 0;
  int width = 0, height = 0;
};

// Sampler settings with the Direct3D 9 numbers: filter 0 none, 1 point, 2 linear, 3 anisotropic;
// address 1 wrap, 2 mirror, 3 clamp, 4 border, 5 mirror once.
struct SamplerState {
  std::uint8_t minFilter, magFilter, addressU, addressV;
};

// Every setting a draw depends on. Make it with MakeDrawSettings: parts are compared byte for
// byte.
struct DrawSettings {
  ProgramKey program;
  std::uint32_t blend;  // 0 off, 1 on
  GLenum sourceFactor, destinationFactor, equation;
  std::uint32_t alphaRef;       // 0..255
  std::uint32_t textureFactor;  // ARGB
  std::uint32_t flatShading;
  GLuint textures[MaxStages];
  SamplerState samplers[MaxStages];
  PixelBounds clip;  // viewport, narrowed by the scissor rectangle when that is on
};

// Settings of an untextured, unblended draw through the diffuse colour, clipped to `clip`.
DrawSettings MakeDrawSettings(const PixelBounds& clip);
bool operator==(const DrawSettings& a, const DrawSettings& b);

}  // namespace gl
