// This file is compiled as the engine's sources are, through the Shift-JIS texts step: ordinary
// literals must come out as the C library's CP932, everything else as written.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::string Bytes(const char* text) { return text; }

TEST(ShiftJisTexts, OrdinaryLiteralsBecomeShiftJis) {
  struct Case {
    const char* converted;
    const char* expected;
  };
  const Case cases[] = {
      {"ログ", "\x83\x8d\x83\x4f"},
      // A letter that is a hex digit right after a converted character stays a letter.
      {"日A",
       "\x93\xfa"
       "A"},
      {"７桁", "\x82\x56\x8c\x85"},
      {"Pellimar　ver0.10", "Pellimar\x81\x40ver0.10"},
      // Escapes already there are kept.
      {"\"引用\"\n", "\"\x88\xf8\x97\x70\"\n"},
      {R"(生の"文字列")", "\x90\xb6\x82\xcc\"\x95\xb6\x8e\x9a\x97\xf1\""},
      // Concatenated pieces.
      {"半"
       "角",
       "\x94\xbc\x8a\x70"},
      // Half-width katakana are one byte each.
      {"ｶﾅ", "\xb6\xc5"},
  };
  for (const Case& c : cases) EXPECT_EQ(Bytes(c.converted), Bytes(c.expected)) << c.expected;
}

TEST(ShiftJisTexts, OtherLiteralsAndCodeStayAsWritten) {
  // u8 literals, comments with "quotes" and 'apostrophes', and digit separators: 1'000.
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(u8"日")), "\xe6\x97\xa5");
  EXPECT_EQ(sizeof(u"日") / sizeof(char16_t), 2u);
  EXPECT_EQ(u"日"[0], 0x65e5);
  EXPECT_EQ(1'000'000, 1000000);
  EXPECT_EQ(L"語"[0], static_cast<wchar_t>(0x8a9e));
  /* "日本" in a block comment, 'x' */ EXPECT_EQ(std::strlen("本"), 2u);
}

TEST(ShiftJisTexts, DiagnosticsNameTheOriginalFile) {
  EXPECT_NE(std::string(__FILE__).find("tests/shift_jis_texts_test.cpp"), std::string::npos) << __FILE__;
  EXPECT_EQ(std::string(__FILE__).find("/shift_jis/"), std::string::npos) << __FILE__;
}

}  // namespace
