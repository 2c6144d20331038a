// Runs of pixels along rows packed into run rectangles, with no OpenGL in sight: runs and their
// looks come in, draw by draw; rectangles and the row table come out (see gl_renderer.h for
// what the programs do with them). The rule it keeps: every pixel a run covers is drawn once by
// the rectangles, and a pixel that several runs of one group cover gets them in the order they
// came. Two things make that hold:
// - a run joins a rectangle only when that rectangle and every later one of the group hold
//   nothing on its row (the row remembers the serial of the last rectangle that holds it);
// - an upper run (one that replaces the pixels it covers and differs from the run below it in
//   colour alone) goes into the rectangle that holds its row last, above the run there.
// Pack then moves the runs of a rectangle into an earlier one of the same look where no row of
// it is held by anything in between, so that a disc, whose rows come middle, top and bottom in
// turn, ends as one rectangle.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "gl_geometry.h"

namespace gl {

// The row table keeps a run's ends in 16 bits each: targets at least this wide draw their runs
// as lines instead.
constexpr int MaxRunColumn = 1 << 15;

// A run as the row table holds it: its first pixel in the low 16 bits, the one after its last in
// the high ones. A row without a run holds 0 (an empty run).
constexpr std::int32_t TableRun(int left, int right) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(left) | (static_cast<std::uint32_t>(right) << 16));
}

// One row of the table, as the programs fetch it (four 32-bit integers).
struct TableRow {
  std::int32_t run;          // TableRun of the rectangle's run on the row
  std::int32_t upperRun;     // TableRun of its upper run, drawn instead where both cover a pixel
  std::int32_t upperColour;  // ARGB of the upper run
  std::int32_t unused;
};

// A run rectangle: at most one run and one upper run on each of its rows top..bottom, all its
// pixels in columns left..right - 1, drawn with look `look` (the upper runs with their own
// colour). It belongs to a group of the draw queue and is drawn in that group, in list order.
struct RunRect {
  std::size_t group;
  std::uint32_t look;    // index of looks()
  std::uint32_t serial;  // rectangles made later have larger ones
  int top, bottom, left, right;
  std::int64_t pixels;   // of its runs, not of its upper runs
  std::size_t tableRow;  // where its rows start in the table, once packed
  std::int64_t rows() const { return static_cast<std::int64_t>(bottom) - top + 1; }
};

// The rasteriser pays for every pixel of a rectangle, drawn or discarded. A rectangle may shade
// up to ShadedPerRunPixel pixels for each pixel of its runs, and SmallRectSlack more, so that
// small rectangles (a short run, a small disc's rim) still join: each rectangle saved is two
// triangles' set-up.
constexpr std::int64_t ShadedPerRunPixel = 2;
constexpr std::int64_t SmallRectSlack = 64;

// A rectangle of width × height holding `pixels` run pixels would shade too many it then discards.
constexpr bool TooSparse(std::int64_t width, std::int64_t height, std::int64_t pixels) {
  return width * height > ShadedPerRunPixel * pixels + SmallRectSlack;
}

class RunPacker {
 public:
  // The most rows the table may hold (the driver's limit on a buffer texture).
  void SetTableLimit(std::size_t rows) { tableLimit_ = rows; }
  std::size_t tableLimit() const { return tableLimit_; }
  // Rows the queued rectangles need in the table; Pack never makes it larger.
  std::size_t tableRows() const { return tableRows_; }
  bool empty() const { return rects_.empty(); }

  // Adds one draw's runs, in order, at the end of `group`, each drawn with its look in `looks`
  // given the draw's variant. `replaces`: the draw replaces the pixels it covers whatever they
  // were (no blending, no alpha test), so a run may be kept as an upper run.
  void Add(std::size_t group, const std::vector<Run>& runs, const std::vector<GlVertex>& looks, int variant,
           bool replaces);
  // Merges rectangles, gives each its place in the table and fills the table. rects(), looks()
  // and table() then hold the result until Clear.
  void Pack();
  const std::vector<RunRect>& rects() const { return rects_; }
  const std::vector<GlVertex>& looks() const { return looks_; }
  const std::vector<TableRow>& table() const { return table_; }
  // Forgets the queued runs and rectangles.
  void Clear();

 private:
  // A run placed in a rectangle: on the row, the pixels left..right - 1.
  struct Placed {
    int row, left, right;
    std::size_t rect;  // index in rects_
    std::uint32_t upperColour;
    bool upper;
  };
  // The index of a look in looks_, added when new.
  std::uint32_t Look(const GlVertex& look);
  void GrowRows(int row);
  bool AddUpper(std::size_t group, std::uint32_t look, const Run& run);
  // Lists the placed runs rectangle by rectangle: those of rect r are
  // order_[runsOfRect_[r]] up to before order_[runsOfRect_[r + 1]].
  void SortByRect();
  void Merge();
  // Drops the rectangles Merge emptied.
  void KeepMerged();

  std::size_t tableLimit_ = 0;
  std::size_t tableRows_ = 0;
  std::vector<RunRect> rects_;  // in the order they were made
  std::vector<Placed> placed_;
  std::vector<GlVertex> looks_;
  std::vector<TableRow> table_;
  std::vector<std::uint32_t> lookIds_;  // Add's: the draw's looks in looks_
  // Per target row: the serial of the latest rectangle holding a run on it, its index in rects_,
  // and that serial again once the rectangle holds an upper run there.
  std::vector<std::uint32_t> rowSerial_;
  std::vector<std::size_t> rowRect_;
  std::vector<std::uint32_t> rowUpper_;
  std::uint32_t nextSerial_ = 1;
  // Working lists of Merge, kept for their storage.
  std::vector<std::size_t> runsOfRect_, order_, rectIndex_, mergedInto_, kept_;
  std::vector<std::int64_t> rowHolder_;
};

}  // namespace gl
