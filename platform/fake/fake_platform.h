// Controls of the fake platform: a clock that moves only when told, a settable desktop and
// processor, in-memory windows fed from a script of input events, and a failure switch for
// every platform call whose failure the engine handles.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32_types.h"

namespace fake {

enum class Failure {
  CoInitialize,
  LoadD3d9,          // "d3d9.dll" is missing
  CreateDirectDraw,  // CoCreateInstance of DirectDraw fails
  InitDirectDraw,    // IDirectDraw7::Initialize fails
  WindowDC,          // GetDC of a window yields none
  CreateFont,        // every CreateFontA fails
  MemoryDC,          // CreateCompatibleDC yields none
  HeapAlloc,
  HeapReAlloc,
  TimeGetDevCaps,
  TimeBeginPeriod,
  RegisterClass,              // RegisterClassExA
  CreateWindow,               // CreateWindowExA
  DirectInput7,               // CoCreateInstance of the version 7 object
  DirectInput8,               // CoCreateInstance of the version 8 object
  DirectInputInitialize,      // Initialize of either object
  KeyboardDevice,             // creating the keyboard device
  MouseDevice,                // creating the mouse device
  DeviceDataFormat,           // SetDataFormat
  DeviceCooperativeLevel,     // SetCooperativeLevel
  KeyboardEventNotification,  // SetEventNotification
  DeviceAcquire,              // Acquire
  DeviceStateRead,            // GetDeviceState (the device is lost on each read)
  DirectSoundCreate,          // CoCreateInstance of DirectSound
  SoundCooperativeLevel,      // IDirectSound::SetCooperativeLevel
  PrimarySoundBuffer,         // creating the primary buffer
  PrimarySoundFormat,         // SetFormat of the primary buffer
  SecondarySoundBuffer,       // creating a secondary buffer
  SoundBufferLock,            // Lock of a secondary buffer
  LoadDsound,                 // "DSOUND.DLL" is missing
  DirectSoundEnumerate,       // "DSOUND.DLL" lacks DirectSoundEnumerateA
  ReadFile,                   // every ReadFile fails
  FailureCount,
};

// Every setting back to its default: clock 0 and standing still, performance counter at 1 MHz
// moving one tick per read, time-stamp counter 0, timer periods 1-1000000 ms and none raised,
// a 1280 × 1024 × 32 desktop, the real processor, no failures, COM not started, no debugger
// output, no windows or classes, an empty queue and script, nothing held, cursor at (0, 0),
// screen saver on, code page 932.
void ResetPlatform();

void SetClock(DWORD milliseconds);
void AdvanceClock(DWORD milliseconds);
// The clock moves on by this much after every timeGetTime (0: only when told).
void SetClockStep(DWORD milliseconds);
// A frequency of 0 makes the performance counter unusable.
void SetPerformanceCounter(LONGLONG frequency, LONGLONG count);
// The performance counter moves on by this much after every read.
void SetPerformanceCounterStep(LONGLONG ticks);
// The time-stamp counter, and how far it moves on after every read.
void SetTimeStampCounter(std::uint64_t ticks, std::uint64_t stepPerRead = 0);

void SetTimerCaps(UINT periodMin, UINT periodMax);
// Periods raised with timeBeginPeriod and not yet lowered, oldest first.
const std::vector<UINT>& RaisedTimerPeriods();

// Everything given to OutputDebugStringA since the reset, concatenated.
const std::string& DebugOutput();
void ClearDebugOutput();

void SetDesktopDepth(int bitsPerPixel);
// Pixels per inch the desktop reports (96 by default).
void SetDesktopDpi(int dotsPerInch);
void SetDesktopSize(int width, int height);
// Adds a display mode to the list EnumDisplaySettingsA walks (the desktop mode is always first).
void AddDisplayMode(int width, int height, int bitsPerPixel, int frequency);
// Leaves only the desktop mode.
void ClearDisplayModes();
// The mode last set through ChangeDisplaySettingsA (0 × 0 after a restore).
void LastDisplayChange(int* width, int* height);

// Replaces the processor's identification: whether the instruction exists, and leaf 1's EDX.
// The real processor (the default) is shown without its time-stamp counter, so that a start-up
// does not wait on a clock that stands still; a test gives the fake one through SetCpu.
void SetCpu(bool available, std::uint32_t leaf1Edx);
void UseRealCpu();
// The replaced processor's vendor text (12 bytes) and brand text (up to 48 bytes; empty: the
// extended leaves stop before the brand). Defaults: "FakeVendorCo", "Fake Processor 1.00GHz".
void SetCpuTexts(const std::string& vendor, const std::string& brand);

// What GetVersionExA reports. Default: Windows NT 5.1, build 2600, "Service Pack 2".
struct OsVersion {
  unsigned platformId = 2;
  unsigned major = 5;
  unsigned minor = 1;
  unsigned build = 2600;
  std::string servicePack = "Service Pack 2";
  std::string systemName;
};
void SetOsVersion(const OsVersion& version);

void SetFailure(Failure which, bool fail);

int ComDepth();

// Another copy of the program holds a window of every class.
void SetAnotherInstance(bool running);
void SetOemCodePage(unsigned codePage);
void SetMemory(std::uint64_t totalBytes, std::uint64_t availableBytes);

// Input events. Keys are DirectInput key codes; positions are screen coordinates; buttons
// 0 left, 1 right, 2 middle, 3-7 others; text is in the system code page.
// Wheel: a is the motion in units of 120 a notch, positive away from the user.
enum class EventKind {
  KeyDown,
  KeyUp,
  MouseMove,
  ButtonDown,
  ButtonUp,
  Activate,
  Deactivate,
  Close,
  Text,
  Move,
  Wheel
};
struct InputEvent {
  EventKind kind;
  int a = 0;
  int b = 0;
  std::string text;
};
// Happens at once.
void Send(const InputEvent& event);
// Arrives when the program's message loop starts the given pass: a pass ends each time a look
// at the whole queue finds it empty, which happens once per call of an idle message pump.
void Schedule(int pass, const InputEvent& event);
int CurrentPass();
// The fake clock moves by this much at the end of each pass (default 1 ms), so that waits
// measured in passes of the message loop end; 0 stops it.
void SetIdlePassTime(DWORD milliseconds);
// Every acquired input device loses its acquisition (another program took it).
void LoseInputDevices();
// Sets a byte of the Windows key state without telling DirectInput.
void SetWindowsKeyByte(int virtualKey, std::uint8_t value);
// Input devices and objects not yet released.
int LiveInputObjects();

// The default sound output: whether there is one, what it offers (DSCAPS_ flags, the range of
// secondary rates, hardware memory) and the devices listed, {description, module}.
struct AudioDevice {
  bool present = true;
  unsigned flags = 0xF0F;  // mono, stereo, 8 and 16 bits, for primary and secondary buffers
  unsigned minRate = 100;
  unsigned maxRate = 48000;
  unsigned totalMemory = 0;
  unsigned freeMemory = 0;
  std::vector<std::pair<std::string, std::string>> devices = {{"Fake Output", "fake"}};
};
void SetAudioDevice(const AudioDevice& device);
// The format the output is open at (rate 0 while closed), and how often it was opened.
struct AudioOutput {
  unsigned rate = 0, channels = 0, bits = 0;
  int opens = 0;
};
const AudioOutput& OpenedAudio();
// What the open output plays next, this many frames of it, pulled as the device would; empty
// while closed.
std::vector<std::uint8_t> PullAudio(int frames);
// DirectSound objects and buffers not yet released.
int LiveSoundObjects();

// Game controllers, attached in this order (none at the reset), with the steps of their
// DirectInput set-up that fail.
struct Pad {
  std::string instanceName = "Fake Pad";
  std::string productName = "Fake Pad Product";
  int axes = 4, buttons = 12, hats = 1;
  bool forceFeedback = true;
  bool failCreate = false, failDataFormat = false, failCooperativeLevel = false;
  bool failRangeX = false, failRangeY = false, failDeadZoneX = false, failDeadZoneY = false;
  bool failEventNotification = false, failAcquire = false;
};
// Returns the pad's number, from 0. Attaching or detaching a pad while a window exists tells the
// program as the system does (a device change); a detached pad keeps its number and reads fail.
int AttachPad(const Pad& pad);
void DetachPad(int pad);
// Raw axis values -32768 to 32767; a change sets the pad's state-change event.
void SetPadAxis(int pad, int axis, int value);
void SetPadButton(int pad, int button, bool held);
// A hat's direction in hundredths of degrees clockwise from north, -1 centred (the default).
void SetPadHat(int pad, int hat, int direction);
// DirectInput calls on pads since the reset, "<product name>.<call>" separated by blanks.
const std::string& PadCalls();
// The force-feedback effects a pad holds now.
struct PadEffect {
  bool sine = false, playing = false;
  unsigned magnitude = 0, period = 0, attackTime = 0, fadeTime = 0, duration = 0, gain = 0;
};
std::vector<PadEffect> PadEffects(int pad);
// Whether the platform has the pad open (a device made for it and not released).
bool PadOpen(int pad);

// Platform calls in the order they were made: "CoInitialize", "CoUninitialize",
// "CoCreateInstance", "CreateWindow", "DestroyWindow" (with the input objects still alive,
// e.g. "DestroyWindow/2").
const std::string& Journal();
// Changes of the windows' stacking, in order: "Raise" (brought to the front or activated),
// "TopMost", "NotTopMost".
const std::string& Stacking();
void ClearStacking();

// What the window system shows.
bool ScreenSaverEnabled();
bool CursorVisible();
int CursorCount();
int NativeWindowCount();
// The title the window shows, in the system code page.
std::string NativeTitle();
// What the window's device context last received, as 32-bit XRGB rows.
struct PresentedFrame {
  int width = 0, height = 0;
  std::vector<std::uint32_t> pixels;
  int presents = 0;  // SetDIBitsToDevice and StretchDIBits calls that drew
  int stretchedPresents = 0;
  int lastX = 0, lastY = 0, lastWidth = 0, lastHeight = 0;  // destination of the last copy
  std::vector<DWORD> times;                                 // the fake clock at each present
};
const PresentedFrame& Presented();
// The window's client area receiving presents; 0 × 0 until set (presents then only count).
void SetClientSize(int width, int height);

int VerticalBlankWaits();
// A display refreshing this many times a second (0, the default: a wait for the vertical
// blank returns at once). Refresh k starts at k × 1000 / rate ms, rounded up, on the fake clock;
// a wait moves the clock to the start of the next refresh.
void SetRefreshRate(int hertz);
// The refresh the display shows at this time on the fake clock (0 without a refresh rate).
int RefreshAt(DWORD milliseconds);

// Fonts: a built-in synthetic face whatever face is asked for. For a cell height h (16 when
// 0 or less): ascent h - h/4, descent h/4, maximum width h. Glyphs:
//   0x20 and 0x8140 (full-width space): no ink, advance h/2 and h;
//   0x7F: an empty image, advance h/2;
//   '.' (0x2E): one ink pixel, origin (1, h/2), advance h/2;
//   other single-byte codes: (h/2 - 2) × (h - 4), double-byte codes: (h - 2) × (h - 4), each
//   side at least 1,
//   origin (1, ascent - 2), advance h/2 and h; grey level of pixel (x, y) GlyphLevel(...),
//   ink in the 1-bit format where that level is 8 or more.
int GlyphLevel(unsigned code, int x, int y);
struct FontCall {
  int height, weight;
  bool italic;
  DWORD charSet, pitchAndFamily;
  std::string face;  // as given, in the system code page
};
const std::vector<FontCall>& FontCalls();
// The next n CreateFontA calls fail (they are still recorded).
void FailNextFonts(int n);
// Glyph images GetGlyphOutlineA has copied out (metric-only calls and size queries not counted).
int GlyphRenders();
int LiveFonts();

}  // namespace fake
