#include "platform/kernel32.h"

UINT GetOEMCP() { return 932; }
