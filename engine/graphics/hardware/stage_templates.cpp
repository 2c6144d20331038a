// The texture-stage templates of textured primitives, by family, alpha and colour modulation
// and the source's alpha kind.
#include <array>
#include <utility>

#include "hardware_state.h"

namespace {

constexpr DWORD Tex = D3DTA_TEXTURE, Dif = D3DTA_DIFFUSE, Cur = D3DTA_CURRENT;

// Stage 0 of the plain and inverted-alpha families: the texture's colour (complemented for
// inverted alpha), modulated by the diffuse colour when H; the alpha of the diffuse colour, the
// texture or their product.
constexpr StageSetting FirstStage(int family, int i, int h, int a) {
  const DWORD texColor = family == StageFamilyInvertedAlpha ? (Tex | D3DTA_COMPLEMENT) : Tex;
  StageSetting s{};
  if (h) {
    s.colorOp = D3DTOP_MODULATE, s.colorArg1 = texColor, s.colorArg2 = Dif;
  } else {
    s.colorOp = D3DTOP_SELECTARG1, s.colorArg1 = texColor, s.colorArg2 = Dif;
  }
  if (a == SourceAlphaNone) {
    s.alphaOp = D3DTOP_SELECTARG2, s.alphaArg1 = Tex, s.alphaArg2 = Dif;
  } else if (i) {
    s.alphaOp = D3DTOP_MODULATE, s.alphaArg1 = Tex, s.alphaArg2 = Dif;
  } else {
    s.alphaOp = D3DTOP_SELECTARG1, s.alphaArg1 = Tex, s.alphaArg2 = Dif;
  }
  return s;
}

constexpr TextureStageTemplate Make(int index) {
  const int a = index % 3, rest = index / 3;
  const int i = rest & 1, h = (rest >> 1) & 1, family = rest >> 3;
  TextureStageTemplate t{};
  // Indices 12-23 belong to drawing with a second blend graphic, which this engine does not
  // do; they hold the one-stage plain settings so that no index is ever empty.
  t.stageCount = 1;
  t.stages[0] = FirstStage(family == StageFamilyMultiplyAlpha ? StageFamilyPlain : family, i, h, a);
  if (family == StageFamilyMultiplyAlpha) {
    t.stageCount = 2;
    t.stages[1] = {D3DTOP_BLENDCURRENTALPHA, Cur, D3DTA_TFACTOR, D3DTOP_SELECTARG1, Cur, Cur};
  }
  return t;
}

template <int... I>
constexpr auto Table(std::integer_sequence<int, I...>) {
  return std::array<TextureStageTemplate, sizeof...(I)>{Make(I)...};
}

constexpr auto Templates = Table(std::make_integer_sequence<int, TextureStageTemplateCount>{});

}  // namespace

const TextureStageTemplate TextureStageTemplates[TextureStageTemplateCount] = {
#define T(n) Templates[n]
    T(0),  T(1),  T(2),  T(3),  T(4),  T(5),  T(6),  T(7),  T(8),  T(9),  T(10), T(11), T(12), T(13), T(14),
    T(15), T(16), T(17), T(18), T(19), T(20), T(21), T(22), T(23), T(24), T(25), T(26), T(27), T(28), T(29),
    T(30), T(31), T(32), T(33), T(34), T(35), T(36), T(37), T(38), T(39), T(40), T(41), T(42), T(43), T(44),
    T(45), T(46), T(47), T(48), T(49), T(50), T(51), T(52), T(53), T(54), T(55), T(56), T(57), T(58), T(59),
#undef T
};
