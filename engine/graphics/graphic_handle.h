// Graphics behind handles: the table, the records, the shared images they show a rectangle of,
// and the textures a hardware image is cut into.
#pragma once

#include <cstdint>

#include "platform/d3d9.h"
#include "soft/mem_img.h"
#include "vornek.h"

constexpr int MaxGraphics = 32768;

// ImageFlags.
struct ImageFlags {
  int inTexture;
  int hasAlpha;
  int drawTarget;
  int managedPool;
  int compression;  // 0 none, 1-5 DXT1-DXT5
  int alphaTest;
  int bitDepth;  // 16 or 32
};

struct TextureTile {
  IDirect3DTexture9* texture;
  IDirect3DSurface9* surface;  // level 0
  int x, y, width, height;     // inside the image
  int textureWidth, textureHeight;
};

struct GraphicSource;  // graphic_source.h

struct SharedImage {
  int references;
  int formatKind;  // index into TextureFormatTable
  ImageFlags flags;
  int mipLevels;
  int width, height;
  int columns, rows;
  TextureTile* tiles;     // columns × rows, row after row
  MEMIMG softImage;       // software back-end
  GraphicSource* source;  // loaded images: where the pixels come back from after a display loss
};

// One quad of a graphic: a tile's overlap with the graphic's rectangle.
struct GraphicQuad {
  float xa, ya, xb, yb;  // corner offsets inside the graphic
  float ua, va, ub, vb;
  const TextureTile* tile;
};

struct GraphicRecord {
  int checkNumber;
  int handle;
  int* lostFlag;
  SharedImage* image;
  int movie;
  int x, y;
  int width, height;
  int quadCount;
  GraphicQuad* quads;
  MEMIMG softView;  // software back-end: the rectangle's view of the image
};

struct GraphicTableRecord {
  GraphicRecord* slots[MaxGraphics];
  int liveCount;
  int highWater;
  int nextCheck;
};
extern GraphicTableRecord GraphicTable;

// Creation settings (defaults restored at each graphics start).
struct GraphicCreateSettings {
  int bitDepth;  // 0: the screen's
  int alphaChannel;
  int alphaTest;
  int drawTarget;  // the graphic can be selected as the draw target
};
extern GraphicCreateSettings GraphicCreate;

// The record a handle names, or null when the handle is not a live graphic's.
GraphicRecord* GraphicFromHandle(int handle);
int AllocGraphicHandle();
// IsGraphicHandleValid, CreateEmptyGraphic, CreateDerivedGraphic, ReleaseGraphic and the
// drawing calls are in the public header.
void ReleaseAllGraphics();
// Resets the table's counts and the creation settings (the check number runs on).
void StartGraphicTable();
// The creation settings back to their defaults (at the engine's end).
void ResetGraphicCreateSettings();
int ReleaseAllTextures();
int RecreateAllTextures();

// Tile sizes for one dimension of n pixels with maximum texture size m; returns the count.
int TextureTileSplit(int n, int m, int screenWidth, int noSplit, int* tiles, int capacity);
// The TextureFormatTable index of an image with these flags.
int FormatKindOf(const ImageFlags& flags);

// Copies a rectangle of 16- or 32-bit pixels in the given surface format into the graphic at
// (x, y), converting to each texture's format. 0 / -1.
int TransferToGraphic(int handle, const void* pixels, int pitch, D3DFORMAT format, int width, int height, int x, int y);
// Fills the whole graphic with one A8R8G8B8 colour.
int FillGraphic(int handle, std::uint32_t argb);

// The back-ends' halves of building a graphic's image and its quads or view; 0 / -1.
int BuildHardwareImage(GraphicRecord* record);
int BuildHardwareQuads(GraphicRecord* record);
int BuildSoftwareImage(GraphicRecord* record);
void ReleaseSharedImage(SharedImage* image);

// Textured quads (hardware back-end); the public DrawGraph* calls pick them or the software blits.
int HardwareDrawGraphAt(int x, int y, int handle, int transparency);
int HardwareDrawGraphStretched(int x1, int y1, int x2, int y2, int handle, int transparency);
int HardwareDrawGraphRect(int x, int y, int sourceX, int sourceY, int width, int height, int handle, int transparency,
                          int mirror);
int HardwareDrawGraphRectStretched(int x1, int y1, int x2, int y2, int sourceX, int sourceY, int width, int height,
                                   int handle, int transparency);
// The graphic's tiles with each corner (gx, gy), in pixels inside the graphic, put where `map`
// says on the target (pixel centres at integer coordinates).
int HardwareDrawGraphMapped(int handle, int transparency,
                            void (*map)(const void* context, float gx, float gy, float* x, float* y),
                            const void* context);
// Selecting a graphic as the draw target of the hardware back-end: its texture's surface.
IDirect3DSurface9* GraphicTargetSurface(const GraphicRecord* record);
