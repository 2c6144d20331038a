// Picks the BlitSpan instance for a resolved request.
#pragma once

#include "blit_kernel.h"

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

inline BlitSpanFn FindBlitSpan(int bits, BlitOp op, SourceKind kind, bool graph, bool bright) {
  return bits == 32 ? FindBlitSpan32(op, kind, graph, bright) : FindBlitSpan16(op, kind, graph, bright);
}
