#include "loop_table.h"

#include <cstdlib>
#include <cstring>
#include <span>

#include "channel_tables.h"

namespace {

enum class Width : std::uint8_t { Avx2, Sse2, General };

constexpr std::uint32_t Bit(TargetLayout layout) { return 1u << static_cast<int>(layout); }
constexpr std::uint32_t Bit(BlendOp op) { return 1u << static_cast<int>(op); }
constexpr std::uint32_t Bit(SoftOperation operation) { return 1u << static_cast<int>(operation); }
constexpr std::uint32_t kRuns = Bit(SoftOperation::Fill) | Bit(SoftOperation::DiscRows);
constexpr std::uint32_t kAnyOperation = ~0u;

constexpr std::uint32_t kImageTargets = Bit(TargetLayout::Rgb32) | Bit(TargetLayout::Rgb565);
constexpr std::uint32_t k565Targets = Bit(TargetLayout::Rgb565) | Bit(TargetLayout::Rgb565WithAlpha);
constexpr std::uint32_t kAnyTarget = ~0u;
constexpr std::uint32_t kAnyOp = ~0u;
// The 5:6:5 mixes that have channel tables.
constexpr std::uint32_t TabulatedOps() {
  std::uint32_t ops = 0;
  for (int i = 0; i < static_cast<int>(BlendOp::Count); ++i) {
    if (IsTabulated(static_cast<BlendOp>(i))) ops |= Bit(static_cast<BlendOp>(i));
  }
  return ops;
}
constexpr std::uint32_t kTabulatedOps = TabulatedOps();

struct LoopRow {
  Width width;
  std::uint32_t operations;    // bit per SoftOperation
  std::uint32_t destinations;  // bit per TargetLayout
  std::uint32_t ops;           // bit per BlendOp
  std::uint8_t options;        // every one of these set in the key
  AnyLoop (*instance)(const LoopKey&);
};

AnyLoop GeneralInstance(const LoopKey& key);

using namespace loop_instances;

// The rows, checked in order; the first that covers a key and has an instance for it names
// the loop. Wide machines start at the first row, others at the first SSE2 row, and
// VORNEK_SOFT_GENERAL at the last, which serves every key and is the loop the tests hold the
// others against.
//
// To add a fast path: write its loop, a function beside it that returns the instance for a key
// (null where it has none), and one row here, in the section of the instruction set it needs
// and above any row that would take its keys. Nothing else changes: the tests and their
// general-path run reach it through the same lookup.
constexpr LoopRow kRows[] = {
    // AVX2: 256-bit register groups.
    {Width::Avx2, Bit(SoftOperation::Blit), kImageTargets, kAnyOp, 0, &WideBlits},
    // Plain rectangle fills are left to the C library's fill, in the SSE2 section.
    {Width::Avx2, Bit(SoftOperation::Fill), kImageTargets, kAnyOp & ~Bit(BlendOp::Copy), 0, &WideSolidRuns},
    {Width::Avx2, Bit(SoftOperation::DiscRows), kImageTargets, kAnyOp, 0, &WideSolidRuns},
    // SSE2, every x86-64 processor: 128-bit groups, and the scalar shortcuts.
    {Width::Sse2, Bit(SoftOperation::Blit), kImageTargets, kAnyOp, 0, &Blits},
    {Width::Sse2, Bit(SoftOperation::Fill), kImageTargets, Bit(BlendOp::Copy), 0, &PlainFillRuns},
    {Width::Sse2, kRuns, kImageTargets, kAnyOp, 0, &SolidRuns},
    {Width::Sse2, Bit(SoftOperation::Line), k565Targets, kTabulatedOps, kLongOption, &TabulatedLines},
    {Width::Sse2, Bit(SoftOperation::Circle), k565Targets, kTabulatedOps, kLongOption, &TabulatedCircles},
    // Every operation pixel by pixel.
    {Width::General, kAnyOperation, kAnyTarget, kAnyOp, 0, &GeneralInstance},
};

constexpr std::size_t FirstRowOf(Width width) {
  std::size_t i = 0;
  while (i < std::size(kRows) && kRows[i].width != width) ++i;
  return i;
}

static_assert(FirstRowOf(Width::General) == std::size(kRows) - 1, "the general row is the last");

bool Covers(const LoopRow& row, const LoopKey& key) {
  return (row.operations & Bit(key.operation)) && (row.destinations & Bit(key.destination)) &&
         (row.ops & Bit(key.op)) && (key.options & row.options) == row.options;
}

AnyLoop GeneralInstance(const LoopKey& key) {
  switch (key.operation) {
    case SoftOperation::Blit:
      return GeneralBlits(key);
    case SoftOperation::Fill:
    case SoftOperation::DiscRows:
      return GeneralSolidRuns(key);
    case SoftOperation::Line:
      return GeneralLines(key);
    case SoftOperation::Circle:
      return GeneralCircles(key);
  }
  return nullptr;
}

bool WideLoopsAvailable() {
  // The compiler's check covers both the instruction set and the system saving the registers.
  static const bool available = __builtin_cpu_supports("avx2");
  return available;
}

bool GeneralLoopsOnly() {
  static const bool general = [] {
    const char* value = std::getenv("VORNEK_SOFT_GENERAL");
    return value != nullptr && value[0] != '\0' && std::strcmp(value, "0") != 0;
  }();
  return general;
}

std::span<const LoopRow> ChosenRows() {
  switch (ChosenLoopSet()) {
    case LoopSet::Wide:
      return kRows;
    case LoopSet::Baseline:
      return std::span(kRows).subspan(FirstRowOf(Width::Sse2));
    case LoopSet::General:
      break;
  }
  return std::span(kRows).subspan(FirstRowOf(Width::General));
}

}  // namespace

bool WideBlitsAllowed = true;

LoopSet ChosenLoopSet() {
  if (GeneralLoopsOnly()) return LoopSet::General;
  return WideBlitsAllowed && WideLoopsAvailable() ? LoopSet::Wide : LoopSet::Baseline;
}

AnyLoop FindLoop(const LoopKey& key) {
  for (const LoopRow& row : ChosenRows()) {
    if (!Covers(row, key)) continue;
    if (const AnyLoop loop = row.instance(key)) return loop;
  }
  return nullptr;
}

AnyLoop GeneralLoop(const LoopKey& key) { return GeneralInstance(key); }
