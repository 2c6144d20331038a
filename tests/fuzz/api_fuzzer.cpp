#include "api_fuzzer.h"

#include <unistd.h>

#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <deque>
#include <functional>
#include <random>
#include <vector>

#include "core/engine_state.h"
#include "core/tracked_memory.h"
#include "fake_d3d9.h"
#include "fake_platform.h"
#include "graphics/graphics_state.h"
#include "input/input_state.h"
#include "support/sound_bytes.h"
#include "test_support.h"
#include "vornek.h"
#include "window/char_buffer.h"

namespace {

// Values that have broken engines before: int's ends, the edges of every limit, sizes whose
// squares wrap, zero and minus one.
constexpr int HostileInts[] = {0,           1,     -1,    2,     -2,   3,    16,    INT_MAX, INT_MIN, INT_MAX - 1,
                               INT_MIN + 1, 65528, 65536, 46341, 512,  513,  -512,  -513,    1 << 30, -(1 << 30),
                               255,         256,   800,   600,   8192, 8193, 32767, -32768};

// Texts: plain, Shift-JIS characters and spaces, a lead byte cut by the end, Hangul-style bytes,
// and a long one that needs the allocated lists.
const std::vector<std::string>& Texts() {
  static const std::vector<std::string> texts = [] {
    std::vector<std::string> t = {"",
                                  "A",
                                  "Ab .",
                                  "\x88\x9f\x81\x40\x82\xa0",
                                  "\x81",
                                  "AB\x9f",
                                  "\xb0\xa1\xc7\xd1",
                                  "MousePos(123,456)",
                                  "\xff\xfe\xfd\xe0\x40",
                                  "%s%n%d"};
    std::string longText;
    for (int i = 0; i < 700; ++i) longText += static_cast<char>(0x21 + i % 94);
    t.push_back(longText);
    std::string wide;
    for (int i = 0; i < 300; ++i) {
      wide += static_cast<char>(0x88 + i % 8);
      wide += static_cast<char>(0x40 + i % 60);
    }
    t.push_back(wide);
    return t;
  }();
  return texts;
}

class Fuzzer {
 public:
  explicit Fuzzer(std::uint64_t seed) : random_(seed) {}

  bool Chance(int percent) { return Below(100) < percent; }
  int Below(int n) { return static_cast<int>(random_() % static_cast<std::uint64_t>(n)); }
  int Between(int low, int high) {
    const auto span = static_cast<std::uint64_t>(static_cast<long long>(high) - low + 1);
    return static_cast<int>(low + static_cast<long long>(random_() % span));
  }
  // Ordinary most of the time, hostile now and then.
  int Int(int low, int high) {
    const int kind = Below(10);
    if (kind < 6) return Between(low, high);
    if (kind < 9) return HostileInts[Below(std::size(HostileInts))];
    return static_cast<int>(static_cast<std::uint32_t>(random_()));
  }
  int Coordinate() { return Int(-100, 900); }
  int Color() { return Chance(80) ? static_cast<int>(MakeColor(Below(256), Below(256), Below(256))) : Int(0, 255); }
  const char* Text() {
    const auto& texts = Texts();
    return texts[static_cast<std::size_t>(Below(static_cast<int>(texts.size())))].c_str();
  }
  // A font handle: one of ours, perhaps stale, or any value.
  int Font() {
    if (!fonts_.empty() && Chance(80)) return fonts_[static_cast<std::size_t>(Below(static_cast<int>(fonts_.size())))];
    if (Chance(50)) return QueryDefaultFont();
    return Int(-1, 0x7FFFFFFF);
  }
  // Font sizes stay small in most calls: a glyph of the largest costs a millisecond, and the
  // long texts through their 20-slot cache cost seconds per draw in the sanitizer build.
  int FontSize() {
    const int kind = Below(100);
    if (kind < 90) return Between(-1, 40);
    if (kind < 98) return Between(41, 128);
    return Int(-600, 600);
  }
  int EdgeSize() { return Chance(90) ? Between(-1, 4) : Int(-1, 20); }
  // A graphic handle: one of ours, perhaps stale or a font's, or any value.
  int Graphic() {
    if (!graphics_.empty() && Chance(80)) {
      return graphics_[static_cast<std::size_t>(Below(static_cast<int>(graphics_.size())))];
    }
    if (Chance(30)) return Font();
    return Int(-5, 0x7FFFFFFF);
  }
  int Sound() {
    if (!sounds_.empty() && Chance(85))
      return sounds_[static_cast<std::size_t>(Below(static_cast<int>(sounds_.size())))];
    return Int(-5, 0x7FFFFFFF);
  }
  // Graphic sizes: small mostly; large ones only where their pixels stay affordable.
  void GraphicSize(int* width, int* height) {
    *width = Chance(90) ? Between(-1, 300) : Int(-1, 3000);
    *height = Chance(90) ? Between(-1, 300) : Int(-1, 3000);
    if (static_cast<long long>(*width) * *height > 2048LL * 2048) *height = 2048 * 2048 / *width;
  }

  void Trace(const std::string& line) {
    trace_.push_back(line);
    if (trace_.size() > 40) trace_.pop_front();
  }
  std::string TraceText() const {
    std::string text;
    for (const std::string& line : trace_) text += "  " + line + "\n";
    return text;
  }

  void Step();
  int starts = 0;
  std::string findings;  // results outside what the API promises

 private:
  void Input();
  std::mt19937_64 random_;
  std::vector<int> fonts_;
  std::vector<int> graphics_;
  std::vector<int> sounds_;
  std::vector<int> voices_;
  std::deque<std::string> trace_;
  int padsAttached_ = 0;
};

std::string Call(const char* name, std::initializer_list<long long> arguments) {
  std::string line = name;
  line += "(";
  bool first = true;
  for (long long a : arguments) {
    if (!first) line += ", ";
    line += std::to_string(a);
    first = false;
  }
  return line + ")";
}

// Window-system events between calls. A deactivation is always followed by an activation a
// few passes later, or the pause while inactive would wait for ever, as it should.
void Fuzzer::Input() {
  using fake::EventKind;
  const int kind = Below(100);
  // Pointer and window positions stay within what a window system reports (far off screen,
  // never at int's ends).
  const auto position = [this](int low, int high) {
    return Chance(90) ? Between(low, high) : Between(-1 << 20, 1 << 20);
  };
  if (kind < 3) {
    fake::Send({EventKind::Wheel, Chance(80) ? Between(-3, 3) * 120 : Int(-1000, 1000)});
  } else if (kind < 4) {
    // Pads plugged in and out while the program runs.
    if (Chance(60)) {
      fake::AttachPad(fake::Pad{});
      ++padsAttached_;
    } else if (padsAttached_ > 0) {
      fake::DetachPad(Below(padsAttached_));
    }
  } else if (kind < 35) {
    fake::Send({EventKind::MouseMove, position(-50, 1400), position(-50, 1100)});
  } else if (kind < 55) {
    fake::Send({Chance(50) ? EventKind::ButtonDown : EventKind::ButtonUp, Between(0, 7)});
  } else if (kind < 85) {
    fake::Send({Chance(50) ? EventKind::KeyDown : EventKind::KeyUp, Int(0, 255)});
  } else if (kind < 93) {
    fake::Send({EventKind::Deactivate});
    fake::Schedule(fake::CurrentPass() + Between(1, 20), {EventKind::Activate});
  } else if (kind < 96) {
    fake::Send({EventKind::Text, 0, 0, Text()});
  } else if (kind < 98) {
    fake::Send({EventKind::Move, position(-100, 1000), position(-100, 800)});
  } else {
    fake::Send({EventKind::Close});
  }
  Trace("event " + std::to_string(kind));
}

void Fuzzer::Step() {
  const int op = Below(40);
  switch (op) {
    case 0:
      if (Chance(10)) {
        // Start-up failures that are not fatal.
        const int which = Below(3);
        if (which == 0) fake::SetAnotherInstance(true);
        if (which == 1) fake::SetFailure(fake::Failure::CoInitialize, true);
        if (which == 2) fake::FailNextFonts(Between(1, 4));
      }
      Trace("InitEngine()");
      if (InitEngine() == 0 && EngineState.Initialised) ++starts;
      fake::SetAnotherInstance(false);
      fake::SetFailure(fake::Failure::CoInitialize, false);
      break;
    case 1:
      Trace("EndEngine()");
      EndEngine();
      break;
    case 2:
    case 3:
      Trace("PumpMessages()");
      PumpMessages();
      break;
    case 4: {
      const int width = Chance(70) ? (Chance(50) ? 640 : 800) : Int(1, 1024);
      const int height = Chance(70) ? (Chance(50) ? 480 : 600) : Int(1, 768);
      const int bits = Chance(80) ? (Chance(50) ? 32 : 16) : Int(0, 32);
      Trace(Call("SetScreenMode", {width, height, bits, 60}));
      // Very large screens are left out of the run: they are legal and only cost memory.
      if (static_cast<long long>(width) * height <= 2048 * 2048) SetScreenMode(width, height, bits, Int(0, 120));
      break;
    }
    case 5:
      // Windowed only: a full-screen mode the display lacks ends the process through the
      // fatal-error path by design, which would end the run rather than find anything.
      Trace("ChangeWindowMode(1)");
      ChangeWindowMode(TRUE);
      break;
    case 6:
      Trace("SetWindowTitle");
      SetWindowTitle(Chance(10) ? nullptr : Text());
      break;
    case 7:
      SetLogOutputFlag(Below(2));
      break;
    case 8: {
      const int screen = Chance(80) ? (Chance(50) ? ScreenFront : ScreenBack) : Int(-5, 5);
      Trace(Call("SelectDrawTarget", {screen}));
      SelectDrawTarget(screen);
      break;
    }
    case 9:
    case 10: {
      const int x1 = Coordinate(), y1 = Coordinate(), x2 = Coordinate(), y2 = Coordinate(), t = Int(0, 3);
      Trace(Call("DrawLine", {x1, y1, x2, y2, t}));
      DrawLine(x1, y1, x2, y2, Color(), t);
      break;
    }
    case 11:
    case 12: {
      const int x = Coordinate(), y = Coordinate();
      const int r = Chance(90) ? Between(-2, 300) : Int(0, 2000);
      Trace(Call("DrawCircle", {x, y, r}));
      DrawCircle(x, y, r, Color(), Int(0, 1));
      break;
    }
    case 13:
      Trace("ClearScreen()");
      ClearScreen();
      break;
    case 14:
      Trace("PresentScreen()");
      PresentScreen();
      break;
    case 15:
      SetVSyncWait(Int(0, 1));
      break;
    case 16:
    case 17: {
      const int x = Coordinate(), y = Coordinate();
      Trace(Call("DrawText", {x, y}));
      DrawText(x, y, Chance(5) ? nullptr : Text(), Color(), Color());
      break;
    }
    case 18: {
      const int x = Coordinate(), y = Coordinate(), n = Int(0, 100);
      Trace(Call("DrawTextFormat", {x, y, n}));
      if (Chance(20)) {
        DrawTextFormat(x, y, Color(), "%*d|%s", Between(0, 1200), n, Text());
      } else {
        DrawTextFormat(x, y, Color(), "%3d %s %c", n, Text(), Between(1, 255));
      }
      break;
    }
    case 19:
    case 20: {
      static const char* const faces[] = {nullptr, "", "Some Face", "\x82\x6c\x82\x72 \x96\xbe\x92\xa9"};
      std::string longFace(Chance(5) ? 400 : 0, 'F');
      const char* face = longFace.empty() ? faces[Below(4)] : longFace.c_str();
      const int size = FontSize(), thickness = Int(-1, 10), type = Int(-2, 4), charset = Int(-2, 3);
      const int edge = EdgeSize(), italic = Int(0, 1);
      const int slot = Chance(90) ? -1 : Int(-1, 40), check = Chance(90) ? -1 : Int(-1, 2047);
      Trace(Call("CreateFontToHandle", {size, thickness, type, charset, edge, italic, slot, check}));
      const int handle = CreateFontToHandle(face, size, thickness, type, charset, edge, italic, slot, check);
      if (handle != -1) fonts_.push_back(handle);
      if (fonts_.size() > 64) fonts_.erase(fonts_.begin());
      break;
    }
    case 21: {
      const int handle = Font();
      Trace(Call("ReleaseFontHandle", {handle}));
      ReleaseFontHandle(handle);
      break;
    }
    case 22: {
      const int handle = Font();
      Trace(Call("QueryFontFace", {handle}));
      char face[256];
      int size = 0, thickness = 0;
      QueryFontFace(Chance(20) ? nullptr : face, Chance(20) ? nullptr : &size, Chance(20) ? nullptr : &thickness,
                    handle);
      QueryFontSize(handle);
      IsFontHandleValid(handle);
      break;
    }
    case 23: {
      const int spacing = Int(-10, 10), handle = Font();
      Trace(Call("SetFontSpacing", {spacing, handle}));
      SetFontSpacing(spacing, handle);
      break;
    }
    case 24: {
      const int size = FontSize(), thickness = Int(-1, 10);
      Trace(Call("SetDefaultFontSize", {size, thickness}));
      SetDefaultFontSize(size, thickness);
      break;
    }
    case 25:
    case 26: {
      const int x = Coordinate(), y = Coordinate(), handle = Font();
      Trace(Call("DrawTextWithFont", {x, y, handle}));
      DrawTextWithFont(x, y, Chance(5) ? nullptr : Text(), Color(), handle, Color());
      if (Chance(30)) {
        const int length = Int(-1, 40);
        Trace(Call("GetTextWidthWithFont", {length, handle}));
        GetTextWidthWithFont(Chance(5) ? nullptr : Text(), length, handle);
        GetFontHeight(handle);
        GetFontLineSpacing(handle);
      }
      break;
    }
    case 27: {
      const int key = Int(0, 255);
      Trace(Call("IsKeyDown", {key}));
      IsKeyDown(key);
      CountKeyPresses(key);
      CountKeyReleases(key);
      if (Chance(40)) {
        // The pads and their keys.
        const int pad = Int(0, 16), what = Below(6), value = Int(0, 1000);
        const unsigned input = Chance(80) ? 1u << Below(32) : static_cast<unsigned>(Int(0, 255));
        Trace(Call("Pad", {what, pad, static_cast<long long>(input), value}));
        int x = 0, y = 0;
        if (what == 0) GetPadInputs(pad);
        if (what == 1) GetPadAnalogInput(pad, Chance(10) ? nullptr : &x, Chance(10) ? nullptr : &y);
        if (what == 2) {
          CountPadPresses(pad, input);
          CountPadReleases(pad, input);
          GetPadPointOfView(pad, Int(0, 3));
        }
        if (what == 3) SetPadKeys(pad, input, Int(-1, 255), Int(-1, 255));
        if (what == 4) SetPadDeadZone(pad, Int(0, 10000));
        if (what == 5) {
          if (Chance(50)) {
            StartPadVibration(pad, value, Int(-1, 500));
          } else {
            StopPadVibration(pad);
          }
        }
      }
      break;
    }
    case 28: {
      int x = 0, y = 0;
      Trace("GetCursorPosition");
      GetCursorPosition(Chance(10) ? nullptr : &x, Chance(10) ? nullptr : &y);
      GetMouseButtons();
      CountMouseButtonPresses(Int(0, 16));
      CountMouseButtonReleases(Int(0, 16));
      GetMouseWheelRotation();
      break;
    }
    case 29: {
      const int max = Int(0, 100);
      const int value = GetRandom(max);
      if (max >= 0 && max < INT_MAX && (value < 0 || value > max)) {
        findings += Call("GetRandom", {max}) + " gave " + std::to_string(value) + "; ";
      }
      break;
    }
    case 30:
      MakeColor(Int(0, 255), Int(0, 255), Int(0, 255));
      break;
    case 31: {
      if (Chance(30)) {
        const int setting = Below(4), value = Int(0, 32);
        Trace(Call("SetCreate", {setting, value}));
        if (setting == 0) SetCreateBitDepth(value);
        if (setting == 1) SetCreateAlphaChannel(value);
        if (setting == 2) SetCreateAlphaTest(value);
        if (setting == 3) SetCreateDrawTarget(value);
      }
      int width = 0, height = 0;
      GraphicSize(&width, &height);
      int handle = -1;
      if (Chance(70)) {
        Trace(Call("CreateEmptyGraphic", {width, height}));
        handle = CreateEmptyGraphic(width, height);
      } else {
        const int x = Int(-2, 200), y = Int(-2, 200), source = Graphic();
        Trace(Call("CreateDerivedGraphic", {x, y, width, height, source}));
        handle = CreateDerivedGraphic(x, y, width, height, source);
      }
      if (handle != -1) graphics_.push_back(handle);
      if (graphics_.size() > 64) graphics_.erase(graphics_.begin());
      break;
    }
    case 32:
    case 33: {
      const int handle = Graphic(), x1 = Coordinate(), y1 = Coordinate(), x2 = Coordinate(), y2 = Coordinate();
      const int mode = Chance(80) ? Below(13) : Int(-2, 20), transparency = Int(0, 1);
      SetBlendMode(mode, Int(0, 255));
      if (Chance(20)) SetTint(Int(0, 255), Int(0, 255), Int(0, 255));
      const int kind = Below(4);
      Trace(Call("DrawGraph", {kind, x1, y1, x2, y2, handle, mode}));
      if (kind == 0) DrawGraphAt(x1, y1, handle, transparency);
      if (kind == 1) DrawGraphStretched(x1, y1, x2, y2, handle, transparency);
      if (kind == 2)
        DrawGraphRect(x1, y1, Int(-2, 50), Int(-2, 50), Int(-2, 300), Int(-2, 300), handle, transparency, Int(0, 1));
      if (kind == 3) {
        DrawGraphRectStretched(x1, y1, x2, y2, Int(-2, 50), Int(-2, 50), Int(-2, 300), Int(-2, 300), handle,
                               transparency);
      }
      break;
    }
    case 34: {
      const int handle = Graphic(), what = Below(3);
      Trace(Call("Graphic", {what, handle}));
      int width = 0, height = 0;
      if (what == 0) ReleaseGraphic(handle);
      if (what == 1) SelectDrawTarget(handle);
      if (what == 2) {
        GetGraphicSize(handle, Chance(10) ? nullptr : &width, Chance(10) ? nullptr : &height);
        IsGraphicHandleValid(handle);
      }
      break;
    }
    case 35:
    case 36: {
      // Sounds: loaded (sometimes damaged), played, changed, released, in any order.
      const int what = Below(8);
      const int sound = Sound(), value = Int(-2000, 500000);
      Trace(Call("Sound", {what, sound, value}));
      if (what == 0) {
        std::vector<double> tone = sound_bytes::Sine(Between(0, 2000), 22050, 440, 0.5);
        sound_bytes::Bytes file = sound_bytes::Wave(1, 1, 22050, 16, sound_bytes::Pcm(tone, 16));
        if (Chance(30) && !file.empty()) file[static_cast<std::size_t>(Below(static_cast<int>(file.size())))] ^= 0xFF;
        const int handle = LoadSoundFromMemory(file.data(), static_cast<int>(file.size()));
        if (handle != -1) sounds_.push_back(handle);
      }
      if (what == 1) {
        const int voice = PlaySoundHandle(sound, Int(-1, 2));
        if (voice != -1) voices_.push_back(voice);
        if (voices_.size() > 64) voices_.erase(voices_.begin());
      }
      if (what == 2) SetSoundVolume(sound, value);
      if (what == 3) SetSoundFrequency(sound, value);
      if (what == 4) SetSoundLoopPoint(sound, value);
      if (what == 5) {
        if (Chance(20)) {
          ReleaseAllSounds();
        } else {
          ReleaseSound(sound);
        }
      }
      if (what == 6) {
        const int voice = voices_.empty() ? Int(-1, 0x7FFFFFFF)
                                          : voices_[static_cast<std::size_t>(Below(static_cast<int>(voices_.size())))];
        SetVoicePan(voice, value);
        SetVoiceFrequency(voice, value);
        if (Chance(30)) StopVoice(voice);
        const int playing = IsVoicePlaying(voice);
        if (playing < -1 || playing > 1)
          findings += Call("IsVoicePlaying", {voice}) + " gave " + std::to_string(playing) + "; ";
      }
      if (what == 7) {
        SetMasterVolume(value % 1200);
        fake::PullAudio(Between(0, 2048));
      }
      if (sounds_.size() > 32) sounds_.erase(sounds_.begin());
      break;
    }
    default:
      Input();
      break;
  }
}

// Watchdog: a hang is a finding too.
std::uint64_t runningSeed = 0;
void OnAlarm(int) {
  char line[96];
  const int length =
      std::snprintf(line, sizeof line, "\napi fuzz: seed %llu hung\n", static_cast<unsigned long long>(runningSeed));
  (void)!write(2, line, static_cast<std::size_t>(length));
  _exit(3);
}

// Even seeds run on the recording Direct3D 9 device (the hardware back-end), odd ones in software.
void Fresh(bool hardware) {
  fake::ResetPlatform();
  fake::UseRecordingDevice(hardware);
  // Only the calls matter here, not the pixels they would give.
  fake::RecordVertices(false);
  fake::RasterisePrimitives(false);
  EngineState = EngineStateRecord{};
  GraphicsState = GraphicsStateRecord{};
  InputState = InputStateRecord{};
  StartCharBuffer();
  SetScreenMode(800, 600, 32, 60);
  ChangeWindowMode(TRUE);
  SetLogOutputFlag(FALSE);
}

}  // namespace

ApiFuzzResult RunApiFuzz(std::uint64_t seed, int calls, bool announce) {
  if (announce) {
    std::fprintf(stderr, "api fuzz: seed %llu, %d calls (replay: VORNEK_FUZZ_SEED=%llu)\n",
                 static_cast<unsigned long long>(seed), calls, static_cast<unsigned long long>(seed));
  }
  runningSeed = seed;
  test_support::TempDirectory directory;  // where the log goes when a call switches it on
  std::signal(SIGALRM, OnAlarm);
  // Generous: a slow seed on a loaded machine in the sanitizer build is not a hang.
  alarm(900);
  Fresh(seed % 2 == 0);
  Fuzzer fuzzer(seed);
  ApiFuzzResult result;
  for (int i = 0; i < calls; ++i) {
    fuzzer.Step();
    ++result.calls;
  }
  EndEngine();
  alarm(0);
  result.starts = fuzzer.starts;

  std::string failure = fuzzer.findings;
  if (LiveBlockCount() != 0) failure += "the memory report lists " + std::to_string(LiveBlockCount()) + " blocks; ";
  if (fake::LiveFonts() != 0) failure += std::to_string(fake::LiveFonts()) + " GDI fonts left; ";
  if (fake::NativeWindowCount() != 0) failure += "the window outlived the engine; ";
  if (fake::LiveInputObjects() != 0) failure += "input devices outlived the engine; ";
  if (fake::LiveD3dObjects() != 0) failure += std::to_string(fake::LiveD3dObjects()) + " Direct3D objects left; ";
  if (fake::LiveSoundObjects() != 0) failure += std::to_string(fake::LiveSoundObjects()) + " sound objects left; ";
  if (!failure.empty()) {
    result.failure = "seed " + std::to_string(seed) + ": " + failure + "\nlast calls:\n" + fuzzer.TraceText();
    std::fprintf(stderr, "api fuzz: %s", result.failure.c_str());
  }
  fake::ResetPlatform();
  return result;
}
