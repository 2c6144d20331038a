// Blend mode numbers the engine sets for itself, beside the public ones of vornek.h and in the
// same numbering: SetBlendMode takes any number, and the hardware back-end's BlendStateTable has
// a row for each of 0-12. The software renderer draws nothing in these modes.
#pragma once

#include "vornek.h"  // BlendModeNone ... BlendModeMultiplyAlpha

enum EngineBlendMode : int {
  // Target + source × alpha, as BlendModeAdd. Drawn between two inversions of the target it
  // subtracts: the middle step of subtraction on a device without reverse subtraction.
  BlendModeSubtractMiddle = 5,
  BlendModeUnblended = 6,    // blending off; the draw alpha still comes from the parameter
  BlendModeKeptFactors = 7,  // blending on with the factors last sent
  // Source × 0 + target × 1: the target's colour stays. Like BlendModeNone, a textured source
  // keeps its alpha test.
  BlendModeKeepTarget = 8,
  BlendModeInvert = 9,            // source × (1 − target): a white source inverts the target
  BlendModeReverseSubtract = 12,  // target − source × alpha by the device's own operation
  BlendModeCount = 13,
};
