// The real platform's pieces that need no window.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/ddraw.h"
#include "platform/kernel32.h"
#include "platform/winmm.h"
#include "instance_lock.h"
#include "platform_contract.h"
#include "window_system.h"

namespace {

// A present waits for the display's next refresh: the loop can never run faster than the
// display, whatever the driver (Xvfb has no vertical-blank interrupt at all).
TEST(SdlPlatform, VerticalBlankWaitsPaceToTheRefreshRate) {
  void* object = nullptr;
  ASSERT_EQ(CoCreateInstance(CLSID_DirectDraw7, nullptr, CLSCTX_ALL, IID_IDirectDraw7, &object), S_OK);
  auto* directDraw = static_cast<IDirectDraw7*>(object);
  ASSERT_EQ(directDraw->Initialize(nullptr), S_OK);
  constexpr int Waits = 20;
  directDraw->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr);
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < Waits; ++i) directDraw->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  directDraw->Release();
  // SDL video is not started here, so the rate is the 60 Hz default. Waits end on refresh
  // ticks, but the first may wake late: only the whole periods between them are certain.
  EXPECT_GE(seconds, (Waits - 1) / 60.0);
}

TEST(SdlPlatform, MultimediaTimerAndPerformanceCounterMoveForward) {
  LARGE_INTEGER frequency, a, b;
  ASSERT_TRUE(QueryPerformanceFrequency(&frequency));
  EXPECT_EQ(frequency.QuadPart, 1000000000);
  ASSERT_TRUE(QueryPerformanceCounter(&a));
  const DWORD before = timeGetTime();
  Sleep(5);
  ASSERT_TRUE(QueryPerformanceCounter(&b));
  EXPECT_GE(b.QuadPart - a.QuadPart, 5000000);
  EXPECT_GE(timeGetTime() - before, 4u);
}

TEST(SdlPlatform, OnlyTheKnownLibrariesLoad) {
  HMODULE d3d9 = LoadLibraryA("D3D9.DLL");
  ASSERT_NE(d3d9, nullptr);
  EXPECT_NE(GetProcAddress(d3d9, "Direct3DCreate9"), nullptr);
  EXPECT_EQ(GetProcAddress(d3d9, "Direct3DCreate9Ex"), nullptr);
  EXPECT_TRUE(FreeLibrary(d3d9));
  HMODULE dsound = LoadLibraryA("DSOUND.DLL");
  ASSERT_NE(dsound, nullptr);
  EXPECT_NE(GetProcAddress(dsound, "DirectSoundEnumerateA"), nullptr);
  EXPECT_EQ(GetProcAddress(dsound, "Direct3DCreate9"), nullptr);
  EXPECT_TRUE(FreeLibrary(dsound));
  EXPECT_EQ(LoadLibraryA("winmm.dll"), nullptr);
  EXPECT_EQ(LoadLibraryA(nullptr), nullptr);
}

// Display names that reach one display give one scope, and different displays different ones.
TEST(SingleCopyLock, ReachesOneDisplay) {
  struct Case {
    const char* driver;
    const char* x11;
    const char* wayland;
    const char* runtime;
    const char* scope;
  };
  const Case cases[] = {
      {"x11", ":0", nullptr, nullptr, "x11 :0"},
      {"x11", ":0.0", nullptr, nullptr, "x11 :0"},
      {"x11", "unix:0.1", nullptr, nullptr, "x11 :0"},
      {"x11", ":1", nullptr, nullptr, "x11 :1"},
      {"x11", "remote:10.0", nullptr, nullptr, "x11 remote:10"},
      {"x11", "localhost:10", nullptr, nullptr, "x11 localhost:10"},
      {"wayland", nullptr, "wayland-1", "/run/user/7", "wayland /run/user/7/wayland-1"},
      {"wayland", nullptr, nullptr, "/run/user/7", "wayland /run/user/7/wayland-0"},
      {"wayland", nullptr, "/tmp/compositor", "/run/user/7", "wayland /tmp/compositor"},
      {"dummy", ":0", nullptr, nullptr, "dummy"},
      {"kmsdrm", ":0", "wayland-0", nullptr, "kmsdrm"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(instance_lock::ScopeOf(c.driver, c.x11, c.wayland, c.runtime), c.scope)
        << c.driver << " " << (c.x11 ? c.x11 : "-") << " " << (c.wayland ? c.wayland : "-");
  }
}

// An environment variable put back as it was when the test ends: its old value, or unset.
class SavedVariable {
 public:
  explicit SavedVariable(const char* name) : name_(name) {
    const char* value = std::getenv(name);
    set_ = value != nullptr;
    if (set_) value_ = value;
  }
  ~SavedVariable() {
    if (set_) {
      setenv(name_, value_.c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }
  SavedVariable(const SavedVariable&) = delete;
  SavedVariable& operator=(const SavedVariable&) = delete;

 private:
  const char* name_;
  bool set_ = false;
  std::string value_;
};

// The lock's directory, prepared in the ways a user can prepare it: only one that no other user
// can have made or write to holds the lock, and when there is none, standard error says so, once
// for each place. Every test has a temporary directory of its own, so a place refused by an earlier
// test in the process is never this test's.
class SingleCopyLockPlace : public ::testing::Test {
 protected:
  void SetUp() override {
    // Windows here are never shown: the display-less driver is all the lock needs. SDL video is
    // started once for the process, so this holds only where no earlier test opened it on a display.
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    std::string pattern = (std::filesystem::temp_directory_path() / "vornek-lock-test-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    base_ = pattern;
    setenv("TMPDIR", base_.c_str(), 1);
    unsetenv("XDG_RUNTIME_DIR");
    window_.className = "VornekLockTest";
  }
  void TearDown() override {
    native::ReleaseClaim(window_);
    std::error_code ignored;
    std::filesystem::remove_all(base_, ignored);
  }

  // A directory under the test's own, as another user (nobody) or this one made it.
  std::string MakeDirectory(const std::string& name, bool otherUser, mode_t mode) {
    const std::string path = base_ + "/" + name;
    EXPECT_EQ(mkdir(path.c_str(), 0700), 0);
    if (otherUser) {
      EXPECT_EQ(chown(path.c_str(), 65534, 65534), 0);
    }
    EXPECT_EQ(chmod(path.c_str(), mode), 0);
    return path;
  }
  std::string OwnFallback() const { return base_ + "/vornek-" + std::to_string(getuid()); }

  // Whether the lock holds: claimed, a second look finds it held.
  bool LockHolds() {
    if (native::OtherInstanceHolds(window_.className) || !native::ClaimClass(window_)) return false;
    const bool held = native::OtherInstanceHolds(window_.className);
    native::ReleaseClaim(window_);
    return held;
  }

  SavedVariable videoDriver_{"SDL_VIDEODRIVER"};
  SavedVariable runtime_{"XDG_RUNTIME_DIR"};
  SavedVariable tmp_{"TMPDIR"};
  std::string base_;
  Window window_;
};

TEST_F(SingleCopyLockPlace, OnlyAPlaceOfTheUsersOwnHoldsIt) {
  if (getuid() != 0) GTEST_SKIP() << "making a directory of another user's takes root";
  struct Case {
    const char* what;
    bool otherUser;
    mode_t mode;
  };
  const Case runtimeDirectories[] = {
      {"the user's own runtime directory", false, 0700},
      {"a runtime directory of another user's", true, 0700},
      {"a runtime directory anyone can write to", false, 0777},
  };
  int made = 0;
  for (const Case& c : runtimeDirectories) {
    SCOPED_TRACE(c.what);
    const std::string runtime = MakeDirectory("runtime" + std::to_string(made++), c.otherUser, c.mode);
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    testing::internal::CaptureStderr();
    EXPECT_TRUE(LockHolds());
    // The lock's own second look finds it held and says so; no word on the lock's place.
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(said.find("no safe place"), std::string::npos) << said;
    const bool used = !std::filesystem::is_empty(runtime);
    EXPECT_EQ(used, !c.otherUser && c.mode == 0700) << "the lock file went into " << runtime;
  }
}

TEST_F(SingleCopyLockPlace, APlacePreparedByAnotherUserIsRefusedAndSaidOnce) {
  if (getuid() != 0) GTEST_SKIP() << "making a directory of another user's takes root";
  testing::internal::CaptureStderr();
  // The fallback made beforehand by someone else, open to all: a lock there could be taken away.
  const std::string prepared = MakeDirectory("vornek-" + std::to_string(getuid()), true, 0777);
  EXPECT_FALSE(LockHolds());
  EXPECT_FALSE(LockHolds());
  EXPECT_TRUE(std::filesystem::is_empty(prepared)) << "a lock file went into the prepared directory";
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("a second copy cannot be detected"), std::string::npos) << said;
  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
}

TEST_F(SingleCopyLockPlace, ALinkOrALooseDirectoryOfTheUsersOwnIsRefused) {
  const std::string own = MakeDirectory("elsewhere", false, 0700);
  std::filesystem::create_directory_symlink(own, OwnFallback());
  testing::internal::CaptureStderr();
  EXPECT_FALSE(LockHolds());
  std::filesystem::remove(OwnFallback());
  MakeDirectory("vornek-" + std::to_string(getuid()), false, 0777);
  EXPECT_FALSE(LockHolds());
  EXPECT_TRUE(std::filesystem::is_empty(own));
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
}

// A game that starts the engine again meets the place it was told about already; a place refused
// only later in the process (another TMPDIR) is news, said once as well.
TEST_F(SingleCopyLockPlace, EachRefusedPlaceIsSaidOnce) {
  const std::string own = "/vornek-" + std::to_string(getuid());
  const std::string first = MakeDirectory("first", false, 0700);
  const std::string second = MakeDirectory("second", false, 0700);
  MakeDirectory("first" + own, false, 0777);
  MakeDirectory("second" + own, false, 0777);
  testing::internal::CaptureStderr();
  for (const std::string& tmp : {first, first, second, first, second}) {
    setenv("TMPDIR", tmp.c_str(), 1);
    EXPECT_EQ(instance_lock::Directory(), "") << tmp;
  }
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 2) << said;
  EXPECT_NE(said.find(first + own), std::string::npos) << said;
  EXPECT_NE(said.find(second + own), std::string::npos) << said;
}

}  // namespace
