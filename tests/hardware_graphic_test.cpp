// Graphics on the recording Direct3D 9 device: handles and the table, the cut into textures,
// textured quads and their clamping, the stage templates, and the glyph cache in a texture.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "core/engine_state.h"
#include "core/tracked_memory.h"
#include "fake_d3d9.h"
#include "fake_platform.h"
#include "graphics/draw_state.h"
#include "graphics/graphic_handle.h"
#include "graphics/graphics_state.h"
#include "graphics/hardware/hardware_state.h"
#include "recording_device_fixture.h"
#include "test_support.h"
#include "text/font_record.h"
#include "vornek.h"

namespace {

using test_support::Sjis;

class HardwareGraphicTest : public RecordingDeviceTest {
 protected:
  void SetUp() override {
    RecordingDeviceTest::SetUp();
    GraphicTable = GraphicTableRecord{};  // a fresh program: the check number starts at 0
  }
  static std::uint32_t Pixel(int x, int y) {
    return fake::BackBufferPixels()[static_cast<size_t>(y) * 800 + x] & 0xFFFFFF;
  }
  static std::string Dump() { return fake::D3dDump(); }

  // A graphic whose texel (x, y) is red x * 8, green y * 8, blue 0x40.
  static int Gradient(int width, int height) {
    const int handle = CreateEmptyGraphic(width, height);
    std::vector<std::uint32_t> pixels;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) pixels.push_back(0xFF000040u | (x * 8u) << 16 | (y * 8u) << 8);
    }
    TransferToGraphic(handle, pixels.data(), width * 4, D3DFMT_A8R8G8B8, width, height, 0, 0);
    return handle;
  }
};

TEST_F(HardwareGraphicTest, HandlesAreMadeCheckedAndRefused) {
  Start();
  // The default font's glyph cache is the program's first graphic.
  const FontRecord* font = FontFromHandle(QueryDefaultFont());
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(font->textureCache, 1);
  EXPECT_EQ(font->cacheTexture, 0x08000000);
  EXPECT_EQ(IsGraphicHandleValid(0x08000000), 1);

  // The screen log's edge font has a cache texture and an edge view beside it.
  const int next = GraphicTable.highWater;
  const int handle = CreateEmptyGraphic(16, 16);
  EXPECT_EQ(handle, 0x08000000 | next << 16 | next);
  for (int refused : {handle | 0x8000, -1, static_cast<int>(0x88010001u), (handle & ~0x78000000) | (4 << 27)}) {
    EXPECT_EQ(IsGraphicHandleValid(refused), 0) << std::hex << refused;
    EXPECT_EQ(ReleaseGraphic(refused), -1) << std::hex << refused;
  }
  EXPECT_EQ(ReleaseGraphic(handle), 0);
  EXPECT_EQ(ReleaseGraphic(handle), -1) << "a second release";
  EXPECT_EQ(IsGraphicHandleValid(handle), 0);
  // The highest slot is taken again, with the next check number.
  const int again = CreateEmptyGraphic(16, 16);
  EXPECT_EQ(again, 0x08000000 | (next + 1) << 16 | next);
  EXPECT_EQ(DrawGraphAt(0, 0, handle, FALSE), -1) << "a stale handle draws nothing";
}

TEST_F(HardwareGraphicTest, TheCheckNumberWrapsAt2048) {
  Start();
  const int first = AllocGraphicHandle();
  ASSERT_EQ(ReleaseGraphic(first), 0);
  int last = -1;
  for (int i = 0; i < 2047; ++i) {
    last = AllocGraphicHandle();
    ASSERT_NE(last, first);
    ReleaseGraphic(last);
  }
  EXPECT_EQ((last >> 16) & 0x7FF, (((first >> 16) & 0x7FF) + 2047) & 0x7FF);
  const int wrapped = AllocGraphicHandle();
  EXPECT_EQ(wrapped, first) << "2048 allocations later the slot and check number come round";
  ReleaseGraphic(wrapped);
}

TEST_F(HardwareGraphicTest, AFullTableIsFatal) {
  EXPECT_EXIT(
      {
        if (InitEngine() != 0) std::exit(3);
        for (int i = 0; i <= MaxGraphics; ++i) AllocGraphicHandle();
      },
      ::testing::ExitedWithCode(255), "");
}

TEST_F(HardwareGraphicTest, ARecordThatCannotBeAllocatedIsFatal) {
  EXPECT_EXIT(
      {
        if (InitEngine() != 0) std::exit(3);
        fake::SetFailure(fake::Failure::HeapAlloc, true);
        AllocGraphicHandle();
        std::exit(4);
      },
      ::testing::ExitedWithCode(255), "");
}

TEST(TextureTileSplitTest, OneDimensionIsCutIntoPowersOfTwo) {
  struct Case {
    int n, max, screen;
    std::vector<int> tiles;
    int noSplit = 0;
  } cases[] = {
      {800, 2048, 800, {512, 256, 32}},
      {100, 2048, 800, {128}},
      {3000, 2048, 800, {2048, 1024}},
      {5, 2048, 800, {8}},
      {8, 2048, 800, {8}},
      {512, 2048, 800, {512}},
      {513, 2048, 800, {1024}},
      {600, 256, 800, {256, 256, 64, 16, 8}},  // split by a small maximum: halves down to what is left
      {1000, 512, 800, {512, 512}},            // the rest above 3/4 of a halved tile doubles it
      {1000, 2048, 800, {1024}},
      {810, 2048, 800, {512, 256, 32, 16}},  // the last two tiles of 8 merge
      {896, 2048, 800, {512, 256, 128}},     // a rest of exactly 3/4 of the tile is split on
      {800, 2048, 800, {1024}, 1},           // an image that may not be cut
  };
  for (const Case& c : cases) {
    int tiles[32];
    const int count = TextureTileSplit(c.n, c.max, c.screen, c.noSplit, tiles, 32);
    EXPECT_EQ(std::vector<int>(tiles, tiles + count), c.tiles) << c.n << " of at most " << c.max;
  }
  int tiles[32];
  EXPECT_EQ(TextureTileSplit(8193, 256, 800, 0, tiles, 32), -1) << "more tiles than there is room for";
}

TEST_F(HardwareGraphicTest, AGraphicIsCutIntoTexturesWithTheirLogLines) {
  Start();
  const int handle = CreateEmptyGraphic(800, 100);
  ASSERT_NE(handle, -1);
  for (const std::int64_t width : {512, 256, 32}) EXPECT_TRUE(Made(Kind::CreateTexture, {width, 128})) << width;
  EXPECT_EQ(GraphicFromHandle(handle)->quadCount, 3);

  fake::SetD3dFailure(fake::D3dFailure::Texture, true);
  const int live = GraphicTable.liveCount;
  EXPECT_EQ(CreateEmptyGraphic(16, 16), -1);
  EXPECT_TRUE(Logged("テクスチャの作成に失敗しました"));
  EXPECT_EQ(GraphicTable.liveCount, live) << "the failed graphic's handle is given back";
  fake::SetD3dFailure(fake::D3dFailure::Texture, false);
}

TEST_F(HardwareGraphicTest, QuadsMapTexelsToPixelsAndClampAtTheDrawArea) {
  Start();
  const int handle = Gradient(16, 16);
  ASSERT_EQ(DrawGraphAt(100, 50, handle, FALSE), 0);
  FlushVertexBatch();
  EXPECT_TRUE(Sent(Textured(99.5f, 49.5f, 0, 0))) << Dump();
  for (int x : {0, 7, 15}) {
    for (int y : {0, 15}) EXPECT_EQ(Pixel(100 + x, 50 + y), 0x000040u | x * 8u << 16 | y * 8u << 8) << x << "," << y;
  }
  EXPECT_EQ(Pixel(116, 50), 0u);

  fake::ClearD3dCalls();
  ASSERT_EQ(DrawGraphAt(-5, 200, handle, FALSE), 0);
  FlushVertexBatch();
  // The left corners move to the edge and u moves 5 texels along.
  EXPECT_TRUE(Sent(Textured(-0.5f, 199.5f, 0.3125f, 0))) << Dump();
  EXPECT_EQ(Pixel(0, 200), 0x000040u | 5 * 8u << 16);
  EXPECT_EQ(Pixel(10, 215), 0x000040u | 15 * 8u << 16 | 15 * 8u << 8);

  // A rectangle of the graphic lands on its destination only.
  ClearScreen();
  ASSERT_EQ(DrawGraphRect(300, 300, 4, 2, 3, 5, handle, FALSE, FALSE), 0);
  FlushVertexBatch();
  EXPECT_EQ(Pixel(300, 300), 0x000040u | 4 * 8u << 16 | 2 * 8u << 8);
  EXPECT_EQ(Pixel(302, 304), 0x000040u | 6 * 8u << 16 | 6 * 8u << 8);
  EXPECT_EQ(Pixel(303, 300), 0u);
  EXPECT_EQ(Pixel(299, 300), 0u);
  EXPECT_EQ(Pixel(300, 305), 0u);

  // Entirely outside: nothing.
  fake::ClearD3dCalls();
  ASSERT_EQ(DrawGraphAt(-40, 0, handle, FALSE), 0);
  FlushVertexBatch();
  EXPECT_TRUE(Draws().empty());
}

TEST_F(HardwareGraphicTest, CallerVerticesDrawAGraphicsTexture) {
  Start();
  const int handle = Gradient(16, 16);
  // One quad of the whole texture as a strip, 16 pixels from (200, 200).
  const Vertex2D strip[4] = {{199.5f, 199.5f, 0, 0, 255, 255, 255, 255},
                             {215.5f, 199.5f, 1, 0, 255, 255, 255, 255},
                             {199.5f, 215.5f, 0, 1, 255, 255, 255, 255},
                             {215.5f, 215.5f, 1, 1, 255, 255, 255, 255}};
  ASSERT_EQ(DrawVertices2D(strip, 4, D3DPT_TRIANGLESTRIP, handle, FALSE), 0);
  EXPECT_TRUE(Made(Kind::DrawPrimitiveUP, {D3DPT_TRIANGLESTRIP, 2, 28})) << Dump();
  EXPECT_EQ(Pixel(200, 200), 0x000040u);
  EXPECT_EQ(Pixel(215, 215), 0x000040u | 15 * 8u << 16 | 15 * 8u << 8);
  EXPECT_EQ(DrawVertices2D(strip, 4, D3DPT_TRIANGLESTRIP, 0x08001234, FALSE), -1) << "not a graphic";
}

TEST_F(HardwareGraphicTest, StretchedAndMirroredQuads) {
  Start();
  const int handle = Gradient(16, 16);
  ASSERT_EQ(DrawGraphStretched(100, 100, 132, 116, handle, FALSE), 0);
  FlushVertexBatch();
  EXPECT_EQ(Pixel(100, 100), 0x000040u);
  EXPECT_EQ(Pixel(103, 100), 0x000040u | 1 * 8u << 16) << "two pixels per texel across";
  EXPECT_EQ(Pixel(131, 115), 0x000040u | 15 * 8u << 16 | 15 * 8u << 8);
  EXPECT_EQ(DrawGraphStretched(0, 0, 0, 10, handle, FALSE), -1);

  ClearScreen();
  ASSERT_EQ(DrawGraphRect(200, 200, 0, 0, 16, 1, handle, FALSE, TRUE), 0);
  FlushVertexBatch();
  EXPECT_EQ(Pixel(200, 200), 0x000040u | 15 * 8u << 16);
  EXPECT_EQ(Pixel(215, 200), 0x000040u);
  EXPECT_EQ(Pixel(200, 201), 0u) << "the mirrored graphic is cut at its destination";
  EXPECT_EQ(Pixel(216, 200), 0u);
}

// Bilinear drawing sets linear filters. A graphic stretched with them takes its alpha from an
// alpha channel, since filtering blurs the edges an alpha test would cut; drawn at its size it
// keeps its alpha test.
TEST_F(HardwareGraphicTest, BilinearSamplingSetsLinearFiltersAndFilteredAlpha) {
  Start();
  const int handle = Gradient(16, 16);  // alpha test, no alpha channel
  const auto filters = [](DWORD filter) {
    return Made(Kind::SetSamplerState, {0, D3DSAMP_MINFILTER, filter}) &&
           Made(Kind::SetSamplerState, {0, D3DSAMP_MAGFILTER, filter});
  };
  HardwareState.bilinear = 1;
  ASSERT_EQ(DrawGraphStretched(0, 0, 32, 32, handle, TRUE), 0);
  EXPECT_TRUE(filters(D3DTEXF_LINEAR)) << Dump();
  EXPECT_EQ(HardwareState.sourceAlpha, SourceAlphaChannel);
  ASSERT_EQ(DrawGraphAt(100, 100, handle, TRUE), 0);
  EXPECT_EQ(HardwareState.sourceAlpha, SourceAlphaTest);
  HardwareState.bilinear = 0;
  fake::ClearD3dCalls();
  ASSERT_EQ(DrawGraphStretched(0, 0, 32, 32, handle, TRUE), 0);
  EXPECT_TRUE(filters(D3DTEXF_POINT)) << Dump();
  EXPECT_EQ(HardwareState.sourceAlpha, SourceAlphaTest);
  FlushVertexBatch();
}

TEST_F(HardwareGraphicTest, ARectangleOfAGraphicStretchedToItsDestination) {
  Start();
  const int handle = Gradient(16, 16);
  const auto texel = [](unsigned x, unsigned y) { return 0x000040u | x * 8u << 16 | y * 8u << 8; };
  struct Case {
    const char* name;
    int x1, y1, x2, y2, sourceX, sourceY, width, height;
    std::vector<std::pair<int, int>> at;            // destination pixels
    std::vector<std::pair<unsigned, unsigned>> of;  // ... and the texels they show
    std::vector<std::pair<int, int>> outside;       // pixels left black
  } cases[] = {
      {"doubled",
       300,
       300,
       308,
       304,
       4,
       2,
       4,
       2,
       {{300, 300}, {301, 300}, {302, 300}, {307, 303}, {300, 302}},
       {{4, 2}, {4, 2}, {5, 2}, {7, 3}, {4, 3}},
       {{299, 300}, {308, 300}, {300, 299}, {300, 304}}},
      {"three texels to ten pixels",
       500,
       500,
       510,
       501,
       4,
       0,
       3,
       1,
       {{500, 500}, {503, 500}, {506, 500}, {507, 500}, {509, 500}},
       {{4, 0}, {5, 0}, {5, 0}, {6, 0}, {6, 0}},
       {{499, 500}, {510, 500}, {500, 501}}},
      {"mirrored",
       408,
       400,
       400,
       401,
       4,
       2,
       4,
       1,
       {{400, 400}, {401, 400}, {406, 400}, {407, 400}},
       {{7, 2}, {7, 2}, {4, 2}, {4, 2}},
       {{399, 400}, {408, 400}, {400, 401}}},
      {"partly left of the screen",
       -4,
       100,
       4,
       102,
       0,
       0,
       8,
       2,
       {{0, 100}, {3, 101}},
       {{4, 0}, {7, 1}},
       {{4, 100}, {0, 102}}},
  };
  for (const Case& c : cases) {
    ClearScreen();
    ASSERT_EQ(DrawGraphRectStretched(c.x1, c.y1, c.x2, c.y2, c.sourceX, c.sourceY, c.width, c.height, handle, FALSE), 0)
        << c.name;
    FlushVertexBatch();
    for (size_t i = 0; i < c.at.size(); ++i) {
      EXPECT_EQ(Pixel(c.at[i].first, c.at[i].second), texel(c.of[i].first, c.of[i].second))
          << c.name << " at " << c.at[i].first << "," << c.at[i].second;
    }
    for (const auto& [x, y] : c.outside) EXPECT_EQ(Pixel(x, y), 0u) << c.name << " at " << x << "," << y;
  }
  EXPECT_EQ(DrawGraphRectStretched(0, 0, 10, 10, 0, 0, 0, 4, handle, FALSE), -1) << "no source width";
  EXPECT_EQ(DrawGraphRectStretched(0, 0, 0, 10, 0, 0, 4, 4, handle, FALSE), -1) << "no destination width";
  EXPECT_EQ(DrawGraphRectStretched(0, 0, 10, 10, 0, 0, 4, 4, 0x08001234, FALSE), -1) << "not a graphic";
}

// What the device holds on a stage, compared only in the arguments its operations read.
struct StageWant {
  DWORD colorOp, colorArg1, colorArg2, alphaOp, alphaArg1, alphaArg2;
};
constexpr StageWant Disabled = {D3DTOP_DISABLE, 0, 0, 0, 0, 0};

void ExpectStage(DWORD stage, const StageWant& want, const std::string& where) {
  const auto held = [&](D3DTEXTURESTAGESTATETYPE type) { return fake::D3dStageState(stage, type); };
  const auto reads = [](DWORD op, int arg) {
    return op == D3DTOP_SELECTARG1 ? arg == 1 : op == D3DTOP_SELECTARG2 ? arg == 2 : op != D3DTOP_DISABLE;
  };
  SCOPED_TRACE(where + ", stage " + std::to_string(stage));
  EXPECT_EQ(held(D3DTSS_COLOROP), want.colorOp);
  if (want.colorOp == D3DTOP_DISABLE) return;
  if (reads(want.colorOp, 1)) {
    EXPECT_EQ(held(D3DTSS_COLORARG1), want.colorArg1);
  }
  if (reads(want.colorOp, 2)) {
    EXPECT_EQ(held(D3DTSS_COLORARG2), want.colorArg2);
  }
  EXPECT_EQ(held(D3DTSS_ALPHAOP), want.alphaOp);
  if (reads(want.alphaOp, 1)) {
    EXPECT_EQ(held(D3DTSS_ALPHAARG1), want.alphaArg1);
  }
  if (reads(want.alphaOp, 2)) {
    EXPECT_EQ(held(D3DTSS_ALPHAARG2), want.alphaArg2);
  }
}

// A graphic drawn in each blend mode (the family), tinted or not (colour modulation), with a
// blend mode other than none (alpha modulation) and with its alpha channel or alpha test used
// or not (the alpha kind) leaves its template's stages on the device, and a disabled stage
// after them. The cases run in an order where each one changes what the one before left.
TEST_F(HardwareGraphicTest, StageTemplatesByFamilyAlphaKindAndModulation) {
  constexpr DWORD Tex = D3DTA_TEXTURE, Dif = D3DTA_DIFFUSE, Cur = D3DTA_CURRENT, Inv = D3DTA_TEXTURE | D3DTA_COMPLEMENT;
  constexpr StageWant MultiplyAlphaStage = {D3DTOP_BLENDCURRENTALPHA, Cur, D3DTA_TFACTOR, D3DTOP_SELECTARG1, Cur, 0};
  struct Case {
    const char* name;
    int mode;
    bool tinted, alphaChannel, transparency;
    int index;
    StageWant first, second;
  } cases[] = {
      {"none", BlendModeNone, false, false, false, 0, {D3DTOP_SELECTARG1, Tex, 0, D3DTOP_SELECTARG2, 0, Dif}, Disabled},
      {"none, alpha test",
       BlendModeNone,
       false,
       false,
       true,
       2,
       {D3DTOP_SELECTARG1, Tex, 0, D3DTOP_SELECTARG1, Tex, 0},
       Disabled},
      {"multiply alpha, alpha channel",
       BlendModeMultiplyAlpha,
       false,
       true,
       true,
       28,
       {D3DTOP_SELECTARG1, Tex, 0, D3DTOP_MODULATE, Tex, Dif},
       MultiplyAlphaStage},
      {"none, tinted, alpha channel",
       BlendModeNone,
       true,
       true,
       true,
       7,
       {D3DTOP_MODULATE, Tex, Dif, D3DTOP_SELECTARG1, Tex, 0},
       Disabled},
      {"alpha",
       BlendModeAlpha,
       false,
       false,
       false,
       3,
       {D3DTOP_SELECTARG1, Tex, 0, D3DTOP_SELECTARG2, 0, Dif},
       Disabled},
      {"alpha, tinted, alpha channel",
       BlendModeAlpha,
       true,
       true,
       true,
       10,
       {D3DTOP_MODULATE, Tex, Dif, D3DTOP_MODULATE, Tex, Dif},
       Disabled},
      {"add, alpha test taken as the channel",
       BlendModeAdd,
       false,
       false,
       true,
       4,
       {D3DTOP_SELECTARG1, Tex, 0, D3DTOP_MODULATE, Tex, Dif},
       Disabled},
      {"multiply alpha, tinted",
       BlendModeMultiplyAlpha,
       true,
       false,
       false,
       33,
       {D3DTOP_MODULATE, Tex, Dif, D3DTOP_SELECTARG2, 0, Dif},
       MultiplyAlphaStage},
      {"inverted alpha",
       BlendModeInvertedAlpha,
       false,
       false,
       false,
       51,
       {D3DTOP_SELECTARG1, Inv, 0, D3DTOP_SELECTARG2, 0, Dif},
       Disabled},
      {"inverted alpha, tinted, alpha channel",
       BlendModeInvertedAlpha,
       true,
       true,
       true,
       58,
       {D3DTOP_MODULATE, Inv, Dif, D3DTOP_MODULATE, Tex, Dif},
       Disabled},
  };
  Start();
  const int plain = CreateEmptyGraphic(4, 4);
  SetCreateAlphaChannel(TRUE);
  const int withAlpha = CreateEmptyGraphic(4, 4);
  SetCreateAlphaChannel(FALSE);
  for (const Case& c : cases) {
    SetBlendMode(c.mode, 255);
    if (c.tinted) {
      SetTint(255, 128, 0);
    } else {
      SetTint(255, 255, 255);
    }
    ASSERT_EQ(DrawGraphAt(10, 10, c.alphaChannel ? withAlpha : plain, c.transparency ? TRUE : FALSE), 0);
    FlushVertexBatch();
    const int family = c.mode == BlendModeMultiplyAlpha ? 1 : c.mode == BlendModeInvertedAlpha ? 2 : 0;
    EXPECT_EQ(
        StageTemplateIndex(family, HardwareState.modulateAlpha, HardwareState.modulateColor, HardwareState.sourceAlpha),
        c.index)
        << c.name;
    ExpectStage(0, c.first, c.name);
    ExpectStage(1, c.second, c.name);
    if (c.second.colorOp != D3DTOP_DISABLE) ExpectStage(2, Disabled, c.name);
    EXPECT_EQ(TextureStageTemplates[c.index].stageCount, family == 1 ? 2 : 1) << c.name;
  }
  SetBlendMode(BlendModeNone, 255);
  SetTint(255, 255, 255);
  // The unused indices of families 1 and 2 follow the same rule as family 0's.
  for (int h = 0; h < 2; ++h) {
    for (int a = 0; a < 3; ++a) {
      const TextureStageTemplate& zero = TextureStageTemplates[StageTemplateIndex(0, 0, h, a)];
      const TextureStageTemplate& one = TextureStageTemplates[StageTemplateIndex(1, 0, h, a)];
      const TextureStageTemplate& two = TextureStageTemplates[StageTemplateIndex(2, 0, h, a)];
      EXPECT_EQ(one.stages[0].colorOp, zero.stages[0].colorOp);
      EXPECT_EQ(one.stages[0].alphaOp, zero.stages[0].alphaOp);
      EXPECT_EQ(one.stages[1].colorOp, D3DTOP_BLENDCURRENTALPHA);
      EXPECT_EQ(two.stages[0].colorArg1, D3DTA_TEXTURE | D3DTA_COMPLEMENT);
      EXPECT_EQ(two.stages[0].alphaOp, zero.stages[0].alphaOp);
    }
  }
}

// Multiply alpha runs through both stages: the texel is blended towards white by its alpha
// (stage 1), then multiplies the background.
TEST_F(HardwareGraphicTest, MultiplyAlphaBlendsTheTexelTowardsWhiteByItsAlpha) {
  Start();
  SetCreateAlphaChannel(TRUE);
  const int handle = CreateEmptyGraphic(4, 4);
  SetCreateAlphaChannel(FALSE);
  const std::vector<std::uint32_t> texels(16, 0x80FF2000u);
  ASSERT_EQ(TransferToGraphic(handle, texels.data(), 16, D3DFMT_A8R8G8B8, 4, 4, 0, 0), 0);
  SetClearColor(0x80, 0xC0, 0xFF);
  ClearScreen();
  SetBlendMode(BlendModeMultiplyAlpha, 255);
  ASSERT_EQ(DrawGraphAt(10, 10, handle, TRUE), 0);
  FlushVertexBatch();
  SetBlendMode(BlendModeNone, 255);
  const std::uint32_t got = Pixel(11, 11);
  const int background[3] = {0xFF, 0xC0, 0x80}, texel[3] = {0x00, 0x20, 0xFF};  // blue, green, red
  for (int c = 0; c < 3; ++c) {
    const double towardsWhite = (texel[c] * 0x80 + 255.0 * (255 - 0x80)) / 255.0;
    EXPECT_NEAR(static_cast<int>((got >> (8 * c)) & 0xFF), towardsWhite * background[c] / 255.0, 1.0)
        << "channel " << c;
  }
}

TEST_F(HardwareGraphicTest, DerivedGraphicsShareTheirImageUntilTheLastRelease) {
  Start();
  const int source = Gradient(16, 16);
  const int derived = CreateDerivedGraphic(4, 2, 100, 100, source);
  ASSERT_NE(derived, -1);
  EXPECT_EQ(GraphicFromHandle(derived)->width, 12);
  EXPECT_EQ(GraphicFromHandle(derived)->height, 14);
  EXPECT_EQ(CreateDerivedGraphic(16, 0, 1, 1, source), -1);
  EXPECT_EQ(CreateDerivedGraphic(-1, 0, 1, 1, source), -1);
  const int objects = fake::LiveD3dObjects();
  ASSERT_EQ(ReleaseGraphic(source), 0);
  EXPECT_EQ(fake::LiveD3dObjects(), objects) << "the derived graphic keeps the texture";
  ASSERT_EQ(DrawGraphAt(50, 50, derived, FALSE), 0);
  FlushVertexBatch();
  EXPECT_EQ(Pixel(50, 50), 0x000040u | 4 * 8u << 16 | 2 * 8u << 8);
  ASSERT_EQ(ReleaseGraphic(derived), 0);
  EXPECT_LT(fake::LiveD3dObjects(), objects);
}

TEST_F(HardwareGraphicTest, TextComesThroughTheTextureCacheTinted) {
  Start();
  const FontRecord* font = FontFromHandle(QueryDefaultFont());
  ASSERT_NE(font, nullptr);
  ClearScreen();
  ASSERT_EQ(DrawText(10, 10, "A", MakeColor(255, 128, 0), 0), 0);
  FlushVertexBatch();
  int lit = 0;
  const std::vector<std::uint32_t> frame = fake::BackBufferPixels();
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 40; ++x) {
      const std::uint32_t p = frame[static_cast<size_t>(y) * 800 + x] & 0xFFFFFF;
      if (p == 0) continue;
      EXPECT_EQ(p, 0xFF8000u) << x << "," << y;
      ++lit;
    }
  }
  EXPECT_GT(lit, 0);
  EXPECT_EQ(font->glyphIndex[static_cast<unsigned char>('A')].cached, 1);
}

TEST_F(HardwareGraphicTest, AGraphicMadeAsADrawTargetIsDrawnIntoAndCleared) {
  Start();
  const int plain = CreateEmptyGraphic(32, 32);
  EXPECT_EQ(SelectDrawTarget(plain), -1) << "not made as a draw target";
  ASSERT_EQ(SetCreateDrawTarget(TRUE), 0);
  fake::ClearD3dCalls();
  const int target = CreateEmptyGraphic(32, 32);
  SetCreateDrawTarget(FALSE);
  ASSERT_NE(target, -1);
  EXPECT_TRUE(Made(Kind::CreateTexture, {32, 32, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT}))
      << Dump();
  ASSERT_EQ(SelectDrawTarget(target), 0);
  EXPECT_EQ(GetDrawTarget(), target);
  EXPECT_EQ(DrawState.drawArea.right, 32);
  SetClearColor(0, 0, 255);
  ASSERT_EQ(ClearScreen(), 0);
  DrawLine(0, 0, 32, 0, static_cast<int>(MakeColor(255, 0, 0)), 1);
  ASSERT_EQ(SelectDrawTarget(ScreenBack), 0);
  SetClearColor(0, 0, 0);
  ClearScreen();
  ASSERT_EQ(DrawGraphAt(100, 100, target, FALSE), 0);
  FlushVertexBatch();
  EXPECT_EQ(Pixel(110, 100), 0xFF0000u);
  EXPECT_EQ(Pixel(110, 110), 0x0000FFu);
  EXPECT_EQ(Pixel(132, 110), 0u);
  ASSERT_EQ(SelectDrawTarget(target), 0);
  EXPECT_EQ(ReleaseGraphic(target), 0);
  EXPECT_EQ(GetDrawTarget(), ScreenBack) << "a released target gives the screen back";
}

TEST_F(HardwareGraphicTest, AFontsCacheTextureIgnoresTheProgramsCreationSettings) {
  Start();
  ASSERT_EQ(SetCreateDrawTarget(TRUE), 0);
  ASSERT_EQ(SetCreateAlphaChannel(TRUE), 0);
  ASSERT_EQ(SetCreateBitDepth(32), 0);
  fake::ClearD3dCalls();
  const int handle = CreateFontToHandle(nullptr, 16, -1, FontTypeNormal, -1, -1, FALSE, -1, -1);
  ASSERT_NE(handle, -1);
  const FontRecord* font = FontFromHandle(handle);
  ASSERT_EQ(font->textureCache, 1);
  const GraphicRecord* cache = GraphicFromHandle(font->cacheTexture);
  ASSERT_NE(cache, nullptr);
  EXPECT_EQ(cache->image->flags.drawTarget, 0);
  EXPECT_EQ(cache->image->flags.alphaTest, 1);
  EXPECT_EQ(cache->image->flags.bitDepth, 16);
  EXPECT_FALSE(Made(Kind::CreateTexture, {512, 512, 1, D3DUSAGE_RENDERTARGET})) << Dump();
  EXPECT_EQ(GetCreateDrawTarget(), TRUE) << "the program's settings are given back";
  EXPECT_EQ(GetCreateAlphaChannel(), TRUE);
  EXPECT_EQ(GetCreateBitDepth(), 32);
  SetCreateDrawTarget(FALSE);
  SetCreateAlphaChannel(FALSE);
  SetCreateBitDepth(0);
  ReleaseFontHandle(handle);
}

TEST_F(HardwareGraphicTest, AFontLeftWithoutACacheTextureFailsToDrawInsteadOfDrawingNothing) {
  Start();
  fake::SetD3dFailure(fake::D3dFailure::Texture, true);
  const int handle = CreateFontToHandle(nullptr, 16, -1, FontTypeNormal, -1, -1, FALSE, -1, -1);
  fake::SetD3dFailure(fake::D3dFailure::Texture, false);
  ASSERT_NE(handle, -1) << "the font falls back to its memory cache";
  EXPECT_TRUE(Logged("テクスチャ文字キャッシュの作成に失敗しました"));
  ASSERT_EQ(FontFromHandle(handle)->textureCache, 0);
  EXPECT_EQ(DrawTextWithFont(10, 10, "A", static_cast<int>(MakeColor(255, 255, 255)), handle, 0), -1);
  EXPECT_TRUE(Logged("テクスチャキャッシュを持たないフォントはハードウエア描画では描画できません"));
  EXPECT_EQ(DrawTextWithFont(10, 10, "A", static_cast<int>(MakeColor(255, 255, 255)), QueryDefaultFont(), 0), 0)
      << "a font with its texture still draws";
  ReleaseFontHandle(handle);
}

TEST_F(HardwareGraphicTest, RestoringTheDisplayRebuildsTheFontsWithEmptyCaches) {
  Start();
  ASSERT_EQ(DrawText(10, 10, "AB", MakeColor(255, 255, 255), 0), 0);
  const int handle = Gradient(16, 16);
  ASSERT_EQ(RestoreGraphics(), 0);
  EXPECT_EQ(IsGraphicHandleValid(handle), 1) << "handles outlive the device";
  EXPECT_NE(GraphicFromHandle(handle)->image->tiles[0].texture, nullptr) << "its texture is made again";
  SetClearColor(0x10, 0x20, 0x30);
  ClearScreen();
  ASSERT_EQ(DrawGraphAt(100, 100, handle, FALSE), 0);
  FlushVertexBatch();
  for (int x : {100, 108, 115}) EXPECT_EQ(Pixel(x, 110), 0u) << x << ": the texture comes back empty";
  EXPECT_EQ(Pixel(116, 110), 0x102030u);
  SetClearColor(0, 0, 0);
  const FontRecord* font = FontFromHandle(QueryDefaultFont());
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(font->glyphIndex[static_cast<unsigned char>('A')].cached, 0) << "the glyph cache starts empty";
  EXPECT_EQ(IsGraphicHandleValid(font->cacheTexture), 1);
  ClearScreen();
  ASSERT_EQ(DrawText(10, 10, "A", MakeColor(255, 255, 255), 0), 0);
  FlushVertexBatch();
  int lit = 0;
  const std::vector<std::uint32_t> frame = fake::BackBufferPixels();
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 40; ++x) lit += (frame[static_cast<size_t>(y) * 800 + x] & 0xFFFFFF) == 0xFFFFFFu ? 1 : 0;
  }
  EXPECT_GT(lit, 0);
}

// The same text on both back-ends of the fake platform, each font type on one line, on 32- and
// 16-bit screens: through the texture glyph cache on the recording device and through the
// memory cache in software. Pixels are compared in the screen's own channels.
struct TextScreen {
  std::vector<std::uint32_t> pixels;
  std::uint32_t text = 0, edge = 0, background = 0;
};

TextScreen DrawEveryFontType(bool hardware, int depth) {
  fake::ResetPlatform();
  fake::SetClientSize(800, 600);
  fake::UseRecordingDevice(hardware);
  fake::SetDesktopDepth(depth);
  EngineState = EngineStateRecord{};
  GraphicsState = GraphicsStateRecord{};
  ChangeWindowMode(TRUE);
  SetScreenMode(800, 600, depth, 60);
  TextScreen screen;
  if (InitEngine() != 0 || GraphicsState.useHardware != (hardware ? 1 : 0) || GraphicsState.screenBitDepth != depth) {
    ADD_FAILURE() << "no " << depth << "-bit " << (hardware ? "hardware" : "software") << " screen";
    EndEngine();
    return screen;
  }
  SelectDrawTarget(ScreenBack);
  SetClearColor(60, 90, 120);
  ClearScreen();
  screen.text = MakeColor(255, 200, 40);
  screen.edge = MakeColor(20, 60, 230);
  screen.background = MakeColor(60, 90, 120);
  for (int type = 0; type < 4; ++type) {
    const int font = CreateFontToHandle(nullptr, 16, -1, type, -1, (type & 1) != 0 ? 2 : 1, FALSE, -1, -1);
    DrawTextWithFont(10, 10 + 40 * type, "AgW \x82\xa0", static_cast<int>(screen.text), font,
                     static_cast<int>(screen.edge));
    ReleaseFontHandle(font);
  }
  if (hardware) {
    FlushVertexBatch();
    screen.pixels = fake::BackBufferPixels();
  } else {
    const MEMIMG& image = GraphicsState.screenImage;
    for (int y = 0; y < image.height; ++y) {
      for (int x = 0; x < image.width; ++x) {
        const std::uint8_t* at = image.pixels + static_cast<std::ptrdiff_t>(y) * image.shared->pitch;
        screen.pixels.push_back(depth == 16 ? reinterpret_cast<const std::uint16_t*>(at)[x]
                                            : reinterpret_cast<const std::uint32_t*>(at)[x]);
      }
    }
  }
  EndEngine();
  EXPECT_EQ(fake::LiveD3dObjects(), 0);
  EXPECT_EQ(LiveBlockCount(), 0);
  fake::ResetPlatform();
  return screen;
}

TEST(FakeTextTest, TheTextureCacheDrawsWhatTheMemoryCacheDraws) {
  for (int depth : {32, 16}) {
    SCOPED_TRACE(std::to_string(depth) + " bits");
    const TextScreen hardware = DrawEveryFontType(true, depth), software = DrawEveryFontType(false, depth);
    ASSERT_EQ(hardware.pixels.size(), 800u * 600u);
    ASSERT_EQ(software.pixels.size(), 800u * 600u);
    // Red, green and blue as the screen holds them.
    const auto channel = [depth](std::uint32_t p, int c) {
      if (depth == 32) return static_cast<int>((p >> (16 - 8 * c)) & 0xFF);
      return static_cast<int>(c == 0 ? (p >> 11) & 0x1F : c == 1 ? (p >> 5) & 0x3F : p & 0x1F);
    };
    for (int type = 0; type < 4; ++type) {
      int wrong = 0, inked = 0;
      std::string first;
      for (int y = 40 * type; y < 40 * type + 40; ++y) {
        for (int x = 0; x < 200; ++x) {
          const std::size_t i = static_cast<std::size_t>(y) * 800 + static_cast<std::size_t>(x);
          const std::uint32_t h = hardware.pixels[i] & (depth == 16 ? 0xFFFFu : 0xFFFFFFu);
          const std::uint32_t s = software.pixels[i] & (depth == 16 ? 0xFFFFu : 0xFFFFFFu);
          const std::uint32_t text = software.text & (depth == 16 ? 0xFFFFu : 0xFFFFFFu);
          const std::uint32_t background = software.background & (depth == 16 ? 0xFFFFu : 0xFFFFFFu);
          inked += s != background ? 1 : 0;
          bool agree = true;
          for (int c = 0; c < 3 && agree; ++c) {
            const int hc = channel(h, c), sc = channel(s, c), t = channel(text, c), b = channel(background, c);
            const int e = channel(software.edge, c);
            if ((type & 2) == 0) {
              agree = hc == sc;  // ink and edge texels are copied as they are
            } else if ((type & 1) == 0) {
              // Full coverage is the text colour on both; otherwise one of the sixteen coverage
              // steps, and one step of the channel for rounding.
              const bool full = s == text || h == text;
              agree = std::abs(hc - sc) <= (full ? 1 : 2 + std::abs(t - b) / 15);
            } else if (s == text || s == background) {
              agree = std::abs(hc - sc) <= 1;
            } else {
              agree = hc >= std::min({t, e, b}) - 1 && hc <= std::max({t, e, b}) + 1;
            }
          }
          if (agree) continue;
          if (wrong++ == 0) first = std::to_string(x) + "," + std::to_string(y);
        }
      }
      EXPECT_GT(inked, 50) << "type " << type;
      EXPECT_EQ(wrong, 0) << "type " << type << ": " << wrong << " pixels differ, the first at " << first;
    }
  }
}

}  // namespace
