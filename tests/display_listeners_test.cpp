// The display's listeners: InitEngine adds text's again at every start, so a second add must
// change nothing, and listeners run in the order they were added.
#include <gtest/gtest.h>

#include <string>

#include "graphics/display_listeners.h"

namespace {

std::string Calls;

const DisplayListener First{nullptr, nullptr, nullptr, [] { Calls += 'a'; }, nullptr, nullptr};
const DisplayListener Second{nullptr, nullptr, nullptr, [] { Calls += 'b'; }, nullptr, nullptr};

TEST(DisplayListenersTest, EachRunsOnceInTheOrderAdded) {
  ASSERT_EQ(AddDisplayListener(&First), 0);
  ASSERT_EQ(AddDisplayListener(&Second), 0);
  ASSERT_EQ(AddDisplayListener(&First), 0) << "a second add is no error";
  EXPECT_EQ(AddDisplayListener(nullptr), -1);
  // Only the present is announced: the engine is not running, and text's listeners (added by
  // earlier tests of this program) would otherwise start fonts.
  Calls.clear();
  NotifyDisplayPresenting();
  EXPECT_EQ(Calls, "ab");
}

}  // namespace
