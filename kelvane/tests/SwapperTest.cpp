#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "TestSupport.h"
#include "project/TCashMarager.h"
#include "project/TKVXFile2.h"

namespace kelvane {
namespace {

// A clock the test moves by hand.
struct FakeClock {
  std::atomic<int64_t> seconds{0};
  TCashMarager::Clock clock() {
    return [this] { return TimePoint(std::chrono::seconds(seconds.load())); };
  }
};

struct SwapperFixture : ::testing::Test {
  FakeClock time;
  TCashMarager swapper{time.clock()};
};

TEST_F(SwapperFixture, ItemsIdleForTwoWholeMinutesAreSwappedAndComeBackIntact) {
  TKVXMask mask(nullptr, -1, &swapper);
  mask.Get().SetSize(50, 40, 9);
  mask.Get().SetValue(3, 4, 200);
  time.seconds = 119;
  EXPECT_FALSE(swapper.Tick());  // one whole minute only
  time.seconds = 120;
  EXPECT_TRUE(swapper.Tick());
  EXPECT_TRUE(mask.NotLoaded());
  EXPECT_TRUE(mask.SwappedOut());
  EXPECT_TRUE(std::filesystem::exists(mask.SwapPath()));
  EXPECT_EQ(mask.SwapPath().substr(mask.SwapPath().size() - 4), ".~kv");
  TByteMap& back = mask.Get();
  EXPECT_EQ(back.Width(), 50);
  EXPECT_EQ(back.Value(3, 4), 200);
  EXPECT_EQ(back.Value(0, 0), 9);
  EXPECT_FALSE(mask.NotLoaded());
  EXPECT_TRUE(mask.SwappedOut());  // stays set: the next swap-out reuses the file
}

TEST_F(SwapperFixture, RecentlyUsedAndPinnedItemsStay) {
  TKVXGrid used(nullptr, -1, &swapper), pinned(nullptr, -1, &swapper);
  (void)used.Get();
  (void)pinned.Get();
  pinned.SetPinned(true);
  time.seconds = 600;
  (void)used.Get();  // used just now
  for (int i = 0; i < 10; ++i) swapper.Tick();
  EXPECT_FALSE(used.NotLoaded());
  EXPECT_FALSE(pinned.NotLoaded());
}

TEST_F(SwapperFixture, OneItemIsExaminedPerTickInRoundRobin) {
  std::vector<std::unique_ptr<TKVXParam>> items;
  for (int i = 0; i < 120; ++i) {
    items.push_back(std::make_unique<TKVXParam>(nullptr, -1, &swapper));
    (void)items.back()->Get();
  }
  time.seconds = 1000;
  int swapped = 0;
  for (int tick = 0; tick < 119; ++tick) swapped += swapper.Tick();
  EXPECT_EQ(swapped, 119);
  EXPECT_FALSE(items[119]->NotLoaded());
  EXPECT_TRUE(swapper.Tick());
  EXPECT_FALSE(swapper.Tick());  // round two: nothing loaded is left
}

TEST_F(SwapperFixture, DestroyingADocumentUnregistersItsItemsAndDeletesTheirSwapFiles) {
  std::vector<std::string> files;
  {
    TKVXFile2 doc(&swapper);
    doc.AddObject();
    doc.GetObjectView(0).Mask.SetSize(8, 8);
    EXPECT_EQ(swapper.Count(), 5u);
    time.seconds = 500;
    for (int i = 0; i < 5; ++i) swapper.Tick();
    for (auto* item : std::initializer_list<TKVXCustomItem*>{doc.Objects[0]->Mask.get(), doc.Objects[0]->Grid.get()})
      files.push_back(item->SwapPath());
  }
  EXPECT_EQ(swapper.Count(), 0u);
  for (const auto& f : files) {
    ASSERT_FALSE(f.empty());
    EXPECT_FALSE(std::filesystem::exists(f)) << f;
  }
}

// The swapper thread against the interface thread: items used, created and destroyed
// while the thread swaps them out. Run under ThreadSanitizer by `make tsan`.
TEST(SwapperThreads, UseRegistrationAndSwappingNeverOverlap) {
  FakeClock time;
  TCashMarager swapper(time.clock());
  std::vector<std::unique_ptr<TKVXMask>> masks;
  for (int i = 0; i < 8; ++i) {
    masks.push_back(std::make_unique<TKVXMask>(nullptr, -1, &swapper));
    masks.back()->Get().SetSize(16, 16, uint8_t(i));
  }
  swapper.Start(std::chrono::milliseconds(0));
  for (int round = 0; round < 400; ++round) {
    time.seconds += 200;  // everything idle long enough, every round
    TKVXMask& m = *masks[size_t(round % 8)];
    ASSERT_EQ(m.Get().Value(5, 5), uint8_t(round % 8)) << round;
    if (round % 50 == 0) {  // churn the list while the thread walks it
      auto extra = std::make_unique<TKVXMask>(nullptr, -1, &swapper);
      extra->Get().SetSize(4, 4, 1);
    }
    std::this_thread::sleep_for(std::chrono::microseconds(100));
  }
  swapper.Stop();
  int swappedOnce = 0;
  for (auto& m : masks) swappedOnce += m->SwappedOut();
  EXPECT_GT(swappedOnce, 0);
}

// A held object view keeps its items in memory: the swapper, running flat out with every
// item idle, must never clear data the view refers to.
TEST(SwapperThreads, HeldObjectViewsAreNeverSwappedOut) {
  FakeClock time;
  TCashMarager swapper(time.clock());
  TKVXFile2 doc(&swapper);
  for (int i = 0; i < 3; ++i) {
    TObjectView v = doc.GetObjectView(doc.AddObject());
    v.Mask.SetSize(32, 32, uint8_t(10 + i));
  }
  time.seconds = 1000;
  swapper.Start(std::chrono::milliseconds(0));
  for (int round = 0; round < 300; ++round) {
    time.seconds += 200;
    TObjectView v = doc.GetObjectView(round % 3);
    const uint8_t* bits = v.Mask.Bits();
    for (int k = 0; k < 50; ++k) {
      time.seconds += 200;
      ASSERT_EQ(v.Mask.Bits(), bits) << round;
      ASSERT_EQ(v.Mask.Value(7, 7), uint8_t(10 + round % 3)) << round;
      std::this_thread::yield();
    }
  }
  swapper.Stop();
  // Released views leave the items free to go.
  for (int i = 0; i < 3 * 5 * 2; ++i) swapper.Tick();
  EXPECT_TRUE(doc.Objects[0]->Mask->SwappedOut());
}

}  // namespace
}  // namespace kelvane
