// Which BlitSpan instances exist.
#pragma once

#include "blit_op.h"

constexpr bool IsAlphaKind(SourceKind kind) { return kind == SourceKind::Alpha || kind == SourceKind::AlphaKeyed; }

// Requests that the simplification never makes have no instance.
constexpr bool BlitVariantExists(int bits, BlendOp op, SourceKind kind, bool graph, bool bright) {
  if (op == BlendOp::Nothing) return false;
  if (kind == SourceKind::DirectWide && bits != 16) return false;
  const bool whole = op == BlendOp::AlphaHalf || op == BlendOp::AddBytes || op == BlendOp::SubtractBytes;
  if (whole && (graph || bright || IsAlphaKind(kind))) return false;
  if ((op == BlendOp::AddBytes || op == BlendOp::SubtractBytes) && bits != 32) return false;
  return true;
}
