// What a Direct3D 9 device is, whoever serves it: the number of its states and their values on a
// new device, what a flexible vertex format lays out where, how many vertices a primitive count
// takes, and how each colour format packs its channels. Both devices (the recording one of the
// fake platform and the OpenGL one) take these from here; how they draw is their own.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/d3d9.h"

namespace d3d9facts {

// Render states are numbered below 256, texture stage states below 33, sampler states below 14.
constexpr int RenderStateCount = 256;
constexpr int StageStateCount = 33;
constexpr int SamplerStateCount = 14;

// A new device's value of each state the devices read; 0 for the others. The depth test is on
// from the start only when the device was made with an automatic depth surface.
constexpr DWORD DefaultRenderState(DWORD state, bool autoDepthStencil) {
  switch (state) {
    case D3DRS_ZENABLE:
      return autoDepthStencil ? D3DZB_TRUE : D3DZB_FALSE;
    case D3DRS_SHADEMODE:
      return D3DSHADE_GOURAUD;
    case D3DRS_SRCBLEND:
      return D3DBLEND_ONE;
    case D3DRS_DESTBLEND:
      return D3DBLEND_ZERO;
    case D3DRS_CULLMODE:
      return D3DCULL_CCW;
    case D3DRS_ALPHAFUNC:
      return D3DCMP_ALWAYS;
    case D3DRS_TEXTUREFACTOR:
      return 0xFFFFFFFF;
    case D3DRS_LIGHTING:
      return TRUE;
    case D3DRS_BLENDOP:
      return D3DBLENDOP_ADD;
    default:
      return 0;
  }
}

// Stage 0 modulates the texture by the diffuse colour and takes the texture's alpha; every later
// stage starts disabled.
constexpr DWORD DefaultStageState(DWORD stage, DWORD type) {
  switch (type) {
    case D3DTSS_COLOROP:
      return stage == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
    case D3DTSS_ALPHAOP:
      return stage == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
    case D3DTSS_COLORARG1:
    case D3DTSS_ALPHAARG1:
      return D3DTA_TEXTURE;
    case D3DTSS_COLORARG2:
    case D3DTSS_ALPHAARG2:
      return D3DTA_CURRENT;
    default:
      return 0;
  }
}

constexpr DWORD DefaultSamplerState(DWORD type) {
  switch (type) {
    case D3DSAMP_ADDRESSU:
    case D3DSAMP_ADDRESSV:
      return D3DTADDRESS_WRAP;
    case D3DSAMP_MAGFILTER:
    case D3DSAMP_MINFILTER:
      return D3DTEXF_POINT;
    default:
      return 0;
  }
}

// Where the fields of a vertex of a flexible vertex format lie, in bytes from its start, in the
// order position (x, y, z, rhw), diffuse, specular, then the texture coordinate pairs; −1 for a
// field the format leaves out.
struct VertexLayout {
  int diffuse, specular, textures;
  int textureSets;
  int size;  // the smallest stride that holds it
};

constexpr VertexLayout LayoutOfVertex(DWORD fvf) {
  int at = (fvf & D3DFVF_XYZRHW) != 0 ? 16 : 0;
  VertexLayout layout{-1, -1, -1, static_cast<int>((fvf >> 8) & 0xF), 0};
  if ((fvf & D3DFVF_DIFFUSE) != 0) {
    layout.diffuse = at;
    at += 4;
  }
  if ((fvf & D3DFVF_SPECULAR) != 0) {
    layout.specular = at;
    at += 4;
  }
  if (layout.textureSets > 0) layout.textures = at;
  layout.size = at + 8 * layout.textureSets;
  return layout;
}

// Vertices that `primitives` primitives of the type take, 0 for an unknown type.
constexpr std::size_t VertexCount(DWORD type, std::size_t primitives) {
  switch (type) {
    case D3DPT_POINTLIST:
      return primitives;
    case D3DPT_LINELIST:
      return 2 * primitives;
    case D3DPT_LINESTRIP:
      return primitives + 1;
    case D3DPT_TRIANGLELIST:
      return 3 * primitives;
    case D3DPT_TRIANGLESTRIP:
    case D3DPT_TRIANGLEFAN:
      return primitives + 2;
    default:
      return 0;
  }
}

// How a colour format packs one pixel: its size and the bits of each channel, blue in the lowest
// bits, then green, red and alpha. A format without alpha (alphaBits 0) reads as opaque; the bits
// above red are then unused. bytes is 0 for a format that holds no colour.
struct ColourLayout {
  int bytes;
  int alphaBits, redBits, greenBits, blueBits;
  int greenShift() const { return blueBits; }
  int redShift() const { return blueBits + greenBits; }
  int alphaShift() const { return blueBits + greenBits + redBits; }
};

constexpr ColourLayout LayoutOfColour(D3DFORMAT format) {
  switch (format) {
    case D3DFMT_A8R8G8B8:
      return {4, 8, 8, 8, 8};
    case D3DFMT_X8R8G8B8:
      return {4, 0, 8, 8, 8};
    case D3DFMT_R5G6B5:
      return {2, 0, 5, 6, 5};
    case D3DFMT_X1R5G5B5:
      return {2, 0, 5, 5, 5};
    case D3DFMT_A1R5G5B5:
      return {2, 1, 5, 5, 5};
    case D3DFMT_A4R4G4B4:
      return {2, 4, 4, 4, 4};
    default:
      return {0, 0, 0, 0, 0};
  }
}

// Bytes per pixel of a colour format, 0 for any other.
constexpr int BytesPerPixel(D3DFORMAT format) { return LayoutOfColour(format).bytes; }

constexpr bool IsDepthFormat(D3DFORMAT format) {
  return format == D3DFMT_D16 || format == D3DFMT_D24X8 || format == D3DFMT_D24S8 || format == D3DFMT_D32;
}

}  // namespace d3d9facts
