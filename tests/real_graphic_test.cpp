// Graphics on the real hardware back-end: the engine on an SDL window under X, drawing through
// the Direct3D 9 device on OpenGL (Mesa's rasteriser under xvfb-run), read back from the back
// buffer. Textured quads with point sampling put each texel on one pixel, across texture tiles
// and at the screen's edge, and bilinear sampling blends neighbours; every blend mode with a textured source follows
// its formula; and text through the texture glyph cache equals the software back-end's text.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "core/engine_state.h"
#include "core/tracked_memory.h"
#include "gothic_face.h"
#include "png_image.h"
#include "graphics/draw_state.h"
#include "graphics/graphic_handle.h"
#include "graphics/graphics_state.h"
#include "graphics/hardware/hardware_state.h"
#include "test_support.h"
#include "vornek.h"

namespace {

constexpr int ScreenWidth = 640, ScreenHeight = 480;

// The picture as 0xRRGGBB values, row after row.
struct Picture {
  int width = 0, height = 0;
  std::vector<std::uint32_t> pixels;
  std::uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// What the hardware back-end has drawn so far, read from the back buffer.
Picture BackBuffer() {
  FlushVertexBatch();
  CloseScene();
  Picture picture;
  IDirect3DSurface9* back = GraphicsState.backBuffer;
  D3DSURFACE_DESC desc{};
  D3DLOCKED_RECT locked{};
  if (back == nullptr || back->GetDesc(&desc) != D3D_OK ||
      back->LockRect(&locked, nullptr, D3DLOCK_READONLY) != D3D_OK) {
    return picture;
  }
  picture.width = static_cast<int>(desc.Width);
  picture.height = static_cast<int>(desc.Height);
  for (int y = 0; y < picture.height; ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(static_cast<const std::uint8_t*>(locked.pBits) +
                                                             static_cast<std::ptrdiff_t>(y) * locked.Pitch);
    for (int x = 0; x < picture.width; ++x) picture.pixels.push_back(row[x] & 0xFFFFFF);
  }
  back->UnlockRect();
  return picture;
}

// What the software back-end has drawn, from its screen image.
Picture ScreenImage() {
  const MEMIMG& screen = GraphicsState.screenImage;
  Picture picture{screen.width, screen.height, {}};
  for (int y = 0; y < screen.height; ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(screen.pixels + y * screen.shared->pitch);
    for (int x = 0; x < screen.width; ++x) picture.pixels.push_back(row[x] & 0xFFFFFF);
  }
  return picture;
}

class RealGraphicTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X display";
  }
  void TearDown() override {
    if (started_) Stop();
  }

  // Starts the engine windowed on either back-end; the hardware one must be there.
  void Start(bool hardware) {
    GraphicsState.softwareOnly = hardware ? 0 : 1;
    ChangeWindowMode(TRUE);
    SetLogOutputFlag(FALSE);
    ASSERT_EQ(SetScreenMode(ScreenWidth, ScreenHeight, 32, 60), 0);
    ASSERT_EQ(InitEngine(), 0);
    started_ = true;
    ASSERT_EQ(GraphicsState.useHardware, hardware ? 1 : 0)
        << "no OpenGL 3.3 on this display: the engine took its software back-end";
    SetVSyncWait(FALSE);
    ASSERT_EQ(SelectDrawTarget(ScreenBack), 0);
  }
  void Stop() {
    EndEngine();
    started_ = false;
    GraphicsState.softwareOnly = 0;
    EXPECT_EQ(LiveBlockCount(), 0) << "engine blocks left after EndEngine";
  }

  // A graphic holding the given A8R8G8B8 texels.
  static int Graphic(int width, int height, const std::vector<std::uint32_t>& texels, bool alphaChannel = false) {
    SetCreateAlphaChannel(alphaChannel ? TRUE : FALSE);
    const int handle = CreateEmptyGraphic(width, height);
    SetCreateAlphaChannel(FALSE);
    if (handle == -1) return -1;
    if (TransferToGraphic(handle, texels.data(), width * 4, D3DFMT_A8R8G8B8, width, height, 0, 0) != 0) return -1;
    return handle;
  }

  bool started_ = false;
  test_support::TempDirectory directory_;
};

// Texel (x, y) of a pattern where neighbours always differ.
std::uint32_t PatternTexel(int x, int y) {
  return 0xFF000000u | static_cast<std::uint32_t>((x * 7) & 0xFF) << 16 |
         static_cast<std::uint32_t>((y * 13) & 0xFF) << 8 | static_cast<std::uint32_t>((x + y * 3) & 0xFF);
}

TEST_F(RealGraphicTest, PointSampledQuadsPutEachTexelOnOnePixel) {
  Start(true);
  // 700 texels across is cut into several textures on a 640-pixel screen.
  constexpr int Wide = 700, High = 20, Small = 37, SmallHigh = 23;
  std::vector<std::uint32_t> wide, small;
  for (int y = 0; y < High; ++y) {
    for (int x = 0; x < Wide; ++x) wide.push_back(PatternTexel(x, y));
  }
  for (int y = 0; y < SmallHigh; ++y) {
    for (int x = 0; x < Small; ++x) small.push_back(PatternTexel(x + 50, y + 50));
  }
  const int wideHandle = Graphic(Wide, High, wide);
  const int smallHandle = Graphic(Small, SmallHigh, small);
  ASSERT_NE(wideHandle, -1);
  ASSERT_NE(smallHandle, -1);
  ASSERT_GT(GraphicFromHandle(wideHandle)->image->columns, 1) << "the wide graphic should span several textures";

  struct Case {
    const char* name;
    int handle, x, y;
    int width, height, offsetX, offsetY;  // the part of the pattern expected on the screen
  };
  const Case cases[] = {
      {"at odd coordinates", smallHandle, 101, 203, Small, SmallHigh, 50, 50},
      {"across texture tiles, moved left off the screen", wideHandle, -30, 40, Wide, High, 0, 0},
      {"cut at the top and left", smallHandle, -5, -7, Small, SmallHigh, 50, 50},
      {"cut at the bottom and right", smallHandle, ScreenWidth - 20, ScreenHeight - 9, Small, SmallHigh, 50, 50},
  };
  for (const Case& c : cases) {
    SetClearColor(0, 0, 0);
    ClearScreen();
    ASSERT_EQ(DrawGraphAt(c.x, c.y, c.handle, FALSE), 0);
    const Picture picture = BackBuffer();
    ASSERT_EQ(picture.width, ScreenWidth);
    int wrong = 0;
    std::string first;
    for (int y = std::max(c.y - 1, 0); y < std::min(c.y + c.height + 1, ScreenHeight); ++y) {
      for (int x = std::max(c.x - 1, 0); x < std::min(c.x + c.width + 1, ScreenWidth); ++x) {
        const bool inside = x >= c.x && y >= c.y && x < c.x + c.width && y < c.y + c.height;
        const std::uint32_t want = inside ? PatternTexel(x - c.x + c.offsetX, y - c.y + c.offsetY) & 0xFFFFFF : 0;
        if (picture.at(x, y) == want) continue;
        if (wrong++ == 0) {
          char text[64];
          std::snprintf(text, sizeof text, "(%d, %d): %06x instead of %06x", x, y, picture.at(x, y), want);
          first = text;
        }
      }
    }
    EXPECT_EQ(wrong, 0) << c.name << ": " << wrong << " pixels wrong, the first at " << first;
  }

  // A rectangle of the graphic doubled: each texel on two by two pixels.
  ClearScreen();
  ASSERT_EQ(DrawGraphRectStretched(300, 300, 320, 310, 4, 3, 10, 5, smallHandle, FALSE), 0);
  const Picture doubled = BackBuffer();
  for (int y = 0; y < 10; ++y) {
    for (int x = 0; x < 20; ++x) {
      ASSERT_EQ(doubled.at(300 + x, 300 + y), PatternTexel(54 + x / 2, 53 + y / 2) & 0xFFFFFF) << x << "," << y;
    }
  }
  EXPECT_EQ(doubled.at(320, 300), 0u);
  EXPECT_EQ(doubled.at(300, 310), 0u);
}

// A graphic made as a draw target lives in a render target: texels put in and a circle drawn
// into it come out on the screen as they went in, channel for channel.
TEST_F(RealGraphicTest, ADrawTargetGraphicShowsWhatWasPutAndDrawnInIt) {
  Start(true);
  constexpr int Side = 40;
  std::vector<std::uint32_t> texels;
  for (int y = 0; y < Side; ++y) {
    for (int x = 0; x < Side; ++x) texels.push_back(PatternTexel(x, y));
  }
  SetCreateDrawTarget(TRUE);
  const int handle = Graphic(Side, Side, texels);
  SetCreateDrawTarget(FALSE);
  ASSERT_NE(handle, -1);
  ASSERT_EQ(SelectDrawTarget(handle), 0);
  ASSERT_EQ(DrawCircle(20, 20, 5, static_cast<int>(MakeColor(0xD2, 0x00, 0x1E)), TRUE), 0);
  ASSERT_EQ(SelectDrawTarget(ScreenBack), 0);
  SetClearColor(0, 0, 0);
  ClearScreen();
  ASSERT_EQ(DrawGraphAt(100, 50, handle, FALSE), 0);
  const Picture picture = BackBuffer();
  EXPECT_EQ(picture.at(120, 70), 0xD2001Eu) << std::hex << picture.at(120, 70);
  for (const auto& [x, y] : {std::pair{0, 0}, {39, 0}, {3, 30}, {39, 39}}) {
    EXPECT_EQ(picture.at(100 + x, 50 + y), PatternTexel(x, y) & 0xFFFFFF) << x << "," << y;
  }
}

// With bilinear sampling a graphic stretched four times runs smoothly between its texels: a
// grey ramp of steps of 32 comes out in steps of 8 (texel centres at every fourth pixel).
TEST_F(RealGraphicTest, BilinearSamplingBlendsNeighbouringTexels) {
  Start(true);
  std::vector<std::uint32_t> ramp;
  for (int k = 0; k < 8; ++k) ramp.push_back(0xFF000000u | 0x010101u * static_cast<std::uint32_t>(k * 32));
  const int handle = Graphic(8, 1, ramp);
  ASSERT_NE(handle, -1);
  HardwareState.bilinear = 1;
  ASSERT_EQ(DrawGraphStretched(100, 100, 132, 101, handle, FALSE), 0);
  HardwareState.bilinear = 0;
  ASSERT_EQ(DrawGraphStretched(100, 110, 132, 111, handle, FALSE), 0);
  const Picture picture = BackBuffer();
  for (int i = 2; i < 30; ++i) {
    // Pixel i's centre lies (i + 0.5) / 4 − 0.5 texels from the first texel's centre.
    const double linear = 32.0 * ((i + 0.5) / 4.0 - 0.5);
    EXPECT_NEAR(static_cast<double>(picture.at(100 + i, 100) & 0xFF), linear, 2.0) << "bilinear, pixel " << i;
    EXPECT_EQ(picture.at(100 + i, 110), 0x010101u * static_cast<std::uint32_t>(i / 4 * 32)) << "point, pixel " << i;
  }
}

// The formulas per channel, with s the source, d the destination and a the source's alpha, all
// as fractions of 255. The GPU blends in its own arithmetic: one step of rounding is allowed.
double Blend(int mode, double s, double a, double d) {
  switch (mode) {
    case BlendModeNone:
      return s;
    case BlendModeAlpha:
      return s * a + d * (1 - a);
    case BlendModeAdd:
      return std::min(1.0, d + s * a);
    case BlendModeSubtract:
      return std::max(0.0, d - s * a);
    case BlendModeMultiply:
      return s * d;
    case BlendModeInvertedAlpha:
      return (1 - s) * a + d * (1 - a);
    case BlendModeMultiplyAlpha:
      return d * (s * a + (1 - a));
    default:
      return -1;
  }
}

TEST_F(RealGraphicTest, EveryBlendModeWithATexturedSourceFollowsItsFormula) {
  Start(true);
  const std::vector<std::uint32_t> colours = {0x000000, 0xFFFFFF, 0x204080, 0xC0A030,
                                              0x7F7F7F, 0x01FE80, 0xFF0000, 0x00FFFF};
  const std::vector<std::uint32_t> backgrounds = {0x000000, 0xFFFFFF, 0x80C040, 0x3060F0};
  const int count = static_cast<int>(colours.size()), rows = static_cast<int>(backgrounds.size());
  // The opaque source; the same colours with alpha 0, 0x40, 0x80, 0xC0 ... for the alpha channel.
  std::vector<std::uint32_t> opaque, translucent, under;
  for (int i = 0; i < count; ++i) {
    opaque.push_back(0xFF000000u | colours[i]);
    translucent.push_back(static_cast<std::uint32_t>((i * 0x40) & 0xFF) << 24 | colours[i]);
  }
  translucent[count - 1] |= 0xFF000000u;
  for (int r = 0; r < rows; ++r) {
    for (int i = 0; i < count; ++i) under.push_back(0xFF000000u | backgrounds[r]);
  }
  const int plain = Graphic(count, 1, opaque), withAlpha = Graphic(count, 1, translucent, true);
  const int background = Graphic(count, rows, under);
  ASSERT_NE(plain, -1);
  ASSERT_NE(withAlpha, -1);
  ASSERT_NE(background, -1);

  const int modes[] = {BlendModeNone,     BlendModeAlpha,         BlendModeAdd,          BlendModeSubtract,
                       BlendModeMultiply, BlendModeInvertedAlpha, BlendModeMultiplyAlpha};
  for (int mode : modes) {
    for (int param : {0, 64, 128, 255}) {
      for (bool alphaSource : {false, true}) {
        const int x = 10, y = 10;
        SetBlendMode(BlendModeNone, 255);
        ASSERT_EQ(DrawGraphAt(x, y, background, FALSE), 0);
        SetBlendMode(mode, param);
        for (int r = 0; r < rows; ++r)
          ASSERT_EQ(DrawGraphAt(x, y + r, alphaSource ? withAlpha : plain, alphaSource), 0);
        SetBlendMode(BlendModeNone, 255);
        const Picture picture = BackBuffer();
        for (int r = 0; r < rows; ++r) {
          for (int i = 0; i < count; ++i) {
            const std::uint32_t source = alphaSource ? translucent[i] : opaque[i];
            // The blend parameter is the diffuse alpha; mode none does not modulate by it.
            double a = mode == BlendModeNone ? 1.0 : param / 255.0;
            if (alphaSource) a *= (source >> 24) / 255.0;
            // A source with an alpha channel drawn in mode none is blended by its alpha.
            const int effective = mode == BlendModeNone && alphaSource ? BlendModeAlpha : mode;
            const std::uint32_t got = picture.at(x + i, y + r);
            for (int shift = 0; shift < 24; shift += 8) {
              const double s = ((source >> shift) & 0xFF) / 255.0, d = ((backgrounds[r] >> shift) & 0xFF) / 255.0;
              const double want = Blend(effective, s, a, d) * 255.0;
              EXPECT_NEAR(static_cast<double>((got >> shift) & 0xFF), want, 1.0)
                  << "mode " << mode << " param " << param << (alphaSource ? " alpha channel" : "") << " source "
                  << std::hex << source << " over " << backgrounds[r] << ", channel at bit " << std::dec << shift;
            }
          }
        }
      }
    }
  }
}

// One string in each font type drawn on both back-ends over the same background.
Picture TextPicture(int type) {
  SetClearColor(60, 90, 120);
  ClearScreen();
  const int font = CreateFontToHandle(nullptr, 20, -1, type, -1, (type & 1) != 0 ? 2 : 1, FALSE, -1, -1);
  if (font == -1) return {};
  // An edge size above 1 would make every type an edge type. Latin letters, a hiragana and a
  // kanji in Shift-JIS.
  DrawTextWithFont(20, 30, "AgWy \x82\xa0\x8a\xbf", static_cast<int>(MakeColor(255, 200, 40)), font,
                   static_cast<int>(MakeColor(20, 60, 230)));
  SetTint(200, 255, 128);
  DrawTextWithFont(20, 70, "Mix 123", static_cast<int>(MakeColor(250, 250, 250)), font,
                   static_cast<int>(MakeColor(0, 0, 0)));
  SetTint(255, 255, 255);
  const Picture picture = GraphicsState.useHardware ? BackBuffer() : ScreenImage();
  ReleaseFontHandle(font);
  return picture;
}

// The colours of TextPicture's two lines: background, text and edge, each as the tint leaves it.
constexpr std::uint32_t TextBackground = 0x3C5A78;
struct TextLine {
  int top, bottom;
  std::uint32_t text, edge;
};
constexpr TextLine TextLines[] = {{0, 65, 0xFFC828, 0x143CE6}, {65, 120, 0xC4FA7D, 0x000000}};

int Channel(std::uint32_t colour, int c) { return static_cast<int>((colour >> (8 * c)) & 0xFF); }

// Whether the hardware pixel h may stand where the software back-end drew s, for a font type.
// Normal and edge glyphs are copied texel for texel, so the two are equal. Anti-aliased levels
// differ by each back-end's own scale: the software back-end weighs coverage level n (0..15) as
// n × 16 / 256, the 4-bit alpha of the texture cache as n / 15; so a pixel may differ by one
// of those sixteen steps of its contrast (full coverage is opaque on both). The anti-aliased
// edge is made by different rules too (the strongest neighbour in software, the combined
// coverage of all neighbours in the texture): there the pixels that are wholly text or wholly
// background must agree, and the others must lie among the line's three colours.
bool TextPixelsAgree(int type, const TextLine& line, std::uint32_t h, std::uint32_t s) {
  const bool edge = (type & FontTypeEdge) != 0;
  if ((type & FontTypeAntiAlias) == 0) return h == s;
  for (int c = 0; c < 3; ++c) {
    const int t = Channel(line.text, c), e = Channel(line.edge, c), b = Channel(TextBackground, c);
    const int hc = Channel(h, c), sc = Channel(s, c);
    if (!edge) {
      const bool full = h == line.text || s == line.text;
      if (std::abs(hc - sc) > (full ? 1 : 1 + std::abs(t - b) / 15)) return false;
      continue;
    }
    if (s == line.text || s == TextBackground) {
      if (std::abs(hc - sc) > 1) return false;
      continue;
    }
    if (hc < std::min({t, e, b}) - 1 || hc > std::max({t, e, b}) + 1) return false;
  }
  return true;
}

TEST_F(RealGraphicTest, TextThroughTheTextureCacheEqualsTheSoftwareBackEndsText) {
  if (!GothicFaceInstalled()) GTEST_SKIP() << "IPAGothic (fonts-ipafont-gothic) is not installed";
  const int types[] = {FontTypeNormal, FontTypeEdge, FontTypeAntiAlias, FontTypeAntiAliasEdge};
  std::vector<Picture> hardware, software;
  Start(true);
  for (int type : types) hardware.push_back(TextPicture(type));
  Stop();
  Start(false);
  for (int type : types) software.push_back(TextPicture(type));
  for (std::size_t t = 0; t < std::size(types); ++t) {
    ASSERT_EQ(hardware[t].width, ScreenWidth) << types[t];
    ASSERT_EQ(software[t].width, ScreenWidth) << types[t];
    int wrong = 0, inked = 0;
    std::string first;
    for (const TextLine& line : TextLines) {
      for (int y = line.top; y < line.bottom; ++y) {
        for (int x = 0; x < 300; ++x) {
          const std::uint32_t h = hardware[t].at(x, y), s = software[t].at(x, y);
          inked += s != TextBackground ? 1 : 0;
          if (TextPixelsAgree(types[t], line, h, s)) continue;
          if (wrong++ == 0) {
            char text[96];
            std::snprintf(text, sizeof text, "(%d, %d): %06x on the hardware, %06x in software", x, y, h, s);
            first = text;
          }
        }
      }
    }
    EXPECT_GT(inked, 100) << "type " << types[t] << ": the text drew nothing";
    if (wrong != 0) {
      // Both pictures beside the test binary, to be looked at.
      const std::string stem = std::string(OUTPUT_DIR) + "/text_type_" + std::to_string(types[t]);
      WritePng(stem + ".hardware.png", PngImage{ScreenWidth, ScreenHeight, hardware[t].pixels});
      WritePng(stem + ".software.png", PngImage{ScreenWidth, ScreenHeight, software[t].pixels});
    }
    EXPECT_EQ(wrong, 0) << "type " << types[t] << ": " << wrong << " of " << inked
                        << " text pixels differ, the first at " << first;
  }
}

}  // namespace

namespace {

// Another thread calls drawing, text and graphic calls while this one runs frames, on either
// back-end. Each of its calls is refused; the frames go on undisturbed and nothing is left over.
TEST_F(RealGraphicTest, CallsFromAnotherThreadAreRefusedWhileFramesRun) {
  for (const bool hardware : {true, false}) {
    SCOPED_TRACE(hardware ? "hardware" : "software");
    Start(hardware);
    if (HasFatalFailure()) return;
    std::atomic<bool> running{true};
    std::atomic<int> calls{0}, accepted{0};
    std::thread other([&] {
      while (running) {
        const int results[] = {DrawLine(0, 0, 300, 200, 0xFFFFFF, 1),
                               DrawCircle(100, 100, 40, 0xFF0000, TRUE),
                               DrawText(10, 10, "elsewhere", 0xFFFFFF, 0),
                               CreateEmptyGraphic(64, 64),
                               ReleaseGraphic(0x08000000),
                               ClearScreen(),
                               PresentScreen()};
        for (int r : results) {
          ++calls;
          if (r != -1) ++accepted;
        }
      }
    });
    const int graphic = CreateEmptyGraphic(32, 32);
    EXPECT_NE(graphic, -1);
    for (int frame = 0; frame < 60; ++frame) {
      EXPECT_EQ(PumpMessages(), 0);
      EXPECT_EQ(ClearScreen(), 0);
      EXPECT_EQ(DrawLine(0, frame, 200, frame, 0x00FF00, 1), 0);
      EXPECT_EQ(DrawGraphAt(frame, 50, graphic, FALSE), 0);
      EXPECT_EQ(DrawText(0, 100, "frame", 0xFFFFFF, 0), 0);
      EXPECT_EQ(PresentScreen(), 0);
    }
    running = false;
    other.join();
    EXPECT_GT(calls.load(), 0);
    EXPECT_EQ(accepted.load(), 0) << "calls from the other thread were carried out";
    EXPECT_EQ(ReleaseGraphic(graphic), 0);
    Stop();
  }
}

}  // namespace
