// Gathers runs of one colour (disc rows, rectangle rows) for a loop the loop table names.
#pragma once

#include <cstdint>

#include "blit_op.h"

// Gathers runs and hands them to the loop a batch at a time, so that the loop's constants are
// set up once per batch rather than once per row.
class SolidRunBatch {
 public:
  SolidRunBatch(SolidRunsFn fn, std::uint32_t color, int p)
      : fn_(fn), color_(color), p_(static_cast<std::uint32_t>(p)) {}
  void Add(std::uint8_t* row, int count) {
    // The loop asks for the rest of a run's lines shortly before it; the first is asked for
    // now, while the caller is still working out the runs to come.
    __builtin_prefetch(row);
    runs_[n_++] = {row, count};
    if (n_ == kSize) Flush();
  }
  void Flush() {
    if (n_ != 0) fn_(runs_, n_, color_, p_);
    n_ = 0;
  }

 private:
  static constexpr int kSize = 64;
  SolidRunsFn fn_;
  std::uint32_t color_, p_;
  int n_ = 0;
  SolidRun runs_[kSize];
};
