// Build tool: the engine's and the game's own texts are Shift-JIS at run time while their sources
// stay UTF-8. This copies a source file, writing every character beyond ASCII inside an ordinary
// string or character literal as the octal escapes of its Shift-JIS bytes, and starts the copy
// with a #line naming the original, so that diagnostics, __FILE__ and debuggers still point
// there. Literals with an encoding prefix (u8, u, U, L) and everything outside literals pass
// through untouched. The conversion is the C library's CP932, the one the platform layer reads
// texts back with, so every compiler makes the same bytes.
//
//   shift_jis_literals SOURCE OUTPUT    writes the copy; fails naming any character without a
//                                       Shift-JIS form
//   shift_jis_literals --check FILE...  fails naming each file with such a literal (headers,
//                                       which are never copied, must keep their literals ASCII)
#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <string_view>

namespace {

struct Problem {
  int line = 0;
  std::string what;
};

class ShiftJisEncoder {
 public:
  ShiftJisEncoder() : converter_(iconv_open("CP932", "UTF-8")) {}
  ~ShiftJisEncoder() {
    if (ok()) iconv_close(converter_);
  }
  ShiftJisEncoder(const ShiftJisEncoder&) = delete;
  ShiftJisEncoder& operator=(const ShiftJisEncoder&) = delete;
  bool ok() const { return converter_ != reinterpret_cast<iconv_t>(-1); }

  // The Shift-JIS bytes of one UTF-8 character; false when it has none.
  bool Encode(std::string_view utf8, std::string* out) {
    char buffer[8];
    char* in = const_cast<char*>(utf8.data());
    std::size_t inLeft = utf8.size();
    char* outPointer = buffer;
    std::size_t outLeft = sizeof buffer;
    iconv(converter_, nullptr, nullptr, nullptr, nullptr);
    if (iconv(converter_, &in, &inLeft, &outPointer, &outLeft) == static_cast<std::size_t>(-1) || inLeft != 0)
      return false;
    out->assign(buffer, static_cast<std::size_t>(outPointer - buffer));
    return true;
  }

 private:
  iconv_t converter_;
};

std::size_t Utf8Length(unsigned char lead) {
  if (lead >= 0xF0) return 4;
  if (lead >= 0xE0) return 3;
  if (lead >= 0xC0) return 2;
  return 1;
}

bool IdentifierChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// The identifier or number that ends right before `end`.
std::string_view TokenBefore(std::string_view text, std::size_t end) {
  std::size_t begin = end;
  while (begin > 0 && IdentifierChar(text[begin - 1])) --begin;
  return text.substr(begin, end - begin);
}

class Transcoder {
 public:
  Transcoder(std::string_view text, ShiftJisEncoder& encoder) : text_(text), encoder_(encoder) {}

  // The copy; `problem` gets the first character that cannot be converted, if any.
  std::string Run(Problem* problem) {
    while (at_ < text_.size()) {
      const char c = text_[at_];
      if (c == '/' && Next(1) == '/') {
        CopyUntil("\n");
      } else if (c == '/' && Next(1) == '*') {
        Copy(2);
        CopyUntil("*/");
        Copy(2);
      } else if (c == '"' || c == '\'') {
        Literal(c);
      } else {
        Copy(1);
      }
    }
    if (!problem_.what.empty()) *problem = problem_;
    return out_;
  }

  // Whether any ordinary literal holds a character beyond ASCII.
  bool FoundWideCharacter() const { return foundWide_; }

 private:
  char Next(std::size_t ahead) const { return at_ + ahead < text_.size() ? text_[at_ + ahead] : '\0'; }

  void Copy(std::size_t count) {
    count = std::min(count, text_.size() - at_);
    for (std::size_t i = 0; i < count; ++i)
      if (text_[at_ + i] == '\n') ++line_;
    out_.append(text_.substr(at_, count));
    at_ += count;
  }

  void CopyUntil(std::string_view end) {
    const std::size_t found = text_.find(end, at_);
    Copy(found == std::string_view::npos ? text_.size() - at_ : found - at_);
  }

  void Literal(char quote) {
    const std::string_view prefix = TokenBefore(text_, at_);
    if (quote == '\'' && !prefix.empty() && prefix != "u8" && prefix != "u" && prefix != "U" && prefix != "L") {
      Copy(1);  // a digit separator
      return;
    }
    const bool raw = quote == '"' && !prefix.empty() && prefix.back() == 'R';
    const std::string_view encoding = raw ? prefix.substr(0, prefix.size() - 1) : prefix;
    const bool ordinary =
        encoding.empty() || (encoding != "u8" && encoding != "u" && encoding != "U" && encoding != "L");
    Copy(1);
    if (raw) {
      const std::size_t open = text_.find('(', at_);
      if (open == std::string_view::npos) return;
      std::string close(1, ')');
      close.append(text_.substr(at_, open - at_)).push_back('"');
      // A raw literal keeps no escapes: each converted character goes between two pieces of it,
      // as an ordinary literal of its own that the compiler joins to them.
      rawOpen_.assign("R\"").append(text_.substr(at_, open + 1 - at_));
      Copy(open + 1 - at_);
      Body(close, ordinary, false);
      return;
    }
    Body(std::string(1, quote), ordinary, true);
  }

  // Copies a literal's characters up to and including `close`.
  void Body(const std::string& close, bool ordinary, bool escapes) {
    while (at_ < text_.size()) {
      const char c = text_[at_];
      if (text_.substr(at_, close.size()) == close) {
        Copy(close.size());
        return;
      }
      if (escapes && c == '\\') {
        Copy(2);
      } else if (escapes && c == '\n') {
        return;  // an unterminated literal: the compiler will say so
      } else if (static_cast<unsigned char>(c) >= 0x80 && ordinary) {
        if (!escapes) out_.append(close).append(" \"");
        Convert();
        if (!escapes) out_.append("\" ").append(rawOpen_);
      } else {
        Copy(1);
      }
    }
  }

  void Convert() {
    foundWide_ = true;
    const std::size_t length = std::min(Utf8Length(static_cast<unsigned char>(text_[at_])), text_.size() - at_);
    const std::string_view character = text_.substr(at_, length);
    std::string bytes;
    if (!encoder_.Encode(character, &bytes)) {
      if (problem_.what.empty()) {
        problem_.line = line_;
        problem_.what.append(1, '"').append(character).append("\" has no Shift-JIS form");
      }
      bytes.assign(1, '?');
    }
    for (unsigned char b : bytes) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\%03o", b);
      out_ += escape;
    }
    at_ += length;
  }

  std::string_view text_;
  ShiftJisEncoder& encoder_;
  std::size_t at_ = 0;
  int line_ = 1;
  std::string out_;
  std::string rawOpen_;  // what opens the raw literal being copied, delimiter and all
  Problem problem_;
  bool foundWide_ = false;
};

bool ReadFile(const char* path, std::string* text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream buffer;
  buffer << in.rdbuf();
  *text = buffer.str();
  return true;
}

std::string QuotedPath(std::string_view path) {
  std::string quoted = "\"";
  for (char c : path) {
    if (c == '"' || c == '\\') quoted += '\\';
    quoted += c;
  }
  return quoted + "\"";
}

int Check(int count, char** paths, ShiftJisEncoder& encoder) {
  int failed = 0;
  for (int i = 0; i < count; ++i) {
    std::string text;
    if (!ReadFile(paths[i], &text)) {
      std::cerr << paths[i] << ": cannot be read: " << std::strerror(errno) << "\n";
      failed = 1;
      continue;
    }
    Transcoder transcoder(text, encoder);
    Problem problem;
    transcoder.Run(&problem);
    if (transcoder.FoundWideCharacter()) {
      std::cerr << paths[i] << ": a string literal holds a character beyond ASCII; only source files are "
                << "converted to Shift-JIS, so move the text into one or spell its bytes out\n";
      failed = 1;
    }
  }
  return failed;
}

}  // namespace

int main(int argc, char** argv) {
  ShiftJisEncoder encoder;
  if (!encoder.ok()) {
    std::cerr << "shift_jis_literals: the C library has no UTF-8 to CP932 conversion\n";
    return 1;
  }
  if (argc >= 2 && std::strcmp(argv[1], "--check") == 0) return Check(argc - 2, argv + 2, encoder);
  if (argc != 3) {
    std::cerr << "usage: shift_jis_literals SOURCE OUTPUT | --check FILE...\n";
    return 2;
  }
  std::string text;
  if (!ReadFile(argv[1], &text)) {
    std::cerr << argv[1] << ": cannot be read: " << std::strerror(errno) << "\n";
    return 1;
  }
  Problem problem;
  const std::string copy = "#line 1 " + QuotedPath(argv[1]) + "\n" + Transcoder(text, encoder).Run(&problem);
  if (!problem.what.empty()) {
    std::cerr << argv[1] << ":" << problem.line << ": error: " << problem.what << "\n";
    return 1;
  }
  std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
  out << copy;
  if (!out.flush()) {
    std::cerr << argv[2] << ": cannot be written\n";
    return 1;
  }
  return 0;
}
