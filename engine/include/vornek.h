// Vornek: the engine's public API. Flat functions with integer results: 0 for success and -1
// for failure, or a handle value (-1 on failure); TRUE/FALSE flags are 1/0. Texts are
// multi-byte strings in the system code page.
#pragma once

#include <cstdint>

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

// Draw targets.
constexpr int ScreenFront = -4;
constexpr int ScreenBack = -2;

// Blend modes; each takes a parameter 0-255.
constexpr int BlendModeNone = 0;
constexpr int BlendModeAlpha = 1;
constexpr int BlendModeAdd = 2;
constexpr int BlendModeSubtract = 3;
constexpr int BlendModeMultiply = 4;
constexpr int BlendModeInvertedAlpha = 10;
constexpr int BlendModeMultiplyAlpha = 11;

// Lifecycle.
int InitEngine();
int EndEngine();
int PumpMessages();

// Settings made before InitEngine (some also work afterwards).
int SetWindowTitle(const char* text);
int SetLogOutputFlag(int flag);
int ChangeWindowMode(int flag);
int SetScreenMode(int width, int height, int bitDepth, int refreshRate);

// Colour values in the current screen format.
std::uint32_t MakeColor(int red, int green, int blue);

// Drawing.
int SelectDrawTarget(int screen);
int DrawLine(int x1, int y1, int x2, int y2, int color, int thickness);
int DrawCircle(int x, int y, int r, int color, int fill);
int ClearScreen();
int PresentScreen();
int SetVSyncWait(int flag);

// Graphics: images addressed by handles, made empty or as a rectangle of another graphic, drawn
// on either back-end with the current blend mode and tint, and selectable as the draw target
// (SelectDrawTarget) when made with the draw-target setting on.
int IsGraphicHandleValid(int handle);  // 1 for a live graphic's handle, 0 for anything else
int CreateEmptyGraphic(int width, int height);  // -1 for a size below 1, no display or no texture
int CreateDerivedGraphic(int x, int y, int width, int height, int source);  // -1 for a bad source or origin
int ReleaseGraphic(int handle);  // -1 for a handle that is not a live graphic's
int GetGraphicSize(int handle, int* width, int* height);  // -1 for a bad handle
int DrawGraphAt(int x, int y, int handle, int transparency);  // -1 for a bad handle
int DrawGraphStretched(int x1, int y1, int x2, int y2, int handle, int transparency);  // -1: bad handle, empty size
// (sourceX, sourceY, width, height) of the graphic at (x, y); mirror flips it left to right.
int DrawGraphRect(int x, int y, int sourceX, int sourceY, int width, int height, int handle, int transparency,
                  int mirror);  // -1 for a bad handle or, in software, a rectangle outside the graphic
// Creation settings, taken by each new graphic; every setter returns 0.
int SetCreateBitDepth(int bitDepth);  // 0: the screen's depth (the default)
int GetCreateBitDepth();              // never fails
int SetCreateAlphaChannel(int flag);  // default off
int GetCreateAlphaChannel();          // never fails
int SetCreateAlphaTest(int flag);     // default on
int GetCreateAlphaTest();             // never fails
int SetCreateDrawTarget(int flag);    // default off
int GetCreateDrawTarget();            // never fails

// Text with the default font.
int DrawText(int x, int y, const char* text, int color, int edgeColor);
int DrawTextFormat(int x, int y, int color, const char* format, ...)
    __attribute__((format(printf, 4, 5)));

// Fonts. Font types: bit 0 draws an outline of the edge colour, bit 1 anti-aliases.
constexpr int FontTypeNormal = 0;
constexpr int FontTypeEdge = 1;
constexpr int FontTypeAntiAlias = 2;
constexpr int FontTypeAntiAliasEdge = 3;
// Character sets by index: 0 default, 1 Shift-JIS, 2 Hangul.
constexpr int CharSetDefault = 0;
constexpr int CharSetShiftJis = 1;
constexpr int CharSetHangul = 2;

// Null or empty face for the default face; -1 in any integer for its default. slot and
// checkNumber are -1 unless a font is made again at a known handle.
int CreateFontToHandle(const char* face, int size, int thickness, int fontType, int charsetIndex, int edgeSize,
                       int italic, int slot, int checkNumber);
int ReleaseFontHandle(int handle);
// face receives up to 256 bytes; size and thickness may be null.
int QueryFontFace(char* face, int* size, int* thickness, int handle);
int QueryFontSize(int handle);
int IsFontHandleValid(int handle);
int SetFontSpacing(int spacing, int handle);
int QueryDefaultFont();
int SetDefaultFontSize(int size, int thickness);
int DrawTextWithFont(int x, int y, const char* text, int color, int handle, int edgeColor);

// Input.
int IsKeyDown(int keyCode);
int GetCursorPosition(int* x, int* y);
int GetMouseButtons();

// Random numbers: 0..max inclusive for max >= 0.
int GetRandom(int max);
