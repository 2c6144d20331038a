// Files are platform objects too; CloseHandle hands them here.
#pragma once

#include "platform_object.h"

// Closes and frees a file object; FALSE when closing the descriptor failed (it is freed anyway).
BOOL CloseFileObject(PlatformObject* file);
