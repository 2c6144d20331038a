#include <iconv.h>

#include <cerrno>
#include <string>

#include "platform/kernel32.h"

namespace {

UINT chosen = 0;

const char* IconvName(UINT codePage) {
  switch (codePage) {
    case CP_UTF8:
      return "UTF-8";
    case 932:
      return "CP932";
    case 949:
      return "CP949";
    default:
      return nullptr;
  }
}

// What iconv makes of the bytes, with `bad` in place of each piece it cannot take.
std::string Convert(const char* to, const char* from, const char* bytes, std::size_t size, const std::string& bad,
                    std::size_t unit) {
  std::string out;
  iconv_t converter = iconv_open(to, from);
  if (converter == reinterpret_cast<iconv_t>(-1)) return out;
  char* in = const_cast<char*>(bytes);
  std::size_t inLeft = size;
  char buffer[256];
  while (inLeft > 0) {
    char* outPointer = buffer;
    std::size_t outLeft = sizeof buffer;
    const std::size_t result = iconv(converter, &in, &inLeft, &outPointer, &outLeft);
    out.append(buffer, static_cast<std::size_t>(outPointer - buffer));
    if (result == static_cast<std::size_t>(-1) && errno != E2BIG) {
      out += bad;
      const std::size_t skip = unit < inLeft ? unit : inLeft;
      in += skip;
      inLeft -= skip;
      iconv(converter, nullptr, nullptr, nullptr, nullptr);
    }
  }
  iconv_close(converter);
  return out;
}

std::size_t Length(const char* text, int length) {
  if (length >= 0) return static_cast<std::size_t>(length);
  std::size_t n = 0;
  while (text[n] != '\0') ++n;
  return n + 1;
}

std::size_t Length(const WCHAR* text, int length) {
  if (length >= 0) return static_cast<std::size_t>(length);
  std::size_t n = 0;
  while (text[n] != 0) ++n;
  return n + 1;
}

}  // namespace

UINT GetACP() {
  if (chosen != 0) return chosen;
  return GetOEMCP() == 949 ? 949 : 932;
}

void SetProcessCodePage(UINT codePage) { chosen = codePage == CP_UTF8 ? CP_UTF8 : 0; }

int MultiByteToWideChar(UINT codePage, DWORD, const char* text, int length, WCHAR* out, int outSize) {
  const char* name = IconvName(codePage == 0 ? GetACP() : codePage);
  if (name == nullptr || text == nullptr || outSize < 0) return 0;
  const std::string replacement("\xFD\xFF", 2);  // U+FFFD, little-endian
  const std::string wide = Convert("UTF-16LE", name, text, Length(text, length), replacement, 1);
  const int units = static_cast<int>(wide.size() / 2);
  if (outSize == 0) return units;
  if (out == nullptr || units > outSize) return 0;
  for (int i = 0; i < units; ++i) {
    out[i] =
        static_cast<WCHAR>(static_cast<unsigned char>(wide[2 * i]) | static_cast<unsigned char>(wide[2 * i + 1]) << 8);
  }
  return units;
}

int WideCharToMultiByte(UINT codePage, DWORD, const WCHAR* text, int length, char* out, int outSize,
                        const char* defaultChar, BOOL* usedDefault) {
  const char* name = IconvName(codePage == 0 ? GetACP() : codePage);
  if (name == nullptr || text == nullptr || outSize < 0) return 0;
  const std::size_t units = Length(text, length);
  std::string wide(units * 2, '\0');
  for (std::size_t i = 0; i < units; ++i) {
    wide[2 * i] = static_cast<char>(text[i] & 0xFF);
    wide[2 * i + 1] = static_cast<char>(text[i] >> 8);
  }
  const std::string bad = defaultChar != nullptr ? std::string(defaultChar) : std::string("?");
  const std::string bytes = Convert(name, "UTF-16LE", wide.data(), wide.size(), bad, 2);
  if (usedDefault != nullptr) *usedDefault = FALSE;
  const int size = static_cast<int>(bytes.size());
  if (outSize == 0) return size;
  if (out == nullptr || size > outSize) return 0;
  for (int i = 0; i < size; ++i) out[i] = bytes[static_cast<std::size_t>(i)];
  return size;
}
