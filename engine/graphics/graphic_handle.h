// Graphics behind handles: the table, the records, the shared images they show a rectangle of,
// and the textures a hardware image is cut into.
#pragma once

#include <cstdint>

#include "platform/d3d9.h"

constexpr int MaxGraphics = 32768;

// ImageFlags.
struct ImageFlags {
  int inTexture;
  int hasAlpha;
  int drawTarget;
  int managedPool;
  int compression;  // 0 none, 1-5 DXT1-DXT5
  int alphaTest;
  int bitDepth;     // 16 or 32
};

struct TextureTile {
  IDirect3DTexture9* texture;
  IDirect3DSurface9* surface;  // level 0
  int x, y, width, height;     // inside the image
  int textureWidth, textureHeight;
};

struct SharedImage {
  int references;
  int formatKind;  // index into TextureFormatTable
  ImageFlags flags;
  int mipLevels;
  int width, height;
  int columns, rows;
  TextureTile* tiles;  // columns × rows, row after row
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
};
extern GraphicCreateSettings GraphicCreate;

// The record a handle names, or null when the handle is not a live graphic's.
GraphicRecord* GraphicFromHandle(int handle);
int AllocGraphicHandle();
int IsGraphicHandleValid(int handle);
int CreateEmptyGraphic(int width, int height);
// A graphic showing a rectangle of another's image; the image lives until both are released.
int CreateDerivedGraphic(int x, int y, int width, int height, int source);
int ReleaseGraphic(int handle);
void ReleaseAllGraphics();
// Resets the table's counts and the creation settings (the check number runs on).
void StartGraphicTable();
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

// Textured quads (hardware back-end).
int DrawGraphAt(int x, int y, int handle, int transparency);
int DrawGraphStretched(int x1, int y1, int x2, int y2, int handle, int transparency);
int DrawGraphRect(int x, int y, int sourceX, int sourceY, int width, int height, int handle, int transparency,
                  int mirror);
int DrawGraphRectStretched(int x1, int y1, int x2, int y2, int sourceX, int sourceY, int width, int height, int handle,
                           int transparency);
