#include <gtest/gtest.h>

#include "core/handle.h"

namespace {

// A table of four slots: slot 1 holds check number 5, slot 2 check number 0x7FF, the others
// are empty.
int CheckOf(int index) {
  switch (index) {
    case 1:
      return 5;
    case 2:
      return 0x7FF;
    default:
      return -1;
  }
}

TEST(Handle, LayoutPutsTypeCheckAndIndexInTheirBits) {
  EXPECT_EQ(MakeHandle(HandleTypeFont, 5, 1), (4 << 27) | (5 << 16) | 1);
  EXPECT_EQ(HandleType(MakeHandle(HandleTypeMask, 0x7FF, 0xFFFF)), 8);
  EXPECT_GE(MakeHandle(HandleTypeNetwork, 0x7FF, 0xFFFF), 0) << "bit 31 stays clear";
}

TEST(Handle, ValidationRejectsEveryMalformedValue) {
  struct Case {
    const char* name;
    int handle;
    int expected;
  };
  const Case cases[] = {
      {"valid", MakeHandle(HandleTypeFont, 5, 1), 1},
      {"valid, widest check number", MakeHandle(HandleTypeFont, 0x7FF, 2), 2},
      {"minus one", -1, -1},
      {"bit 31 set", static_cast<int>(0x80000000u | static_cast<unsigned>(MakeHandle(HandleTypeFont, 5, 1))), -1},
      {"wrong type", MakeHandle(HandleTypeGraphic, 5, 1), -1},
      {"index out of range", MakeHandle(HandleTypeFont, 5, 4), -1},
      {"large index", MakeHandle(HandleTypeFont, 5, 0xFFFF), -1},
      {"empty slot", MakeHandle(HandleTypeFont, 0, 0), -1},
      {"stale check number", MakeHandle(HandleTypeFont, 4, 1), -1},
      {"zero", 0, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ValidateHandle(c.handle, HandleTypeFont, 4, CheckOf), c.expected);
  }
}

}  // namespace
