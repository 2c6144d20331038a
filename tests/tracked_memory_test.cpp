#include <gtest/gtest.h>

#include <cstddef>
#include <cstdio>
#include <cstring>
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
using test_support::Sjis;

class TrackedMemoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::ResetPlatform();
    EngineState = EngineStateRecord{};
    std::strcpy(EngineState.StartupDirectory, dir_.path().c_str());
    StartLog();
  }
  void TearDown() override {
    EXPECT_EQ(LiveBlockCount(), 0) << "a test leaked blocks";
    fake::ResetPlatform();
  }

  std::string Log() const { return ReadFile(dir_.path() / "Log.txt"); }
  void ClearLog() { StartLog(); }

  // The live list from the head, newest first, as data pointers.
  static std::vector<void*> LiveList() {
    std::vector<void*> blocks;
    for (BlockHeader* h = EngineState.AllocListHead; h != nullptr && h->fields.next != nullptr; h = h->fields.next) {
      blocks.push_back(reinterpret_cast<unsigned char*>(h) + BlockHeaderSize);
    }
    return blocks;
  }

  static BlockHeader* Header(void* data) {
    return reinterpret_cast<BlockHeader*>(static_cast<unsigned char*>(data) - BlockHeaderSize);
  }

  static std::string Address(const void* data) {
    char text[32];
    std::snprintf(text, sizeof text, "%016llx",
                  static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(data)));
    return text;
  }

  test_support::TempDirectory dir_;
};

TEST_F(TrackedMemoryTest, HeaderLayoutKeepsDataAligned) {
  EXPECT_EQ(BlockHeaderSize, 80u);
  EXPECT_EQ(offsetof(BlockHeader, copy), sizeof(BlockHeaderFields));
  void* data = TrackedAlloc(3, "", 0);
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(data) % 16, 0u);
  TrackedFree(data);
}

TEST_F(TrackedMemoryTest, FileNamesKeepTheirLast15Bytes) {
  struct Case {
    const char* given;
    const char* stored;
  };
  const Case cases[] = {
      {nullptr, ""},
      {"", ""},
      {"a.cpp", "a.cpp"},
      {"exactly15bytes.", "exactly15bytes."},
      {"engine/core/abcdefg.cpp", "ore/abcdefg.cpp"},
      {"01234567890123456789", "567890123456789"},
  };
  for (const Case& c : cases) {
    void* data = TrackedAlloc(1, c.given, 77);
    ASSERT_NE(data, nullptr);
    EXPECT_STREQ(Header(data)->fields.file, c.stored) << (c.given ? c.given : "(null)");
    EXPECT_EQ(Header(data)->fields.line, 77);
    TrackedFree(data);
  }
}

TEST_F(TrackedMemoryTest, IdsCountUpAndWrapAfter65536Allocations) {
  void* first = TrackedAlloc(1, "", 0);
  EXPECT_EQ(Header(first)->fields.id, 0);
  TrackedFree(first);
  for (int i = 1; i < 65536; ++i) TrackedFree(TrackedAlloc(1, "", 0));
  void* wrapped = TrackedAlloc(1, "", 0);
  EXPECT_EQ(Header(wrapped)->fields.id, 0);
  void* next = TrackedAlloc(1, "", 0);
  EXPECT_EQ(Header(next)->fields.id, 1);
  TrackedFree(wrapped);
  TrackedFree(next);
}

TEST_F(TrackedMemoryTest, ListAndTotalsFollowAllocFreeAndRealloc) {
  char* a = static_cast<char*>(TrackedAlloc(10, "", 0));
  char* b = static_cast<char*>(TrackedCalloc(20, "", 0));
  char* c = static_cast<char*>(TrackedAlloc(30, "", 0));
  ASSERT_TRUE(a && b && c);
  EXPECT_EQ(LiveList(), (std::vector<void*>{c, b, a}));
  EXPECT_EQ(EngineState.AllocTotalSize, 60u);
  EXPECT_EQ(EngineState.AllocCount, 3);
  EXPECT_EQ(std::string(b, 20), std::string(20, '\0')) << "calloc clears";

  std::memcpy(a, "0123456789", 10);  // NOLINT(bugprone-not-null-terminated-result): bytes, not a text
  void* oldA = a;
  const int oldId = Header(a)->fields.id;
  a = static_cast<char*>(TrackedRealloc(a, 4000, "grow.cpp", 9));
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(std::string(a, 10), "0123456789");
  EXPECT_EQ(std::string(a + 10, 3990), std::string(3990, '\0')) << "new space is cleared";
  EXPECT_NE(Header(a)->fields.id, oldId) << "a realloc takes a new id";
  EXPECT_STREQ(Header(a)->fields.file, "grow.cpp");
  EXPECT_EQ(LiveList(), (std::vector<void*>{c, b, a}));
  EXPECT_EQ(EngineState.AllocTotalSize, 4050u);
  EXPECT_EQ(EngineState.AllocCount, 3);
  EXPECT_EQ(CheckAllocations(), 0);
  (void)oldA;

  c = static_cast<char*>(TrackedRealloc(c, 1, "", 0));  // the head moves
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(LiveList(), (std::vector<void*>{c, b, a}));
  EXPECT_EQ(EngineState.AllocListHead, Header(c));
  EXPECT_EQ(CheckAllocations(), 0);

  TrackedFree(b);
  EXPECT_EQ(LiveList(), (std::vector<void*>{c, a}));
  EXPECT_EQ(CheckAllocations(), 0);
  TrackedFree(c);
  EXPECT_EQ(LiveList(), (std::vector<void*>{a}));
  TrackedFree(a);
  EXPECT_TRUE(LiveList().empty());
  EXPECT_EQ(EngineState.AllocTotalSize, 0u);
  TrackedFree(nullptr);

  void* fresh = TrackedRealloc(nullptr, 12, "r.cpp", 3);
  ASSERT_NE(fresh, nullptr);
  EXPECT_EQ(Header(fresh)->fields.size, 12u);
  EXPECT_EQ(LiveList(), (std::vector<void*>{fresh}));
  TrackedFree(fresh);
}

TEST_F(TrackedMemoryTest, DamageToAnyHeaderByteIsFound) {
  void* older = TrackedAlloc(8, "older.cpp", 1);
  void* damaged = TrackedAlloc(8, "damaged.cpp", 2);
  void* newer = TrackedAlloc(8, "newer.cpp", 3);
  std::memset(damaged, 'd', 8);
  auto* bytes = reinterpret_cast<unsigned char*>(Header(damaged));
  for (std::size_t offset : {std::size_t{0}, std::size_t{14}, std::size_t{16}, std::size_t{18}, std::size_t{20},
                             std::size_t{24}, std::size_t{32}, sizeof(BlockHeaderFields) - 1}) {
    SCOPED_TRACE(offset);
    ClearLog();
    bytes[offset] ^= 0x40;
    EXPECT_EQ(CheckAllocations(), -1);
    bytes[offset] ^= 0x40;
    const std::string log = Log();
    EXPECT_EQ(log.rfind("0:" + Sjis("以下のメモリ確保情報が破損しました") + "\tsize:", 0), 0u) << log;
    EXPECT_NE(log.find(Address(damaged)), std::string::npos) << "the damaged block is the one named";
    EXPECT_NE(log.find("data:<dddddddd> [64 64 64 64 64 64 64 64]\r\n"), std::string::npos)
        << "a damaged size never shows bytes past the block: " << log;
    EXPECT_EQ(CheckAllocations(), 0);
  }
  TrackedFree(older);
  TrackedFree(damaged);
  TrackedFree(newer);
}

TEST_F(TrackedMemoryTest, OnlyZeroByteBlocksAreTracedByDefault) {
  void* quiet = TrackedAlloc(5, "", 0);
  EXPECT_EQ(Log(), "");
  void* traced = TrackedAlloc(0, "", 0);
  const std::string line = "\tsize:0(0.000kb)  file:  line:0  ID:1  addr:" + Address(traced) + "  data:<> ]\r\n";
  EXPECT_EQ(Log(), "0:mem alloc  " + line);
  ClearLog();
  TrackedFree(quiet);
  EXPECT_EQ(Log(), "");
  TrackedFree(traced);
  EXPECT_EQ(Log(), "0:mem free  " + line);
}

TEST_F(TrackedMemoryTest, BlockLineShowsTheFirst16BytesAsTextAndHex) {
  auto* data = static_cast<unsigned char*>(TrackedAlloc(20, "src/block.cpp", 321));
  const unsigned char bytes[20] = {'H', 'i', ' ', '~', 0x7F, 0x1F, 0x80, 0xFF, 0, 'z', 1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  std::memcpy(data, bytes, sizeof bytes);
  LogBlock(Header(data));
  EXPECT_EQ(Log(), "0:\tsize:20(0.020kb)  file:src/block.cpp  line:321  ID:0  addr:" + Address(data) +
                       "  data:<Hi ~\x7F....z......> [48 69 20 7e 7f 1f 80 ff 00 7a 01 02 03 04 05 06]\r\n");
  TrackedFree(data);
}

TEST_F(TrackedMemoryTest, DumpListsNewestFirstWithTotals) {
  void* a = TrackedAlloc(1024, "a.cpp", 1);
  void* b = TrackedAlloc(512, "b.cpp", 2);
  DumpAllocations();
  const std::string log = Log();
  const auto posA = log.find("file:a.cpp");
  const auto posB = log.find("file:b.cpp");
  EXPECT_EQ(log.rfind("0:\r\n0:Alloc memory dump\r\n0:\tsize:512(0.500kb)  file:b.cpp", 0), 0u) << log;
  EXPECT_LT(posB, posA);
  EXPECT_NE(log.find("0:\tTotal size:1536(1.500kb)  Alloc num:2\r\n0:\r\n"), std::string::npos) << log;
  TrackedFree(a);
  TrackedFree(b);
}

TEST_F(TrackedMemoryTest, ExhaustedHeapReturnsNullAfterTheDump) {
  void* kept = TrackedAlloc(16, "kept.cpp", 1);
  std::memset(kept, 'k', 16);

  fake::SetFailure(fake::Failure::HeapAlloc, true);
  EXPECT_EQ(TrackedAlloc(100, "", 0), nullptr);
  EXPECT_EQ(TrackedCalloc(100, "", 0), nullptr);
  fake::SetFailure(fake::Failure::HeapAlloc, false);
  EXPECT_NE(Log().find("Alloc memory dump\r\n0:\tsize:16(0.016kb)  file:kept.cpp"), std::string::npos);
  EXPECT_EQ(LiveBlockCount(), 1);

  ClearLog();
  fake::SetFailure(fake::Failure::HeapReAlloc, true);
  EXPECT_EQ(TrackedRealloc(kept, 4096, "", 0), nullptr);
  fake::SetFailure(fake::Failure::HeapReAlloc, false);
  EXPECT_NE(Log().find("Alloc memory dump"), std::string::npos);
  EXPECT_EQ(std::string(static_cast<char*>(kept), 16), std::string(16, 'k')) << "the old block stays valid";
  EXPECT_EQ(Header(kept)->fields.size, 16u);
  EXPECT_EQ(CheckAllocations(), 0);

  EXPECT_EQ(TrackedAlloc(std::size_t{1} << 33, "", 0), nullptr) << "sizes are kept in 32 bits";
  TrackedFree(kept);
}

TEST_F(TrackedMemoryTest, LongLogMessagesBorrowNoLastingMemory) {
  const std::string message(1000, 'm');
  LogText(message.c_str());
  EXPECT_EQ(LiveBlockCount(), 0);
  EXPECT_EQ(Log(), "0:" + message);
}

}  // namespace
