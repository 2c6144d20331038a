// Circles against a plain midpoint walk: jumping over the steps that hand nothing over, and
// handing each disc row over once without remembering rows, must leave exactly the points and
// spans of the walk that takes every step and keeps each row's first visit. Checked on the
// walk itself and on what the hardware back-end sends to the recording device.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "fake_d3d9.h"
#include "graphics/draw_state.h"
#include "graphics/circle_walk.h"
#include "recording_device_fixture.h"
#include "vornek.h"

namespace {

using Vertex = std::pair<long long, long long>;

struct Area {
  long long left, top, right, bottom;
  bool Holds(long long x, long long y) const { return x >= left && x < right && y >= top && y < bottom; }
};

// The nearest and farthest offsets from centre of the lines low to high − 1. The walk stops
// once it can reach no more: a step's offsets are x ≤ y, x growing and y falling, and a point
// needs one of them among the columns and the other among the rows; a disc's rows lie x and
// y rows away.
long long NearestOffset(long long centre, long long low, long long high) {
  return centre < low ? low - centre : centre >= high ? centre - high + 1 : 0;
}
long long FarthestOffset(long long centre, long long low, long long high) {
  return std::max({0LL, high - 1 - centre, centre - low});
}

// The midpoint outline: four points on the axes, then eight per step of the octant.
std::vector<Vertex> ModelOutline(long long cx, long long cy, long long r, const Area& a) {
  std::vector<Vertex> points;
  auto plot = [&](long long x, long long y) {
    if (a.Holds(x, y)) points.emplace_back(x, y);
  };
  plot(cx - r, cy);
  plot(cx + r, cy);
  plot(cx, cy + r);
  plot(cx, cy - r);
  const long long farX = std::min(FarthestOffset(cx, a.left, a.right), FarthestOffset(cy, a.top, a.bottom));
  const long long nearY = std::min(NearestOffset(cx, a.left, a.right), NearestOffset(cy, a.top, a.bottom));
  circle_walk::Octant walk(r);
  while (walk.x <= farX && walk.y >= nearY) {
    if (!walk.Step()) break;
    const long long x = walk.x, y = walk.y;
    for (const Vertex& p : {Vertex{x, y}, Vertex{y, x}}) {
      plot(cx + p.first, cy + p.second);
      plot(cx - p.first, cy + p.second);
      plot(cx + p.first, cy - p.second);
      plot(cx - p.first, cy - p.second);
    }
  }
  return points;
}

// The midpoint disc as spans (left, row), (right + 1, row): each row once, the first visit wins.
std::vector<Vertex> ModelDisc(long long cx, long long cy, long long r, const Area& a) {
  std::vector<Vertex> spans;
  std::set<long long> drawn;
  auto row = [&](long long y, long long half) {
    if (y < a.top || y >= a.bottom || drawn.count(y) != 0) return;
    const long long from = std::max(cx - half, a.left), to = std::min(cx + half, a.right - 1);
    if (from > to) return;
    drawn.insert(y);
    spans.emplace_back(from, y);
    spans.emplace_back(to + 1, y);
  };
  circle_walk::Octant walk(r);
  row(cy, r);
  if (walk.Lowers()) {
    row(cy + r, 0);
    row(cy - r, 0);
  }
  const long long farX = FarthestOffset(cy, a.top, a.bottom), nearY = NearestOffset(cy, a.top, a.bottom);
  while (walk.x <= farX && walk.y >= nearY) {
    if (!walk.Step()) break;
    const long long x = walk.x, y = walk.y;
    row(cy + x, y);
    row(cy - x, y);
    if (walk.Lowers()) {
      row(cy + y, x);
      row(cy - y, x);
    }
  }
  return spans;
}

class HardwareCircleTest : public RecordingDeviceTest {
 protected:
  // Every vertex sent by DrawPrimitiveUP, in order.
  static std::vector<Vertex> SentVertices() {
    std::vector<Vertex> sent;
    for (const fake::D3dCall& draw : Draws()) {
      for (const fake::D3dVertex& v : draw.vertices) {
        sent.emplace_back(static_cast<long long>(v.x), static_cast<long long>(v.y));
      }
    }
    return sent;
  }
};

struct CircleCase {
  const char* name;
  int cx, cy, r;
  Area area;
};

// Areas that see an arc at each side, a corner, the whole circle, or nothing of it.
std::vector<CircleCase> Cases() {
  std::vector<CircleCase> cases = {
      {"radius 0", 40, 30, 0, {0, 0, 800, 600}},
      {"radius 1 on the edge", 0, 0, 1, {0, 0, 800, 600}},
      {"radius 2 half outside", 799, 300, 2, {0, 0, 800, 600}},
      {"small, left edge", 3, 50, 10, {0, 0, 100, 100}},
      {"small, corner", 95, 95, 12, {0, 0, 100, 100}},
      {"small, whole", 50, 50, 20, {10, 10, 90, 90}},
  };
  const Area box{100, 120, 300, 260};
  const int sizes[] = {1 << 15, 1 << 30, INT_MAX};
  for (const int r : sizes) {
    const int mid = 200, half = 190;
    // The circle's own extremes on the box's far sides, and its centre in the box.
    cases.push_back({"top arc", mid, static_cast<int>(std::min<long long>(INT_MAX, 130LL + r)), r, box});
    cases.push_back({"bottom arc", mid, static_cast<int>(std::max<long long>(INT_MIN, 250LL - r)), r, box});
    cases.push_back({"left arc", static_cast<int>(std::min<long long>(INT_MAX, 110LL + r)), half, r, box});
    cases.push_back({"right arc", static_cast<int>(std::max<long long>(INT_MIN, 290LL - r)), half, r, box});
    cases.push_back({"centre inside", mid, half, r, box});
  }
  // A corner and a miss need the plain walk up to 45 degrees: radii it can walk in a moment.
  for (const int r : {1 << 15, 1 << 20}) {
    const long long diagonal = static_cast<long long>(r / 1.41421356237);
    const int cx = static_cast<int>(200 - diagonal), cy = static_cast<int>(190 - diagonal);
    cases.push_back({"corner at 45 degrees", cx, cy, r, box});
    cases.push_back({"inside the square, outside the circle", static_cast<int>(300 - r + 20),
                     static_cast<int>(260 - r + 20), r, box});
  }
  return cases;
}

TEST_F(HardwareCircleTest, JumpedWalkSendsThePlainWalksPointsAndSpans) {
  Start();
  const int white = static_cast<int>(MakeColor(255, 255, 255));
  for (const CircleCase& c : Cases()) {
    for (int fill = 0; fill < 2; ++fill) {
      SCOPED_TRACE(std::string(c.name) + " r " + std::to_string(c.r) + (fill ? " disc" : " outline"));
      SetClipArea(static_cast<int>(c.area.left), static_cast<int>(c.area.top), static_cast<int>(c.area.right),
                  static_cast<int>(c.area.bottom));
      fake::ClearD3dCalls();
      DrawCircle(c.cx, c.cy, c.r, white, fill);
      const std::vector<Vertex> expected =
          fill ? ModelDisc(c.cx, c.cy, c.r, c.area) : ModelOutline(c.cx, c.cy, c.r, c.area);
      EXPECT_EQ(SentVertices(), expected);
    }
  }
}

// The walk itself, on areas around and inside small circles of every radius up to 60: the
// cases a jump or a row met twice can get wrong near the axes and the diagonal.
TEST(CircleWalkTest, HandsOverThePlainWalksPointsAndRows) {
  const Area areas[] = {{-100, -100, 200, 200}, {0, 0, 30, 30}, {31, 0, 64, 64}, {0, 40, 64, 41}, {45, 10, 46, 60}};
  for (long long r = 0; r <= 60; ++r) {
    for (const Area& a : areas) {
      SCOPED_TRACE("r " + std::to_string(r) + " area " + std::to_string(a.left) + "," + std::to_string(a.top));
      const circle_walk::Area area{a.left, a.top, a.right, a.bottom};
      std::vector<Vertex> points, spans;
      circle_walk::WalkOutline(30, 30, r, area, [&](long long x, long long y) { points.emplace_back(x, y); });
      circle_walk::WalkDisc(30, 30, r, area, [&](long long y, long long left, long long right) {
        spans.emplace_back(left, y);
        spans.emplace_back(right, y);
      });
      EXPECT_EQ(points, ModelOutline(30, 30, r, a));
      EXPECT_EQ(spans, ModelDisc(30, 30, r, a));
    }
  }
}

// The closed form of the walk's y against the walk itself, for every step of many radii.
TEST(CircleWalkTest, JumpMatchesTheWalkUpToTheLastExactStep) {
  for (long long r = 1; r <= 3000; ++r) {
    const circle_walk::OctantJump jump(r);
    circle_walk::Octant walk(r);
    do {
      if (walk.x <= jump.LastExact()) {
        ASSERT_EQ(jump.YAt(walk.x), walk.y) << "r " << r << " x " << walk.x;
        circle_walk::Octant jumped(r);
        jumped.x = -1;
        jump.MoveTo(walk.x, &jumped);
        ASSERT_EQ(jumped.d, walk.d) << "r " << r << " x " << walk.x;
      }
    } while (walk.Step());
    // The closed form holds to within two steps of the end of the walk.
    EXPECT_GE(jump.LastExact() + 3, walk.x) << "r " << r;
  }
}

}  // namespace
