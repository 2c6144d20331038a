// The blend operations of the software renderer, and the one place where a request's blend
// mode and parameter are simplified into one of them.
#pragma once

#include "vornek.h"

enum class BlendOp : int {
  Nothing,    // no pixel changes: p = 0 under alpha, add and subtract; an unknown mode
  Copy,       // BlendModeNone, and BlendModeAlpha with p = 255
  Alpha,      // mix with p as a weight
  AlphaHalf,  // p = 128 on whole source pixels: whole-pixel average
  Add,        // source scaled by p, packed saturating add
  AddBytes,   // p = 255 on whole 32-bit source pixels: byte saturation
  Subtract,
  SubtractBytes,
  Multiply,
  InvertedAlpha,  // Alpha on the complemented source
  MultiplyAlpha,  // product mixed toward the destination with p
  Count
};

// The operation a blend mode and parameter amount to. wholePixelForms is true when the source
// pixels are used as they are stored (no source alpha, blend graph or brightness) and the loops
// have the whole-pixel forms: then p = 128 averages and, on 32-bit pixels, p = 255 adds and
// subtracts bytes. The one-colour loops (fills, lines, circles) have no such forms; their
// p = 128 and p = 255 round as the general mixes do.
constexpr BlendOp SimplifyBlend(int blendMode, int p, bool wholePixelForms, int bits) {
  switch (blendMode) {
    case BlendModeNone:
      return BlendOp::Copy;
    case BlendModeAlpha:
      if (p == 0) return BlendOp::Nothing;
      if (p == 255) return BlendOp::Copy;
      return p == 128 && wholePixelForms ? BlendOp::AlphaHalf : BlendOp::Alpha;
    case BlendModeAdd:
      if (p == 0) return BlendOp::Nothing;
      return p == 255 && wholePixelForms && bits == 32 ? BlendOp::AddBytes : BlendOp::Add;
    case BlendModeSubtract:
      if (p == 0) return BlendOp::Nothing;
      return p == 255 && wholePixelForms && bits == 32 ? BlendOp::SubtractBytes : BlendOp::Subtract;
    case BlendModeMultiply:
      return BlendOp::Multiply;
    case BlendModeInvertedAlpha:
      return BlendOp::InvertedAlpha;
    case BlendModeMultiplyAlpha:
      return BlendOp::MultiplyAlpha;
    default:
      return BlendOp::Nothing;
  }
}

// The one-colour form of SimplifyBlend.
constexpr BlendOp SimplifySolidBlend(int blendMode, int p) { return SimplifyBlend(blendMode, p, false, 0); }
