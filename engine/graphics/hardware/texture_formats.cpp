// The texture formats the device offers for each kind of graphic, chosen once at device creation
// from candidate lists, each choice logged.
#include <initializer_list>

#include "../../core/log.h"
#include "../graphics_state.h"
#include "hardware_state.h"

D3DFORMAT TextureFormatTable[TextureFormatCount];

namespace {

bool Usable(D3DFORMAT format, DWORD usage) {
  return SUCCEEDED(GraphicsState.direct3d->CheckDeviceFormat(
      D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, GraphicsState.backBufferFormat, usage, D3DRTYPE_TEXTURE, format));
}

D3DFORMAT FirstUsable(std::initializer_list<D3DFORMAT> candidates, DWORD usage) {
  for (D3DFORMAT format : candidates) {
    if (Usable(format, usage)) return format;
  }
  return D3DFMT_UNKNOWN;
}

// The engine's names for texture formats.
const char* TextureName(D3DFORMAT format) {
  switch (format) {
    case D3DFMT_A4R4G4B4:
      return "D_D3DFMT_A4R4G4B4";
    case D3DFMT_A8R8G8B8:
      return "D_D3DFMT_A8R8G8B8";
    case D3DFMT_A1R5G5B5:
      return "D_D3DFMT_A1R5G5B5";
    case D3DFMT_X8R8G8B8:
      return "D_D3DFMT_X8R8G8B8";
    case D3DFMT_R5G6B5:
      return "D_D3DFMT_R5G6B5";
    case D3DFMT_X1R5G5B5:
      return "D_D3DFMT_R5G5B5";
    default:
      return "";
  }
}

// Render targets name their 16-bit and A4R4G4B4 choices without the engine's prefix.
const char* TargetName(D3DFORMAT format) {
  switch (format) {
    case D3DFMT_R5G6B5:
      return "D3DFMT_R5G6B5";
    case D3DFMT_X1R5G5B5:
      return "D3DFMT_R5G5B5";
    case D3DFMT_A4R4G4B4:
      return "D3DFMT_A4R4G4B4";
    default:
      return TextureName(format);
  }
}

// Entries 0-5: a format is required; none ends device creation.
bool ChooseRequired(int entry, std::initializer_list<D3DFORMAT> candidates, const char* missing, const char* found) {
  const D3DFORMAT format = FirstUsable(candidates, 0);
  if (format == D3DFMT_UNKNOWN) {
    LogText(missing);
    return false;
  }
  TextureFormatTable[entry] = format;
  LogFormat(found, TextureName(format));
  return true;
}

void ChooseCompressed(int entry, D3DFORMAT format, int fallback, const char* line, const char* usable) {
  if (Usable(format, 0)) {
    TextureFormatTable[entry] = format;
    LogFormat(line, usable);
  } else {
    TextureFormatTable[entry] = TextureFormatTable[fallback];
    LogFormat(line, "使えません");
  }
}

void ChooseTarget(int entry, std::initializer_list<D3DFORMAT> candidates, const char* missing, const char* found) {
  const D3DFORMAT format = FirstUsable(candidates, D3DUSAGE_RENDERTARGET);
  if (format == D3DFMT_UNKNOWN) {
    LogText(missing);
    TextureFormatTable[entry] = TextureFormatTable[TextureColor16];
    return;
  }
  TextureFormatTable[entry] = format;
  LogFormat(found, TargetName(format));
}

}  // namespace

int SelectTextureFormats() {
  if (GraphicsState.direct3d == nullptr) return -1;
  for (int entry = 0; entry < TextureDepth; ++entry) TextureFormatTable[entry] = D3DFMT_UNKNOWN;

  if (!ChooseRequired(TextureColor16, {D3DFMT_R5G6B5, D3DFMT_X1R5G5B5},
                      "使用できる 16bit カラーフォーマットが見つかりませんでした\n",
                      "16bit カラーフォーマットは %s です")) {
    return -1;
  }
  const D3DFORMAT color32 = FirstUsable({D3DFMT_X8R8G8B8}, 0);
  TextureFormatTable[TextureColor32] = color32 != D3DFMT_UNKNOWN ? color32 : TextureFormatTable[TextureColor16];
  LogFormat("32bit カラーフォーマットは %s です", TextureName(TextureFormatTable[TextureColor32]));

  if (!ChooseRequired(TextureAlpha16, {D3DFMT_A4R4G4B4, D3DFMT_A8R8G8B8},
                      "使用できるアルファ付き 16bit カラーフォーマットが見つかりませんでした\n",
                      "アルファ付き 16bit カラーフォーマットは %s です") ||
      !ChooseRequired(TextureAlpha32, {D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4},
                      "使用できるアルファ付き 32bit カラーフォーマットが見つかりませんでした\n",
                      "アルファ付き 32bit カラーフォーマットは %s です") ||
      !ChooseRequired(TextureAlphaTest16, {D3DFMT_A1R5G5B5, D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4},
                      "使用できるアルファテスト用 16bit カラーフォーマットが見つかりませんでした\n",
                      "アルファテスト用 16bit カラーフォーマットは %s です") ||
      !ChooseRequired(TextureAlphaTest32, {D3DFMT_A8R8G8B8, D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4},
                      "使用できるアルファテスト用 32bit カラーフォーマットが見つかりませんでした\n",
                      "アルファテスト用 32bit カラーフォーマットは %s です")) {
    return -1;
  }

  ChooseCompressed(6, D3DFMT_DXT1, TextureAlphaTest16, "ＤＸＴ１テクスチャフォーマットは%s", " D_D3DFMT_DXT1 です");
  ChooseCompressed(7, D3DFMT_DXT2, TextureAlpha32, "ＤＸＴ２テクスチャフォーマットは%s", " D_D3DFMT_DXT2 です");
  ChooseCompressed(8, D3DFMT_DXT3, TextureAlpha32, "ＤＸＴ３テクスチャフォーマットは%s", " D_D3DFMT_DXT3 です");
  ChooseCompressed(9, D3DFMT_DXT4, TextureAlpha32, "ＤＸＴ４テクスチャフォーマットは%s", " D_D3DFMT_DXT4 です");
  ChooseCompressed(10, D3DFMT_DXT5, TextureAlpha32, "ＤＸＴ５テクスチャフォーマットは%s", " D_D3DFMT_DXT5 です");

  const D3DFORMAT own16 = GraphicsState.backBufferFormat == D3DFMT_R5G6B5 ? D3DFMT_R5G6B5 : D3DFMT_X1R5G5B5;
  const D3DFORMAT other16 = own16 == D3DFMT_R5G6B5 ? D3DFMT_X1R5G5B5 : D3DFMT_R5G6B5;
  ChooseTarget(TextureTarget16, {own16, other16, D3DFMT_X8R8G8B8},
               "使用できる描画用 16bit カラーフォーマットがありませんでした\n",
               "描画用 16bit カラーフォーマットは %s です");
  ChooseTarget(TextureTarget32, {D3DFMT_X8R8G8B8, D3DFMT_R5G6B5, D3DFMT_X1R5G5B5},
               "使用できる描画用 32bit カラーフォーマットがありませんでした\n",
               "描画用 32bit カラーフォーマットは %s です");
  ChooseTarget(TextureTargetAlpha32, {D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4},
               "使用できる描画用 32bit カラーフォーマットがありませんでした\n",
               "描画用アルファ付き 32bit カラーフォーマットは %s です");

  const bool screen32 = GraphicsState.screenBitDepth == 32;
  TextureFormatTable[TextureTargetScreen] = TextureFormatTable[screen32 ? TextureTarget32 : TextureTarget16];
  TextureFormatTable[TextureAlphaTestScreen] = TextureFormatTable[screen32 ? TextureAlphaTest32 : TextureAlphaTest16];
  return 0;
}
