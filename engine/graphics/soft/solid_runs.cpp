#include "solid_runs.h"

#include <cstring>

#include "blit_table.h"

SolidRunsFn FindSolidRuns(bool is32, BlendKind kind) {
  const bool wide = WideBlitsAllowed && WideBlitsAvailable();
  if (is32) return wide ? FindSolidRuns32Wide(kind) : FindSolidRuns32(kind);
  return wide ? FindSolidRuns16Wide(kind) : FindSolidRuns16(kind);
}
