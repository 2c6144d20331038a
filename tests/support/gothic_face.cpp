#include "gothic_face.h"

#include <fontconfig/fontconfig.h>

#include <string>

bool GothicFaceInstalled() {
  FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("IPAGothic"));
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  bool found = false;
  FcChar8* family = nullptr;
  if (match != nullptr && FcPatternGetString(match, FC_FAMILY, 0, &family) == FcResultMatch) {
    found = std::string(reinterpret_cast<const char*>(family)) == "IPAGothic";
  }
  if (match != nullptr) FcPatternDestroy(match);
  return found;
}
