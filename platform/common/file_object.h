// Files are platform objects too; CloseHandle hands them here.
#pragma once

#include "platform_object.h"

// Closes and frees a file object; FALSE when closing the descriptor failed (it is freed anyway).
BOOL CloseFileObject(PlatformObject* file);

// The descriptor behind a file handle, -1 for anything else.
int FileDescriptorOf(HANDLE handle);
// ReadFile on a descriptor; each platform's ReadFile ends here once it lets the read happen.
BOOL ReadFileDescriptor(int fd, void* data, DWORD size, DWORD* read);
