// The main queue on the GLib default main context: asynchronous, first in first out, with delays.
#include "Platform/MainQueue.hpp"
#include "support/MainLoop.hpp"

#include <gtest/gtest.h>

#include <glib.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace zelvora {
namespace {

using namespace std::chrono_literals;
using platform::mainQueue;
using test::runMainLoopFor;
using test::runMainLoopUntil;

TEST(MainQueueTest, PostsNeverRunInsideTheCallEvenWithoutDelay) {
  bool posted = false, delayed = false;
  mainQueue()->post([&] { posted = true; });
  mainQueue()->postAfter(0ms, [&] { delayed = true; });
  EXPECT_FALSE(posted || delayed);
  EXPECT_TRUE(runMainLoopUntil([&] { return posted && delayed; }, 5s));
}

TEST(MainQueueTest, TasksRunInPostingOrderAndAPostFromATaskAfterIt) {
  constexpr int count = 10000;
  std::vector<int> order;
  mainQueue()->post([&] {
    mainQueue()->post([&] { order.push_back(count + 1); });
    order.push_back(0);
  });
  for (int i = 1; i <= count; ++i)
    mainQueue()->post([&order, i] { order.push_back(i); });
  EXPECT_TRUE(runMainLoopUntil([&] { return order.size() == count + 2; }, 10s));
  for (int i = 0; i < count + 2; ++i)
    ASSERT_EQ(order[i], i);
}

// Runs under ThreadSanitizer too: posts from many threads while this thread drains the queue.
TEST(MainQueueThreadSafety, PostsFromManyThreadsRunOnTheLoopsThreadInEachThreadsOrder) {
  constexpr int threads = 8, perThread = 2000;
  std::vector<std::vector<int>> seen(threads);
  int total = 0, delayed = 0, elsewhere = 0;  // touched by the tasks only, so on this thread only
  // The queue attaches its GLib source when first used. GLib's own locking is invisible to the
  // race detector, so that one attach happens here, before the loop and the posters run.
  mainQueue();
  const auto loopThread = std::this_thread::get_id();
  std::vector<std::thread> posters;
  for (int t = 0; t < threads; ++t) {
    posters.emplace_back([&, t] {
      for (int i = 0; i < perThread; ++i) {
        mainQueue()->post([&, t, i] {
          seen[t].push_back(i);
          elsewhere += std::this_thread::get_id() != loopThread;
          ++total;
        });
        if (i % 50 == 0)
          mainQueue()->postAfter(1ms, [&] { ++delayed; });
      }
    });
  }
  const int expectedDelayed = threads * perThread / 50;
  EXPECT_TRUE(runMainLoopUntil(
      [&] { return total == threads * perThread && delayed == expectedDelayed; }, 20s));
  EXPECT_EQ(elsewhere, 0);
  for (auto& poster : posters)
    poster.join();
  for (int t = 0; t < threads; ++t) {
    ASSERT_EQ(seen[t].size(), static_cast<std::size_t>(perThread));
    for (int i = 0; i < perThread; ++i)
      ASSERT_EQ(seen[t][i], i);
  }
}

TEST(MainQueueTest, DelayedTasksWaitTheirTimeAndThoseDueTogetherKeepTheirOrder) {
  const auto start = std::chrono::steady_clock::now();
  std::vector<int> order;
  std::chrono::steady_clock::duration firstAfter{};
  mainQueue()->postAfter(120ms, [&] { order.push_back(4); });
  mainQueue()->postAfter(60ms, [&] {
    firstAfter = std::chrono::steady_clock::now() - start;
    order.push_back(1);
  });
  mainQueue()->postAfter(60ms, [&] { order.push_back(2); });
  mainQueue()->postAfter(60ms, [&] { order.push_back(3); });
  mainQueue()->post([&] { order.push_back(0); });
  EXPECT_TRUE(runMainLoopUntil([&] { return order.size() == 5; }, 5s));
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4}));
  EXPECT_GE(firstAfter, 60ms);
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

TEST(MainQueueTest, ASleepingLoopWakesForADelayedTaskAndForAPostFromAnotherThread) {
  bool ran = false;
  const auto start = std::chrono::steady_clock::now();
  mainQueue()->postAfter(40ms, [&] { ran = true; });
  EXPECT_TRUE(iterateBlockingUntil(ran));
  EXPECT_GE(std::chrono::steady_clock::now() - start, 40ms);

  ran = false;
  std::thread poster([&] {
    std::this_thread::sleep_for(20ms);
    mainQueue()->post([&] { ran = true; });
  });
  EXPECT_TRUE(iterateBlockingUntil(ran));
  poster.join();
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

// A long backlog runs in slices: a source of lower priority, which a queue that is always ready
// would starve, gets its turns in between, and the queue's order holds across them.
TEST(MainQueueTest, ALongBacklogLetsLowerPrioritySourcesRunBetweenItsSlices) {
  constexpr int count = 20000;
  std::vector<int> order;
  struct Seen {
    const std::vector<int>& order;
    std::vector<std::size_t> idleTurns;  // how many tasks had run at each turn of the idle source
  } seen{order, {}};
  const guint idle = g_idle_add_full(
      G_PRIORITY_LOW,
      [](gpointer data) -> gboolean {
        auto& turns = *static_cast<Seen*>(data);
        turns.idleTurns.push_back(turns.order.size());
        return G_SOURCE_CONTINUE;
      },
      &seen, nullptr);
  for (int i = 0; i < count; ++i)
    mainQueue()->post([&order, i] { order.push_back(i); });
  EXPECT_TRUE(runMainLoopUntil([&] { return order.size() == count; }, 20s));
  g_source_remove(idle);
  ASSERT_EQ(order.size(), static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i)
    ASSERT_EQ(order[i], i);
  const auto between = std::count_if(seen.idleTurns.begin(), seen.idleTurns.end(),
                                     [](std::size_t ran) { return ran > 0 && ran < count; });
  EXPECT_GE(between, 2);
}

}  // namespace
}  // namespace zelvora
