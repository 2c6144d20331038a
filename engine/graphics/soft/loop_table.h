// The one place where every software operation picks its pixel loop. A request is simplified
// once (SimplifyBlend) into a LoopKey; the first row of the chosen table that covers the key
// and has an instance for it names the loop. See loop_table.cpp for the rows.
#pragma once

#include <cstdint>

#include "blit_op.h"
#include "target_layout.h"

enum class SoftOperation : std::uint8_t {
  Blit,      // BlitSpanFn: n source pixels onto n destination pixels
  Fill,      // SolidRunsFn: rows of a rectangle
  DiscRows,  // SolidRunsFn: rows of a filled circle, many of them short
  Line,      // the line loop of soft_line.cpp
  Circle,    // the per-point loop of soft_circle.cpp: outlines, and discs the runs cannot take
};

// Options of a key: what the caller knows beyond the formats and the operation.
constexpr std::uint8_t kGraphOption = 1;   // blits: a blend graph weights each pixel
constexpr std::uint8_t kBrightOption = 2;  // blits: brightness scales the source
constexpr std::uint8_t kLongOption = 4;    // lines and outlines: enough pixels that a table made per call pays

struct LoopKey {
  SoftOperation operation;
  SourceKind source;  // Direct for the one-colour operations
  TargetLayout destination;
  BlendOp op;
  std::uint8_t options;
};

// A loop of whichever signature the key's operation has; the caller casts it back.
using AnyLoop = void (*)();

// Null when no row has a loop for the key (a blit the simplification never asks for).
AnyLoop FindLoop(const LoopKey& key);
// The loop of the last row, for the tests to tell which row answered.
AnyLoop GeneralLoop(const LoopKey& key);

template <class Fn>
Fn FindLoopAs(const LoopKey& key) {
  return reinterpret_cast<Fn>(FindLoop(key));
}

// The loop sets of the machine: the wide ones need AVX2, the baseline ones are x86-64's SSE2;
// the general one is every operation on its plain per-pixel loop.
enum class LoopSet { General, Baseline, Wide };
// Read by ChosenLoopSet on every lookup; tests clear it to run the baseline loops on a machine
// that has the wide ones.
extern bool WideBlitsAllowed;
// General when VORNEK_SOFT_GENERAL is set (and not "0") at the first call, so that the tests can
// prove the general loops against the model on their own; else Wide where the processor has AVX2
// and the tests allow it; else Baseline.
LoopSet ChosenLoopSet();

// The instances the rows name, defined beside their loops. Each returns null for a key it has
// no instance for.
namespace loop_instances {
AnyLoop WideBlits(const LoopKey& key);
AnyLoop WideBlits16(const LoopKey& key);  // the 5:6:5 half of WideBlits
AnyLoop Blits(const LoopKey& key);
AnyLoop Blits16(const LoopKey& key);  // the 5:6:5 half of Blits
AnyLoop GeneralBlits(const LoopKey& key);
AnyLoop WideSolidRuns(const LoopKey& key);
AnyLoop SolidRuns(const LoopKey& key);
AnyLoop PlainFillRuns(const LoopKey& key);
AnyLoop GeneralSolidRuns(const LoopKey& key);
AnyLoop TabulatedLines(const LoopKey& key);
AnyLoop GeneralLines(const LoopKey& key);
AnyLoop TabulatedCircles(const LoopKey& key);
AnyLoop GeneralCircles(const LoopKey& key);
}  // namespace loop_instances

// Calls pick.operator()<Op>() for an operation the one-colour loops have, else returns null.
template <class Pick>
AnyLoop WithSolidBlendOp(BlendOp op, Pick&& pick) {
  switch (op) {
    case BlendOp::Copy:
      return pick.template operator()<BlendOp::Copy>();
    case BlendOp::Alpha:
      return pick.template operator()<BlendOp::Alpha>();
    case BlendOp::Add:
      return pick.template operator()<BlendOp::Add>();
    case BlendOp::Subtract:
      return pick.template operator()<BlendOp::Subtract>();
    case BlendOp::Multiply:
      return pick.template operator()<BlendOp::Multiply>();
    case BlendOp::InvertedAlpha:
      return pick.template operator()<BlendOp::InvertedAlpha>();
    case BlendOp::MultiplyAlpha:
      return pick.template operator()<BlendOp::MultiplyAlpha>();
    default:
      return nullptr;
  }
}

// Loop<Format, Stride, Op>::Run for the key's target layout and operation, where Format is the
// pixel type the blend works on and Stride the distance between pixels in units of that type.
template <template <class, int, BlendOp> class Loop>
AnyLoop OneColourInstance(const LoopKey& key) {
  auto at = [&]<class Format, int Stride>() {
    return WithSolidBlendOp(key.op,
                            []<BlendOp Op>() { return reinterpret_cast<AnyLoop>(&Loop<Format, Stride, Op>::Run); });
  };
  switch (key.destination) {
    case TargetLayout::Rgb32:
      return at.template operator()<Rgb32, 1>();
    case TargetLayout::Rgb565:
      return at.template operator()<Rgb565, 1>();
    case TargetLayout::Rgb565WithAlpha:
      return at.template operator()<Rgb565, 2>();
    default:
      return nullptr;
  }
}

// Typed lookups of the blit and run operations.
inline BlitSpanFn FindBlitSpan(int bits, BlendOp op, SourceKind source, bool graph, bool bright) {
  const auto options = static_cast<std::uint8_t>((graph ? kGraphOption : 0) | (bright ? kBrightOption : 0));
  return FindLoopAs<BlitSpanFn>(
      {SoftOperation::Blit, source, bits == 32 ? TargetLayout::Rgb32 : TargetLayout::Rgb565, op, options});
}
// operation is Fill or DiscRows; the layout Rgb32 or Rgb565.
inline SolidRunsFn FindSolidRuns(SoftOperation operation, TargetLayout layout, BlendOp op) {
  return FindLoopAs<SolidRunsFn>({operation, SourceKind::Direct, layout, op, 0});
}
