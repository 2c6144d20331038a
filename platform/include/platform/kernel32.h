// Threads, synchronisation, files, the process heap, directories, performance counter,
// debugger output and process exit.
#pragma once

#include "platform/win32_types.h"

// Large enough for the implementation's recursive mutex; the engine only passes its address.
struct CRITICAL_SECTION {
  alignas(16) unsigned char opaque[64];
};

void InitializeCriticalSection(CRITICAL_SECTION* section);
void DeleteCriticalSection(CRITICAL_SECTION* section);
void EnterCriticalSection(CRITICAL_SECTION* section);
void LeaveCriticalSection(CRITICAL_SECTION* section);

// Security attributes are not supported; pass null. Returns null on failure.
HANDLE CreateEventA(void* attributes, BOOL manualReset, BOOL initialState, const char* name);
BOOL SetEvent(HANDLE event);
BOOL ResetEvent(HANDLE event);
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);
BOOL CloseHandle(HANDLE handle);

void Sleep(DWORD milliseconds);
DWORD GetCurrentThreadId();

// Returns the length written (without the zero), the size needed when the buffer is too
// small, or 0 on failure.
DWORD GetCurrentDirectoryA(DWORD bufferLength, char* buffer);
BOOL SetCurrentDirectoryA(const char* path);

BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency);
BOOL QueryPerformanceCounter(LARGE_INTEGER* count);

// Libraries this platform stands in for (e.g. "d3d9.dll"); null when not available.
HMODULE LoadLibraryA(const char* name);
FARPROC GetProcAddress(HMODULE module, const char* name);
BOOL FreeLibrary(HMODULE module);
// Files. Share modes are accepted but not enforced; security attributes and templates are not
// supported (pass null). CreateFileA returns INVALID_HANDLE_VALUE on failure.
constexpr DWORD GENERIC_WRITE = 0x40000000u;
constexpr DWORD GENERIC_READ = 0x80000000u;
constexpr DWORD CREATE_NEW = 1;
constexpr DWORD CREATE_ALWAYS = 2;
constexpr DWORD OPEN_EXISTING = 3;
constexpr DWORD OPEN_ALWAYS = 4;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
constexpr DWORD FILE_BEGIN = 0;
constexpr DWORD FILE_CURRENT = 1;
constexpr DWORD FILE_END = 2;
constexpr DWORD INVALID_SET_FILE_POINTER = 0xFFFFFFFFu;
inline const HANDLE INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(~std::uintptr_t{0});

HANDLE CreateFileA(const char* name, DWORD access, DWORD shareMode, void* security, DWORD creation, DWORD flags,
                   HANDLE templateFile);
BOOL WriteFile(HANDLE file, const void* data, DWORD size, DWORD* written, void* overlapped);
// Reads up to size bytes from the file position; *read gets how many (0 at the end of the file).
// FALSE on a read error.
BOOL ReadFile(HANDLE file, void* data, DWORD size, DWORD* read, void* overlapped);
// The file's size in bytes; FALSE when it cannot be had.
BOOL GetFileSizeEx(HANDLE file, LARGE_INTEGER* size);
// The low 32 bits of the size, the high ones in *high when given; INVALID_FILE_SIZE on failure.
constexpr DWORD INVALID_FILE_SIZE = 0xFFFFFFFFu;
DWORD GetFileSize(HANDLE file, DWORD* high);
// Returns the new position's low 32 bits, or INVALID_SET_FILE_POINTER on failure.
DWORD SetFilePointer(HANDLE file, LONG distance, LONG* distanceHigh, DWORD method);
BOOL DeleteFileA(const char* name);
// The process's standard error as a file for WriteFile; never closed by CloseHandle.
constexpr DWORD STD_ERROR_HANDLE = static_cast<DWORD>(-12);
HANDLE GetStdHandle(DWORD which);

// The process heap. HeapAlloc and HeapReAlloc return null on failure; HeapReAlloc then leaves
// the block as it was. HEAP_ZERO_MEMORY clears new bytes (for HeapReAlloc: those past the old
// size).
constexpr DWORD HEAP_ZERO_MEMORY = 0x00000008u;
HANDLE GetProcessHeap();
void* HeapAlloc(HANDLE heap, DWORD flags, std::size_t size);
void* HeapReAlloc(HANDLE heap, DWORD flags, void* block, std::size_t size);
BOOL HeapFree(HANDLE heap, DWORD flags, void* block);

// Text for an attached debugger, in the system code page.
void OutputDebugStringA(const char* text);

[[noreturn]] void ExitProcess(UINT exitCode);

// The module instance of the program (null name); never null for the program itself.
PlatformObject* GetModuleHandleA(const char* moduleName);

struct MEMORYSTATUS {
  DWORD dwLength;
  DWORD dwMemoryLoad;
  std::size_t dwTotalPhys;
  std::size_t dwAvailPhys;
  std::size_t dwTotalPageFile;
  std::size_t dwAvailPageFile;
  std::size_t dwTotalVirtual;
  std::size_t dwAvailVirtual;
};
void GlobalMemoryStatus(MEMORYSTATUS* status);

UINT GetOEMCP();
// The code page of the A functions' texts (window titles, face names, typed text): the system's
// (Shift-JIS, or Korean with OEM code page 949) unless the process chose UTF-8, as a Windows
// program does in its manifest.
constexpr UINT CP_UTF8 = 65001;
UINT GetACP();
// CP_UTF8, or 0 for the system's code page.
void SetProcessCodePage(UINT codePage);
// UTF-16 code units.
using WCHAR = char16_t;
// Text of a code page (CP_UTF8, 932, 949) to UTF-16 and back. length -1: up to and with the
// terminating zero. With outSize 0 the size needed is returned; 0 on failure. Bytes that are no
// text of the code page become U+FFFD; characters the code page lacks become '?'.
int MultiByteToWideChar(UINT codePage, DWORD flags, const char* text, int length, WCHAR* out, int outSize);
int WideCharToMultiByte(UINT codePage, DWORD flags, const WCHAR* text, int length, char* out, int outSize,
                        const char* defaultChar, BOOL* usedDefault);
