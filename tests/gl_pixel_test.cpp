// The OpenGL drawing engine under a real X display (Mesa's rasteriser under xvfb-run): which
// pixels points, lines, spans and triangles cover, read back from a framebuffer object and
// compared with a brute-force model of Direct3D 9's rules, and the blend settings of the
// engine's blend modes against their formulas.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cmath>
#include <cstdlib>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "../engine/graphics/circle_walk.h"
#include "../platform/common/d3d9_pixel_rules.h"
#include "../platform/sdl/d3d9_objects.h"
#include "../platform/sdl/gl_renderer.h"
#include "support/gl_test_window.h"

namespace {

constexpr int Width = 48, Height = 40;
using Pixels = std::set<std::pair<int, int>>;

class GlPixelTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { window_ = OpenGlTestWindow("gl pixels", Width, Height); }
  static void TearDownTestSuite() { CloseGlTestWindow(window_); }

  void SetUp() override {
    if (window_ == nullptr) GTEST_SKIP() << "no X display with OpenGL";
    std::string error;
    ASSERT_TRUE(renderer_.Start(window_, &error)) << error;
    ASSERT_TRUE(renderer_.CreateTarget(Width, Height, false, &target_));
    renderer_.SetTarget(&target_);
  }
  void TearDown() override {
    if (!renderer_.started()) return;
    renderer_.DestroyTarget(target_);
    renderer_.Stop();
  }

  std::vector<std::uint32_t> ReadAll() {
    std::vector<std::uint32_t> pixels(Width * Height);
    renderer_.Read(target_, gl::PixelBounds{0, 0, Width, Height}, pixels.data(), Width * 4);
    return pixels;
  }

  // The pixels that are not black after drawing on black.
  Pixels Lit() {
    Pixels lit;
    const std::vector<std::uint32_t> pixels = ReadAll();
    for (int y = 0; y < Height; ++y) {
      for (int x = 0; x < Width; ++x) {
        if ((pixels[y * Width + x] & 0xFFFFFF) != 0) lit.insert({x, y});
      }
    }
    return lit;
  }

  void Draw(gl::Primitive type, std::vector<gl::SourceVertex> v, unsigned count) {
    ASSERT_TRUE(
        renderer_.Draw(type, v.data(), v.size(), count, gl::MakeDrawSettings(gl::PixelBounds{0, 0, Width, Height})));
    renderer_.Flush();
  }

  static SDL_Window* window_;
  gl::Renderer renderer_;
  gl::Target target_;
};

SDL_Window* GlPixelTest::window_ = nullptr;

gl::SourceVertex V(float x, float y, std::uint32_t color = 0xFFFFFFFF) {
  return gl::SourceVertex{x, y, 0.2f, color, {0, 0}, {0, 0}};
}

std::string Show(const Pixels& pixels) {
  std::ostringstream s;
  for (const auto& [x, y] : pixels) s << '(' << x << ',' << y << ") ";
  return s.str();
}

// The pixels the reference model of Direct3D 9's rules lights for a line, on the target.
Pixels ModelLine(double ax, double ay, double bx, double by) {
  Pixels out;
  d3d9rules::ForEachLinePixel(ax, ay, bx, by, [&](int i, int j) {
    if (i >= 0 && j >= 0 && i < Width && j < Height) out.insert({i, j});
  });
  return out;
}

Pixels ModelPoints(const std::vector<gl::SourceVertex>& points) {
  Pixels out;
  for (const gl::SourceVertex& v : points) {
    const d3d9rules::PixelPosition at = d3d9rules::PointPixel(v.x, v.y);
    if (at.x >= 0 && at.y >= 0 && at.x < Width && at.y < Height) out.insert({at.x, at.y});
  }
  return out;
}

Pixels ModelTriangle(double x0, double y0, double x1, double y1, double x2, double y2) {
  Pixels out;
  d3d9rules::ForEachTrianglePixel(x0, y0, x1, y1, x2, y2, [&](int i, int j) {
    if (i >= 0 && j >= 0 && i < Width && j < Height) out.insert({i, j});
  });
  return out;
}

struct LineCase {
  const char* name;
  float ax, ay, bx, by;
};

TEST_F(GlPixelTest, LinesCoverTheDiamondExitPixels) {
  const LineCase cases[] = {
      {"horizontal right", 3, 5, 20, 5},
      {"horizontal left", 20, 6, 3, 6},
      {"vertical down", 7, 2, 7, 30},
      {"vertical up", 8, 30, 8, 2},
      {"vertical moved 0.1 from its end", 9, 2, 9, 29.9f},
      {"horizontal moved 0.1 from its end", 30, 7, 10.1f, 7},
      {"shallow right", 2, 3, 40, 17},
      {"shallow left", 40, 17, 2, 3},
      {"steep down", 4, 1, 15, 35},
      {"steep up", 15, 35, 4, 1},
      {"diagonal", 1, 1, 30, 30},
      {"diagonal back", 30, 1, 1, 30},
      {"slope one half", 0, 0, 20, 10},
      {"from negative coordinates", -10, -6, 25, 12},
      {"to negative coordinates", 25, 12, -10, -30},
      {"past the right edge", 30, 20, 90, 25},
      {"one pixel long", 5, 5, 6, 5},
      {"no length", 5, 5, 5, 5},
      {"fractional ends", 2.3f, 4.7f, 17.6f, 9.2f},
      {"through the corners between two rows", 0, 1, 4, 3},
      {"through the corners between two rows, backwards", 4, 3, 0, 1},
      {"through the corners between two columns", 1, 0, 3, 4},
      {"through the corners between two columns, backwards", 3, 4, 1, 0},
      {"along the edges of diamonds", 2, 2.5f, 12, 12.5f},
      {"between two rows", 3, 8.5f, 12, 8.5f},
      {"between two columns", 9.5f, 3, 9.5f, 14},
  };
  // Each line alone, and in one draw with a steep line in a corner that no case reaches: runs
  // along rows are kept as runs until a line of another kind comes, and leave as lines then.
  const gl::SourceVertex steep[2] = {V(46, 32), V(47, 39)};
  const Pixels steepPixels = ModelLine(46, 32, 47, 39);
  for (const LineCase& c : cases) {
    const Pixels alone = ModelLine(c.ax, c.ay, c.bx, c.by);
    Pixels withSteep = alone;
    withSteep.insert(steepPixels.begin(), steepPixels.end());
    const struct {
      const char* how;
      std::vector<gl::SourceVertex> vertices;
      const Pixels& expected;
    } draws[] = {
        {"alone", {V(c.ax, c.ay), V(c.bx, c.by)}, alone},
        {"after a steep line", {steep[0], steep[1], V(c.ax, c.ay), V(c.bx, c.by)}, withSteep},
        {"before a steep line", {V(c.ax, c.ay), V(c.bx, c.by), steep[0], steep[1]}, withSteep},
    };
    for (const auto& d : draws) {
      renderer_.Fill(target_, gl::PixelBounds{0, 0, Width, Height}, 0);
      Draw(gl::Primitive::LineList, d.vertices, static_cast<unsigned>(d.vertices.size() / 2));
      const Pixels lit = Lit();
      EXPECT_EQ(lit, d.expected) << c.name << ", " << d.how << "\n got:  " << Show(lit)
                                 << "\n want: " << Show(d.expected);
    }
  }
}

TEST_F(GlPixelTest, HorizontalAndVerticalLinesLeaveOutTheirLastPixel) {
  Draw(gl::Primitive::LineList, {V(10, 3, 0xFFFF0000), V(14, 3, 0xFFFF0000), V(2, 9, 0xFF00FF00), V(2, 6, 0xFF00FF00)},
       2);
  EXPECT_EQ(Lit(), (Pixels{{10, 3}, {11, 3}, {12, 3}, {13, 3}, {2, 9}, {2, 8}, {2, 7}}));
}

TEST_F(GlPixelTest, PointsCoverThePixelWhoseCentreTheyNearest) {
  const std::vector<gl::SourceVertex> points = {V(0, 0),    V(5, 7),      V(9.4f, 3.6f), V(20.5f, 10.5f),
                                                V(2.5f, 3), V(30, 14.5f), V(-3, 4),      V(Width, 2)};
  Draw(gl::Primitive::PointList, points, static_cast<unsigned>(points.size()));
  // A point half-way between pixels takes the one on its left or above: (20.5, 10.5) is (20, 10).
  EXPECT_EQ(ModelPoints(points), (Pixels{{0, 0}, {5, 7}, {9, 4}, {20, 10}, {2, 3}, {30, 14}}));
  EXPECT_EQ(Lit(), ModelPoints(points));
}

// The OpenGL device's line walk, without a display, against the reference on lines whose ends
// lie on grids of quarter and eighth pixels, where lines pass through diamonds' corners, run
// along their edges and end on them.
TEST(GlLineWalk, LightsWhatTheReferenceLightsOnFinePixelGrids) {
  const gl::PixelBounds bounds{-20, -20, 40, 40};
  std::uint32_t seed = 12345;
  const auto next = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return static_cast<int>(seed >> 8);
  };
  int wrong = 0;
  std::string first;
  for (int n = 0; n < 20000; ++n) {
    const float grid = n % 2 == 0 ? 4.0f : 8.0f;
    const auto coordinate = [&] { return static_cast<float>(next() % 160) / grid - 2; };
    const float ax = coordinate(), ay = coordinate(), bx = coordinate(), by = coordinate();
    std::vector<gl::LinePiece> runs;
    gl::LinePieces(ax, ay, bx, by, bounds, runs);
    Pixels walked;
    for (const gl::LinePiece& r : runs) {
      for (int x = std::min(r.x0, r.x1); x <= std::max(r.x0, r.x1); ++x) {
        for (int y = std::min(r.y0, r.y1); y <= std::max(r.y0, r.y1); ++y) walked.insert({x, y});
      }
    }
    Pixels model;
    d3d9rules::ForEachLinePixel(ax, ay, bx, by, [&](int x, int y) { model.insert({x, y}); });
    if (walked == model) continue;
    if (wrong++ == 0) {
      std::ostringstream s;
      s << "(" << ax << ", " << ay << ")-(" << bx << ", " << by << ")\n got:  " << Show(walked)
        << "\n want: " << Show(model);
      first = s.str();
    }
  }
  EXPECT_EQ(wrong, 0) << "the first: " << first;
}

// Textures of narrow channels reach OpenGL widened as the reference rounds them.
TEST(GlTextureFormats, NarrowChannelsWidenByTheReferenceRule) {
  struct Case {
    D3DFORMAT format;
    int shift, bits, channel;  // the channel's place in the 16-bit pixel and in BGRA
  } cases[] = {
      {D3DFMT_R5G6B5, 11, 5, 16}, {D3DFMT_R5G6B5, 5, 6, 8}, {D3DFMT_A4R4G4B4, 8, 4, 16}, {D3DFMT_A1R5G5B5, 15, 1, 24}};
  for (const Case& c : cases) {
    for (std::uint32_t v = 0; v < (1u << c.bits); ++v) {
      const auto pixel = static_cast<std::uint16_t>(v << c.shift);
      std::uint32_t bgra = 0;
      d3d9gl::ToBgra(c.format, reinterpret_cast<const std::uint8_t*>(&pixel), 1, &bgra);
      EXPECT_EQ((bgra >> c.channel) & 0xFF, d3d9rules::WidenChannel(v, c.bits)) << c.bits << "-bit " << v;
    }
  }
}

TEST_F(GlPixelTest, SpansOfADiscCoverFromTheirStartToBeforeTheirEnd) {
  // A disc's spans as the hardware path sends them: (x − w, row) to (x + w + 1, row).
  std::vector<gl::SourceVertex> v;
  Pixels expected;
  for (int row = 10; row <= 20; ++row) {
    const int w = row % 4 + 1;
    v.push_back(V(static_cast<float>(24 - w), static_cast<float>(row)));
    v.push_back(V(static_cast<float>(24 + w + 1), static_cast<float>(row)));
    for (int x = 24 - w; x <= 24 + w; ++x) expected.insert({x, row});
  }
  Draw(gl::Primitive::LineList, v, static_cast<unsigned>(v.size() / 2));
  EXPECT_EQ(Lit(), expected);
}

// A filled disc's runs in the order the engine sends them (middle rows and rows near the top
// and bottom taking turns, each row once), ten to a draw.
std::vector<std::vector<gl::SourceVertex>> DiscDraws(int cx, int cy, int r, std::uint32_t color) {
  std::vector<std::vector<gl::SourceVertex>> draws(1);
  circle_walk::WalkDisc(cx, cy, r, {0, 0, Width, Height}, [&](std::int64_t y, std::int64_t left, std::int64_t right) {
    if (draws.back().size() == 20) draws.emplace_back();
    draws.back().push_back(V(static_cast<float>(left), static_cast<float>(y), color));
    draws.back().push_back(V(static_cast<float>(right), static_cast<float>(y), color));
  });
  return draws;
}

struct SpanBlendCase {
  const char* name;
  GLenum source, destination, equation;
  int (*blend)(int s, int d);  // per channel, exact in eight bits
};

// Runs along rows in one colour become rects whose rows the program narrows to the runs. A
// blend that shows a pixel drawn twice (or not at all, or out of order) checks every pixel of
// discs that overlap each other, rows with gaps between them and two runs on one row against
// the runs' own pixels taken one after another.
TEST_F(GlPixelTest, RunsAlongRowsDrawEachPixelOnceInOrder) {
  const SpanBlendCase cases[] = {
      {"add", GL_ONE, GL_ONE, GL_FUNC_ADD, [](int s, int d) { return std::min(s + d, 255); }},
      {"reverse subtract", GL_ONE, GL_ONE, GL_FUNC_REVERSE_SUBTRACT, [](int s, int d) { return std::max(d - s, 0); }},
      {"none", GL_ONE, GL_ZERO, GL_FUNC_ADD, [](int s, int) { return s; }},
  };
  std::vector<std::vector<gl::SourceVertex>> draws;
  for (const auto& disc : {DiscDraws(16, 16, 10, 0xFF302010), DiscDraws(26, 20, 8, 0xFF103020),
                           DiscDraws(20, 14, 6, 0xFF302010), DiscDraws(44, 36, 7, 0xFF202020)}) {
    draws.insert(draws.end(), disc.begin(), disc.end());
  }
  // Rows 30, 33 and 38 with nothing between them, then two runs that share part of row 35.
  draws.push_back({V(2, 30, 0xFF101010), V(9, 30, 0xFF101010), V(4, 33, 0xFF101010), V(5, 33, 0xFF101010),
                   V(0, 38, 0xFF101010), V(12, 38, 0xFF101010)});
  draws.push_back({V(2, 35, 0xFF302010), V(21, 35, 0xFF302010), V(10, 35, 0xFF302010), V(31, 35, 0xFF302010)});
  const std::uint32_t background = 0xFF808080;
  for (const SpanBlendCase& c : cases) {
    SCOPED_TRACE(c.name);
    renderer_.Fill(target_, gl::PixelBounds{0, 0, Width, Height}, background);
    gl::DrawSettings s = gl::MakeDrawSettings(gl::PixelBounds{0, 0, Width, Height});
    s.blend = 1;
    s.sourceFactor = c.source;
    s.destinationFactor = c.destination;
    s.equation = c.equation;
    std::vector<std::uint32_t> expected(Width * Height, background);
    const std::uint64_t before = renderer_.drawCalls();
    for (const auto& draw : draws) {
      ASSERT_TRUE(
          renderer_.Draw(gl::Primitive::LineList, draw.data(), draw.size(), static_cast<unsigned>(draw.size() / 2), s));
      for (std::size_t i = 0; i < draw.size(); i += 2) {
        const int y = static_cast<int>(draw[i].y);
        for (int x = static_cast<int>(draw[i].x); x < static_cast<int>(draw[i + 1].x); ++x) {
          std::uint32_t& p = expected[y * Width + x];
          std::uint32_t out = 0xFF000000;
          for (int shift = 0; shift < 24; shift += 8) {
            const int channel = c.blend((draw[i].diffuse >> shift) & 0xFF, (p >> shift) & 0xFF);
            out |= static_cast<std::uint32_t>(channel) << shift;
          }
          p = out;
        }
      }
    }
    renderer_.Flush();
    EXPECT_EQ(renderer_.drawCalls() - before, 1u) << "the runs left as lines";
    const std::vector<std::uint32_t> got = ReadAll();
    int wrong = 0;
    for (int y = 0; y < Height; ++y) {
      for (int x = 0; x < Width; ++x) {
        const std::uint32_t have = got[y * Width + x] & 0xFFFFFF, want = expected[y * Width + x] & 0xFFFFFF;
        if (have != want && ++wrong <= 5)
          ADD_FAILURE() << "(" << x << "," << y << "): " << std::hex << have << " not " << want;
      }
    }
    EXPECT_EQ(wrong, 0);
  }
}

// A ball: a disc with a smaller one of another colour on top, drawn with the same settings.
// When the top one replaces the pixels it covers, both go as one rect; when it blends with them
// or the alpha test drops its pixels, the pixels below must still be there to show.
TEST_F(GlPixelTest, RunsOverRunsOfTheirRowsShowWhatIsBelowThemOnlyWhereTheyShould) {
  struct Case {
    const char* name;
    void (*settings)(gl::DrawSettings& s);
    std::uint32_t top;     // ARGB of the top disc
    std::uint32_t centre;  // RGB where it is
  };
  const Case cases[] = {
      {"replacing", [](gl::DrawSettings&) {}, 0xFF800000, 0x800000},
      {"blending half",
       [](gl::DrawSettings& s) {
         s.blend = 1;
         s.sourceFactor = GL_SRC_ALPHA;
         s.destinationFactor = GL_ONE_MINUS_SRC_ALPHA;
       },
       0x80FF0000, 0xFF7F7F},
      {"dropped by the alpha test",
       [](gl::DrawSettings& s) {
         s.program.alphaFunc = 5;  // greater than the reference
         s.alphaRef = 0x80;
       },
       0x40800000, 0xFFFFFF},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    renderer_.Fill(target_, gl::PixelBounds{0, 0, Width, Height}, 0xFF000000);
    gl::DrawSettings s = gl::MakeDrawSettings(gl::PixelBounds{0, 0, Width, Height});
    c.settings(s);
    const std::uint64_t before = renderer_.drawCalls();
    for (const auto& draw : DiscDraws(20, 20, 12, 0xFFFFFFFF)) {
      ASSERT_TRUE(
          renderer_.Draw(gl::Primitive::LineList, draw.data(), draw.size(), static_cast<unsigned>(draw.size() / 2), s));
    }
    for (const auto& draw : DiscDraws(20, 20, 9, c.top)) {
      ASSERT_TRUE(
          renderer_.Draw(gl::Primitive::LineList, draw.data(), draw.size(), static_cast<unsigned>(draw.size() / 2), s));
    }
    renderer_.Flush();
    EXPECT_EQ(renderer_.drawCalls() - before, 1u);
    const std::vector<std::uint32_t> pixels = ReadAll();
    const auto at = [&](int x, int y) { return pixels[y * Width + x] & 0xFFFFFF; };
    for (const auto& [x, y] : {std::pair{20, 20}, {12, 20}, {28, 20}, {20, 11}, {20, 29}}) {
      const std::uint32_t got = at(x, y);
      for (int shift = 0; shift < 24; shift += 8) {  // a blend rounds as the GPU does
        EXPECT_NEAR(static_cast<int>((got >> shift) & 0xFF), static_cast<int>((c.centre >> shift) & 0xFF), 1)
            << "(" << x << "," << y << ") " << std::hex << got;
      }
    }
    for (const auto& [x, y] : {std::pair{9, 20}, {31, 20}, {20, 8}, {20, 32}}) EXPECT_EQ(at(x, y), 0xFFFFFFu);
    EXPECT_EQ(at(20, 33), 0u);
  }
}

// Rects of runs between triangles that overlap them keep their place; runs whose ends differ
// (a colour along the row) stay lines and meet the same pixels.
TEST_F(GlPixelTest, RunsAlongRowsKeepTheirOrderAmongOtherPrimitives) {
  const gl::DrawSettings s = gl::MakeDrawSettings(gl::PixelBounds{0, 0, Width, Height});
  const std::uint64_t before = renderer_.drawCalls();
  for (const auto& draw : DiscDraws(12, 12, 9, 0xFFFF0000)) {
    ASSERT_TRUE(
        renderer_.Draw(gl::Primitive::LineList, draw.data(), draw.size(), static_cast<unsigned>(draw.size() / 2), s));
  }
  std::vector<gl::SourceVertex> blue = {V(-0.5f, 9.5f, 0xFF0000FF), V(30.5f, 9.5f, 0xFF0000FF),
                                        V(-0.5f, 14.5f, 0xFF0000FF)};
  ASSERT_TRUE(renderer_.Draw(gl::Primitive::TriangleList, blue.data(), 3, 1, s));
  std::vector<gl::SourceVertex> green = {V(5, 10, 0xFF00FF00), V(12, 10, 0xFF00FF00), V(8, 11, 0xFF00FF00),
                                         V(9, 11, 0xFF00FF00)};
  ASSERT_TRUE(renderer_.Draw(gl::Primitive::LineList, green.data(), 4, 2, s));
  std::vector<gl::SourceVertex> shaded = {V(0, 12, 0xFFFFFF00), V(30, 12, 0xFFFFFF01)};
  ASSERT_TRUE(renderer_.Draw(gl::Primitive::LineList, shaded.data(), 2, 1, s));
  renderer_.Flush();
  EXPECT_EQ(renderer_.drawCalls() - before, 4u);
  const std::vector<std::uint32_t> pixels = ReadAll();
  const auto at = [&](int x, int y) { return pixels[y * Width + x] & 0xFFFFFF; };
  EXPECT_EQ(at(12, 5), 0xFF0000u);  // the disc alone
  EXPECT_EQ(at(12, 19), 0xFF0000u);
  EXPECT_EQ(at(3, 10), 0x0000FFu);  // the triangle over the disc
  EXPECT_EQ(at(5, 10), 0x00FF00u);  // the runs over the triangle
  EXPECT_EQ(at(11, 10), 0x00FF00u);
  EXPECT_EQ(at(12, 10), 0x0000FFu);  // a run leaves out its end
  EXPECT_EQ(at(8, 11), 0x00FF00u);
  EXPECT_EQ(at(9, 11), 0x0000FFu);
  EXPECT_EQ(at(2, 12) & 0xFFFF00, 0xFFFF00u);  // the shaded line over all
  EXPECT_EQ(at(12, 22), 0x000000u);
}

struct TriangleCase {
  const char* name;
  float x0, y0, x1, y1, x2, y2;
};

TEST_F(GlPixelTest, TrianglesFollowTheTopLeftFillRule) {
  const TriangleCase cases[] = {
      {"upper half of a square", 0, 0, 5, 0, 5, 5}, {"lower half of a square", 0, 5, 0, 0, 5, 5},
      {"counter-clockwise", 5, 5, 5, 0, 0, 0},      {"half-pixel rectangle half", 0.5f, 0.5f, 2.5f, 0.5f, 0.5f, 4.5f},
      {"thin sliver", 3, 3, 40, 4, 3, 5},           {"fractional", 10.25f, 3.75f, 30.5f, 12.125f, 14.0f, 33.5f},
      {"partly outside", -10, -5, 20, 8, 5, 60},    {"edge through pixel centres", 2, 2, 22, 12, 2, 22},
  };
  for (const TriangleCase& c : cases) {
    renderer_.Fill(target_, gl::PixelBounds{0, 0, Width, Height}, 0);
    Draw(gl::Primitive::TriangleList, {V(c.x0, c.y0), V(c.x1, c.y1), V(c.x2, c.y2)}, 1);
    const Pixels expected = ModelTriangle(c.x0, c.y0, c.x1, c.y1, c.x2, c.y2);
    const Pixels lit = Lit();
    EXPECT_EQ(lit, expected) << c.name << "\n got:  " << Show(lit) << "\n want: " << Show(expected);
  }
}

TEST_F(GlPixelTest, SharedEdgesAreDrawnOnce) {
  // Two triangles of a 5 × 5 square, added: a pixel drawn twice would be brighter.
  gl::DrawSettings s = gl::MakeDrawSettings(gl::PixelBounds{0, 0, Width, Height});
  s.blend = 1;
  s.sourceFactor = GL_ONE;
  s.destinationFactor = GL_ONE;
  std::vector<gl::SourceVertex> v = {V(0, 0, 0xFF404040), V(5, 0, 0xFF404040), V(5, 5, 0xFF404040),
                                     V(0, 5, 0xFF404040), V(0, 0, 0xFF404040), V(5, 5, 0xFF404040)};
  ASSERT_TRUE(renderer_.Draw(gl::Primitive::TriangleList, v.data(), v.size(), 2, s));
  const std::vector<std::uint32_t> pixels = ReadAll();
  for (int y = 0; y < 6; ++y) {
    for (int x = 0; x < 6; ++x) {
      const std::uint32_t want = x < 5 && y < 5 ? 0x404040u : 0u;
      EXPECT_EQ(pixels[y * Width + x] & 0xFFFFFF, want) << x << "," << y;
    }
  }
}

TEST_F(GlPixelTest, ClipRectangleLimitsEveryPrimitive) {
  const gl::DrawSettings s = gl::MakeDrawSettings(gl::PixelBounds{10, 10, 20, 15});
  std::vector<gl::SourceVertex> v = {V(0, 12), V(40, 12), V(15, 0), V(15, 40)};
  ASSERT_TRUE(renderer_.Draw(gl::Primitive::LineList, v.data(), v.size(), 2, s));
  Pixels expected;
  for (int x = 10; x < 20; ++x) expected.insert({x, 12});
  for (int y = 10; y < 15; ++y) expected.insert({15, y});
  EXPECT_EQ(Lit(), expected);
}

TEST_F(GlPixelTest, FlatShadingColoursATriangleWithItsFirstVertex) {
  gl::DrawSettings s = gl::MakeDrawSettings(gl::PixelBounds{0, 0, Width, Height});
  s.flatShading = 1;
  std::vector<gl::SourceVertex> v = {V(0, 0, 0xFF123456), V(30, 0, 0xFFFFFFFF), V(0, 30, 0xFF000000)};
  ASSERT_TRUE(renderer_.Draw(gl::Primitive::TriangleList, v.data(), v.size(), 1, s));
  const std::vector<std::uint32_t> pixels = ReadAll();
  EXPECT_EQ(pixels[5 * Width + 5] & 0xFFFFFF, 0x123456u);
  EXPECT_EQ(pixels[20 * Width + 2] & 0xFFFFFF, 0x123456u);
}

// The engine's blend modes as blend settings (factors and operation) and the colour each gives
// over a known background. The GPU blends in its own arithmetic: one step of rounding is allowed.
struct BlendCase {
  const char* name;
  GLenum source, destination, equation;
  std::uint32_t (*expected)(int s, int a, int d);  // per channel: source, source alpha, destination
};

int Clamp(int v) { return v < 0 ? 0 : v > 255 ? 255 : v; }

TEST_F(GlPixelTest, BlendModesFollowTheirFormulas) {
  const BlendCase cases[] = {
      {"alpha", GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_FUNC_ADD,
       [](int s, int a, int d) { return std::uint32_t(Clamp((s * a + d * (255 - a) + 127) / 255)); }},
      {"add", GL_SRC_ALPHA, GL_ONE, GL_FUNC_ADD,
       [](int s, int a, int d) { return std::uint32_t(Clamp((s * a + 127) / 255 + d)); }},
      {"subtract (reverse subtract)", GL_SRC_ALPHA, GL_ONE, GL_FUNC_REVERSE_SUBTRACT,
       [](int s, int a, int d) { return std::uint32_t(Clamp(d - (s * a + 127) / 255)); }},
      {"subtract without a blend operation: inverts under white", GL_ONE_MINUS_DST_COLOR, GL_ZERO, GL_FUNC_ADD,
       [](int s, int, int d) { return std::uint32_t(Clamp((s * (255 - d) + 127) / 255)); }},
      {"multiply", GL_ZERO, GL_SRC_COLOR, GL_FUNC_ADD,
       [](int s, int, int d) { return std::uint32_t(Clamp((s * d + 127) / 255)); }},
      {"inverted alpha (source complemented by its stage)", GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_FUNC_ADD,
       [](int s, int a, int d) { return std::uint32_t(Clamp(((255 - s) * a + d * (255 - a) + 127) / 255)); }},
      {"multiply alpha (source blended to white by its stage)", GL_ZERO, GL_SRC_COLOR, GL_FUNC_ADD,
       [](int s, int a, int d) {
         const int blended = (s * a + 255 * (255 - a) + 127) / 255;
         return std::uint32_t(Clamp((blended * d + 127) / 255));
       }},
      {"none", GL_ONE, GL_ZERO, GL_FUNC_ADD, [](int s, int, int) { return std::uint32_t(s); }},
  };
  const std::uint32_t background = 0x00C08040, source = 0x9050A0F0;  // alpha 0x90
  for (const BlendCase& c : cases) {
    renderer_.Fill(target_, gl::PixelBounds{0, 0, Width, Height}, background);
    gl::DrawSettings s = gl::MakeDrawSettings(gl::PixelBounds{0, 0, Width, Height});
    s.blend = 1;
    s.sourceFactor = c.source;
    s.destinationFactor = c.destination;
    s.equation = c.equation;
    const std::string name = c.name;
    if (name.rfind("inverted", 0) == 0) {
      s.program.stages[0].colorArg1 = gl::stage::Diffuse | gl::stage::Complement;
    } else if (name.rfind("multiply alpha", 0) == 0) {
      s.program.stages[0].colorOp = gl::stage::BlendDiffuseAlpha;
      s.program.stages[0].colorArg2 = gl::stage::Factor;
      s.textureFactor = 0xFFFFFFFF;
    }
    std::vector<gl::SourceVertex> v = {V(0, 0, source), V(10, 0, source), V(0, 10, source)};
    ASSERT_TRUE(renderer_.Draw(gl::Primitive::TriangleList, v.data(), v.size(), 1, s));
    const std::uint32_t got = ReadAll()[2 * Width + 2];
    const int a = source >> 24;
    for (int shift = 0; shift < 24; shift += 8) {
      const int want = static_cast<int>(c.expected((source >> shift) & 0xFF, a, (background >> shift) & 0xFF));
      const int have = static_cast<int>((got >> shift) & 0xFF);
      EXPECT_NEAR(have, want, 1) << c.name << ", channel at bit " << shift;
    }
  }
}

// The subtractive emulation: invert the area under white, add the primitive, invert again,
// which leaves background − source, floored at 0.
TEST_F(GlPixelTest, SubtractiveEmulationSubtractsTheSource) {
  const std::uint32_t background = 0x00C08040, source = 0xFF30A010;
  renderer_.Fill(target_, gl::PixelBounds{0, 0, Width, Height}, background);
  const auto pass = [&](GLenum src, GLenum dst, std::uint32_t color) {
    gl::DrawSettings s = gl::MakeDrawSettings(gl::PixelBounds{0, 0, Width, Height});
    s.blend = 1;
    s.sourceFactor = src;
    s.destinationFactor = dst;
    std::vector<gl::SourceVertex> v = {V(0, 0, color), V(10, 0, color), V(0, 10, color)};
    ASSERT_TRUE(renderer_.Draw(gl::Primitive::TriangleList, v.data(), v.size(), 1, s));
  };
  pass(GL_ONE_MINUS_DST_COLOR, GL_ZERO, 0xFFFFFFFF);  // mode 3 with white: invert
  pass(GL_SRC_ALPHA, GL_ONE, source);                 // mode 5: add
  pass(GL_ONE_MINUS_DST_COLOR, GL_ZERO, 0xFFFFFFFF);  // invert back
  const std::uint32_t got = ReadAll()[2 * Width + 2] & 0xFFFFFF;
  for (int shift = 0; shift < 24; shift += 8) {
    const int want = Clamp(static_cast<int>((background >> shift) & 0xFF) - static_cast<int>((source >> shift) & 0xFF));
    EXPECT_NEAR(static_cast<int>((got >> shift) & 0xFF), want, 1) << "channel at bit " << shift;
  }
}

TEST_F(GlPixelTest, AlphaTestDiscardsByTheEightBitReference) {
  gl::DrawSettings s = gl::MakeDrawSettings(gl::PixelBounds{0, 0, Width, Height});
  s.program.alphaFunc = 5;  // greater
  s.alphaRef = 16;
  std::vector<gl::SourceVertex> v = {V(0, 0, 0x10FFFFFF),  V(5, 0, 0x10FFFFFF),  V(0, 5, 0x10FFFFFF),
                                     V(10, 0, 0x11FFFFFF), V(15, 0, 0x11FFFFFF), V(10, 5, 0x11FFFFFF)};
  ASSERT_TRUE(renderer_.Draw(gl::Primitive::TriangleList, v.data(), v.size(), 2, s));
  const std::vector<std::uint32_t> pixels = ReadAll();
  EXPECT_EQ(pixels[1 * Width + 1] & 0xFFFFFF, 0u);
  EXPECT_EQ(pixels[1 * Width + 11] & 0xFFFFFF, 0xFFFFFFu);
}

TEST_F(GlPixelTest, DrawsWithEqualSettingsMergeIntoOneOpenGlDraw) {
  gl::DrawSettings s = gl::MakeDrawSettings(gl::PixelBounds{0, 0, Width, Height});
  const std::uint64_t before = renderer_.drawCalls();
  std::vector<gl::SourceVertex> line = {V(1, 1), V(20, 1)};
  std::vector<gl::SourceVertex> points = {V(3, 3), V(4, 4)};
  std::vector<gl::SourceVertex> triangle = {V(0, 10), V(10, 10), V(0, 20)};
  // Points and lines, flat or not, become one OpenGL line draw; the triangles apart from them
  // one more.
  for (int i = 0; i < 50; ++i) {
    s.flatShading = i % 2;
    ASSERT_TRUE(renderer_.Draw(gl::Primitive::LineList, line.data(), 2, 1, s));
    ASSERT_TRUE(renderer_.Draw(gl::Primitive::PointList, points.data(), 2, 2, s));
    ASSERT_TRUE(renderer_.Draw(gl::Primitive::TriangleList, triangle.data(), 3, 1, s));
  }
  renderer_.Flush();
  EXPECT_EQ(renderer_.drawCalls() - before, 2u);
  gl::DrawSettings other = s;
  other.blend = 1;
  ASSERT_TRUE(renderer_.Draw(gl::Primitive::LineList, line.data(), 2, 1, s));
  ASSERT_TRUE(renderer_.Draw(gl::Primitive::LineList, line.data(), 2, 1, other));
  ASSERT_TRUE(renderer_.Draw(gl::Primitive::LineList, line.data(), 2, 1, s));
  renderer_.Flush();
  EXPECT_EQ(renderer_.drawCalls() - before, 5u);
}

// Lines and triangles that overlap keep their order; one that overlaps nothing drawn since the
// last of its kind joins it.
TEST_F(GlPixelTest, OverlappingLinesAndTrianglesKeepTheirOrder) {
  const gl::DrawSettings s = gl::MakeDrawSettings(gl::PixelBounds{0, 0, Width, Height});
  const std::uint64_t before = renderer_.drawCalls();
  std::vector<gl::SourceVertex> red = {V(-0.5f, -0.5f, 0xFFFF0000), V(20.5f, -0.5f, 0xFFFF0000),
                                       V(-0.5f, 20.5f, 0xFFFF0000)};
  std::vector<gl::SourceVertex> green = {V(0, 5, 0xFF00FF00), V(30, 5, 0xFF00FF00)};
  std::vector<gl::SourceVertex> blue = {V(-0.5f, 3.5f, 0xFF0000FF), V(4.5f, 3.5f, 0xFF0000FF),
                                        V(-0.5f, 8.5f, 0xFF0000FF)};
  std::vector<gl::SourceVertex> far = {V(40, 30, 0xFFFFFFFF), V(40, 39, 0xFFFFFFFF)};
  // Shaded along its length, the green line stays a line (a run along a row in one colour
  // would go to a rect, see above).
  green[1] = V(30, 5, 0xFF00FF01);
  ASSERT_TRUE(renderer_.Draw(gl::Primitive::TriangleList, red.data(), 3, 1, s));
  ASSERT_TRUE(renderer_.Draw(gl::Primitive::LineList, green.data(), 2, 1, s));
  ASSERT_TRUE(renderer_.Draw(gl::Primitive::TriangleList, blue.data(), 3, 1, s));
  ASSERT_TRUE(renderer_.Draw(gl::Primitive::LineList, far.data(), 2, 1, s));  // joins the green line
  renderer_.Flush();
  EXPECT_EQ(renderer_.drawCalls() - before, 3u);
  const std::vector<std::uint32_t> pixels = ReadAll();
  EXPECT_EQ(pixels[5 * Width + 1] & 0xFFFFFF, 0x0000FFu);   // blue over the line
  EXPECT_EQ(pixels[5 * Width + 10] & 0xFFFFFF, 0x00FF00u);  // the line over red
  EXPECT_EQ(pixels[2 * Width + 2] & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(pixels[35 * Width + 40] & 0xFFFFFF, 0xFFFFFFu);
}

// Text's textured quads between untextured shapes, as the game's board draws them: one OpenGL
// draw of lines and one of triangles, every primitive keeping its own stages, alpha test and
// texture factor; a draw that needs another texture on a stage already bound starts a new one.
TEST_F(GlPixelTest, DrawsDifferingInTheirStagesShareOneOpenGlDraw) {
  // A 2x1 texture: opaque red, then green with alpha 0x40.
  const std::uint32_t texels[2] = {0xFFFF0000u, 0x4000FF00u};
  const GLuint texture = renderer_.CreateTexture(2, 1);
  const GLuint another = renderer_.CreateTexture(2, 1);
  ASSERT_NE(texture, 0u);
  renderer_.UploadTexture(texture, 0, 0, 2, 1, texels, 8);
  renderer_.UploadTexture(another, 0, 0, 2, 1, texels, 8);
  const gl::DrawSettings plain = gl::MakeDrawSettings(gl::PixelBounds{0, 0, Width, Height});
  gl::DrawSettings textured = plain;
  textured.program.stages[0] = gl::StageOps{gl::stage::Modulate,   gl::stage::Texture, gl::stage::Diffuse,
                                            gl::stage::SelectArg1, gl::stage::Texture, gl::stage::Current};
  textured.program.textured[0] = 1;
  textured.textures[0] = texture;
  textured.program.alphaFunc = 5;  // greater than the reference
  textured.alphaRef = 0x80;
  gl::DrawSettings factor = plain;  // the texture factor's colour
  factor.program.stages[0].colorArg1 = gl::stage::Factor;
  factor.textureFactor = 0xFF0000FF;
  // A quad over pixels x..x+3 and rows y, y+1 sampling texel (0, 0) in its first two columns
  // and texel (1, 0), discarded, in the others.
  const auto quad = [](float x, float y) {
    std::vector<gl::SourceVertex> v = {V(x - 0.5f, y - 0.5f), V(x + 3.5f, y - 0.5f), V(x - 0.5f, y + 1.5f),
                                       V(x + 3.5f, y + 1.5f)};
    for (gl::SourceVertex& p : v) {
      p.u[0] = (p.x - x + 0.5f) / 4;
      p.v[0] = 0.5f;
    }
    return v;
  };
  const std::uint64_t before = renderer_.drawCalls();
  for (int row = 0; row < 4; ++row) {
    const float y = static_cast<float>(row * 8);
    std::vector<gl::SourceVertex> span = {V(0, y + 4, 0xFF00FFFF), V(10, y + 4, 0xFF00FFFF)};
    ASSERT_TRUE(renderer_.Draw(gl::Primitive::LineList, span.data(), 2, 1, plain));
    std::vector<gl::SourceVertex> q = quad(0, y);
    ASSERT_TRUE(renderer_.Draw(gl::Primitive::TriangleStrip, q.data(), 4, 2, textured));
    std::vector<gl::SourceVertex> dot = {V(20, y)};
    ASSERT_TRUE(renderer_.Draw(gl::Primitive::PointList, dot.data(), 1, 1, factor));
  }
  renderer_.Flush();
  EXPECT_EQ(renderer_.drawCalls() - before, 2u);
  const std::vector<std::uint32_t> pixels = ReadAll();
  for (int row = 0; row < 4; ++row) {
    const int y = row * 8;
    SCOPED_TRACE(row);
    EXPECT_EQ(pixels[y * Width + 0] & 0xFFFFFF, 0xFF0000u);  // red texel times white
    EXPECT_EQ(pixels[y * Width + 3] & 0xFFFFFF, 0u);         // alpha 0x40 fails the test
    EXPECT_EQ(pixels[(y + 4) * Width + 5] & 0xFFFFFF, 0x00FFFFu);
    EXPECT_EQ(pixels[y * Width + 20] & 0xFFFFFF, 0x0000FFu);
  }
  gl::DrawSettings other = textured;
  other.textures[0] = another;
  std::vector<gl::SourceVertex> q = quad(30, 0);
  ASSERT_TRUE(renderer_.Draw(gl::Primitive::TriangleStrip, q.data(), 4, 2, textured));
  ASSERT_TRUE(renderer_.Draw(gl::Primitive::TriangleStrip, q.data(), 4, 2, other));
  renderer_.Flush();
  EXPECT_EQ(renderer_.drawCalls() - before, 4u);
  renderer_.DestroyTexture(texture);
  renderer_.DestroyTexture(another);
}

TEST_F(GlPixelTest, FillCopyAndReadWorkOnTargets) {
  gl::Target other;
  ASSERT_TRUE(renderer_.CreateTarget(16, 16, false, &other));
  renderer_.Fill(other, gl::PixelBounds{0, 0, 16, 16}, 0x00112233);
  renderer_.Fill(other, gl::PixelBounds{4, 2, 8, 3}, 0x00FF0000);
  renderer_.Copy(other, gl::PixelBounds{0, 0, 16, 16}, target_, gl::PixelBounds{10, 10, 26, 26}, false);
  const std::vector<std::uint32_t> pixels = ReadAll();
  EXPECT_EQ(pixels[10 * Width + 10] & 0xFFFFFF, 0x112233u);
  EXPECT_EQ(pixels[12 * Width + 14] & 0xFFFFFF, 0xFF0000u);  // row 2 stays row 2: no flip
  EXPECT_EQ(pixels[13 * Width + 14] & 0xFFFFFF, 0x112233u);
  EXPECT_EQ(pixels[9 * Width + 10] & 0xFFFFFF, 0u);
  renderer_.DestroyTarget(other);
}

// A window not made for OpenGL (as where SDL offers none) gets no context: the device fails
// and the engine takes its software back-end.
TEST(GlContext, WindowWithoutOpenGlGetsNoContext) {
  if (std::getenv("DISPLAY") == nullptr || SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) GTEST_SKIP() << "no X display";
  SDL_Window* window = SDL_CreateWindow("no OpenGL", 0, 0, 32, 32, SDL_WINDOW_HIDDEN);
  ASSERT_NE(window, nullptr);
  gl::Renderer renderer;
  std::string error;
  EXPECT_FALSE(renderer.Start(window, &error));
  EXPECT_FALSE(renderer.started());
  EXPECT_FALSE(error.empty());
  SDL_DestroyWindow(window);
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

}  // namespace
