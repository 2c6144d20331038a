#include <gtest/gtest.h>

#include <cstring>
#include <regex>
#include <string>
#include <vector>

#include "core/engine_state.h"
#include "core/log.h"
#include "core/tracked_memory.h"
#include "fake_platform.h"
#include "test_support.h"
#include "vornek.h"

namespace {

using test_support::ReadFile;

class LogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::ResetPlatform();
    EngineState = EngineStateRecord{};
    const std::string directory = dir_.path().string();
    ASSERT_LT(directory.size(), sizeof EngineState.StartupDirectory);
    std::strcpy(EngineState.StartupDirectory, directory.c_str());
  }
  void TearDown() override {
    EXPECT_EQ(LiveBlockCount(), 0);
    fake::ResetPlatform();
  }

  std::string LogFile() const { return ReadFile(dir_.path() / "Log.txt"); }
  bool LogExists() const { return std::filesystem::exists(dir_.path() / "Log.txt"); }

  test_support::TempDirectory dir_;
};

TEST_F(LogTest, MessagesBecomeTheseBytes) {
  const std::string longLine(300, 'x');
  struct Case {
    const char* name;
    std::vector<std::string> messages;
    std::string file;
    int lineOpen;
  };
  const Case cases[] = {
      {"one line", {"abc\n"}, "0:abc\r\n", 0},
      {"no line end keeps the line open", {"abc"}, "0:abc", 1},
      {"two messages, one stamp", {"abc", "def\n"}, "0:abcdef\r\n", 0},
      {"stamps only where a message starts a line", {"a\nb\n", "c\n"}, "0:a\r\nb\r\n0:c\r\n", 0},
      {"a bare line feed alone", {"\n"}, "0:\r\n", 0},
      {"after a CR LF the bare line feeds stay", {"a\r\nb\nc\n"}, "0:a\r\nb\nc\n", 0},
      {"bare line feeds before the first CR LF", {"a\nb\r\nc\n"}, "0:a\r\nb\r\nc\n", 0},
      {"a carriage return alone is kept", {"a\rb\n"}, "0:a\rb\r\n", 0},
      {"0x5C trail bytes stay with their lead", {"\x81\x5C\x83\x5C\\\n"}, "0:\x81\x5C\x83\x5C\\\r\n", 0},
      {"double-byte characters before a line feed", {"\x82\xA0\x82\xA2\n"}, "0:\x82\xA0\x82\xA2\r\n", 0},
      {"a lead byte right before a line feed", {"ab\x81\n", "c\n"}, "0:ab\x81\r\n0:c\r\n", 0},
      {"a lead byte at the very end",
       {"ab\xE0", "c\n"},
       "0:ab\xE0"
       "c\r\n",
       0},
      {"an empty message opens a line", {"", "x\n"}, "0:x\r\n", 0},
      {"longer than 255 bytes", {longLine + "\n" + longLine + "\n"}, "0:" + longLine + "\r\n" + longLine + "\r\n", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StartLog();
    fake::ClearDebugOutput();
    for (const std::string& message : c.messages) EXPECT_EQ(LogText(message.c_str()), -1);
    EXPECT_EQ(LogFile(), c.file);
    EXPECT_EQ(EngineState.LogLineOpen, c.lineOpen);
    // The debugger sees the same text without the stamps.
    const std::string withoutStamps = std::regex_replace(c.file, std::regex("(^|\n)0:"), "$1");
    EXPECT_EQ(fake::DebugOutput(), withoutStamps);
  }
}

TEST_F(LogTest, StampsAreMillisecondsSinceStartAndTabsFollowThem) {
  fake::SetClock(5000);
  StartLog();
  fake::SetClock(5250);
  LogText("start\n");
  LogIndentIn();
  LogIndentIn();
  fake::SetClock(6000);
  LogText("inner ");
  LogText("same line\n");
  LogIndentOut();
  LogText("one\n");
  for (int i = 0; i < 3; ++i) LogIndentOut();
  EXPECT_EQ(EngineState.LogIndent, 0) << "indentation never goes below 0";
  LogText("none\n");

  EXPECT_EQ(LogFile(), "250:start\r\n1000:\t\tinner same line\r\n1000:\tone\r\n1000:none\r\n");
  EXPECT_EQ(fake::DebugOutput(), "start\r\n\t\tinner same line\r\n\tone\r\nnone\r\n");
}

TEST_F(LogTest, DeepIndentationWritesEveryTab) {
  StartLog();
  for (int i = 0; i < 70; ++i) LogIndentIn();
  LogText("x\n");
  EXPECT_EQ(LogFile(), "0:" + std::string(70, '\t') + "x\r\n");
}

TEST_F(LogTest, FormatAppendsALineFeedAndCutsAt1024Bytes) {
  StartLog();
  EXPECT_EQ(LogFormat("%d:%s", 42, "x"), -1);
  const std::string huge(2000, 'y');
  LogFormat("%s", huge.c_str());
  EXPECT_EQ(LogFile(), "0:42:x\r\n0:" + std::string(1022, 'y') + "\r\n");
}

TEST_F(LogTest, StartRecreatesTheFileEmpty) {
  { std::ofstream(dir_.path() / "Log.txt") << "old contents"; }
  EXPECT_EQ(StartLog(), 1);
  EXPECT_TRUE(LogExists());
  EXPECT_EQ(LogFile(), "");
  EXPECT_STREQ(EngineState.LogFileName, "Log.txt");
}

TEST_F(LogTest, LogOffLeavesNoFileAndNoOutput) {
  SetLogOutputFlag(FALSE);
  EXPECT_EQ(StartLog(), 1);
  LogText("hidden\n");
  LogFormat("%s", "hidden");
  EXPECT_FALSE(LogExists());
  EXPECT_EQ(fake::DebugOutput(), "");

  // Switched off while running: the file stays as it was.
  SetLogOutputFlag(TRUE);
  StartLog();
  LogText("seen\n");
  SetLogOutputFlag(FALSE);
  LogText("hidden\n");
  EXPECT_EQ(LogFile(), "0:seen\r\n");
  EXPECT_EQ(fake::DebugOutput(), "seen\r\n");
}

TEST_F(LogTest, NothingIsWrittenBeforeStartUpOrWhereTheFileCannotBeOpened) {
  StartLog();
  EngineState.StartupDirectory[0] = '\0';
  LogText("before start-up\n");
  EXPECT_EQ(LogFile(), "");

  // A file that does not open is said once on the debugger output (standard error), and not
  // tried again: the directory appearing later gets no file.
  const std::filesystem::path missing = dir_.path() / "missing";
  std::strcpy(EngineState.StartupDirectory, missing.c_str());
  EXPECT_EQ(LogText("lost\n"), -1);
  EXPECT_EQ(EngineState.LogLineOpen, 0);
  EXPECT_EQ(fake::DebugOutput(),
            "the log cannot be written: " + (missing / "Log.txt").string() + " does not open; no more log lines\n");
  fake::ClearDebugOutput();
  std::filesystem::create_directory(missing);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(LogText("lost again\n"), -1);
  EXPECT_EQ(fake::DebugOutput(), "");
  EXPECT_FALSE(std::filesystem::exists(missing / "Log.txt")) << "the log was tried again";

  // The next start of the log tries again.
  StartLog();
  LogText("found\n");
  EXPECT_TRUE(std::filesystem::exists(missing / "Log.txt"));
}

// The file opens but takes nothing (a full disk): the debugger output still gets every line,
// indentation included.
TEST_F(LogTest, AFailedWriteStillReachesTheDebuggerOutput) {
  StartLog();
  std::filesystem::remove(dir_.path() / "Log.txt");
  std::filesystem::create_symlink("/dev/full", dir_.path() / "Log.txt");
  LogIndentIn();
  LogText("first ");
  LogText("line\n");
  LogIndentOut();
  LogText("second\n");
  EXPECT_EQ(fake::DebugOutput(), "\tfirst line\r\nsecond\r\n");
  EXPECT_EQ(EngineState.LogLineOpen, 0);
}

TEST_F(LogTest, DirectoryWithATrailingSeparatorGetsNoSecondOne) {
  std::strcat(EngineState.StartupDirectory, "/");
  StartLog();
  LogText("x\n");
  EXPECT_EQ(LogFile(), "0:x\r\n");
}

}  // namespace
