// The run packer without a display: what its rectangles and row table draw, worked out pixel by
// pixel the way the programs for run rectangles draw it, must be what drawing each run by itself
// in the order it came gives.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "gl_run_packer.h"

namespace {

using gl::GlVertex;
using gl::Run;
using gl::RunPacker;

constexpr int Width = 64, Height = 48;

// One pixel written: what the program gets to colour it with.
struct Write {
  std::uint32_t colour;
  float u;
  int variant;
  bool operator==(const Write&) const = default;
};
// The writes each pixel of each group gets, in order, keyed by (group, row, column).
using Writes = std::map<std::tuple<std::size_t, int, int>, std::vector<Write>>;

struct Draw {
  std::size_t group;
  int variant;
  std::vector<Run> runs;
  std::vector<GlVertex> looks;
};

GlVertex Look(std::uint32_t colour, float u = 0) {
  GlVertex v{};
  v.diffuse = colour;
  v.u0 = u;
  return v;
}

// Runs of one look each, in the order given: {row, left, right, look}.
Draw MakeDraw(std::size_t group, std::vector<Run> runs, std::vector<GlVertex> looks, int variant = 0) {
  return Draw{group, variant, std::move(runs), std::move(looks)};
}

// A filled disc's rows in the order the midpoint walk gives them, each row once: middle, top
// and bottom in turn. Clipped to the target.
std::vector<Run> Disc(int cx, int cy, int r, std::uint32_t look = 0) {
  std::vector<Run> rows;
  std::vector<bool> drawn(Height, false);
  const auto row = [&](int y, int half) {
    const int left = std::max(cx - half, 0), right = std::min(cx + half + 1, Width);
    if (y < 0 || y >= Height || left >= right || drawn[y]) return;
    drawn[y] = true;
    rows.push_back(Run{y, left, right, look});
  };
  int x = r, y = 0, d = 1 - r;
  while (y <= x) {
    row(cy + y, x);
    if (y != 0) row(cy - y, x);
    if (x != y) {
      row(cy + x, y);
      row(cy - x, y);
    }
    ++y;
    if (d < 0) {
      d += 2 * y + 1;
    } else {
      --x;
      d += 2 * (y - x) + 1;
    }
  }
  return rows;
}

void DrawOneByOne(const Draw& draw, Writes& out) {
  for (const Run& run : draw.runs) {
    const GlVertex& look = draw.looks[run.look];
    for (int x = run.left; x < run.right; ++x) {
      out[{draw.group, run.row, x}].push_back(Write{look.diffuse, look.u0, draw.variant});
    }
  }
}

// What the packed rectangles draw: each covers exactly its pixels, and on each row draws the
// pixels of its run and its upper run, the upper run's colour where it has one.
Writes DrawPacked(const RunPacker& packer) {
  Writes out;
  const auto inside = [](std::int32_t run, int x) { return x >= (run & 0xFFFF) && x < (run >> 16); };
  for (const gl::RunRect& r : packer.rects()) {
    const GlVertex& look = packer.looks()[r.look];
    for (int y = r.top; y <= r.bottom; ++y) {
      const std::size_t index = r.tableRow + static_cast<std::size_t>(y - r.top);
      EXPECT_LT(index, packer.table().size());
      if (index >= packer.table().size()) return out;
      const gl::TableRow& row = packer.table()[index];
      for (int x = r.left; x < r.right; ++x) {
        const bool upper = inside(row.upperRun, x);
        if (!upper && !inside(row.run, x)) continue;
        const std::uint32_t colour = upper ? static_cast<std::uint32_t>(row.upperColour) : look.diffuse;
        out[{r.group, y, x}].push_back(Write{colour, look.u0, look.variant});
      }
    }
  }
  return out;
}

std::string Where(const std::tuple<std::size_t, int, int>& key) {
  return "group " + std::to_string(std::get<0>(key)) + ", row " + std::to_string(std::get<1>(key)) + ", column " +
         std::to_string(std::get<2>(key));
}

// Without replacing draws every write must come out, once and in order. A replacing queue may
// fold a run and the one it covers into one write: there each pixel must end the same.
void ExpectSamePixels(const Writes& expected, const Writes& packed, bool replaces, const std::string& what) {
  ASSERT_EQ(expected.size(), packed.size()) << what << ": pixels drawn";
  for (const auto& [key, writes] : expected) {
    const auto found = packed.find(key);
    ASSERT_NE(found, packed.end()) << what << ": " << Where(key) << " not drawn";
    if (replaces) {
      ASSERT_EQ(writes.back(), found->second.back()) << what << ": " << Where(key) << " ends otherwise";
      ASSERT_LE(found->second.size(), writes.size()) << what << ": " << Where(key) << " drawn too often";
    } else {
      ASSERT_EQ(writes, found->second) << what << ": " << Where(key) << " drawn otherwise";
    }
  }
}

struct Queue {
  const char* name;
  bool replaces;
  std::vector<Draw> draws;
};

// Packs a queue's draws in one go and compares; returns the packer for further looks.
void PackAndCompare(RunPacker& packer, const Queue& queue) {
  Writes expected;
  for (const Draw& draw : queue.draws) {
    packer.Add(draw.group, draw.runs, draw.looks, draw.variant, queue.replaces);
    DrawOneByOne(draw, expected);
  }
  const std::size_t rowsBefore = packer.tableRows();
  packer.Pack();
  EXPECT_LE(packer.table().size(), std::max(rowsBefore, packer.tableLimit())) << queue.name << ": table grew";
  ExpectSamePixels(expected, DrawPacked(packer), queue.replaces, queue.name);
}

std::vector<Queue> Cases() {
  const GlVertex white = Look(0xFFFFFFFF), red = Look(0xFFFF0000), blue = Look(0xFF0000FF);
  std::vector<Queue> cases;
  cases.push_back({"one run", false, {MakeDraw(0, {{3, 2, 9, 0}}, {white})}});
  cases.push_back({"a disc in walk order", false, {MakeDraw(0, Disc(30, 20, 12), {white})}});
  cases.push_back({"a disc cut by the target's edges", false, {MakeDraw(0, Disc(2, 45, 9), {white})}});
  // A ring's two arcs on each row, then its fill: two looks sharing every row.
  std::vector<Run> ring;
  std::vector<Run> fill;
  for (int y = 10; y < 20; ++y) {
    ring.push_back({y, 10, 12, 0});
    ring.push_back({y, 28, 30, 0});
    fill.push_back({y, 12, 28, 0});
  }
  cases.push_back({"a ring then its fill", false, {MakeDraw(0, ring, {red}), MakeDraw(0, fill, {blue})}});
  // A ball: a disc and a smaller one of another colour on it.
  const Queue ball{"a ball", true, {MakeDraw(0, Disc(30, 24, 14), {red}), MakeDraw(0, Disc(27, 21, 6), {white})}};
  cases.push_back(ball);
  cases.push_back({"a ball, blended", false, ball.draws});
  cases.push_back({"a ball of two variants",
                   true,
                   {MakeDraw(0, Disc(30, 24, 14), {red}), MakeDraw(0, Disc(27, 21, 6), {white}, 1)}});
  cases.push_back({"runs over each other on one row",
                   false,
                   {MakeDraw(0, {{5, 0, 20, 0}, {5, 10, 30, 0}, {5, 5, 8, 0}, {6, 0, 40, 0}}, {white})}});
  cases.push_back({"runs over each other on one row, replacing",
                   true,
                   {MakeDraw(0, {{5, 0, 20, 0}, {5, 10, 30, 0}}, {white}), MakeDraw(0, {{5, 2, 18, 0}}, {red}),
                    MakeDraw(0, {{5, 3, 4, 0}}, {blue})}});
  cases.push_back({"an upper run wider than the run below it",
                   true,
                   {MakeDraw(0, {{8, 0, 30, 0}, {9, 10, 12, 0}}, {red}), MakeDraw(0, {{9, 5, 25, 0}}, {white})}});
  cases.push_back(
      {"looks alternating on shared rows",
       false,
       {MakeDraw(0, {{1, 0, 10, 0}, {1, 5, 15, 1}, {2, 0, 10, 0}, {2, 5, 15, 1}, {1, 8, 9, 0}}, {red, blue}),
        MakeDraw(0, {{1, 0, 20, 0}, {2, 0, 20, 1}}, {blue, red})}});
  cases.push_back({"same colour, other texture coordinates",
                   true,
                   {MakeDraw(0, Disc(20, 20, 8), {Look(0xFFFFFFFF, 0.5f)}), MakeDraw(0, Disc(20, 20, 4), {white})}});
  cases.push_back({"two groups interleaved",
                   false,
                   {MakeDraw(0, Disc(15, 15, 10), {red}), MakeDraw(1, Disc(15, 15, 10), {red}),
                    MakeDraw(0, Disc(18, 18, 10), {blue}), MakeDraw(1, Disc(12, 12, 5), {red})}});
  return cases;
}

TEST(RunPackerTest, PackedRectanglesDrawEachPixelOnceInOrder) {
  for (const Queue& queue : Cases()) {
    RunPacker packer;
    packer.SetTableLimit(1 << 22);
    PackAndCompare(packer, queue);
  }
}

// The packing is worth its rows only if a disc and a ball become one rectangle each.
TEST(RunPackerTest, ADiscAndABallEndAsOneRectangle) {
  for (const bool ball : {false, true}) {
    RunPacker packer;
    packer.SetTableLimit(1 << 22);
    packer.Add(0, Disc(30, 24, 14), {Look(0xFFFF0000)}, 0, true);
    if (ball) packer.Add(0, Disc(27, 21, 6), {Look(0xFFFFFFFF)}, 0, true);
    packer.Pack();
    ASSERT_EQ(packer.rects().size(), 1u) << (ball ? "ball" : "disc");
    const auto upper = std::count_if(packer.table().begin(), packer.table().end(),
                                     [](const gl::TableRow& row) { return row.upperRun != 0; });
    EXPECT_EQ(upper > 0, ball);
  }
}

// The packer is used again and again: what one queue left must not change the next.
TEST(RunPackerTest, AClearedPackerPacksTheNextQueueAlike) {
  RunPacker packer;
  packer.SetTableLimit(1 << 22);
  for (const Queue& queue : Cases()) {
    PackAndCompare(packer, queue);
    packer.Clear();
  }
}

// Random queues: discs and loose runs of a few looks and variants, in one to three groups,
// replacing or not, and tables of every size, the renderer's rule for when a draw's runs still
// fit applied as it applies it (a flush when they do not).
TEST(RunPackerTest, RandomQueuesDrawEachPixelOnceInOrder) {
  std::mt19937 random(29);
  const auto pick = [&random](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
  const std::uint32_t palette[] = {0xFFFFFFFF, 0xFFFF0000, 0x800000FF};
  for (int round = 0; round < 400; ++round) {
    RunPacker packer;
    // Small tables hold a few draws' worth of rows (the renderer's bound, a target's height per
    // run) before a flush.
    const std::size_t limit = pick(0, 2) == 0 ? static_cast<std::size_t>(pick(Height, 60 * Height)) : 1u << 22;
    packer.SetTableLimit(limit);
    const bool replaces = pick(0, 1) == 1;
    const int groups = pick(1, 3);
    Writes expected;
    const std::string name = "round " + std::to_string(round);
    const auto flush = [&] {
      packer.Pack();
      EXPECT_LE(packer.table().size(), limit) << name;
      ExpectSamePixels(expected, DrawPacked(packer), replaces, name);
      packer.Clear();
      expected.clear();
    };
    const int draws = pick(1, 12);
    for (int d = 0; d < draws && !HasFatalFailure(); ++d) {
      Draw draw{static_cast<std::size_t>(pick(0, groups - 1)), pick(0, 1), {}, {}};
      const int looks = pick(1, 3);
      for (int l = 0; l < looks; ++l) draw.looks.push_back(Look(palette[pick(0, 2)], pick(0, 3) == 0 ? 0.5f : 0.0f));
      if (pick(0, 1) == 0) {
        draw.runs = Disc(pick(-4, Width + 4), pick(-4, Height + 4), pick(0, 14),
                         static_cast<std::uint32_t>(pick(0, looks - 1)));
      } else {
        const int runs = pick(1, 20);
        std::uint32_t look = 0;
        for (int k = 0; k < runs; ++k) {
          if (pick(0, 4) == 0) look = static_cast<std::uint32_t>(pick(0, looks - 1));
          const int left = pick(0, Width - 1);
          draw.runs.push_back({pick(0, Height - 1), left, std::min(Width, left + pick(1, 24)), look});
        }
      }
      if (draw.runs.empty()) continue;
      const std::size_t mostRows = draw.runs.size() * static_cast<std::size_t>(Height);
      if (packer.tableRows() + mostRows > limit) flush();
      if (packer.tableRows() + mostRows > limit) continue;  // the renderer draws these as lines
      packer.Add(draw.group, draw.runs, draw.looks, draw.variant, replaces);
      DrawOneByOne(draw, expected);
    }
    flush();
    if (HasFatalFailure()) return;
  }
}

}  // namespace
