// The main queue on the GLib default main context: asynchronous, first in first out, with delays.
#include "Platform/MainQueue.hpp"
#include "support/MainLoop.hpp"

#include <gtest/gtest.h>

#include <glib.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

namespace zelvora {
namespace {

using namespace std::chrono_literals;
using platform::mainQueue;
using test::runMainLoopFor;
using test::runMainLoopUntil;

TEST(MainQueueTest, PostNeverRunsInsideTheCall) {
  bool ran = false;
  mainQueue()->post([&] { ran = true; });
  EXPECT_FALSE(ran);
  EXPECT_TRUE(runMainLoopUntil([&] { return ran; }, 5s));
}

TEST(MainQueueTest, PostFromATaskRunsAfterTheTask) {
  std::vector<int> order;
  mainQueue()->post([&] {
    mainQueue()->post([&] { order.push_back(3); });
    order.push_back(1);
  });
  mainQueue()->post([&] { order.push_back(2); });
  EXPECT_TRUE(runMainLoopUntil([&] { return order.size() == 3; }, 5s));
  EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
}

TEST(MainQueueTest, TasksRunInTheOrderTheyWerePosted) {
  constexpr int count = 10000;
  std::vector<int> order;
  for (int i = 0; i < count; ++i)
    mainQueue()->post([&order, i] { order.push_back(i); });
  EXPECT_TRUE(runMainLoopUntil([&] { return order.size() == count; }, 10s));
  for (int i = 0; i < count; ++i)
    ASSERT_EQ(order[i], i);
}

TEST(MainQueueTest, TasksRunOnTheThreadThatRunsTheLoop) {
  std::atomic<int> done{0};
  std::thread::id ranOn;
  std::thread poster([&] {
    mainQueue()->post([&] {
      ranOn = std::this_thread::get_id();
      ++done;
    });
  });
  EXPECT_TRUE(runMainLoopUntil([&] { return done == 1; }, 5s));
  poster.join();
  EXPECT_EQ(ranOn, std::this_thread::get_id());
}

TEST(MainQueueTest, EachThreadsPostsKeepTheirOrder) {
  constexpr int threads = 8, perThread = 2000;
  std::mutex mutex;
  std::vector<std::vector<int>> seen(threads);
  std::atomic<int> total{0};
  std::vector<std::thread> posters;
  for (int t = 0; t < threads; ++t) {
    posters.emplace_back([&, t] {
      for (int i = 0; i < perThread; ++i) {
        mainQueue()->post([&, t, i] {
          seen[t].push_back(i);
          ++total;
        });
      }
    });
  }
  EXPECT_TRUE(runMainLoopUntil([&] { return total == threads * perThread; }, 20s));
  for (auto& poster : posters)
    poster.join();
  for (int t = 0; t < threads; ++t) {
    ASSERT_EQ(seen[t].size(), static_cast<std::size_t>(perThread));
    for (int i = 0; i < perThread; ++i)
      ASSERT_EQ(seen[t][i], i);
  }
}

TEST(MainQueueTest, DelayedTasksWaitTheirTime) {
  const auto start = std::chrono::steady_clock::now();
  std::vector<int> order;
  std::chrono::steady_clock::duration firstAfter{};
  mainQueue()->postAfter(120ms, [&] { order.push_back(2); });
  mainQueue()->postAfter(60ms, [&] {
    firstAfter = std::chrono::steady_clock::now() - start;
    order.push_back(1);
  });
  mainQueue()->post([&] { order.push_back(0); });
  EXPECT_TRUE(runMainLoopUntil([&] { return order.size() == 3; }, 5s));
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2}));
  EXPECT_GE(firstAfter, 60ms);
}

TEST(MainQueueTest, DelayedTasksDueTogetherKeepTheirOrder) {
  std::vector<int> order;
  for (int i = 0; i < 5; ++i)
    mainQueue()->postAfter(20ms, [&order, i] { order.push_back(i); });
  EXPECT_TRUE(runMainLoopUntil([&] { return order.size() == 5; }, 5s));
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4}));
}

// Iterates the default context, blocking, until done; a watchdog thread ends a wait that nothing
// else would end. Returns whether done came without the watchdog.
bool iterateBlockingUntil(const bool& done) {
  std::atomic<bool> finished{false};
  bool watchdogFired = false;
  std::thread watchdog([&] {
    for (int i = 0; i < 300 && !finished; ++i)
      std::this_thread::sleep_for(10ms);
    if (!finished)
      mainQueue()->post([&] { watchdogFired = true; });
  });
  while (!done && !watchdogFired)
    g_main_context_iteration(nullptr, TRUE);
  finished = true;
  watchdog.join();
  runMainLoopFor(1ms);  // lets a late watchdog task run while its flag still exists
  return done && !watchdogFired;
}

TEST(MainQueueTest, ASleepingLoopWakesForADelayedTask) {
  bool ran = false;
  const auto start = std::chrono::steady_clock::now();
  mainQueue()->postAfter(40ms, [&] { ran = true; });
  EXPECT_TRUE(iterateBlockingUntil(ran));
  EXPECT_GE(std::chrono::steady_clock::now() - start, 40ms);
}

TEST(MainQueueTest, ASleepingLoopWakesForAPostFromAnotherThread) {
  bool ran = false;
  std::thread poster([&] {
    std::this_thread::sleep_for(20ms);
    mainQueue()->post([&] { ran = true; });
  });
  EXPECT_TRUE(iterateBlockingUntil(ran));
  poster.join();
}

TEST(MainQueueTest, ZeroDelayIsStillAsynchronous) {
  bool ran = false;
  mainQueue()->postAfter(0ms, [&] { ran = true; });
  EXPECT_FALSE(ran);
  EXPECT_TRUE(runMainLoopUntil([&] { return ran; }, 5s));
}

TEST(MainQueueTest, AThrowingTaskDoesNotStopTheQueue) {
  bool ran = false;
  mainQueue()->post([] { throw std::runtime_error("app error"); });
  mainQueue()->post([&] { ran = true; });
  EXPECT_TRUE(runMainLoopUntil([&] { return ran; }, 5s));
}

TEST(MainQueueTest, ATaskThatKeepsPostingDoesNotStarveOtherSources) {
  std::atomic<bool> stop{false};
  std::function<void()> again = [&] {
    if (!stop)
      mainQueue()->post(again);
  };
  mainQueue()->post(again);
  // Tasks posted while the queue runs wait for the next iteration, so a timer of the same priority
  // still gets its turn.
  bool timerRan = false;
  g_timeout_add(
      10,
      [](gpointer data) -> gboolean {
        *static_cast<bool*>(data) = true;
        return G_SOURCE_REMOVE;
      },
      &timerRan);
  EXPECT_TRUE(runMainLoopUntil([&] { return timerRan; }, 5s));
  stop = true;
  runMainLoopFor(20ms);
}

// Runs under ThreadSanitizer too: posts from many threads while this thread drains the queue.
TEST(MainQueueThreadSafety, PostsFromManyThreadsWhileTheLoopRuns) {
  constexpr int threads = 6, perThread = 500;
  int total = 0;  // touched by the tasks only, so on this thread only
  // The queue attaches its GLib source when first used. GLib's own locking is invisible to the
  // race detector, so that one attach happens here, before the loop and the posters run.
  mainQueue();
  std::vector<std::thread> posters;
  for (int t = 0; t < threads; ++t) {
    posters.emplace_back([&] {
      for (int i = 0; i < perThread; ++i) {
        mainQueue()->post([&total] { ++total; });
        if (i % 50 == 0)
          mainQueue()->postAfter(1ms, [&total] { ++total; });
      }
    });
  }
  const int expected = threads * (perThread + perThread / 50);
  EXPECT_TRUE(runMainLoopUntil([&] { return total == expected; }, 20s));
  for (auto& poster : posters)
    poster.join();
}

TEST(MainLoopHelperTest, GivesUpAtTheDeadline) {
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(runMainLoopUntil([] { return false; }, 50ms));
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_GE(waited, 50ms);
  EXPECT_LT(waited, 2s);
}

TEST(MainLoopHelperTest, SeesWhatOtherThreadsDo) {
  std::atomic<bool> flag{false};
  std::thread setter([&] {
    std::this_thread::sleep_for(20ms);
    flag = true;
  });
  EXPECT_TRUE(runMainLoopUntil([&] { return flag.load(); }, 5s));
  setter.join();
}

}  // namespace
}  // namespace zelvora
