#include "gl_run_packer.h"

#include <algorithm>

namespace gl {

namespace {

bool SameLook(const GlVertex& a, const GlVertex& b) { return SameAttributes(a, b) && a.variant == b.variant; }

// Looks one rectangle can draw, its runs in one and its upper runs in the other.
bool SameButColour(const GlVertex& a, const GlVertex& b) {
  GlVertex c = b;
  c.diffuse = a.diffuse;
  return SameLook(a, c);
}

// The looks of a frame are few and come back in turn (a ring, then its fill); a look seen
// longer ago is kept again, which costs only a merge that might have been.
constexpr std::size_t LooksLookedAt = 8;
// A run may join one of the last few rectangles of its group: a disc's runs alternate between
// the rows near its middle and those near its top and bottom, which fill rectangles of their own.
constexpr int RectsLookedAtPerRun = 8;
// Pack looks further back: by then each rectangle is a whole band of a disc.
constexpr std::size_t RectsLookedAtPerMerge = 16;
// Serials only grow while rows remember them; start again long before they would wrap.
constexpr std::uint32_t SerialRestart = 0xF0000000u;

}  // namespace

std::uint32_t RunPacker::Look(const GlVertex& look) {
  for (std::size_t i = looks_.size(), looked = 0; i-- > 0 && looked < LooksLookedAt; ++looked) {
    if (SameLook(looks_[i], look)) return static_cast<std::uint32_t>(i);
  }
  looks_.push_back(look);
  return static_cast<std::uint32_t>(looks_.size() - 1);
}

void RunPacker::GrowRows(int row) {
  const std::size_t rows = static_cast<std::size_t>(row) + 1;
  if (rowSerial_.size() >= rows) return;
  rowSerial_.resize(rows, 0);
  rowRect_.resize(rows, 0);
  rowUpper_.resize(rows, 0);
}

bool RunPacker::AddUpper(std::size_t group, std::uint32_t look, const Run& run) {
  const std::uint32_t serial = rowSerial_[run.row];
  if (serial == 0 || rowUpper_[run.row] == serial) return false;
  const std::size_t k = rowRect_[run.row];
  if (k >= rects_.size()) return false;
  const RunRect& r = rects_[k];
  // The rectangle holds the row last: the run comes right after its run there.
  if (r.serial != serial || r.group != group || run.left < r.left || run.right > r.right) return false;
  if (!SameButColour(looks_[r.look], looks_[look])) return false;
  rowUpper_[run.row] = serial;
  placed_.push_back(Placed{run.row, run.left, run.right, k, looks_[look].diffuse, true});
  return true;
}

void RunPacker::Add(std::size_t group, const std::vector<Run>& runs, const std::vector<GlVertex>& looks, int variant,
                    bool replaces) {
  int lastRow = -1;
  for (const Run& run : runs) lastRow = std::max(lastRow, run.row);
  if (lastRow >= 0) GrowRows(lastRow);
  lookIds_.clear();
  for (GlVertex look : looks) {
    look.variant = variant;
    look.tableOffset = 0;
    lookIds_.push_back(Look(look));
  }
  for (const Run& run : runs) {
    const std::uint32_t look = lookIds_[run.look];
    if (replaces && AddUpper(group, look, run)) continue;
    const std::int64_t runPixels = run.right - run.left;
    const std::uint32_t rowSerial = rowSerial_[run.row];
    std::size_t best = rects_.size();
    std::int64_t bestWaste = 0;
    int looked = 0;
    for (std::size_t k = rects_.size(); k-- > 0 && looked < RectsLookedAtPerRun; ++looked) {
      const RunRect& r = rects_[k];
      // The row is drawn by this rectangle or a later one: the run must come after them all.
      if (r.group != group || rowSerial >= r.serial) break;
      if (r.look != look) continue;
      const std::int64_t width = std::max(r.right, run.right) - std::min(r.left, run.left);
      const std::int64_t height = std::max(r.bottom, run.row) - std::min(r.top, run.row) + 1;
      const std::int64_t pixels = r.pixels + runPixels;
      if (TooSparse(width, height, pixels)) continue;
      const std::int64_t waste = width * height - pixels;
      if (best == rects_.size() || waste < bestWaste) {
        best = k;
        bestWaste = waste;
      }
    }
    if (best == rects_.size()) {
      rects_.push_back(RunRect{group, look, nextSerial_++, run.row, run.row, run.left, run.right, 0, 0});
      ++tableRows_;
    } else {
      RunRect& r = rects_[best];
      const int top = std::min(r.top, run.row), bottom = std::max(r.bottom, run.row);
      tableRows_ += static_cast<std::size_t>((bottom - top) - (r.bottom - r.top));
      r.top = top;
      r.bottom = bottom;
      r.left = std::min(r.left, run.left);
      r.right = std::max(r.right, run.right);
    }
    RunRect& r = rects_[best];
    r.pixels += runPixels;
    rowSerial_[run.row] = r.serial;
    rowRect_[run.row] = best;
    placed_.push_back(Placed{run.row, run.left, run.right, best, 0, false});
  }
}

void RunPacker::SortByRect() {
  const std::size_t count = rects_.size();
  runsOfRect_.assign(count + 1, 0);
  for (const Placed& run : placed_) ++runsOfRect_[run.rect + 1];
  for (std::size_t r = 0; r < count; ++r) runsOfRect_[r + 1] += runsOfRect_[r];
  rectIndex_.assign(runsOfRect_.begin(), runsOfRect_.end() - 1);  // where each rect's next run goes
  order_.resize(placed_.size());
  for (std::size_t i = 0; i < placed_.size(); ++i) order_[rectIndex_[placed_[i].rect]++] = i;
}

void RunPacker::Merge() {
  const std::size_t count = rects_.size();
  if (count < 2) return;
  SortByRect();
  // rowHolder_[row]: the latest place in drawing order (a kept rectangle's index) that draws a
  // run on the row. A rectangle may move its runs into an earlier kept one only when nothing at
  // or after that one draws on its rows, so no pixel changes its order.
  rowHolder_.assign(rowSerial_.size(), -1);
  mergedInto_.assign(count, 0);
  kept_.clear();
  // The table's rows, which a merge may grow by the rows between the two rectangles.
  std::int64_t tableRows = 0;
  for (const RunRect& r : rects_) tableRows += r.rows();
  for (std::size_t b = 0; b < count; ++b) {
    const RunRect& rect = rects_[b];
    std::int64_t latest = -1;
    for (std::size_t k = runsOfRect_[b]; k < runsOfRect_[b + 1]; ++k) {
      latest = std::max(latest, rowHolder_[static_cast<std::size_t>(placed_[order_[k]].row)]);
    }
    std::size_t best = count;
    std::int64_t bestWaste = 0;
    std::size_t looked = 0;
    for (std::size_t k = kept_.size(); k-- > 0 && looked < RectsLookedAtPerMerge; ++looked) {
      const std::size_t a = kept_[k];
      if (static_cast<std::int64_t>(a) <= latest) break;
      const RunRect& into = rects_[a];
      if (into.group != rect.group || into.look != rect.look) continue;
      const std::int64_t width = std::max(into.right, rect.right) - std::min(into.left, rect.left);
      const std::int64_t height = std::max(into.bottom, rect.bottom) - std::min(into.top, rect.top) + 1;
      const std::int64_t pixels = into.pixels + rect.pixels;
      if (TooSparse(width, height, pixels)) continue;
      if (tableRows + height - into.rows() - rect.rows() > static_cast<std::int64_t>(tableLimit_)) continue;
      const std::int64_t waste = width * height - pixels;
      if (best == count || waste < bestWaste) {
        best = a;
        bestWaste = waste;
      }
    }
    if (best == count) {
      kept_.push_back(b);
      mergedInto_[b] = b;
    } else {
      RunRect& into = rects_[best];
      tableRows -= into.rows() + rect.rows();
      into.top = std::min(into.top, rect.top);
      into.bottom = std::max(into.bottom, rect.bottom);
      into.left = std::min(into.left, rect.left);
      into.right = std::max(into.right, rect.right);
      into.pixels += rect.pixels;
      tableRows += into.rows();
      mergedInto_[b] = best;
    }
    for (std::size_t k = runsOfRect_[b]; k < runsOfRect_[b + 1]; ++k) {
      rowHolder_[static_cast<std::size_t>(placed_[order_[k]].row)] = static_cast<std::int64_t>(mergedInto_[b]);
    }
  }
  if (kept_.size() < count) KeepMerged();
}

void RunPacker::KeepMerged() {
  rectIndex_.assign(rects_.size(), 0);  // a kept rectangle's new index
  for (std::size_t i = 0; i < kept_.size(); ++i) {
    rectIndex_[kept_[i]] = i;
    rects_[i] = rects_[kept_[i]];  // i <= the old index: nothing unread is overwritten
  }
  rects_.resize(kept_.size());
  for (Placed& run : placed_) run.rect = rectIndex_[mergedInto_[run.rect]];
}

void RunPacker::Pack() {
  table_.clear();
  if (rects_.empty()) return;
  Merge();
  std::size_t rows = 0;
  for (RunRect& r : rects_) {
    r.tableRow = rows;
    rows += static_cast<std::size_t>(r.rows());
  }
  table_.assign(rows, TableRow{});  // rows without a run: an empty one
  for (const Placed& run : placed_) {
    const RunRect& r = rects_[run.rect];
    TableRow& entry = table_[r.tableRow + static_cast<std::size_t>(run.row - r.top)];
    if (run.upper) {
      entry.upperRun = TableRun(run.left, run.right);
      entry.upperColour = static_cast<std::int32_t>(run.upperColour);
    } else {
      entry.run = TableRun(run.left, run.right);
    }
  }
}

void RunPacker::Clear() {
  rects_.clear();
  placed_.clear();
  looks_.clear();
  tableRows_ = 0;
  if (nextSerial_ > SerialRestart) {
    std::fill(rowSerial_.begin(), rowSerial_.end(), 0);
    std::fill(rowUpper_.begin(), rowUpper_.end(), 0);
    nextSerial_ = 1;
  }
}

}  // namespace gl
