// Picks the BlitSpan instance for a resolved request.
#pragma once

#include "blit_op.h"
#include "pixel_ops.h"

constexpr bool IsAlphaKind(SourceKind kind) { return kind == SourceKind::Alpha || kind == SourceKind::AlphaKeyed; }

// Requests that the resolver never makes have no instance.
constexpr bool BlitVariantExists(int bits, BlitOp op, SourceKind kind, bool graph, bool bright) {
  if (kind == SourceKind::DirectWide && bits != 16) return false;
  const bool whole = op == BlitOp::AlphaHalf || op == BlitOp::AddBytes || op == BlitOp::SubtractBytes;
  if (whole && (graph || bright || IsAlphaKind(kind))) return false;
  if ((op == BlitOp::AddBytes || op == BlitOp::SubtractBytes) && bits != 32) return false;
  return true;
}

// Null only for a request BlitVariantExists refuses.
BlitSpanFn FindBlitSpan32(BlitOp op, SourceKind kind, bool graph, bool bright);
BlitSpanFn FindBlitSpan16(BlitOp op, SourceKind kind, bool graph, bool bright);
// The loops built for AVX2; run only where the processor has it.
BlitSpanFn FindBlitSpan32Wide(BlitOp op, SourceKind kind, bool graph, bool bright);
BlitSpanFn FindBlitSpan16Wide(BlitOp op, SourceKind kind, bool graph, bool bright);

// Solid-colour runs in register groups, baseline and wide. Null for BlendKind::Nothing.
SolidRunsFn FindSolidRuns32(BlendKind kind);
SolidRunsFn FindSolidRuns32Wide(BlendKind kind);
SolidRunsFn FindSolidRuns16(BlendKind kind);
SolidRunsFn FindSolidRuns16Wide(BlendKind kind);

// True when the processor (and the system, for the wider registers) supports AVX2.
bool WideBlitsAvailable();
// Tests clear this to run the baseline loops on a machine that has the wide ones.
extern bool WideBlitsAllowed;
// True when VORNEK_SOFT_GENERAL is set (and not "0") at the first call: every software
// operation then takes its plain per-pixel loop, with no vector groups, whole-row copies or
// shortcut operations, so that the tests can prove that loop against the model on its own.
bool GeneralPixelLoopsOnly();

// The loops a software operation may take: the plain per-pixel ones when VORNEK_SOFT_GENERAL
// is set, else the wide ones where the processor has them and the tests allow them, else the
// baseline ones. Every table lookup asks here, so the choice is made in one place.
enum class LoopSet { General, Baseline, Wide };
LoopSet ChosenLoopSet();

inline BlitSpanFn FindBlitSpan(int bits, BlitOp op, SourceKind kind, bool graph, bool bright) {
  if (ChosenLoopSet() == LoopSet::Wide) {
    return bits == 32 ? FindBlitSpan32Wide(op, kind, graph, bright) : FindBlitSpan16Wide(op, kind, graph, bright);
  }
  return bits == 32 ? FindBlitSpan32(op, kind, graph, bright) : FindBlitSpan16(op, kind, graph, bright);
}
