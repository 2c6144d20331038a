#include "platform/kernel32.h"

namespace {

UINT chosen = 0;

}  // namespace

UINT GetACP() {
  if (chosen != 0) return chosen;
  return GetOEMCP() == 949 ? 949 : 932;
}

void SetProcessCodePage(UINT codePage) { chosen = codePage == CP_UTF8 ? CP_UTF8 : 0; }
