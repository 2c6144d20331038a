// Debugger output goes to standard error, converted from the system code page (Shift-JIS) to
// the terminal's charset.
#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>

#include "../common/platform_contract.h"
#include "platform/kernel32.h"

namespace {

// The charset of the user's locale, read without changing the program's own locale. A C or
// POSIX locale says ASCII, which cannot show Japanese; terminals then are UTF-8 in practice.
std::string TerminalCharset() {
  std::string charset;
  locale_t user = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(0));
  if (user != static_cast<locale_t>(0)) {
    const char* name = nl_langinfo_l(CODESET, user);
    if (name != nullptr) charset = name;
    freelocale(user);
  }
  if (charset.empty() || charset == "ANSI_X3.4-1968" || charset == "ASCII") charset = "UTF-8";
  return charset;
}

struct Converter {
  Converter() {
    handle = iconv_open(TerminalCharset().c_str(), "CP932");
    if (handle == reinterpret_cast<iconv_t>(-1)) handle = iconv_open("UTF-8", "CP932");
  }
  ~Converter() {
    if (usable()) iconv_close(handle);
  }
  bool usable() const { return handle != reinterpret_cast<iconv_t>(-1); }
  iconv_t handle;
  std::mutex mutex;
};

Converter& TheConverter() {
  static Converter converter;
  return converter;
}

void WriteOut(const char* bytes, std::size_t length) {
  if (length != 0) std::fwrite(bytes, 1, length, stderr);
}

}  // namespace

void OutputDebugStringA(const char* text) {
  if (text == nullptr || *text == '\0') return;
  Converter& converter = TheConverter();
  std::size_t inLeft = std::strlen(text);
  if (!converter.usable()) {
    WriteOut(text, inLeft);
    return;
  }
  std::lock_guard lock(converter.mutex);
  iconv(converter.handle, nullptr, nullptr, nullptr, nullptr);
  char* in = const_cast<char*>(text);
  char buffer[1024];
  while (inLeft > 0) {
    char* out = buffer;
    std::size_t outLeft = sizeof buffer;
    const std::size_t result = iconv(converter.handle, &in, &inLeft, &out, &outLeft);
    WriteOut(buffer, sizeof buffer - outLeft);
    if (result != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
    // A byte that is no Shift-JIS text (or a double-byte character cut off at the end) is shown
    // as '?' so the rest of the line still arrives.
    WriteOut("?", 1);
    ++in;
    --inLeft;
  }
  std::fflush(stderr);
}
