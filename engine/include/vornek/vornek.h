// Vornek: the engine's whole public API. Flat functions with integer results: 0 for success and
// -1 for failure, or a handle value (-1 on failure); TRUE/FALSE flags are 1/0. Texts are
// multi-byte strings in the system code page (Shift-JIS). Colours are uint32_t colour values
// made with MakeColor. The header is C (C99 and later) and C++; the functions have C names.
//
// Everything runs on the thread that called InitEngine. From InitEngine until EndEngine, a call
// from any other thread changes nothing, writes a log line and returns -1 (0 for the yes/no
// calls IsGraphicHandleValid, IsFontHandleValid, IsKeyDown, IsWindowActive and IsMusicPlaying,
// and for GetMouseButtons, GetPadInputs and GetMouseWheelRotation, where 0 is no input; -1.0
// for GetWindowScale), whatever its comment below says (GetRandom too: -1 lies outside every
// range it gives for a max of 0 or more). SeedRandom then seeds nothing, and GetLastErrorText
// gives a sentence saying it was called from the wrong thread. Only MakeColor, SplitColor,
// GetMilliCount and GetMicroCount answer on any thread; FatalError and FatalErrorFormat end the
// process from any thread.
#pragma once

#ifdef __cplusplus
#include <cstdint>
#else
#include <stdint.h>
#endif

// Attributes in a form both C and C++ compilers take.
#if defined(__cplusplus)
#define VORNEK_NORETURN [[noreturn]]
#elif defined(__GNUC__) || defined(__clang__)
#define VORNEK_NORETURN __attribute__((noreturn))
#else
#define VORNEK_NORETURN _Noreturn
#endif
#if defined(__GNUC__) || defined(__clang__)
#define VORNEK_PRINTF_FORMAT(formatIndex, firstArgument) __attribute__((format(printf, formatIndex, firstArgument)))
#else
#define VORNEK_PRINTF_FORMAT(formatIndex, firstArgument)
#endif

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

#ifdef __cplusplus
extern "C" {
#endif

// ---- Lifecycle ------------------------------------------------------------------------------
// 0 once started (also when already started); -1 when a step fails: no display, a second copy,
// a 24-bit desktop, no input. The program then ends without EndEngine.
int InitEngine(void);
// Always 0; stops everything and writes the memory report. Does nothing before InitEngine.
int EndEngine(void);
// 0 to go on; -1 once the program must end (window closed, quit). Call it once per frame.
int PumpMessages(void);
// Never returns: logs the message, shuts the engine down and ends the process with -1.
VORNEK_NORETURN void FatalError(const char* message);
// Never returns: FatalError with a printf-formatted message of up to 1023 bytes.
VORNEK_NORETURN void FatalErrorFormat(const char* format, ...) VORNEK_PRINTF_FORMAT(1, 2);
// FatalError writes one English line to standard error, with the log on or off, before it logs
// the message: "vornek: fatal error: <what failed>; the program ends".

// ---- Errors ---------------------------------------------------------------------------------
// The last failure as an English sentence saying what failed and why ("" when nothing failed
// yet). Every call that returns its failure value sets it; a call that succeeds leaves it, so
// read it right after the failing call. Never fails; the text lives until the next failure.
const char* GetLastErrorText(void);

// ---- Settings made before InitEngine (each also works on a running engine) ------------------
// 0; -1 for a null text. Titles are cut to 255 bytes.
int SetWindowTitle(const char* text);
// Always 0. FALSE writes no log file and no debugger output; takes effect at the next line.
int SetLogOutputFlag(int flag);
// Always 0. TRUE lets PumpMessages and the drawing, text, clear, present and key calls go on
// while the window is inactive; FALSE (the default) pauses them until it is active again.
int SetRunWhileInactive(int flag);
// 0; -1 on a running engine (the setting is made before InitEngine). TRUE makes every text the
// engine takes UTF-8: drawn and measured texts, the title, face names, LogText (the log file
// itself stays Shift-JIS; characters it cannot hold become '?'). FALSE, the default: Shift-JIS.
int SetUseUtf8Text(int flag);
// 1 when texts are UTF-8, 0 when Shift-JIS; never fails.
int GetUseUtf8Text(void);

// ---- Window mode ----------------------------------------------------------------------------
// 0; on a running engine -1 when the screen mode cannot be started again in the new window mode
// and another mode (the one before, or 640 x 480 x 16) serves in its place; a switch to
// full-screen that no mode serves leaves the engine windowed and returns -1.
// TRUE windowed, FALSE full-screen. Alt+Enter switches too (see SetFullScreenKey).
int ChangeWindowMode(int flag);
// 0; -1 before InitEngine. TRUE shows, FALSE hides the mouse cursor over the window. A window
// starts with the cursor shown when windowed, hidden in full-screen; a mode change does the same.
int ApplyCursorVisibility(int flag);
// 1 while the window is the active one (has the focus), else 0 (also before InitEngine).
int IsWindowActive(void);
// Always 0; the desktop's size in pixels. Either pointer may be null.
int GetDesktopSize(int* width, int* height);
// Always 0; the screen the program draws on: the mode set with SetScreenMode, 640 x 480 x 16
// unless set. Any pointer may be null.
int GetScreenSize(int* width, int* height, int* bitDepth);

// ---- Window scale and the full-screen key ---------------------------------------------------
// 0; -1 for a scale that is not above 0 or is above 16. The windowed client area is the screen
// size times the scale, and the pointer is divided by it. Before InitEngine it gives the
// window's first size (never set: 1, or on a high-density desktop the largest whole scale at
// which the window takes at most three quarters of the desktop); on a running engine it
// resizes the window. A client area larger than the desktop is shrunk to fit, and the log says
// so.
int SetWindowScale(double scale);
// The scale of the windowed client area now (1.0 in full-screen); the scale set, or 1.0,
// before InitEngine. Never fails.
double GetWindowScale(void);
// Always 0. TRUE (the default) lets Alt+Enter switch between windowed and full-screen through
// ChangeWindowMode at the next PumpMessages; FALSE leaves those keys to the program.
int SetFullScreenKey(int flag);

// ---- Screen mode and vsync ------------------------------------------------------------------
// 0; -1 for a side outside 1..8192, a depth other than 8, 16 or 32, or a failed change; -2
// when a change on a running engine ended in the fallback mode 640 x 480 x 16. A windowed screen
// on the hardware back-end keeps the desktop's depth; the change then counts as made.
int SetScreenMode(int width, int height, int bitDepth, int refreshRate);
// Always 0. TRUE (the default after InitEngine) makes PresentScreen wait for the display.
int SetVSyncWait(int flag);
// 1 while PresentScreen waits for the display, else 0.
int GetVSyncWait(void);

// ---- Draw state -----------------------------------------------------------------------------
// Draw targets.
enum { ScreenFront = -4, ScreenBack = -2 };

// Blend modes; each takes a parameter 0-255.
enum {
  BlendModeNone = 0,
  BlendModeAlpha = 1,
  BlendModeAdd = 2,
  BlendModeSubtract = 3,
  BlendModeMultiply = 4,
  BlendModeInvertedAlpha = 10,
  BlendModeMultiplyAlpha = 11
};

// 0; -1 before InitEngine or for a target that is neither screen nor a drawable graphic.
int SelectDrawTarget(int screen);
// The current draw target (ScreenFront after InitEngine); never fails.
int GetDrawTarget(void);
// 0; -1 when the draw target has no size. Corners in any order, clamped to the target; right
// and bottom exclusive. An empty area makes every line and circle a no-op.
int SetClipArea(int x1, int y1, int x2, int y2);
// Always 0; the parameter is clamped to 0-255, the mode is not checked.
int SetBlendMode(int mode, int param);
// Always 0; multiplies every drawn colour channel by value / 255, each clamped to 0-255.
int SetTint(int red, int green, int blue);

// ---- Drawing --------------------------------------------------------------------------------
// 0; -1 when the hardware device is missing. Thickness above 1 draws on the hardware path only.
int DrawLine(int x1, int y1, int x2, int y2, uint32_t color, int thickness);
// 0; -1 when the hardware device is missing. fill TRUE draws a disc, FALSE an outline; a
// negative radius draws nothing.
int DrawCircle(int x, int y, int r, uint32_t color, int fill);

// ---- Filled shapes --------------------------------------------------------------------------
// With the draw state's blend mode, tint and clip area; the same pixels on both back-ends: pixel
// centres at integer coordinates, and a centre on an edge inside only on a top or a left edge.
// 0; -1 when the hardware device is missing. The box (x1, y1)-(x2, y2), right and bottom
// exclusive, corners in any order; fill FALSE draws its one-pixel frame.
int DrawBox(int x1, int y1, int x2, int y2, uint32_t color, int fill);
// 0; -1 when the hardware device is missing. fill FALSE draws the three edges as lines.
int DrawTriangle(int x1, int y1, int x2, int y2, int x3, int y3, uint32_t color, int fill);
// 0; -1 when the hardware device is missing. Corners in order round the shape; filled as the
// triangles (1, 2, 3) and (1, 3, 4). fill FALSE draws the four edges as lines.
int DrawQuadrilateral(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4, uint32_t color, int fill);
// 0; -1 when the hardware device is missing. The oval of radii rx, ry round (x, y); a negative
// radius draws nothing. fill FALSE draws its one-pixel edge.
int DrawOval(int x, int y, int rx, int ry, uint32_t color, int fill);

// ---- Graphics -------------------------------------------------------------------------------
// Images addressed by handles, made empty or as a rectangle of another graphic, drawn on either
// back-end with the current blend mode and tint, and selectable as the draw target
// (SelectDrawTarget) when made with the draw-target setting on.
// 1 for a live graphic's handle, 0 for anything else.
int IsGraphicHandleValid(int handle);
// A graphic handle; -1 for a size below 1, no display or no texture.
int CreateEmptyGraphic(int width, int height);
// A handle sharing the source's image from (x, y); -1 for a bad source or origin.
int CreateDerivedGraphic(int x, int y, int width, int height, int source);
// 0; -1 for a handle that is not a live graphic's.
int ReleaseGraphic(int handle);
// 0; -1 for a bad handle. Either pointer may be null.
int GetGraphicSize(int handle, int* width, int* height);
// 0; -1 for a bad handle. transparency: draw with the graphic's transparent colour or alpha.
int DrawGraphAt(int x, int y, int handle, int transparency);
// 0; -1 for a bad handle or an empty size. The graphic fills (x1, y1)-(x2, y2).
int DrawGraphStretched(int x1, int y1, int x2, int y2, int handle, int transparency);
// 0; -1 for a bad handle or, in software, a rectangle outside the graphic. Draws (sourceX,
// sourceY, width, height) of the graphic at (x, y); mirror flips it left to right.
int DrawGraphRect(int x, int y, int sourceX, int sourceY, int width, int height, int handle, int transparency,
                  int mirror);
// 0; -1 for a bad handle, an empty source or destination rectangle or, in software, a source
// rectangle outside the graphic. Draws (sourceX, sourceY, width, height) of the graphic to fill
// (x1, y1)-(x2, y2); a destination running right to left or bottom to top flips it.
int DrawGraphRectStretched(int x1, int y1, int x2, int y2, int sourceX, int sourceY, int width, int height, int handle,
                           int transparency);
// Sampling of graphics drawn scaled, rotated or to four corners.
enum { SamplingNearest = 0, SamplingBilinear = 1 };
// 0; -1 for a mode other than SamplingNearest (the default) and SamplingBilinear.
int SetDrawSampling(int mode);
// The sampling mode; never fails.
int GetDrawSampling(void);
// 0; -1 for a bad handle or a scale or angle that is not a finite number. Draws the graphic with
// its centre at (x, y), scaled and turned by angle radians (clockwise on the screen); a scale of
// 0 draws nothing, a negative one turns it half round. A corner beyond 10^8 pixels draws nothing.
int DrawGraphRotated(int x, int y, double scale, double angle, int handle, int transparency);
// 0; -1 for a bad handle. Draws the graphic with its corners at (x1, y1) top-left, (x2, y2)
// top-right, (x3, y3) bottom-right and (x4, y4) bottom-left, as two triangles split from the
// top-right to the bottom-left corner.
int DrawGraphFourCorners(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4, int handle, int transparency);
// Always 0; the bit depth of new graphics, 0 for the screen's (the default).
int SetCreateBitDepth(int bitDepth);
// The bit depth new graphics take; never fails.
int GetCreateBitDepth(void);
// Always 0; whether new graphics carry an alpha channel (default off).
int SetCreateAlphaChannel(int flag);
// Whether new graphics carry an alpha channel; never fails.
int GetCreateAlphaChannel(void);
// Always 0; whether new graphics are drawn with the alpha test (default on).
int SetCreateAlphaTest(int flag);
// Whether new graphics are drawn with the alpha test; never fails.
int GetCreateAlphaTest(void);
// Always 0; whether new graphics can be selected as the draw target (default off).
int SetCreateDrawTarget(int flag);
// Whether new graphics can be selected as the draw target; never fails.
int GetCreateDrawTarget(void);

// ---- Image files and pixels ----------------------------------------------------------------
// Graphics made from PNG (every colour type, 16-bit, palettes, tRNS, interlaced), JPEG
// (baseline and progressive), BMP (1-32 bits, RLE), TGA (true colour, grey, colour-mapped, RLE)
// and DDS (DXT1/3/5, uncompressed) files, from the same bytes in memory, or from 32-bit pixels
// 0xAARRGGBB. Images up to 16384 pixels a side and 2^26 pixels. An image with alpha keeps it;
// one without takes the transparent colour as its transparent pixels (DrawGraphAt with
// transparency TRUE). After a display loss, loaded graphics come back with their pixels.
// A graphic handle; -1 (with a log line) for a file that cannot be read or decoded, an image
// beyond the limits, or before InitEngine.
int LoadGraphic(const char* fileName);
// A graphic handle; -1 as LoadGraphic, or for null data or a size below 1.
int LoadGraphicFromMemory(const void* data, int size);
// 0, with count handles written to handles: cells of cellWidth x cellHeight taken row by row,
// columns to a row. -1 (no handle left behind, handles all -1) for a bad argument, a file that
// cannot be loaded, or cells that do not fit the image.
int LoadSplitGraphic(const char* fileName, int count, int columns, int rows, int cellWidth, int cellHeight,
                     int* handles);
// A graphic handle of width x height pixels 0xAARRGGBB, row after row; useAlpha FALSE ignores the
// top byte. -1 for null pixels, a size outside the limits, or before InitEngine.
int CreateGraphicFromPixels(int width, int height, const uint32_t* pixels, int useAlpha);
// 0; -1 for a bad handle or null pixels. Writes the graphic's width x height pixels 0xAARRGGBB.
int ReplaceGraphicPixels(int handle, const uint32_t* pixels);
// Always 0; the transparent colour of graphics made afterwards from images without alpha
// (default black). Channels are clamped to 0-255.
int SetTransparentColor(int red, int green, int blue);
// Always 0; the transparent colour. Any pointer may be null.
int GetTransparentColor(int* red, int* green, int* blue);
// 0; -1 for a target that is neither screen nor a live graphic, or a point outside it. Reads
// the channels 0-255 of one pixel of ScreenFront/ScreenBack or a graphic (alpha 255 where the
// target has none). Any pointer may be null.
int ReadPixel(int target, int x, int y, int* red, int* green, int* blue, int* alpha);
// 0; -1 (with a log line) when the screen cannot be read or the file cannot be written. Saves
// the screen's picture as an RGB PNG file.
int SaveScreenPng(const char* fileName);
// 0; -1 for a bad handle or as SaveScreenPng. Saves the graphic as a PNG, RGBA when it has alpha.
int SaveGraphicPng(int handle, const char* fileName);

// ---- Clear and present ----------------------------------------------------------------------
// Always 0; fills the whole draw target with the background colour, ignoring the clip area.
int ClearScreen(void);
// 0; -1 before InitEngine has completed. Draws the on-screen log, then shows the picture.
int PresentScreen(void);
// Always 0; the background colour of ClearScreen (default black), channels 0-255.
int SetClearColor(int red, int green, int blue);

// ---- Colours --------------------------------------------------------------------------------
// The colour value in the current screen format (32-bit before InitEngine); never fails. Only
// the low 8 bits of each channel are used.
uint32_t MakeColor(int red, int green, int blue);
// Always 0; writes the channels 0-255 of a colour value. The three pointers are required.
int SplitColor(uint32_t color, int* red, int* green, int* blue);

// ---- Fonts and text -------------------------------------------------------------------------
// Font types: bit 0 draws an outline of the edge colour, bit 1 anti-aliases.
enum { FontTypeNormal = 0, FontTypeEdge = 1, FontTypeAntiAlias = 2, FontTypeAntiAliasEdge = 3 };
// Character sets by index: 0 default, 1 Shift-JIS, 2 Hangul.
enum { CharSetDefault = 0, CharSetShiftJis = 1, CharSetHangul = 2 };

// Text with the default font: 0; -1 when the default font cannot be made or the engine is stopped.
int DrawText(int x, int y, const char* text, uint32_t color, uint32_t edgeColor);
// The result of DrawText: printf-formatted into 1024 bytes, no edge.
int DrawTextFormat(int x, int y, uint32_t color, const char* format, ...) VORNEK_PRINTF_FORMAT(4, 5);
// 0; -1 for a bad handle, or on the hardware back-end for a font whose glyph cache could not be
// given a texture when it was made.
int DrawTextWithFont(int x, int y, const char* text, uint32_t color, int handle, uint32_t edgeColor);

// A font handle; -1 for a value out of range (sizes beyond -512..512, edge sizes above 16), a
// full table, a face that cannot be made or a stopped engine. Null or empty face for the default
// face; -1 in any integer for its default. slot and checkNumber are -1 unless a font is made
// again at a known handle.
int CreateFontToHandle(const char* face, int size, int thickness, int fontType, int charsetIndex, int edgeSize,
                       int italic, int slot, int checkNumber);
// 0; -1 for a bad handle.
int ReleaseFontHandle(int handle);
// 0; -1 for a bad handle. face receives up to 256 bytes; any pointer may be null.
int QueryFontFace(char* face, int* size, int* thickness, int handle);
// The font's size; -1 for a bad handle.
int QueryFontSize(int handle);
// 1 for a live font handle, else 0.
int IsFontHandleValid(int handle);
// 0; -1 for a bad handle. Extra pixels between characters.
int SetFontSpacing(int spacing, int handle);
// 0; -1 for a bad handle. Sets *lostFlag to 0 now and to 1 when the font is released.
int SetFontLostNotifier(int handle, int32_t* lostFlag);
// The default font's handle; -1 when it could not be made (0 before InitEngine).
int QueryDefaultFont(void);
// 0; -1 while the engine is stopped or for a size beyond -512..512. -1 for either value means
// 16 or 6.
int SetDefaultFontSize(int size, int thickness);

// ---- Text measurement -----------------------------------------------------------------------
// Widths are what DrawText moves along: the sum of the characters' advances and the font's
// spacing, so text drawn at x + width continues the line exactly; centre a text at cx with
// x = cx - width / 2. length: bytes of text to measure, -1 for all of it.
// The width in pixels with the default font; -1 when the default font cannot be made.
int GetTextWidth(const char* text, int length);
// The width of the printf-formatted text (up to 1023 bytes) with the default font; -1 as above.
int GetTextWidthFormat(const char* format, ...) VORNEK_PRINTF_FORMAT(1, 2);
// The width in pixels with a font; -1 for a bad handle.
int GetTextWidthWithFont(const char* text, int length, int handle);
// The height of a line of the font in pixels (its characters' cells, outline included); -1 for
// a bad handle. Lines set this far apart touch; add a few pixels for air.
int GetFontHeight(int handle);
// The distance from one line's top to the next's that the font's designer intends; -1 for a bad
// handle.
int GetFontLineSpacing(int handle);

// ---- Keyboard -------------------------------------------------------------------------------
// Key codes are the DirectInput key codes: a code names a place on the keyboard, called here by
// what a US keyboard prints there (on a Japanese keyboard KeyLeftBracket is '@', KeyApostrophe
// ':', KeyGrave the half/full-width key, KeyEquals '^', KeyBackslash ']').
enum {
  KeyEscape = 0x01,
  Key1 = 0x02,
  Key2 = 0x03,
  Key3 = 0x04,
  Key4 = 0x05,
  Key5 = 0x06,
  Key6 = 0x07,
  Key7 = 0x08,
  Key8 = 0x09,
  Key9 = 0x0A,
  Key0 = 0x0B,
  KeyMinus = 0x0C,
  KeyEquals = 0x0D,
  KeyBackSpace = 0x0E,
  KeyTab = 0x0F,
  KeyQ = 0x10,
  KeyW = 0x11,
  KeyE = 0x12,
  KeyR = 0x13,
  KeyT = 0x14,
  KeyY = 0x15,
  KeyU = 0x16,
  KeyI = 0x17,
  KeyO = 0x18,
  KeyP = 0x19,
  KeyLeftBracket = 0x1A,
  KeyRightBracket = 0x1B,
  KeyReturn = 0x1C,
  KeyLeftControl = 0x1D,
  KeyA = 0x1E,
  KeyS = 0x1F,
  KeyD = 0x20,
  KeyF = 0x21,
  KeyG = 0x22,
  KeyH = 0x23,
  KeyJ = 0x24,
  KeyK = 0x25,
  KeyL = 0x26,
  KeySemicolon = 0x27,
  KeyApostrophe = 0x28,
  KeyGrave = 0x29,
  KeyLeftShift = 0x2A,
  KeyBackslash = 0x2B,
  KeyZ = 0x2C,
  KeyX = 0x2D,
  KeyC = 0x2E,
  KeyV = 0x2F,
  KeyB = 0x30,
  KeyN = 0x31,
  KeyM = 0x32,
  KeyComma = 0x33,
  KeyPeriod = 0x34,
  KeySlash = 0x35,
  KeyRightShift = 0x36,
  KeyMultiply = 0x37,
  KeyLeftAlt = 0x38,
  KeySpace = 0x39,
  KeyCapsLock = 0x3A,
  KeyF1 = 0x3B,
  KeyF2 = 0x3C,
  KeyF3 = 0x3D,
  KeyF4 = 0x3E,
  KeyF5 = 0x3F,
  KeyF6 = 0x40,
  KeyF7 = 0x41,
  KeyF8 = 0x42,
  KeyF9 = 0x43,
  KeyF10 = 0x44,
  KeyNumLock = 0x45,
  KeyScrollLock = 0x46,
  KeyNumPad7 = 0x47,
  KeyNumPad8 = 0x48,
  KeyNumPad9 = 0x49,
  KeySubtract = 0x4A,
  KeyNumPad4 = 0x4B,
  KeyNumPad5 = 0x4C,
  KeyNumPad6 = 0x4D,
  KeyAdd = 0x4E,
  KeyNumPad1 = 0x4F,
  KeyNumPad2 = 0x50,
  KeyNumPad3 = 0x51,
  KeyNumPad0 = 0x52,
  KeyDecimal = 0x53,
  KeyF11 = 0x57,
  KeyF12 = 0x58,
  KeyKana = 0x70,
  KeyUnderscore = 0x73,
  KeyConvert = 0x79,
  KeyNoConvert = 0x7B,
  KeyYen = 0x7D,
  KeyNumPadEnter = 0x9C,
  KeyRightControl = 0x9D,
  KeyDivide = 0xB5,
  KeyPrintScreen = 0xB7,
  KeyRightAlt = 0xB8,
  KeyPause = 0xC5,
  KeyHome = 0xC7,
  KeyUp = 0xC8,
  KeyPageUp = 0xC9,
  KeyLeft = 0xCB,
  KeyRight = 0xCD,
  KeyEnd = 0xCF,
  KeyDown = 0xD0,
  KeyPageDown = 0xD1,
  KeyInsert = 0xD2,
  KeyDelete = 0xD3,
  KeyLeftWindows = 0xDB,
  KeyRightWindows = 0xDC,
  KeyApps = 0xDD
};

// 1 while the key is held, else 0 (also for a code outside 0-255 and before InitEngine).
int IsKeyDown(int keyCode);

// Edges: a frame runs from one PumpMessages to the next, and the counts it reads are those of
// the input that arrived up to its PumpMessages since the previous one. Each press and release
// counts, so a key tapped twice between two frames gives 2 presses and 2 releases although
// IsKeyDown never saw it held; a held key repeating counts once.
// The key's presses since the frame began; -1 for a code outside 0-255.
int CountKeyPresses(int keyCode);
// The key's releases since the frame began; -1 for a code outside 0-255.
int CountKeyReleases(int keyCode);

// ---- Mouse ----------------------------------------------------------------------------------
enum { MouseButtonLeft = 1, MouseButtonRight = 2, MouseButtonMiddle = 4, MouseButtonBack = 8, MouseButtonForward = 16 };

// Always 0; the cursor in the drawn screen's pixels. Either pointer may be null.
int GetCursorPosition(int* x, int* y);
// The held buttons, bit n for button n; 0 when the mouse cannot be read.
int GetMouseButtons(void);
// Presses of one button (MouseButtonLeft, ...) since the frame began; -1 for a value that is not
// one button's bit.
int CountMouseButtonPresses(int button);
// Releases of one button since the frame began; -1 as above.
int CountMouseButtonReleases(int button);
// Whole notches the wheel turned since the frame began: positive away from the user (scrolling
// up), negative towards. Never fails.
int GetMouseWheelRotation(void);

// ---- Pads -----------------------------------------------------------------------------------
// Up to 16 game controllers, numbered from 0 in the order the system lists them; a pad plugged
// in or out while the program runs is found again at the next PumpMessages (the numbers of the
// others may change). Each pad's state is a set of 32 inputs: four directions (from the left
// stick once it leaves the dead zone, and from the first hat) and buttons 1 to 28. Keys stand in
// for inputs too (SetPadKeys): by default pad 0 has the arrows and the numeric pad's 2, 4, 6, 8
// for the directions, and Z X C A S D Q W Escape Space for buttons 1 to 10, so that a game
// reading pad 0 also works from the keyboard, with no pad attached.
#define PadInputDown (1u << 0)
#define PadInputLeft (1u << 1)
#define PadInputRight (1u << 2)
#define PadInputUp (1u << 3)
// Button n (1 to 28) is bit n + 3.
#define PadInputButton1 (1u << 4)
#define PadInputButton2 (1u << 5)
#define PadInputButton3 (1u << 6)
#define PadInputButton4 (1u << 7)
#define PadInputButton5 (1u << 8)
#define PadInputButton6 (1u << 9)
#define PadInputButton7 (1u << 10)
#define PadInputButton8 (1u << 11)
#define PadInputButton9 (1u << 12)
#define PadInputButton10 (1u << 13)
#define PadInputButton11 (1u << 14)
#define PadInputButton12 (1u << 15)

// The pads attached and set up; 0 before InitEngine. Never fails.
int GetPadCount(void);
// The pad's held inputs with those of its keys; 0 for a pad number outside 0-15 (a pad number
// without a pad gives its keys alone).
unsigned GetPadInputs(int pad);
// 0; -1 for a pad that is not attached or cannot be read. The left stick, each axis -1000 (left,
// up) to 1000 (right, down), 0 inside the dead zone. Either pointer may be null.
int GetPadAnalogInput(int pad, int* x, int* y);
// The hat's direction in hundredths of degrees clockwise from up (0, 4500, ... 31500); -1 when
// it is centred, for a hat outside 0-3 and for a pad that is not attached.
int GetPadPointOfView(int pad, int hat);
// Presses of one input (one PadInput bit) since the frame began, from the pad and from its keys;
// -1 for a pad number outside 0-15 or a value that is not one input.
int CountPadPresses(int pad, unsigned input);
// Releases of one input since the frame began; -1 as above.
int CountPadReleases(int pad, unsigned input);
// 0; -1 for a pad number outside 0-15, a value that is not one input, or a key code outside
// 0-255 (-1 means no key). Sets the two keys that stand in for one input of a pad.
int SetPadKeys(int pad, unsigned input, int key1, int key2);
// 0; -1 as above. The two keys of one input, -1 for none; either pointer may be null.
int GetPadKeys(int pad, unsigned input, int* key1, int* key2);
// 0; -1 for a pad that is not attached, a zone outside 0-10000 or a pad that refuses it. The
// dead zone in ten-thousandths of each axis's half range (2500, a quarter, by default).
int SetPadDeadZone(int pad, int zone);
// The dead zone, 0-10000; -1 for a pad that is not attached.
int GetPadDeadZone(int pad);
// 0; -1 for a pad that is not attached or cannot vibrate, a power outside 0-1000 or a time
// below -1. Vibrates at power (1000 the strongest) for time milliseconds, -1 until stopped; an
// inactive program's pads are still until it is active again.
int StartPadVibration(int pad, int power, int time);
// 0; -1 for a pad that is not attached.
int StopPadVibration(int pad);
// The power the pad vibrates at (0 when still); -1 for a pad that is not attached.
int GetPadVibrationPower(int pad);

// ---- Sound ----------------------------------------------------------------------------------
// Sounds are RIFF WAVE (PCM of 8, 16, 24 or 32 bits, float, IMA ADPCM) or Ogg Vorbis files of
// one or two channels at any rate from 1000 to 384000 Hz, decoded whole into a sound handle.
// Each play of a sound is a voice of its own with a voice handle; plays of one sound overlap.
// Volumes run from 0 (silent) to 1000 (as recorded), pans from -1000 (left only) through 0 to
// 1000 (right only). Without a sound device every call works the same and nothing is heard: a
// voice played once has ended at once, and one looped plays until stopped. While the
// application is inactive every sound and the music hold still, unless
// SetSoundPlayWhileInactive(TRUE). Sounds and music exist from InitEngine to EndEngine, which
// releases them all.
enum { PlayOnce = 0, PlayLoop = 1 };

// A sound handle; -1 (with a log line) when the file cannot be read, is damaged, cut short, of
// a kind not read, decodes to more than 256 MiB, every one of the 4096 handles is in use, or
// the engine is not running.
int LoadSound(const char* path);
// The same from size bytes of a file in memory (the caller keeps them).
int LoadSoundFromMemory(const void* data, int size);
// 0; -1 for a bad handle. Its voices stop and their handles become invalid.
int ReleaseSound(int sound);
// Always 0.
int ReleaseAllSounds(void);
// The sound's length in frames (samples of each channel), its rate in Hz, its channel count (1
// or 2), its length in milliseconds; -1 for a bad handle.
int GetSoundFrames(int sound);
int GetSoundRate(int sound);
int GetSoundChannels(int sound);
int GetSoundLength(int sound);
// 0; -1 for a bad handle or a frame outside the sound. Looped voices go back to this frame
// (first 0) at the end, those playing now too.
int SetSoundLoopPoint(int sound, int frame);
// A voice handle playing the sound from its start, once (PlayOnce) or looped (PlayLoop); -1 for
// a bad handle or mode, or when all 128 voices are looping (with every voice busy, the oldest
// voice played once gives way).
int PlaySoundHandle(int sound, int mode);
// 0, stopping every voice of the sound; -1 for a bad handle.
int StopSoundHandle(int sound);
// 1 while a voice of the sound plays, else 0; -1 for a bad handle.
int IsSoundHandlePlaying(int sound);
// 0; -1 for a bad handle or a value out of range. The sound's volume, pan and frequency (the
// rate in Hz its samples play at, 100 to 400000, 0 for its own: twice its rate is an octave
// up) for its voices playing now and those played later.
int SetSoundVolume(int sound, int volume);
int SetSoundPan(int sound, int pan);
int SetSoundFrequency(int sound, int frequency);
// 0; -1 for a bad voice handle. A voice that has ended keeps its handle until its slot is used
// for a new play; the handle then is bad.
int StopVoice(int voice);
// 1 while the voice plays, 0 once it has ended or was stopped; -1 for a bad voice handle.
int IsVoicePlaying(int voice);
// 0; -1 for a bad voice handle or a value out of range. The same as the sound's, for one voice.
int SetVoiceVolume(int voice, int volume);
int SetVoicePan(int voice, int pan);
int SetVoiceFrequency(int voice, int frequency);
// 0; -1 for a volume out of range. The volume of everything heard, 1000 at first.
int SetMasterVolume(int volume);
int GetMasterVolume(void);
// Always 0. TRUE: sounds and music go on while the application is inactive.
int SetSoundPlayWhileInactive(int flag);

// ---- Music ----------------------------------------------------------------------------------
// One music at a time, an Ogg Vorbis file streamed from disk while it plays (decoded at each
// PumpMessages into two seconds ahead). A MIDI file plays only in a build with FluidSynth and a
// General MIDI SoundFont.
// 0; -1 (with a log line) when the file cannot be opened or played, for a bad mode, a loop frame
// beyond the music's end, or while the engine is not running. The music playing before stops. Looped music goes back to
// loopStartFrame (a frame at the music's own rate) at the end; it fades in over
// fadeInMilliseconds (0: at once).
int PlayMusic(const char* path, int mode, int loopStartFrame, int fadeInMilliseconds);
// Always 0.
int StopMusic(void);
// 1 while music plays, else 0.
int IsMusicPlaying(void);
// 0; -1 for a volume out of range. Kept for the music played later, until the engine ends: each
// start begins at the full volume, 1000.
int SetMusicVolume(int volume);
// 0, stopping the music once it has faded out (at once for 0); -1 when no music plays.
int FadeOutMusic(int milliseconds);

// ---- Time counters --------------------------------------------------------------------------
// Milliseconds, 0 to 2^31 - 1 and then 0 again; subtract two readings. Never fails.
int GetMilliCount(void);
// Microseconds from the finest trusted counter (the processor's with useCpuCounter TRUE once
// started). Never fails.
uint64_t GetMicroCount(int useCpuCounter);

// ---- Random numbers -------------------------------------------------------------------------
// 0..max inclusive for 0 <= max < 2147483647; max + 1 wraps for max = 2147483647, which gives
// -2147483648..0. For max = -1 the result is 0, and for smaller max it lies in max + 1..0.
int GetRandom(int max);
// Never fails. Seeds the generator, so that the GetRandom calls after it repeat the same values
// for the same seed (a replay); InitEngine seeds it from the clock.
void SeedRandom(unsigned int seed);

// ---- Log output and the on-screen log -------------------------------------------------------
// The log is "Log.txt" in the directory current at InitEngine, recreated at each start, and
// mirrored to the debugger output. The on-screen log is drawn over every presented picture.
// Always -1 (also on success); appends the text, a line feed ends the line.
int LogText(const char* message);
// Always -1; printf-formatted into 1024 bytes, then a line feed.
int LogFormat(const char* format, ...) VORNEK_PRINTF_FORMAT(1, 2);
// Always 0; one tab more at the start of the following lines.
int LogIndentIn(void);
// Always 0; one tab less, never below none.
int LogIndentOut(void);

// ---- Memory report --------------------------------------------------------------------------
// Logs every live engine block, newest first, and the totals. Cannot fail.
void DumpAllocations(void);
// 0 when every block header is intact; -1 (after logging it) at the first damaged one.
int CheckAllocations(void);

#ifdef __cplusplus
}  // extern "C"
#endif
