#include "code_page.h"

#include <iconv.h>

#include <cerrno>

#include "platform/kernel32.h"

namespace {

const char* SystemCodePage() {
  const UINT page = GetACP();
  return page == CP_UTF8 ? "UTF-8" : page == 949 ? "CP949" : "CP932";
}

// Converts what can be converted; a byte that cannot is replaced by '?' and skipped.
std::string Convert(const char* to, const char* from, const std::string& text) {
  iconv_t converter = iconv_open(to, from);
  if (converter == reinterpret_cast<iconv_t>(-1)) return text;
  std::string out;
  char buffer[256];
  char* in = const_cast<char*>(text.data());
  size_t inLeft = text.size();
  while (inLeft > 0) {
    char* outPtr = buffer;
    size_t outLeft = sizeof buffer;
    const size_t result = iconv(converter, &in, &inLeft, &outPtr, &outLeft);
    out.append(buffer, static_cast<size_t>(outPtr - buffer));
    if (result == static_cast<size_t>(-1) && errno != E2BIG) {
      out.push_back('?');
      ++in;
      --inLeft;
    }
  }
  iconv_close(converter);
  return out;
}

}  // namespace

std::string CodePageToUtf8(const std::string& text) { return Convert("UTF-8", SystemCodePage(), text); }
std::string Utf8ToCodePage(const std::string& text) { return Convert(SystemCodePage(), "UTF-8", text); }
