// GDI fonts on FreeType: faces found through fontconfig, glyphs rendered 1-bit or in 17 grey
// levels, character codes and face names converted from the system code page with iconv.
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H
#include <iconv.h>

#include <cstring>
#include <mutex>
#include <string>

#include "../common/font_object.h"
#include "../common/platform_contract.h"
#include "platform/kernel32.h"

namespace {

FT_Library Library() {
  static FT_Library library = [] {
    FT_Library made = nullptr;
    if (FT_Init_FreeType(&made) != 0) made = nullptr;
    return made;
  }();
  return library;
}

const char* SystemCodePage() {
  const UINT page = GetACP();
  return page == CP_UTF8 ? "UTF-8" : page == 949 ? "CP949" : "CP932";
}

// Converts bytes of the system code page; false when they are not valid there.
bool Convert(const char* to, const std::string& bytes, std::string* out) {
  iconv_t converter = iconv_open(to, SystemCodePage());
  if (converter == reinterpret_cast<iconv_t>(-1)) return false;
  std::string input = bytes;
  out->assign(bytes.size() * 4 + 8, '\0');
  char* in = input.data();
  std::size_t inLeft = input.size();
  char* outPointer = out->data();
  std::size_t outLeft = out->size();
  const std::size_t result = iconv(converter, &in, &inLeft, &outPointer, &outLeft);
  iconv_close(converter);
  if (result == static_cast<std::size_t>(-1)) return false;
  out->resize(out->size() - outLeft);
  return true;
}

// The face names programs written for the Japanese desktop ask for, and the families that
// stand in for them here.
const char* Substitute(const std::string& utf8Face) {
  if (utf8Face.empty() || utf8Face == "ＭＳ ゴシック" || utf8Face == "MS Gothic") return "IPAGothic";
  if (utf8Face == "ＭＳ Ｐゴシック" || utf8Face == "MS PGothic") return "IPAPGothic";
  return nullptr;
}

bool FindFace(const FontRequest& request, std::string* file, int* index) {
  static std::once_flag once;
  std::call_once(once, [] { FcInit(); });
  std::string face;
  if (!request.face.empty() && !Convert("UTF-8", request.face, &face)) return false;
  const char* substitute = Substitute(face);
  FcPattern* pattern = FcPatternCreate();
  if (pattern == nullptr) return false;
  if (substitute != nullptr) {
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(substitute));
  } else if (!face.empty()) {
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(face.c_str()));
  }
  if (face.empty() || request.charSet == SHIFTJIS_CHARSET) {
    FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>("ja"));
  } else if (request.charSet == HANGUL_CHARSET) {
    FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>("ko"));
  }
  FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(request.weight > 0 ? request.weight : FW_NORMAL));
  FcPatternAddInteger(pattern, FC_SLANT, request.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  if (match == nullptr) return false;
  FcChar8* path = nullptr;
  bool found = FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path != nullptr;
  if (found) {
    *file = reinterpret_cast<const char*>(path);
    if (FcPatternGetInteger(match, FC_INDEX, 0, index) != FcResultMatch) *index = 0;
  }
  FcPatternDestroy(match);
  return found;
}

int Round26(FT_Pos value) { return static_cast<int>((value + 32) >> 6); }

struct FreeTypeFont final : FontObject {
  ~FreeTypeFont() override {
    if (face != nullptr) FT_Done_Face(face);
  }

  bool Metrics(TEXTMETRICA* metrics) override {
    const FT_Size_Metrics& size = face->size->metrics;
    metrics->tmAscent = Round26(size.ascender);
    metrics->tmDescent = Round26(-size.descender);
    metrics->tmHeight = metrics->tmAscent + metrics->tmDescent;
    // The face's line gap: its baseline-to-baseline distance beyond the cell.
    const LONG gap = Round26(size.height) - metrics->tmHeight;
    metrics->tmExternalLeading = gap > 0 ? gap : 0;
    metrics->tmMaxCharWidth = Round26(size.max_advance);
    metrics->tmAveCharWidth = (metrics->tmMaxCharWidth + 1) / 2;
    metrics->tmWeight = weight;
    metrics->tmItalic = italic ? 1 : 0;
    metrics->tmCharSet = static_cast<BYTE>(charSet);
    metrics->tmPitchAndFamily = FT_IS_FIXED_WIDTH(face) ? 0 : 1;  // GDI's bit means variable pitch
    return true;
  }

  bool Render(UINT character, bool unicode, bool mono, RawGlyph* glyph) override {
    std::string bytes;
    if (character > 0xFF) bytes.push_back(static_cast<char>(character >> 8));
    bytes.push_back(static_cast<char>(character & 0xFF));
    std::string utf32;
    FT_UInt index = 0;
    if (unicode) {
      index = FT_Get_Char_Index(face, character);
    } else if (Convert("UTF-32LE", bytes, &utf32) && utf32.size() >= 4) {
      FT_ULong codePoint = 0;
      std::memcpy(&codePoint, utf32.data(), 4);
      index = FT_Get_Char_Index(face, codePoint);
    }
    // Characters the face lacks or the code page does not define show the face's missing glyph.
    const FT_Int32 load = FT_LOAD_DEFAULT | FT_LOAD_NO_BITMAP | (mono ? FT_LOAD_TARGET_MONO : FT_LOAD_TARGET_NORMAL);
    if (FT_Load_Glyph(face, index, load) != 0) return false;
    FT_GlyphSlot slot = face->glyph;
    if (italic) FT_GlyphSlot_Oblique(slot);
    if (weight >= 600 && (face->style_flags & FT_STYLE_FLAG_BOLD) == 0) FT_GlyphSlot_Embolden(slot);
    glyph->advance = Round26(slot->advance.x);
    if (slot->format == FT_GLYPH_FORMAT_OUTLINE && slot->outline.n_points == 0) return true;
    if (FT_Render_Glyph(slot, mono ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL) != 0) return false;
    const FT_Bitmap& bitmap = slot->bitmap;
    if (bitmap.width == 0 || bitmap.rows == 0) return true;
    glyph->width = static_cast<int>(bitmap.width);
    glyph->height = static_cast<int>(bitmap.rows);
    glyph->originX = slot->bitmap_left;
    glyph->originY = slot->bitmap_top;
    glyph->levels.assign(static_cast<std::size_t>(glyph->width) * static_cast<std::size_t>(glyph->height), 0);
    for (int y = 0; y < glyph->height; ++y) {
      const unsigned char* row = bitmap.buffer + static_cast<std::ptrdiff_t>(y) * bitmap.pitch;
      for (int x = 0; x < glyph->width; ++x) {
        int level;
        if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO) {
          level = (row[x >> 3] >> (7 - (x & 7))) & 1;
          if (!mono) level *= 16;
        } else {
          level = (row[x] * 16 + 127) / 255;
          if (mono) level = level >= 8 ? 1 : 0;
        }
        glyph->levels[static_cast<std::size_t>(y) * static_cast<std::size_t>(glyph->width) +
                      static_cast<std::size_t>(x)] = static_cast<std::uint8_t>(level);
      }
    }
    return true;
  }

  FT_Face face = nullptr;
  int weight = FW_NORMAL;
  bool italic = false;
  DWORD charSet = DEFAULT_CHARSET;
};

}  // namespace

constexpr long long MaxFontHeight = 16384;

FontObject* PlatformCreateFont(const FontRequest& request) {
  // In 64 bits, so that the smallest int has a magnitude too. Heights no screen could show
  // are refused before FreeType's fixed-point arithmetic sees them.
  const long long height = request.height == 0 ? 16 : request.height;
  if (height > MaxFontHeight || height < -MaxFontHeight) return nullptr;
  FT_Library library = Library();
  if (library == nullptr) return nullptr;
  std::string file;
  int index = 0;
  if (!FindFace(request, &file, &index)) return nullptr;
  auto* font = new FreeTypeFont;
  font->weight = request.weight > 0 ? request.weight : FW_NORMAL;
  font->italic = request.italic;
  font->charSet = request.charSet;
  if (FT_New_Face(library, file.c_str(), index, &font->face) != 0) {
    font->face = nullptr;
    delete font;
    return nullptr;
  }
  // A positive height is the cell height (ascent + descent), a negative one the em height.
  FT_Size_RequestRec size{};
  size.type = height > 0 ? FT_SIZE_REQUEST_TYPE_CELL : FT_SIZE_REQUEST_TYPE_NOMINAL;
  size.height = static_cast<FT_Long>((height > 0 ? height : -height) * 64);
  if (FT_Request_Size(font->face, &size) != 0) {
    delete font;
    return nullptr;
  }
  return font;
}

bool PlatformMemoryDCAvailable() { return true; }
