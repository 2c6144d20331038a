#include "golden.h"

#include <cstdlib>
#include <sstream>

namespace {

bool UpdatingReferences() {
  const char* update = std::getenv("VORNEK_UPDATE_GOLDEN");
  return update != nullptr && std::string(update) == "1";
}

}  // namespace

std::string CompareWithGolden(const PngImage& actual, const std::string& referenceDirectory,
                              const std::string& outputDirectory, const std::string& name) {
  const std::string reference = referenceDirectory + "/" + name + ".png";
  PngImage expected;
  if (!ReadPng(reference, &expected)) {
    if (UpdatingReferences()) return WritePng(reference, actual) ? "" : "cannot write " + reference;
    return "missing reference " + reference + " (run with VORNEK_UPDATE_GOLDEN=1)";
  }
  if (expected.width != actual.width || expected.height != actual.height) {
    if (UpdatingReferences()) return WritePng(reference, actual) ? "" : "cannot write " + reference;
    return name + ": size differs from the reference";
  }
  PngImage diff = actual;
  int differing = 0, first = -1;
  for (std::size_t i = 0; i < actual.pixels.size(); ++i) {
    if (actual.pixels[i] != expected.pixels[i]) {
      ++differing;
      if (first < 0) first = static_cast<int>(i);
      diff.pixels[i] = 0xFF0000;
    } else {
      diff.pixels[i] = (actual.pixels[i] >> 2) & 0x3F3F3F;
    }
  }
  if (differing == 0) return "";
  if (UpdatingReferences()) return WritePng(reference, actual) ? "" : "cannot write " + reference;
  const std::string out = outputDirectory + "/" + name;
  WritePng(out + ".actual.png", actual);
  WritePng(out + ".diff.png", diff);
  std::ostringstream message;
  message << name << ": " << differing << " pixels differ, the first at (" << first % actual.width << ", "
          << first / actual.width << "): expected 0x" << std::hex << expected.pixels[first] << ", got 0x"
          << actual.pixels[first] << std::dec << "; wrote " << out << ".actual.png and .diff.png";
  return message.str();
}
