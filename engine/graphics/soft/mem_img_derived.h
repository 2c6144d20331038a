// Data that image loading derives from a software image's pixels for the blit families: the
// per-row transparency run codes and the premultiplied copy of an alpha image.
#pragma once

#include "mem_img.h"

// Writes the run codes of every row of the storage into `runCodes`: each row's codes follow
// the previous row's end code directly. Needs `runCodes`; Color16 and Color32 images only.
void BuildRunCodes(MemImgShared* shared);
// Fills `premultipliedBuffer` from the pixels of a Color16 or Color32 image with alpha.
void BuildPremultipliedCopy(MemImgShared* shared);
