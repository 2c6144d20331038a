// The recording device's rasteriser (see fake_raster.h).
#include "fake_raster.h"

#include <algorithm>
#include <cmath>

#include "../common/d3d9_pixel_rules.h"

namespace fake {
namespace {

struct Colour {
  float r, g, b, a;  // 0..1
};

Colour Unpack(std::uint32_t argb) {
  return {static_cast<float>((argb >> 16) & 0xFF) / 255.0f, static_cast<float>((argb >> 8) & 0xFF) / 255.0f,
          static_cast<float>(argb & 0xFF) / 255.0f, static_cast<float>(argb >> 24) / 255.0f};
}

std::uint32_t Channel(float v) { return static_cast<std::uint32_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f)); }

std::uint32_t Pack(const Colour& c) {
  return (Channel(c.a) << 24) | (Channel(c.r) << 16) | (Channel(c.g) << 8) | Channel(c.b);
}

Colour Mix(const Colour& a, const Colour& b, float t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}

class Shader {
 public:
  Shader(const RasterStates& states, RasterTarget& target) : s_(states), target_(target) {}

  void Pixel(int x, int y, const Colour& diffuse, float u = 0, float tv = 0) {
    const D3DVIEWPORT9& v = s_.viewport;
    if (x < static_cast<int>(v.X) || y < static_cast<int>(v.Y) || x >= static_cast<int>(v.X + v.Width) ||
        y >= static_cast<int>(v.Y + v.Height) || x < 0 || y < 0 || x >= target_.width() || y >= target_.height()) {
      return;
    }
    const Colour source = Stage(diffuse, Sample(u, tv));
    if (s_.render[D3DRS_ALPHATESTENABLE] != FALSE && !PassesAlphaTest(source.a)) return;
    if (s_.render[D3DRS_ALPHABLENDENABLE] == FALSE) {
      target_.set(x, y, Pack(source));
      return;
    }
    const Colour dest = Unpack(target_.get(x, y));
    const Colour sf = Factor(s_.render[D3DRS_SRCBLEND], source, dest);
    const Colour df = Factor(s_.render[D3DRS_DESTBLEND], source, dest);
    auto op = [&](float sc, float sfc, float dc, float dfc) {
      switch (s_.render[D3DRS_BLENDOP]) {
        case D3DBLENDOP_SUBTRACT:
          return sc * sfc - dc * dfc;
        case D3DBLENDOP_REVSUBTRACT:
          return dc * dfc - sc * sfc;
        case D3DBLENDOP_MIN:
          return std::min(sc, dc);
        case D3DBLENDOP_MAX:
          return std::max(sc, dc);
        default:
          return sc * sfc + dc * dfc;
      }
    };
    target_.set(x, y,
                Pack({op(source.r, sf.r, dest.r, df.r), op(source.g, sf.g, dest.g, df.g),
                      op(source.b, sf.b, dest.b, df.b), op(source.a, sf.a, dest.a, df.a)}));
  }

  bool flat() const { return s_.render[D3DRS_SHADEMODE] == D3DSHADE_FLAT; }
  bool textured() const { return s_.texture != nullptr; }

 private:
  // Point sampling: the texel whose square holds (u, v), clamped at the edges.
  Colour Sample(float u, float v) const {
    if (s_.texture == nullptr) return {1, 1, 1, 1};
    const Texels& t = *s_.texture;
    if (s_.linear) return SampleLinear(t, u, v);
    const int tx = std::clamp(static_cast<int>(std::floor(static_cast<double>(u) * t.width)), 0, t.width - 1);
    const int ty = std::clamp(static_cast<int>(std::floor(static_cast<double>(v) * t.height)), 0, t.height - 1);
    return Unpack(t.argb[static_cast<size_t>(ty) * t.width + tx]);
  }

  // Texel centres at (i + 0.5) / size; the four around the point, weighted by distance.
  static Colour SampleLinear(const Texels& t, float u, float v) {
    const double fx = static_cast<double>(u) * t.width - 0.5, fy = static_cast<double>(v) * t.height - 0.5;
    const double x0 = std::floor(fx), y0 = std::floor(fy);
    const float wx = static_cast<float>(fx - x0), wy = static_cast<float>(fy - y0);
    auto at = [&](double x, double y) {
      const int cx = std::clamp(static_cast<int>(x), 0, t.width - 1),
                cy = std::clamp(static_cast<int>(y), 0, t.height - 1);
      return Unpack(t.argb[static_cast<size_t>(cy) * t.width + cx]);
    };
    const Colour a = at(x0, y0), b = at(x0 + 1, y0), c = at(x0, y0 + 1), d = at(x0 + 1, y0 + 1);
    auto mix = [&](float p, float q, float r, float w) {
      return (p * (1 - wx) + q * wx) * (1 - wy) + (r * (1 - wx) + w * wx) * wy;
    };
    return {mix(a.r, b.r, c.r, d.r), mix(a.g, b.g, c.g, d.g), mix(a.b, b.b, c.b, d.b), mix(a.a, b.a, c.a, d.a)};
  }

  bool PassesAlphaTest(float alpha) const {
    const DWORD a = Channel(alpha), ref = s_.render[D3DRS_ALPHAREF] & 0xFF;
    switch (s_.render[D3DRS_ALPHAFUNC]) {
      case D3DCMP_NEVER:
        return false;
      case D3DCMP_LESS:
        return a < ref;
      case D3DCMP_EQUAL:
        return a == ref;
      case D3DCMP_LESSEQUAL:
        return a <= ref;
      case D3DCMP_GREATER:
        return a > ref;
      case D3DCMP_NOTEQUAL:
        return a != ref;
      case D3DCMP_GREATEREQUAL:
        return a >= ref;
      default:
        return true;
    }
  }

  Colour Argument(DWORD argument, const Colour& diffuse, const Colour& current, const Colour& texel) const {
    Colour c;
    switch (argument & D3DTA_SELECTMASK) {
      case D3DTA_TFACTOR:
        c = Unpack(s_.render[D3DRS_TEXTUREFACTOR]);
        break;
      case D3DTA_TEXTURE:
        c = texel;
        break;  // white when no texture is bound
      case D3DTA_CURRENT:
        c = current;
        break;  // the diffuse colour at stage 0
      default:
        c = diffuse;
        break;
    }
    if ((argument & D3DTA_COMPLEMENT) != 0) c = {1 - c.r, 1 - c.g, 1 - c.b, 1 - c.a};
    if ((argument & D3DTA_ALPHAREPLICATE) != 0) c = {c.a, c.a, c.a, c.a};
    return c;
  }

  Colour Operation(DWORD op, DWORD arg1, DWORD arg2, const Colour& diffuse, const Colour& current,
                   const Colour& texel) const {
    const Colour a = Argument(arg1, diffuse, current, texel), b = Argument(arg2, diffuse, current, texel);
    switch (op) {
      case D3DTOP_SELECTARG1:
        return a;
      case D3DTOP_SELECTARG2:
        return b;
      case D3DTOP_MODULATE:
        return {a.r * b.r, a.g * b.g, a.b * b.b, a.a * b.a};
      case D3DTOP_ADD:
        return {a.r + b.r, a.g + b.g, a.b + b.b, a.a + b.a};
      case D3DTOP_BLENDDIFFUSEALPHA:
        return Mix(b, a, diffuse.a);
      case D3DTOP_BLENDTEXTUREALPHA:
        return Mix(b, a, texel.a);
      case D3DTOP_BLENDCURRENTALPHA:
        return Mix(b, a, current.a);
      default:
        return current;
    }
  }

  Colour Stage(const Colour& diffuse, const Colour& texel) const {
    Colour current = diffuse;
    for (int i = 0; i < RasterStageCount; ++i) {
      const DWORD* st = s_.stages[i];
      if (st[D3DTSS_COLOROP] == D3DTOP_DISABLE) break;
      const Colour t = i == 0 ? texel : Colour{1, 1, 1, 1};
      const Colour colour =
          Operation(st[D3DTSS_COLOROP], st[D3DTSS_COLORARG1], st[D3DTSS_COLORARG2], diffuse, current, t);
      // A disabled alpha operation passes the alpha on.
      const float alpha =
          st[D3DTSS_ALPHAOP] == D3DTOP_DISABLE
              ? current.a
              : Operation(st[D3DTSS_ALPHAOP], st[D3DTSS_ALPHAARG1], st[D3DTSS_ALPHAARG2], diffuse, current, t).a;
      current = {std::clamp(colour.r, 0.0f, 1.0f), std::clamp(colour.g, 0.0f, 1.0f), std::clamp(colour.b, 0.0f, 1.0f),
                 std::clamp(alpha, 0.0f, 1.0f)};
    }
    return current;
  }

  static Colour Factor(DWORD blend, const Colour& s, const Colour& d) {
    switch (blend) {
      case D3DBLEND_ZERO:
        return {0, 0, 0, 0};
      case D3DBLEND_SRCCOLOR:
        return s;
      case D3DBLEND_INVSRCCOLOR:
        return {1 - s.r, 1 - s.g, 1 - s.b, 1 - s.a};
      case D3DBLEND_SRCALPHA:
        return {s.a, s.a, s.a, s.a};
      case D3DBLEND_INVSRCALPHA:
        return {1 - s.a, 1 - s.a, 1 - s.a, 1 - s.a};
      case D3DBLEND_DESTALPHA:
        return {d.a, d.a, d.a, d.a};
      case D3DBLEND_INVDESTALPHA:
        return {1 - d.a, 1 - d.a, 1 - d.a, 1 - d.a};
      case D3DBLEND_DESTCOLOR:
        return d;
      case D3DBLEND_INVDESTCOLOR:
        return {1 - d.r, 1 - d.g, 1 - d.b, 1 - d.a};
      default:
        return {1, 1, 1, 1};
    }
  }

  const RasterStates& s_;
  RasterTarget& target_;
};

void Point(const RasterVertex& v, Shader& shader) {
  const d3d9rules::PixelPosition at = d3d9rules::PointPixel(v.x, v.y);
  shader.Pixel(at.x, at.y, Unpack(v.diffuse), v.u, v.v);
}

void Line(const RasterVertex& a, const RasterVertex& b, Shader& shader) {
  const double ax = a.x, ay = a.y, bx = b.x, by = b.y;
  const Colour ca = Unpack(a.diffuse), cb = Unpack(b.diffuse);
  const double lengthSquared = (bx - ax) * (bx - ax) + (by - ay) * (by - ay);
  d3d9rules::ForEachLinePixel(ax, ay, bx, by, [&](int x, int y) {
    // Gouraud colour by the pixel centre's place along the line.
    float along = 0;
    if (lengthSquared > 0) {
      along = static_cast<float>(std::clamp(((x - ax) * (bx - ax) + (y - ay) * (by - ay)) / lengthSquared, 0.0, 1.0));
    }
    shader.Pixel(x, y, shader.flat() ? ca : Mix(ca, cb, along));
  });
}

void Triangle(const RasterVertex& first, RasterVertex a, RasterVertex b, RasterVertex c, Shader& shader) {
  auto cross = [](const RasterVertex& p, const RasterVertex& q, double x, double y) {
    return (static_cast<double>(q.x) - p.x) * (y - p.y) - (static_cast<double>(q.y) - p.y) * (x - p.x);
  };
  double area = cross(a, b, c.x, c.y);
  if (area == 0) return;
  // Clockwise, so that the weights below come out positive.
  if (area < 0) {
    std::swap(b, c);
    area = -area;
  }
  const Colour ca = Unpack(a.diffuse), cb = Unpack(b.diffuse), cc = Unpack(c.diffuse);
  d3d9rules::ForEachTrianglePixel(a.x, a.y, b.x, b.y, c.x, c.y, [&](int x, int y) {
    const double da = cross(b, c, x, y) / area, db = cross(c, a, x, y) / area, dc = 1 - da - db;
    const float u = static_cast<float>(a.u * da + b.u * db + c.u * dc);
    const float v = static_cast<float>(a.v * da + b.v * db + c.v * dc);
    if (shader.flat()) {
      shader.Pixel(x, y, Unpack(first.diffuse), u, v);
      return;
    }
    const float wa = static_cast<float>(da), wb = static_cast<float>(db);
    const float wc = 1 - wa - wb;
    shader.Pixel(x, y,
                 {ca.r * wa + cb.r * wb + cc.r * wc, ca.g * wa + cb.g * wb + cc.g * wc,
                  ca.b * wa + cb.b * wb + cc.b * wc, ca.a * wa + cb.a * wb + cc.a * wc},
                 u, v);
  });
}

}  // namespace

void DefaultRasterStates(RasterStates* states) {
  *states = RasterStates{};
  for (DWORD state = 0; state < d3d9facts::RenderStateCount; ++state) {
    states->render[state] = d3d9facts::DefaultRenderState(state, false);
  }
  for (DWORD stage = 0; stage < RasterStageCount; ++stage) {
    for (DWORD type = 0; type < d3d9facts::StageStateCount; ++type) {
      states->stages[stage][type] = d3d9facts::DefaultStageState(stage, type);
    }
  }
}

void Rasterise(D3DPRIMITIVETYPE type, const RasterVertex* v, int count, const RasterStates& states,
               RasterTarget& target) {
  Shader shader(states, target);
  switch (type) {
    case D3DPT_POINTLIST:
      for (int i = 0; i < count; ++i) Point(v[i], shader);
      break;
    case D3DPT_LINELIST:
      for (int i = 0; i + 1 < count; i += 2) Line(v[i], v[i + 1], shader);
      break;
    case D3DPT_LINESTRIP:
      for (int i = 0; i + 1 < count; ++i) Line(v[i], v[i + 1], shader);
      break;
    case D3DPT_TRIANGLELIST:
      for (int i = 0; i + 2 < count; i += 3) Triangle(v[i], v[i], v[i + 1], v[i + 2], shader);
      break;
    case D3DPT_TRIANGLESTRIP:
      for (int i = 0; i + 2 < count; ++i) Triangle(v[i], v[i], v[i + 1], v[i + 2], shader);
      break;
    case D3DPT_TRIANGLEFAN:
      for (int i = 1; i + 1 < count; ++i) Triangle(v[i], v[0], v[i], v[i + 1], shader);
      break;
  }
}

}  // namespace fake
