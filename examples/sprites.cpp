// Sprites: pictures loaded from PNG files and drawn turned, scaled and blended, beside filled
// shapes, on either back-end. The pictures are made by scripts/make_sprite_assets.py.
//
//   vornek_sprites [--frames N] [--assets DIR] [--screenshot FILE] [--log]
//
// Space switches between nearest and bilinear sampling; Escape or closing the window ends.
// --frames N ends by itself after N frames; --screenshot FILE saves the last frame as PNG.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "vornek.h"

#ifndef VORNEK_SPRITE_ASSETS
#define VORNEK_SPRITE_ASSETS "examples/assets"
#endif

namespace {

constexpr int Width = 800, Height = 600;
constexpr int Ships = 48, Balls = 24;

struct Graphics {
  int ship = -1, ball = -1;
  int tiles[4] = {-1, -1, -1, -1};
};

bool Load(const std::string& assets, Graphics* g) {
  g->ship = LoadGraphic((assets + "/ship.png").c_str());
  g->ball = LoadGraphic((assets + "/ball.png").c_str());
  // The tiles have no alpha: magenta is their transparent colour.
  SetTransparentColor(255, 0, 255);
  const int split = LoadSplitGraphic((assets + "/tiles.png").c_str(), 4, 4, 1, 16, 16, g->tiles);
  SetTransparentColor(0, 0, 0);
  return g->ship != -1 && g->ball != -1 && split == 0;
}

void DrawFloor(const Graphics& g) {
  for (int y = 0; y < Height; y += 16) {
    for (int x = 0; x < Width; x += 16) DrawGraphAt(x, y, g.tiles[(x / 16 + y / 16 * 3) % 3], FALSE);
  }
  // The fourth tile, with its transparent corners, scaled up in a row.
  for (int i = 0; i < 6; ++i) DrawGraphRotated(80 + i * 128, 560, 3.0, 0.0, g.tiles[3], TRUE);
}

void DrawShapes(int frame) {
  SetBlendMode(BlendModeAlpha, 150);
  DrawBox(20, 20, 220, 120, MakeColor(20, 24, 40), TRUE);
  SetBlendMode(BlendModeNone, 0);
  DrawBox(20, 20, 220, 120, MakeColor(200, 200, 220), FALSE);
  const double t = frame * 0.03;
  DrawTriangle(40, 100, 80, 40, 120, 100, MakeColor(240, 120, 60), TRUE);
  DrawQuadrilateral(130, 45, 205, 40 + static_cast<int>(10 * std::sin(t)), 200, 100, 140, 95, MakeColor(80, 200, 120),
                    TRUE);
  SetBlendMode(BlendModeAdd, 120);
  DrawOval(620, 80, 120 + static_cast<int>(20 * std::sin(t)), 50, MakeColor(60, 90, 200), TRUE);
  SetBlendMode(BlendModeNone, 0);
  DrawOval(620, 80, 140, 60, MakeColor(200, 220, 255), FALSE);
}

void DrawSprites(const Graphics& g, int frame) {
  const double t = frame * 0.02;
  // A ring of ships, each turned to fly round the centre, growing and shrinking.
  for (int i = 0; i < Ships; ++i) {
    const double a = t + i * 2 * M_PI / Ships;
    const int x = 400 + static_cast<int>(220 * std::cos(a)), y = 320 + static_cast<int>(170 * std::sin(a));
    const double scale = 1.0 + 0.5 * std::sin(3 * a + t * 4);
    DrawGraphRotated(x, y, scale, a + M_PI, g.ship, TRUE);
  }
  // Glowing balls added onto the picture.
  SetBlendMode(BlendModeAdd, 255);
  for (int i = 0; i < Balls; ++i) {
    const double a = -t * 1.7 + i * 2 * M_PI / Balls;
    DrawGraphRotated(400 + static_cast<int>(110 * std::cos(a)), 320 + static_cast<int>(80 * std::sin(a)), 1.5, 0.0,
                     g.ball, TRUE);
  }
  SetBlendMode(BlendModeNone, 0);
  // One ship pinned by its four corners to a swaying quadrilateral.
  const int sway = static_cast<int>(30 * std::sin(t * 3));
  DrawGraphFourCorners(340 + sway, 260, 460 + sway, 270, 470, 390, 330, 380, g.ship, TRUE);
}

}  // namespace

int main(int argc, char** argv) {
  long maxFrames = 0;
  bool log = false;
  std::string assets = VORNEK_SPRITE_ASSETS, screenshot;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--frames") == 0 && i + 1 < argc) {
      char* end = nullptr;
      maxFrames = std::strtol(argv[++i], &end, 10);
      if (*end != '\0' || maxFrames < 1) {
        std::fprintf(stderr, "vornek_sprites: --frames wants a positive number\n");
        return 2;
      }
    } else if (std::strcmp(argv[i], "--assets") == 0 && i + 1 < argc) {
      assets = argv[++i];
    } else if (std::strcmp(argv[i], "--screenshot") == 0 && i + 1 < argc) {
      screenshot = argv[++i];
    } else if (std::strcmp(argv[i], "--log") == 0) {
      log = true;
    } else {
      std::fprintf(stderr, "usage: vornek_sprites [--frames N] [--assets DIR] [--screenshot FILE] [--log]\n");
      return 2;
    }
  }

  SetWindowTitle("Vornek sprites");
  SetLogOutputFlag(log ? TRUE : FALSE);
  ChangeWindowMode(TRUE);
  SetScreenMode(Width, Height, 32, 60);
  if (InitEngine() != 0) return -1;
  Graphics g;
  if (!Load(assets, &g)) {
    std::fprintf(stderr,
                 "vornek_sprites: cannot load the pictures from %s (make them with "
                 "scripts/make_sprite_assets.py)\n",
                 assets.c_str());
    EndEngine();
    return 1;
  }

  long frame = 0;
  bool spaceWasDown = false;
  int result = 0;
  while (PumpMessages() == 0 && IsKeyDown(KeyEscape) == 0) {
    const bool space = IsKeyDown(KeySpace) != 0;
    if (space && !spaceWasDown)
      SetDrawSampling(GetDrawSampling() == SamplingNearest ? SamplingBilinear : SamplingNearest);
    spaceWasDown = space;
    ClearScreen();
    DrawFloor(g);
    DrawShapes(static_cast<int>(frame));
    DrawSprites(g, static_cast<int>(frame));
    DrawTextFormat(240, 30, MakeColor(255, 255, 255), "%d ships, %d balls  sampling: %s (Space)", Ships, Balls,
                   GetDrawSampling() == SamplingNearest ? "nearest" : "bilinear");
    if (++frame == maxFrames) {
      if (!screenshot.empty() && SaveScreenPng(screenshot.c_str()) != 0) {
        std::fprintf(stderr, "vornek_sprites: cannot save %s\n", screenshot.c_str());
        result = 1;
      }
      PresentScreen();
      break;
    }
    PresentScreen();
  }
  EndEngine();
  return result;
}
