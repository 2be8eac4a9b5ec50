// What a flood of event frames costs the app, when the platform pushes frames faster than the app
// handles them: the peak resident memory above the idle process under a flood of 1 MiB frames, and
// the longest single dispatch of the main loop under a flood of small frames. The frames go from
// the fake platform over a loopback websocket through the SDK to the app's delegate, which spends a
// little time on each, as an app that updates its screen would. The fake platform makes each frame
// only when it writes it, so its own memory stays flat.
#include "BenchmarkMain.hpp"
#include "ConnectedEventSocket.hpp"

#include <benchmark/benchmark.h>
#include <glib.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace zelvora;
using Clock = std::chrono::steady_clock;

constexpr auto kAppWorkPerFrame = std::chrono::microseconds(50);
constexpr auto kDeadline = std::chrono::minutes(3);

class CountingDelegate final : public ZelvoraEventDelegate {
 public:
  void didReceivePostPaymentOffer(const std::string&) override {
    ++heard;
    const auto until = Clock::now() + kAppWorkPerFrame;
    while (Clock::now() < until) {
    }
  }
  std::size_t heard = 0;
};

// One iteration of the default main context, blocking in its poll; returns how long the
// dispatch of the ready sources took.
Clock::duration iterateMainContext() {
  GMainContext* context = g_main_context_default();
  g_main_context_acquire(context);
  gint priority = 0;
  g_main_context_prepare(context, &priority);
  std::vector<GPollFD> fds(8);
  gint timeout = -1;
  gint count = 0;
  while ((count = g_main_context_query(context, priority, &timeout, fds.data(),
                                       static_cast<gint>(fds.size()))) >
         static_cast<gint>(fds.size())) {
    fds.resize(static_cast<std::size_t>(count));
  }
  g_poll(fds.data(), static_cast<guint>(count), std::min(timeout, 100));
  g_main_context_check(context, priority, fds.data(), count);
  const auto start = Clock::now();
  g_main_context_dispatch(context);
  const auto took = Clock::now() - start;
  g_main_context_release(context);
  return took;
}

struct Flooded : ConnectedEventSocket<CountingDelegate> {
  // Pushes the frames and runs the main loop until the delegate heard them all; returns the
  // longest dispatch, or nullopt when the frames did not all arrive in time.
  std::optional<Clock::duration> flood(std::size_t count,
                                       std::function<std::string(std::size_t)> frameAt) {
    delegate->heard = 0;
    fake.events().pushTexts(count, std::move(frameAt));
    const auto deadline = Clock::now() + kDeadline;
    Clock::duration longest{};
    while (delegate->heard < count && Clock::now() < deadline) {
      longest = std::max(longest, iterateMainContext());
    }
    if (delegate->heard < count) {
      return std::nullopt;
    }
    return longest;
  }
};

Flooded& connected() {
  static Flooded instance;
  return instance;
}

std::string offerFrame(const std::string& imageUrl) {
  return R"({"type":"post-purchase-offer","body":{"image-url":")" + imageUrl + R"("}})";
}

// A "Vm..." line of /proc/self/status, in kibibytes.
long statusKibibytes(const std::string& name) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.starts_with(name + ":")) {
      return std::stol(line.substr(name.size() + 1));
    }
  }
  return -1;
}

void PeakMemoryUnderAFloodOfLargeFrames(benchmark::State& state) {
  constexpr std::size_t kFrames = 300;
  constexpr std::size_t kFrameBytes = std::size_t{1} << 20;
  const std::size_t imageUrlLength = kFrameBytes - offerFrame("").size();
  auto& app = connected();
  for (auto _ : state) {
    std::ofstream("/proc/self/clear_refs") << "5";  // the high-water mark starts again from here
    const long idle = statusKibibytes("VmRSS");
    const auto longest = app.flood(kFrames, [imageUrlLength](std::size_t i) {
      return offerFrame(std::string(imageUrlLength, static_cast<char>('a' + i % 26)));
    });
    if (!longest) {
      state.SkipWithError("the frames did not all arrive");
      return;
    }
    state.counters["peak_above_idle_MiB"] = (statusKibibytes("VmHWM") - idle) / 1024.0;
  }
}

void LongestDispatchUnderAFloodOfSmallFrames(benchmark::State& state) {
  constexpr std::size_t kFrames = 200'000;
  auto& app = connected();
  for (auto _ : state) {
    const auto longest =
        app.flood(kFrames, [](std::size_t i) { return offerFrame(std::to_string(i)); });
    if (!longest) {
      state.SkipWithError("the frames did not all arrive");
      return;
    }
    state.counters["longest_dispatch_ms"] =
        std::chrono::duration<double, std::milli>(*longest).count();
  }
}

BENCHMARK(PeakMemoryUnderAFloodOfLargeFrames)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(LongestDispatchUnderAFloodOfSmallFrames)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
  return runBenchmarksAgainstLoopback(argc, argv);
}
