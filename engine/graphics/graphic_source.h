// Graphics made from image files, memory and pixel arrays: what their shared image was made from,
// so that the hardware back-end can fill the textures again after a display loss, and the
// writing of pixels into either back-end's image.
#pragma once

#include <cstdint>

#include "../image/image_record.h"
#include "graphic_handle.h"

struct GraphicSource {
  char* fileName;             // read and decoded again at a restore; null for pixels kept here
  ImageRecord pixels;         // the image's own pixels when there is no file to read
  std::uint32_t transparent;  // 0xRRGGBB: the transparent colour when the image was made
  unsigned refilledAt;        // the restore pass that last refilled the image
};

void ReleaseGraphicSource(GraphicSource* source);
// After RecreateAllTextures: every loaded image gets its pixels again ("グラフィックを復帰します").
void RefillLoadedGraphics();

// The colour that counts as transparent in images without alpha, 0xRRGGBB.
std::uint32_t TransparentColorSetting();

// Writes width × height pixels 0xAARRGGBB (`pitch` pixels a row) to (x, y) of the shared image,
// on whichever back-end holds it. An image without alpha takes the transparent colour as its
// only transparent pixels. 0 / -1.
int WriteSharedImagePixels(SharedImage* image, const std::uint32_t* argb, int pitch, int x, int y, int width,
                           int height);
// A zeroed source with the transparent colour of now; null when memory runs out.
GraphicSource* NewGraphicSource();
// A new graphic of the whole decoded image, with alpha when the image has it; `source` (from
// NewGraphicSource) moves into the graphic's image. Handle or -1.
int GraphicFromImage(const ImageRecord& image, GraphicSource* source);
