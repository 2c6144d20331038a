#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/engine_state.h"
#include "core/log.h"
#include "core/system_report.h"
#include "fake_platform.h"
#include "test_support.h"
#include "vornek.h"

namespace {

using test_support::Sjis;

constexpr std::uint32_t Tsc = 1u << 4, Mmx = 1u << 23, Sse = 1u << 25, Sse2 = 1u << 26;

class SystemReportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::ResetPlatform();
    EngineState = EngineStateRecord{};
    std::strcpy(EngineState.StartupDirectory, dir_.path().c_str());
    StartLog();
  }
  void TearDown() override { fake::ResetPlatform(); }

  // The report's text as the debugger sees it: the heading, then every line one level in.
  static std::string Expected(const std::vector<std::string>& inner) {
    std::string text = Sjis("システムの情報を出力します\r\n");
    for (const std::string& line : inner) {
      text += '\t';
      text += Sjis(line);
      text += "\r\n";
    }
    return text;
  }

  test_support::TempDirectory dir_;
};

TEST_F(SystemReportTest, ProcessorLinesAndFlags) {
  // LogFormat ends "Vornek Ver%s\n" with a line feed of its own: an empty line follows.
  const std::string head[] = {"Vornek Ver3.00\r\n", "ＯＳ  WindowsXP ( Build 2600 Service Pack 2 )"};
  struct Case {
    const char* name;
    bool identifiable;
    std::uint32_t features;
    const char* brand;
    std::vector<std::string> lines;  // after the OS line
    int mmx, sse, sse2, counter, mhz;
  };
  const Case cases[] = {
      {"no identification instruction",
       false,
       Tsc | Mmx,
       "Fake Processor 1.00GHz",
       {"ＣＰＵＩＤ命令は使えません"},
       0,
       0,
       0,
       0,
       0},
      {"no MMX, with a time-stamp counter",
       true,
       Tsc,
       "Fake Processor 1.00GHz",
       {"ＣＰＵ動作速度：大体2.59GHz", "ＭＭＸは使えません", "ＣＰＵベンダ：FakeVendorCo",
        "ＣＰＵ名：Fake Processor 1.00GHz"},
       0,
       0,
       0,
       1,
       2593},
      {"SSE without MMX counts as no MMX",
       true,
       Sse | Sse2,
       "Fake Processor 1.00GHz",
       {"ＭＭＸは使えません", "ＣＰＵベンダ：FakeVendorCo", "ＣＰＵ名：Fake Processor 1.00GHz"},
       0,
       0,
       0,
       0,
       0},
      {"MMX only",
       true,
       Mmx,
       "Fake Processor 1.00GHz",
       {"ＭＭＸ命令を使用します", "ＣＰＵベンダ：FakeVendorCo", "ＣＰＵ名：Fake Processor 1.00GHz"},
       1,
       0,
       0,
       0,
       0},
      {"SSE",
       true,
       Mmx | Sse,
       "  Padded Brand",
       {"ＭＭＸ命令を使用します", "ＳＳＥ命令が使用可能です", "ＣＰＵベンダ：FakeVendorCo", "ＣＰＵ名：  Padded Brand"},
       1,
       1,
       0,
       0,
       0},
      {"SSE2 without a brand text",
       true,
       Tsc | Mmx | Sse | Sse2,
       "",
       {"ＣＰＵ動作速度：大体2.59GHz", "ＭＭＸ命令を使用します", "ＳＳＥ命令が使用可能です",
        "ＳＳＥ２命令が使用可能です", "ＣＰＵベンダ：FakeVendorCo"},
       1,
       1,
       1,
       1,
       2593},
      {"a brand text of the full 48 bytes",
       true,
       Mmx | Sse | Sse2,
       "0123456789abcdef0123456789abcdef0123456789abcdef",
       {"ＭＭＸ命令を使用します", "ＳＳＥ命令が使用可能です", "ＳＳＥ２命令が使用可能です",
        "ＣＰＵベンダ：FakeVendorCo", "ＣＰＵ名：0123456789abcdef0123456789abcdef0123456789abcdef"},
       1,
       1,
       1,
       0,
       0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    fake::SetCpu(c.identifiable, c.features);
    fake::SetCpuTexts("FakeVendorCo", c.brand);
    fake::SetClockStep(1);
    fake::SetTimeStampCounter(1000, 259300000);
    WriteSystemReport();

    std::vector<std::string> lines(std::begin(head), std::end(head));
    lines.insert(lines.end(), c.lines.begin(), c.lines.end());
    EXPECT_EQ(fake::DebugOutput(), Expected(lines));
    EXPECT_EQ(EngineState.MmxUsable, c.mmx);
    EXPECT_EQ(EngineState.SseUsable, c.sse);
    EXPECT_EQ(EngineState.Sse2Usable, c.sse2);
    EXPECT_EQ(EngineState.CpuCounterUsable, c.counter);
    EXPECT_EQ(EngineState.CpuMhz, c.mhz);
    EXPECT_EQ(EngineState.CpuFrequency, c.counter ? 2593000000u : 0u);
    EXPECT_STREQ(EngineState.CpuName, c.identifiable ? c.brand : "");
    EXPECT_EQ(EngineState.DirectXVersion, 0x70000);
    EXPECT_EQ(EngineState.LogIndent, 0);
    EXPECT_EQ(fake::RaisedTimerPeriods(), std::vector<UINT>{1}) << "the report raises the timer's period once";
  }
}

TEST_F(SystemReportTest, SystemLineAndCode) {
  struct Case {
    fake::OsVersion version;
    const char* text;
    int code;  // -5: left as it was
  };
  const Case cases[] = {
      {{0, 3, 10, 0, "", ""}, "Windows3.1 ( Build 0  )", 0},
      {{1, 4, 0, 950, "C", ""}, "Windows95OSR2 ( Build 950 C )", 1},
      {{1, 4, 0, 950, "B", ""}, "Windows95 ( Build 950 B )", 1},
      {{1, 4, 10, 2222, "A", ""}, "Windows98SE ( Build 2222 A )", 2},
      {{1, 4, 10, 1998, "", ""}, "Windows98 ( Build 1998  )", 2},
      {{1, 4, 90, 3000, "", ""}, "WindowsMe ( Build 3000  )", 3},
      {{1, 4, 50, 1, "", ""}, "Windows ( Build 1  )", -5},
      {{2, 3, 51, 1057, "Service Pack 5", ""}, "WindowsNT 3.51 ( Build 1057 Service Pack 5 )", 0x104},
      {{2, 4, 0, 1381, "Service Pack 6", ""}, "Windows4.0 ( Build 1381 Service Pack 6 )", 0x105},
      {{2, 5, 0, 2195, "", ""}, "Windows2000 ( Build 2195  )", 0x106},
      {{2, 5, 1, 2600, "Service Pack 3", ""}, "WindowsXP ( Build 2600 Service Pack 3 )", 0x107},
      {{2, 5, 2, 3790, "", ""}, "Windows ( Build 3790  )", -5},
      {{2, 6, 0, 6002, "", ""}, "WindowsVista ( Build 6002  )", 0x108},
      {{2, 6, 3, 9600, "", ""}, "WindowsVista ( Build 9600  )", 0x108},
      {{2, 10, 0, 19045, "", ""}, "Windows ( Build 19045  )", -5},
      {{0x100, 6, 1, 1, "Debian GNU/Linux 12 (bookworm)", "Linux 6.1.0-18-amd64"},
       "Linux 6.1.0-18-amd64 ( Build 1 Debian GNU/Linux 12 (bookworm) )",
       -5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    SetUp();
    EngineState.OsCode = -5;
    fake::SetOsVersion(c.version);
    WriteSystemReport();
    EXPECT_STREQ(EngineState.OsText, c.text);
    EXPECT_EQ(EngineState.OsCode, c.code);
    std::string line = "\t";
    line += Sjis("ＯＳ  ");
    line += c.text;
    line += "\r\n";
    EXPECT_NE(fake::DebugOutput().find(line), std::string::npos) << fake::DebugOutput();
  }
}

TEST_F(SystemReportTest, WithTheLogOffTheFieldsAreStillSet) {
  SetLogOutputFlag(FALSE);
  fake::SetCpu(true, Mmx | Sse);
  WriteSystemReport();
  EXPECT_EQ(fake::DebugOutput(), "");
  EXPECT_EQ(EngineState.MmxUsable, 1);
  EXPECT_EQ(EngineState.SseUsable, 1);
  EXPECT_EQ(EngineState.OsCode, 0x107);
  EXPECT_STREQ(EngineState.CpuName, "Fake Processor 1.00GHz");
}

}  // namespace
