// COM has no counterpart here; the engine only needs its start and end to pair up.
#include "../common/platform_contract.h"
#include "platform/ole32.h"

namespace {
int comDepth = 0;
}

HRESULT CoInitialize(void* reserved) {
  if (reserved != nullptr) return E_FAIL;
  return comDepth++ == 0 ? S_OK : S_FALSE;
}

void CoUninitialize() {
  if (comDepth > 0) --comDepth;
}
