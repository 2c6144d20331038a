// The system report, a joypad and sound on the real platform: this machine's processor and
// system, SDL's virtual joystick as an attached pad, and SDL's disk audio driver recording what
// the engine plays. Each test runs in its own process (CTest), so the audio driver chosen
// through the environment is the one SDL starts with.
#include <SDL.h>
#if defined(__x86_64__)
#include <cpuid.h>
#endif
#include <gtest/gtest.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>

#include "core/engine_state.h"
#include "core/log.h"
#include "core/system_report.h"
#include "core/time_counters.h"
#include "core/tracked_memory.h"
#include "input/input_state.h"
#include "platform/kernel32.h"
#include "sound/sound.h"
#include "sound/sound_state.h"
#include "test_support.h"
#include "vornek.h"

namespace {

using Clock = std::chrono::steady_clock;
using test_support::Sjis;

std::string Trim(std::string text) {
  const auto blank = [](unsigned char c) { return c == ' ' || c == '\t' || c == '\n'; };
  while (!text.empty() && blank(static_cast<unsigned char>(text.back()))) text.pop_back();
  std::size_t start = 0;
  while (start < text.size() && blank(static_cast<unsigned char>(text[start]))) ++start;
  return text.substr(start);
}

#if defined(__x86_64__)
// The processor's own answers to the identification instruction: the vendor (leaf 0), the
// feature bits of leaf 1's EDX and the brand (leaves 0x80000002-4). A virtual machine's kernel
// often names the processor otherwise in /proc/cpuinfo, so the report is held to these.
struct CpuIdentity {
  std::string vendor, brand;
  unsigned features = 0;
};

CpuIdentity ReadCpuIdentity() {
  CpuIdentity identity;
  unsigned r[4] = {};
  if (__get_cpuid(0, &r[0], &r[1], &r[2], &r[3]) == 0) return identity;
  char vendor[13] = {};
  std::memcpy(vendor, &r[1], 4);
  std::memcpy(vendor + 4, &r[3], 4);
  std::memcpy(vendor + 8, &r[2], 4);
  identity.vendor = vendor;
  __get_cpuid(1, &r[0], &r[1], &r[2], &r[3]);
  identity.features = r[3];
  if (static_cast<unsigned>(__get_cpuid_max(0x80000000u, nullptr)) >= 0x80000004u) {
    char brand[49] = {};
    for (unsigned leaf = 0; leaf < 3; ++leaf) {
      __get_cpuid(0x80000002u + leaf, &r[0], &r[1], &r[2], &r[3]);
      std::memcpy(brand + 16 * leaf, r, 16);
    }
    identity.brand = brand;
  }
  return identity;
}
#endif

// A value of os-release, "" when missing.
std::string FileValue(const char* path, const std::string& key, char separator) {
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    const std::size_t at = line.find(separator);
    if (at == std::string::npos || Trim(line.substr(0, at)) != key) continue;
    std::string value = Trim(line.substr(at + 1));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
    return value;
  }
  return "";
}

class RealSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EngineState = EngineStateRecord{};
    std::strcpy(EngineState.StartupDirectory, dir_.path().c_str());
    StartLog();
  }
  std::string Log() const { return test_support::ReadFile(dir_.path() / "Log.txt"); }
  test_support::TempDirectory dir_;
};

TEST_F(RealSystemTest, TheReportNamesThisMachine) {
  WriteSystemReport();
  struct utsname names {};
  ASSERT_EQ(uname(&names), 0);
  const std::string os = EngineState.OsText;
  EXPECT_EQ(os.rfind(std::string(names.sysname) + " " + names.release + " ( Build ", 0), 0u) << os;
  const std::string distribution = FileValue("/etc/os-release", "PRETTY_NAME", '=');
  if (!distribution.empty()) {
    EXPECT_NE(os.find(" " + distribution + " )"), std::string::npos) << os;
  }
  EXPECT_NE(Log().find(Sjis("ＯＳ  ") + os + "\r\n"), std::string::npos) << Log();

#if defined(__x86_64__)
  const CpuIdentity cpu = ReadCpuIdentity();
  EXPECT_EQ(EngineState.MmxUsable, (cpu.features >> 23) & 1);
  EXPECT_EQ(EngineState.SseUsable, (cpu.features >> 25) & 1);
  EXPECT_EQ(EngineState.Sse2Usable, (cpu.features >> 26) & 1);
  EXPECT_EQ(std::string(EngineState.CpuName), cpu.brand);
  EXPECT_NE(Log().find(Sjis("ＣＰＵベンダ：") + cpu.vendor + "\r\n"), std::string::npos) << Log();
  ASSERT_NE(cpu.features & (1u << 4), 0u) << "no time-stamp counter";
  EXPECT_EQ(EngineState.CpuCounterUsable, 1);
  EXPECT_GT(EngineState.CpuMhz, 100);
  EXPECT_NE(Log().find(Sjis("ＣＰＵ動作速度：大体")), std::string::npos);
#endif
  EndTimerPeriod();
}

// The disk driver writes the output to a file at the output's pace: silence, about as long as
// the engine ran, in the primary format (44100 Hz, 16-bit stereo, 176400 bytes a second).
TEST_F(RealSystemTest, TheDiskDriverRecordsSilenceForAsLongAsSoundRan) {
  const std::string file = (dir_.path() / "out.raw").string();
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
  SoundState = SoundStateRecord{};
  const Clock::time_point start = Clock::now();
  ASSERT_EQ(StartSound(), 0) << Log();
  std::this_thread::sleep_for(std::chrono::milliseconds(800));
  EXPECT_EQ(EndSound(), 0);
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();

  const std::string recorded = test_support::ReadFile(file);
  EXPECT_GT(recorded.size(), 0.5 * seconds * 176400) << recorded.size() << " bytes in " << seconds << " s";
  EXPECT_LT(recorded.size(), 1.2 * seconds * 176400 + 16384) << recorded.size() << " bytes in " << seconds << " s";
  EXPECT_EQ(recorded.size() % 4, 0u);
  EXPECT_TRUE(std::all_of(recorded.begin(), recorded.end(), [](char c) { return c == 0; })) << "nothing but silence";
  EXPECT_NE(Log().find(Sjis("モジュール名:           disk")), std::string::npos) << Log();
  EXPECT_NE(Log().find(Sjis("最大サンプリングレート:44.10KHz")), std::string::npos) << Log();
}

// SDL's dummy driver has no device behind it, and a driver that does not exist starts nothing:
// sound is not started, and neither waits.
TEST_F(RealSystemTest, WithoutAnOutputDeviceSoundIsNotStarted) {
  for (const char* driver : {"dummy", "no-such-driver"}) {
    SCOPED_TRACE(driver);
    setenv("SDL_AUDIODRIVER", driver, 1);
    SoundState = SoundStateRecord{};
    const Clock::time_point start = Clock::now();
    EXPECT_EQ(StartSound(), -1);
    EXPECT_LT(std::chrono::duration<double>(Clock::now() - start).count(), 2.0);
    EXPECT_EQ(SoundState.DirectSoundObject, nullptr);
    EXPECT_EQ(EndSound(), -1);
  }
  EXPECT_NE(Log().find(Sjis("引き続きインターフェースの初期化処理...  初期化に失敗しました")), std::string::npos)
      << Log();
}

// Whatever this machine has (no sound server in CI), the start-up answers at once either way.
TEST_F(RealSystemTest, TheDefaultAudioStartsOrFailsWithoutWaiting) {
  unsetenv("SDL_AUDIODRIVER");
  SoundState = SoundStateRecord{};
  const Clock::time_point start = Clock::now();
  const int started = StartSound();
  EXPECT_LT(std::chrono::duration<double>(Clock::now() - start).count(), 5.0);
  EXPECT_EQ(EndSound(), started == 0 ? 0 : -1);
}

// A virtual joystick attached before the start is enumerated and set up; it has no force
// feedback, so the effects fail as logged, and its axes arrive through the range and dead zone.
TEST(RealJoypad, AVirtualJoystickIsSetUpAsAPad) {
  if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X display";
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0) << SDL_GetError();
  SDL_VirtualJoystickDesc description{};
  description.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
  description.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
  description.naxes = 6;
  description.nbuttons = 11;
  description.nhats = 1;
  description.name = "Vornek Test Pad";
  const int index = SDL_JoystickAttachVirtualEx(&description);
  ASSERT_GE(index, 0) << SDL_GetError();
  SDL_Joystick* joystick = SDL_JoystickOpen(index);
  ASSERT_NE(joystick, nullptr) << SDL_GetError();

  test_support::TempDirectory directory;
  SetWindowTitle(("Vornek pad " + std::to_string(getpid())).c_str());
  SetScreenMode(800, 600, 32, 60);
  ChangeWindowMode(TRUE);
  ASSERT_EQ(InitEngine(), 0);
  const std::string log = test_support::ReadFile(directory.path() / "Log.txt");
  EXPECT_NE(log.find(Sjis("\t\tデバイスの登録名:Vornek Test Pad\r\n")), std::string::npos) << log;
  EXPECT_NE(log.find(Sjis("周期的エフェクトの作成に失敗しました。")), std::string::npos) << log;
  EXPECT_NE(log.find(Sjis("ジョイパッドの追加は正常に終了しました")), std::string::npos) << log;
  ASSERT_EQ(InputState.PadCount, 1);
  const PadRecord& pad = InputState.Pads[0];
  ASSERT_NE(pad.device, nullptr);
  EXPECT_STREQ(pad.productName, "Vornek Test Pad");
  EXPECT_EQ(pad.constantEffect, nullptr);

  ResetEvent(pad.event);
  ASSERT_EQ(SDL_JoystickSetVirtualAxis(joystick, 0, 32767), 0);
  ASSERT_EQ(SDL_JoystickSetVirtualAxis(joystick, 1, 4000), 0);  // inside the dead zone
  ASSERT_EQ(SDL_JoystickSetVirtualButton(joystick, 2, 1), 0);
  PumpMessages();
  EXPECT_EQ(WaitForSingleObject(pad.event, 0), WAIT_OBJECT_0) << "the moves set the pad's event";
  DIJOYSTATE state{};
  ASSERT_EQ(pad.device->GetDeviceState(sizeof state, &state), DI_OK);
  EXPECT_EQ(state.lX, 1000);
  EXPECT_EQ(state.lY, 0);
  EXPECT_EQ(state.rgbButtons[2], 0x80);

  EndEngine();
  EXPECT_EQ(LiveBlockCount(), 0);
  SDL_JoystickClose(joystick);
  SDL_JoystickDetachVirtual(index);
}

// Pumps until the condition holds or a second has passed.
template <typename Condition>
bool PumpUntil(Condition condition) {
  const auto end = Clock::now() + std::chrono::seconds(1);
  while (!condition() && Clock::now() < end) {
    PumpMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return condition();
}

TEST(RealJoypad, TheCallsReadAVirtualJoystickPluggedInAndOutWhileRunning) {
  if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X display";
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0) << SDL_GetError();
  test_support::TempDirectory directory;
  SetWindowTitle(("Vornek hot-plug " + std::to_string(getpid())).c_str());
  SetScreenMode(320, 240, 32, 60);
  ChangeWindowMode(TRUE);
  SetRunWhileInactive(TRUE);
  ASSERT_EQ(InitEngine(), 0);
  const int before = GetPadCount();

  SDL_VirtualJoystickDesc description{};
  description.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
  description.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
  description.naxes = 6;
  description.nbuttons = 11;
  description.nhats = 1;
  description.name = "Vornek Plugged Pad";
  const int index = SDL_JoystickAttachVirtualEx(&description);
  ASSERT_GE(index, 0) << SDL_GetError();
  SDL_Joystick* joystick = SDL_JoystickOpen(index);
  ASSERT_NE(joystick, nullptr) << SDL_GetError();
  ASSERT_TRUE(PumpUntil([&] { return GetPadCount() == before + 1; })) << "found without a restart";
  const int pad = before;  // listed after any pad the machine has
  EXPECT_STREQ(InputState.Pads[pad].productName, "Vornek Plugged Pad");

  ASSERT_EQ(SDL_JoystickSetVirtualAxis(joystick, 0, -32768), 0);
  ASSERT_EQ(SDL_JoystickSetVirtualAxis(joystick, 1, 32767), 0);
  ASSERT_EQ(SDL_JoystickSetVirtualButton(joystick, 0, 1), 0);
  PumpMessages();
  int x = 0, y = 0;
  ASSERT_EQ(GetPadAnalogInput(pad, &x, &y), 0);
  EXPECT_EQ(x, -1000);
  EXPECT_EQ(y, 1000);
  EXPECT_EQ(GetPadInputs(pad), PadInputLeft | PadInputDown | PadInputButton1);
  EXPECT_EQ(CountPadPresses(pad, PadInputButton1), 1);

  ASSERT_EQ(SDL_JoystickSetVirtualAxis(joystick, 0, 0), 0);
  ASSERT_EQ(SDL_JoystickSetVirtualAxis(joystick, 1, 0), 0);
  ASSERT_EQ(SDL_JoystickSetVirtualButton(joystick, 0, 0), 0);
  ASSERT_EQ(SDL_JoystickSetVirtualHat(joystick, 0, SDL_HAT_RIGHTUP), 0);
  PumpMessages();
  EXPECT_EQ(GetPadPointOfView(pad, 0), 4500);
  EXPECT_EQ(GetPadInputs(pad), PadInputRight | PadInputUp);
  EXPECT_EQ(CountPadReleases(pad, PadInputButton1), 1);
  EXPECT_EQ(StartPadVibration(pad, 500, 100), -1) << "SDL's virtual pads have no force feedback";

  SDL_JoystickClose(joystick);
  ASSERT_EQ(SDL_JoystickDetachVirtual(index), 0);
  EXPECT_TRUE(PumpUntil([&] { return GetPadCount() == before; })) << "gone without a restart";
  EndEngine();
  EXPECT_EQ(LiveBlockCount(), 0);
}

// xdotool drives the pointer and the keyboard through the display between two frames.
TEST(RealInput, TenQuickClicksAndKeyTapsBetweenFramesAreTenEdges) {
  if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X display";
  if (std::system("command -v xdotool > /dev/null 2>&1") != 0) GTEST_SKIP() << "xdotool is not installed";
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  test_support::TempDirectory directory;
  SetWindowTitle(("Vornek taps " + std::to_string(getpid())).c_str());
  SetScreenMode(320, 240, 32, 60);
  ChangeWindowMode(TRUE);
  SetRunWhileInactive(TRUE);
  ASSERT_EQ(InitEngine(), 0);
  const RECT client = EngineState.ClientRectOnScreen;
  const std::string move =
      "xdotool mousemove " + std::to_string(client.left + 100) + " " + std::to_string(client.top + 100);
  ASSERT_EQ(std::system(move.c_str()), 0);
  PumpUntil([] { return false; });  // the pointer arrives; the window settles

  // SDL takes a release and a press of one key within 2 ms for the keyboard repeating a held key:
  // the taps are some milliseconds apart, as the quickest fingers are, and all before the next frame.
  ASSERT_EQ(std::system("xdotool click --repeat 10 --delay 2 1 key --repeat 10 --delay 8 z"), 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(IsKeyDown(KeyZ), 0);
  ASSERT_EQ(PumpMessages(), 0);
  EXPECT_EQ(CountMouseButtonPresses(MouseButtonLeft), 10);
  EXPECT_EQ(CountMouseButtonReleases(MouseButtonLeft), 10);
  EXPECT_EQ(CountKeyPresses(KeyZ), 10);
  EXPECT_EQ(CountKeyReleases(KeyZ), 10);
  ASSERT_EQ(std::system("xdotool click --repeat 3 4"), 0);  // the wheel away from the user
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  ASSERT_EQ(PumpMessages(), 0);
  EXPECT_EQ(GetMouseWheelRotation(), 3);
  EndEngine();
  EXPECT_EQ(LiveBlockCount(), 0);
}

// In UTF-8 mode the title goes to the window as it is, accents and all.
TEST(RealText, AUtf8TitleReachesTheWindow) {
  if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X display";
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  test_support::TempDirectory directory;
  const std::string title =
      "Gr\xc3\xbc\xc3\x9f"
      "e \xe6\x97\xa5\xe6\x9c\xac " +
      std::to_string(getpid());
  ASSERT_EQ(SetUseUtf8Text(TRUE), 0);
  SetWindowTitle(title.c_str());
  SetScreenMode(320, 240, 32, 60);
  ChangeWindowMode(TRUE);
  ASSERT_EQ(InitEngine(), 0);
  std::string shown;
  for (Uint32 id = 1; id < 64 && shown.empty(); ++id) {
    if (SDL_Window* window = SDL_GetWindowFromID(id)) shown = SDL_GetWindowTitle(window);
  }
  EXPECT_EQ(shown, title);
  const std::string changed = "\xc3\x80 la carte";
  SetWindowTitle(changed.c_str());
  PumpMessages();
  shown.clear();
  for (Uint32 id = 1; id < 64 && shown.empty(); ++id) {
    if (SDL_Window* window = SDL_GetWindowFromID(id)) shown = SDL_GetWindowTitle(window);
  }
  EXPECT_EQ(shown, changed);
  EndEngine();
  SetUseUtf8Text(FALSE);
}

}  // namespace
