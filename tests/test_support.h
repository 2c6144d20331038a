// Helpers shared by the engine tests: a fresh working directory for the log file, reading files
// back, and Shift-JIS text spelled in UTF-8.
#pragma once

#include <iconv.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

namespace test_support {

// Makes a fresh temporary directory the current one for the test's lifetime, so Log.txt never
// lands in the source or build tree.
class TempDirectory {
 public:
  TempDirectory() : previous_(std::filesystem::current_path()) {
    std::string pattern = (std::filesystem::temp_directory_path() / "vornek-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
    std::filesystem::current_path(path_);
  }
  ~TempDirectory() {
    std::error_code ignored;
    std::filesystem::current_path(previous_, ignored);
    std::filesystem::remove_all(path_, ignored);
  }
  TempDirectory(const TempDirectory&) = delete;
  TempDirectory& operator=(const TempDirectory&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path previous_;
  std::filesystem::path path_;
};

inline std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// UTF-8 text as the engine writes it (Shift-JIS).
inline std::string Sjis(const std::string& utf8) {
  iconv_t converter = iconv_open("CP932", "UTF-8");
  if (converter == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("no CP932 converter");
  std::string out(utf8.size() * 2 + 1, '\0');
  char* in = const_cast<char*>(utf8.data());
  size_t inLeft = utf8.size();
  char* outPointer = out.data();
  size_t outLeft = out.size();
  const size_t result = iconv(converter, &in, &inLeft, &outPointer, &outLeft);
  iconv_close(converter);
  if (result == static_cast<size_t>(-1)) throw std::runtime_error("not convertible to CP932");
  out.resize(out.size() - outLeft);
  return out;
}

}  // namespace test_support
