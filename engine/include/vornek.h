// Vornek: the engine's whole public API. Flat functions with integer results: 0 for success and
// -1 for failure, or a handle value (-1 on failure); TRUE/FALSE flags are 1/0. Texts are
// multi-byte strings in the system code page (Shift-JIS). Colours are colour values made with
// MakeColor. Everything runs on the thread that called InitEngine.
#pragma once

#include <cstdint>

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

// ---- Lifecycle ------------------------------------------------------------------------------
// 0 once started (also when already started); -1 when a step fails: no display, a second copy,
// a 24-bit desktop, no input. The program then ends without EndEngine.
int InitEngine();
// Always 0; stops everything and writes the memory report. Does nothing before InitEngine.
int EndEngine();
// 0 to go on; -1 once the program must end (window closed, quit). Call it once per frame.
int PumpMessages();
// Never returns: logs the message, shuts the engine down and ends the process with -1.
[[noreturn]] void FatalError(const char* message);
// Never returns: FatalError with a printf-formatted message of up to 1023 bytes.
[[noreturn]] void FatalErrorFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));

// ---- Settings made before InitEngine (each also works on a running engine) ------------------
// 0; -1 for a null text. Titles are cut to 255 bytes.
int SetWindowTitle(const char* text);
// Always 0. FALSE writes no log file and no debugger output; takes effect at the next line.
int SetLogOutputFlag(int flag);

// ---- Window mode ----------------------------------------------------------------------------
// 0; on a running engine -1 (or -2, fallback mode) when the switch of the screen mode fails.
// TRUE windowed, FALSE full-screen.
int ChangeWindowMode(int flag);

// ---- Screen mode and vsync ------------------------------------------------------------------
// 0; -1 for a side outside 1..8192, a depth other than 8, 16 or 32, or a failed change; -2
// when a change on a running engine ended in the fallback mode 640 x 480 x 16.
int SetScreenMode(int width, int height, int bitDepth, int refreshRate);
// Always 0. TRUE (the default after InitEngine) makes PresentScreen wait for the display.
int SetVSyncWait(int flag);
// 1 while PresentScreen waits for the display, else 0.
int GetVSyncWait();

// ---- Draw state -----------------------------------------------------------------------------
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

// 0; -1 before InitEngine or for a target that is neither screen nor a drawable graphic.
int SelectDrawTarget(int screen);
// The current draw target (ScreenFront after InitEngine); never fails.
int GetDrawTarget();
// 0; -1 when the draw target has no size. Corners in any order, clamped to the target; right
// and bottom exclusive. An empty area makes every line and circle a no-op.
int SetClipArea(int x1, int y1, int x2, int y2);
// Always 0; the parameter is clamped to 0-255, the mode is not checked.
int SetBlendMode(int mode, int param);
// Always 0; multiplies every drawn colour channel by value / 255, each clamped to 0-255.
int SetTint(int red, int green, int blue);

// ---- Drawing --------------------------------------------------------------------------------
// 0; -1 when the hardware device is missing. Thickness above 1 draws on the hardware path only.
int DrawLine(int x1, int y1, int x2, int y2, int color, int thickness);
// 0; -1 when the hardware device is missing. fill TRUE draws a disc, FALSE an outline; a
// negative radius draws nothing.
int DrawCircle(int x, int y, int r, int color, int fill);

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
// Always 0; the bit depth of new graphics, 0 for the screen's (the default).
int SetCreateBitDepth(int bitDepth);
// The bit depth new graphics take; never fails.
int GetCreateBitDepth();
// Always 0; whether new graphics carry an alpha channel (default off).
int SetCreateAlphaChannel(int flag);
// Whether new graphics carry an alpha channel; never fails.
int GetCreateAlphaChannel();
// Always 0; whether new graphics are drawn with the alpha test (default on).
int SetCreateAlphaTest(int flag);
// Whether new graphics are drawn with the alpha test; never fails.
int GetCreateAlphaTest();
// Always 0; whether new graphics can be selected as the draw target (default off).
int SetCreateDrawTarget(int flag);
// Whether new graphics can be selected as the draw target; never fails.
int GetCreateDrawTarget();

// ---- Clear and present ----------------------------------------------------------------------
// Always 0; fills the whole draw target with the background colour, ignoring the clip area.
int ClearScreen();
// 0; -1 before InitEngine has completed. Draws the on-screen log, then shows the picture.
int PresentScreen();
// Always 0; the background colour of ClearScreen (default black), channels 0-255.
int SetClearColor(int red, int green, int blue);

// ---- Colours --------------------------------------------------------------------------------
// The colour value in the current screen format (32-bit before InitEngine); never fails. Only
// the low 8 bits of each channel are used.
std::uint32_t MakeColor(int red, int green, int blue);
// Always 0; writes the channels 0-255 of a colour value. The three pointers are required.
int SplitColor(std::uint32_t color, int* red, int* green, int* blue);

// ---- Fonts and text -------------------------------------------------------------------------
// Font types: bit 0 draws an outline of the edge colour, bit 1 anti-aliases.
constexpr int FontTypeNormal = 0;
constexpr int FontTypeEdge = 1;
constexpr int FontTypeAntiAlias = 2;
constexpr int FontTypeAntiAliasEdge = 3;
// Character sets by index: 0 default, 1 Shift-JIS, 2 Hangul.
constexpr int CharSetDefault = 0;
constexpr int CharSetShiftJis = 1;
constexpr int CharSetHangul = 2;

// Text with the default font: 0; -1 when the default font cannot be made or the engine is stopped.
int DrawText(int x, int y, const char* text, int color, int edgeColor);
// The result of DrawText: printf-formatted into 1024 bytes, no edge.
int DrawTextFormat(int x, int y, int color, const char* format, ...) __attribute__((format(printf, 4, 5)));
// 0; -1 for a bad handle.
int DrawTextWithFont(int x, int y, const char* text, int color, int handle, int edgeColor);

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
int SetFontLostNotifier(int handle, std::int32_t* lostFlag);
// The default font's handle; -1 when it could not be made (0 before InitEngine).
int QueryDefaultFont();
// 0; -1 while the engine is stopped or for a size beyond -512..512. -1 for either value means
// 16 or 6.
int SetDefaultFontSize(int size, int thickness);

// ---- Keyboard -------------------------------------------------------------------------------
// Key codes are the DirectInput key codes; a few of them:
constexpr int KeyEscape = 0x01, KeyTab = 0x0F, KeyReturn = 0x1C, KeySpace = 0x39, KeyBackSpace = 0x0E;
constexpr int KeyLeftShift = 0x2A, KeyLeftControl = 0x1D, KeyQ = 0x10, KeyW = 0x11, KeyA = 0x1E;
constexpr int KeyS = 0x1F, KeyD = 0x20, KeyZ = 0x2C, KeyX = 0x2D, KeyC = 0x2E;
constexpr int KeyUp = 0xC8, KeyLeft = 0xCB, KeyRight = 0xCD, KeyDown = 0xD0;

// 1 while the key is held, else 0 (also for a code outside 0-255 and before InitEngine).
int IsKeyDown(int keyCode);

// ---- Mouse and pads -------------------------------------------------------------------------
constexpr int MouseButtonLeft = 1, MouseButtonRight = 2, MouseButtonMiddle = 4;

// Always 0; the cursor in the drawn screen's pixels. Either pointer may be null.
int GetCursorPosition(int* x, int* y);
// The held buttons, bit n for button n; 0 when the mouse cannot be read.
int GetMouseButtons();
// Pads are found and set up by InitEngine; no operation reads them yet.

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
constexpr int PlayOnce = 0, PlayLoop = 1;

// A sound handle; -1 (with a log line) when the file cannot be read, is damaged, cut short, of
// a kind not read, decodes to more than 256 MiB, every one of the 4096 handles is in use, or
// the engine is not running.
int LoadSound(const char* path);
// The same from size bytes of a file in memory (the caller keeps them).
int LoadSoundFromMemory(const void* data, int size);
// 0; -1 for a bad handle. Its voices stop and their handles become invalid.
int ReleaseSound(int sound);
// Always 0.
int ReleaseAllSounds();
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
int GetMasterVolume();
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
int StopMusic();
// 1 while music plays, else 0.
int IsMusicPlaying();
// 0; -1 for a volume out of range. Kept for the music played later.
int SetMusicVolume(int volume);
// 0, stopping the music once it has faded out (at once for 0); -1 when no music plays.
int FadeOutMusic(int milliseconds);

// ---- Time counters --------------------------------------------------------------------------
// Milliseconds, 0 to 2^31 - 1 and then 0 again; subtract two readings. Never fails.
int GetMilliCount();
// Microseconds from the finest trusted counter (the processor's with useCpuCounter TRUE once
// started). Never fails.
std::uint64_t GetMicroCount(int useCpuCounter);

// ---- Random numbers -------------------------------------------------------------------------
// 0..max inclusive for 0 <= max < 2147483647; max + 1 wraps for max = 2147483647, which gives
// -2147483648..0. For max = -1 the result is 0, and for smaller max it lies in max + 1..0.
int GetRandom(int max);

// ---- Log output and the on-screen log -------------------------------------------------------
// The log is "Log.txt" in the directory current at InitEngine, recreated at each start, and
// mirrored to the debugger output. The on-screen log is drawn over every presented picture.
// Always -1 (also on success); appends the text, a line feed ends the line.
int LogText(const char* message);
// Always -1; printf-formatted into 1024 bytes, then a line feed.
int LogFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Always 0; one tab more at the start of the following lines.
int LogIndentIn();
// Always 0; one tab less, never below none.
int LogIndentOut();

// ---- Memory report --------------------------------------------------------------------------
// Logs every live engine block, newest first, and the totals. Cannot fail.
void DumpAllocations();
// 0 when every block header is intact; -1 (after logging it) at the first damaged one.
int CheckAllocations();
