// The OpenGL device's draw queue without a display: which draws may go to OpenGL in one send,
// into which group each goes, and what a send carries. Every pixel must come out as if each draw
// had been sent alone and in order; the pixels themselves are the GL pixel tests' concern.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

#include "gl_draw_queue.h"

namespace {

using gl::DrawQueue;
using gl::DrawSettings;
using gl::GroupKind;
using gl::PixelBounds;
using gl::Primitive;
using gl::SourceVertex;

constexpr int Width = 64, Height = 48;

}  // namespace

namespace gl {
void PrintTo(GroupKind kind, std::ostream* out) {
  *out << (kind == GroupKind::Lines ? "lines" : kind == GroupKind::Triangles ? "triangles" : "run rectangles");
}
}  // namespace gl

namespace {

DrawSettings Plain() { return gl::MakeDrawSettings(PixelBounds{0, 0, Width, Height}); }

SourceVertex At(float x, float y, std::uint32_t colour = 0xFFFFFFFF) { return SourceVertex{x, y, 0, colour, {}, {}}; }

class DrawQueueTest : public ::testing::Test {
  // Public: the case tables below drive it through lambdas.
 public:
  void SetUp() override { queue.SetTableLimit(1 << 16); }

  // Prepares and joins; false when the draw had to wait for a send, or drew nothing.
  bool Add(Primitive type, const std::vector<SourceVertex>& vertices, const DrawSettings& settings, int width = Width) {
    const unsigned primitives = type == Primitive::LineList ? vertices.size() / 2 : vertices.size() / 3;
    return queue.Prepare(type, vertices.data(), vertices.size(), primitives, settings, width, Height) && queue.Join();
  }
  // A triangle covering the box left..right × top..bottom (upper-left half).
  bool Triangle(float left, float top, float right, float bottom, const DrawSettings& settings = Plain()) {
    return Add(Primitive::TriangleList, {At(left, top), At(right, top), At(left, bottom)}, settings);
  }
  // A line along one row: it arrives as a run.
  bool RowLine(int row, int left, int right, const DrawSettings& settings = Plain(), int width = Width) {
    return Add(
        Primitive::LineList,
        {At(static_cast<float>(left), static_cast<float>(row)), At(static_cast<float>(right), static_cast<float>(row))},
        settings, width);
  }
  // A steep line: its pixels come in columns, which no run holds.
  bool Steep(float x0, float y0, float x1, float y1, const DrawSettings& settings = Plain()) {
    return Add(Primitive::LineList, {At(x0, y0), At(x1, y1)}, settings);
  }

  std::vector<GroupKind> Kinds() const {
    std::vector<GroupKind> kinds;
    for (std::size_t g = 0; g < queue.groupCount(); ++g) kinds.push_back(queue.group(g).kind);
    return kinds;
  }

  DrawQueue queue;
};

// A draw joins the queue when it shares the blend, the clip and the textures it samples; stage
// settings that differ become variants of one send.
TEST_F(DrawQueueTest, ADrawJoinsOnlyWhatItSharesItsSettingsWith) {
  const auto textured = [](DrawSettings s) {
    s.program.textured[0] = 1;
    s.textures[0] = 7;
    return s;
  };
  struct Case {
    const char* what;
    std::function<void(DrawSettings&)> change;
    bool joins;
    int variants;  // after it joined
  };
  const Case cases[] = {
      {"the same settings", [](DrawSettings&) {}, true, 1},
      {"blending on", [](DrawSettings& s) { s.blend = 1; }, false, 1},
      {"another blend factor", [](DrawSettings& s) { s.destinationFactor = GL_ONE; }, false, 1},
      {"another clip", [](DrawSettings& s) { s.clip.right = 32; }, false, 1},
      {"a clip reaching past the target, the same once narrowed", [](DrawSettings& s) { s.clip.right = 500; }, true, 1},
      {"another texture at the stage", [](DrawSettings& s) { s.textures[0] = 8; }, false, 1},
      {"another sampler at the stage", [](DrawSettings& s) { s.samplers[0].magFilter = 2; }, false, 1},
      {"a texture at a stage the queue leaves free",
       [&](DrawSettings& s) { s.program.textured[1] = 1, s.textures[1] = 9; }, true, 2},
      {"another alpha reference, alpha test off", [](DrawSettings& s) { s.alphaRef = 99; }, true, 1},
      {"another alpha reference, alpha test on", [](DrawSettings& s) { s.program.alphaFunc = 5, s.alphaRef = 99; },
       true, 2},
      {"another texture factor no stage reads", [](DrawSettings& s) { s.textureFactor = 0x12345678; }, true, 1},
      {"flat shading", [](DrawSettings& s) { s.flatShading = 1; }, true, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    queue.Clear();
    const DrawSettings first = textured(Plain());
    ASSERT_TRUE(Triangle(0, 0, 8, 8, first));
    DrawSettings second = first;
    c.change(second);
    EXPECT_EQ(Triangle(20, 20, 28, 28, second), c.joins);
    EXPECT_EQ(queue.settings().variantCount, c.variants);
  }
}

TEST_F(DrawQueueTest, AFullQueueOfVariantsTakesNoMoreAndAClearedOneTakesAnything) {
  for (int v = 0; v < gl::MaxVariants; ++v) {
    DrawSettings s = Plain();
    s.program.alphaFunc = 5;
    s.alphaRef = static_cast<std::uint32_t>(v);
    ASSERT_TRUE(Triangle(static_cast<float>(v * 10), 0, static_cast<float>(v * 10 + 8), 8, s)) << v;
  }
  DrawSettings one = Plain();
  one.program.alphaFunc = 5;
  one.alphaRef = 200;
  EXPECT_FALSE(Triangle(50, 0, 58, 8, one));
  EXPECT_EQ(queue.settings().variantCount, gl::MaxVariants);
  // What the renderer does then: send, clear, join again.
  queue.Clear();
  EXPECT_TRUE(queue.Join());
  EXPECT_EQ(queue.settings().variantCount, 1);
  EXPECT_EQ(queue.groupCount(), 1u);
}

// A draw goes back to the last group of its kind only past groups it does not touch: a pixel two
// draws share keeps their order.
TEST_F(DrawQueueTest, ADrawRejoinsItsKindOnlyPastGroupsItDoesNotTouch) {
  struct Case {
    const char* what;
    std::function<void(DrawQueueTest&)> draws;
    std::vector<GroupKind> groups;
  };
  using K = GroupKind;
  const Case cases[] = {
      {"a triangle apart from the line between",
       [](DrawQueueTest& t) {
         t.Triangle(0, 0, 8, 8);
         t.Steep(30, 30, 33, 40);
         t.Triangle(10, 0, 18, 8);
       },
       {K::Triangles, K::Lines}},
      {"a triangle over the line between",
       [](DrawQueueTest& t) {
         t.Triangle(0, 0, 8, 8);
         t.Steep(30, 30, 33, 40);
         t.Triangle(28, 28, 42, 40);
       },
       {K::Triangles, K::Lines, K::Triangles}},
      {"a triangle one pixel from the line, within the margin a rasteriser may reach",
       [](DrawQueueTest& t) {
         t.Triangle(0, 0, 8, 8);
         t.Steep(30, 30, 33, 40);
         t.Triangle(34, 41, 50, 46);
       },
       {K::Triangles, K::Lines, K::Triangles}},
      {"a triangle whose corner is no number touches everything",
       [](DrawQueueTest& t) {
         const float nan = std::numeric_limits<float>::quiet_NaN();
         t.Triangle(0, 0, 8, 8);
         t.Steep(30, 30, 33, 40);
         t.Add(Primitive::TriangleList, {At(nan, 0), At(60, 0), At(60, 4)}, Plain());
       },
       {K::Triangles, K::Lines, K::Triangles}},
      {"runs apart from the triangles between",
       [](DrawQueueTest& t) {
         t.RowLine(2, 0, 20);
         t.Triangle(0, 20, 8, 28);
         t.RowLine(40, 0, 20);
       },
       {K::RunRects, K::Triangles}},
      {"runs over the triangle between",
       [](DrawQueueTest& t) {
         t.RowLine(2, 0, 20);
         t.Triangle(0, 20, 8, 28);
         t.RowLine(22, 0, 20);
       },
       {K::RunRects, K::Triangles, K::RunRects}},
      {"lines that are no runs stay lines among runs",
       [](DrawQueueTest& t) {
         t.RowLine(2, 0, 20);
         t.Steep(0, 10, 5, 30);
       },
       {K::RunRects, K::Lines}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    queue.Clear();
    c.draws(*this);
    EXPECT_EQ(Kinds(), c.groups);
  }
}

TEST_F(DrawQueueTest, ADrawWhoseClipMissesTheTargetIsNotQueued) {
  DrawSettings off = Plain();
  off.clip = PixelBounds{Width, 0, Width + 10, Height};
  EXPECT_FALSE(queue.Prepare(Primitive::TriangleList, std::vector<SourceVertex>{At(0, 0), At(8, 0), At(0, 8)}.data(), 3,
                             1, off, Width, Height));
  EXPECT_TRUE(queue.empty());
}

// Runs go out as run rectangles with their rows in the table, or as lines where the table
// cannot hold them.
TEST_F(DrawQueueTest, RunsBecomeRectanglesWhereTheTableCanHoldThem) {
  ASSERT_TRUE(RowLine(5, 2, 12));
  ASSERT_TRUE(RowLine(6, 2, 12));
  queue.Seal();
  ASSERT_EQ(Kinds(), std::vector<GroupKind>{GroupKind::RunRects});
  EXPECT_EQ(queue.group(0).vertices.size(), 6u) << "two rows of one look make one rectangle";
  const gl::GlVertex& corner = queue.group(0).vertices[0];
  EXPECT_EQ(corner.x, 1.5f);
  EXPECT_EQ(corner.y, 4.5f);
  ASSERT_GE(queue.table().size(), 2u);
  EXPECT_EQ(queue.table()[static_cast<std::size_t>(corner.tableOffset + 5)].run, gl::TableRun(2, 12));

  // On a target too wide for the table's 16-bit columns.
  queue.Clear();
  ASSERT_TRUE(RowLine(5, 2, 12, Plain(), gl::MaxRunColumn));
  EXPECT_EQ(Kinds(), std::vector<GroupKind>{GroupKind::Lines});

  // A table with room for one draw's rows: the next waits for a send; alone, a draw too large
  // for it goes as lines.
  queue.Clear();
  queue.SetTableLimit(Height);
  ASSERT_TRUE(RowLine(5, 2, 12));
  EXPECT_FALSE(RowLine(6, 2, 12));
  queue.Clear();
  EXPECT_TRUE(queue.Join());
  EXPECT_EQ(Kinds(), std::vector<GroupKind>{GroupKind::RunRects});
  queue.Clear();
  queue.SetTableLimit(Height - 1);
  ASSERT_TRUE(RowLine(5, 2, 12));
  EXPECT_EQ(Kinds(), std::vector<GroupKind>{GroupKind::Lines});
}

// An upload to a texture must wait for the queued draws that sample it, and only for them.
TEST_F(DrawQueueTest, TheQueueSaysWhichTexturesItsDrawsSample) {
  EXPECT_FALSE(queue.Samples(7));
  DrawSettings s = Plain();
  s.program.textured[1] = 1;
  s.textures[1] = 7;
  s.textures[2] = 8;  // bound but not sampled
  ASSERT_TRUE(Triangle(0, 0, 8, 8, s));
  EXPECT_TRUE(queue.Samples(7));
  EXPECT_FALSE(queue.Samples(8));
  queue.Clear();
  EXPECT_FALSE(queue.Samples(7));
}

}  // namespace
