// How long an event takes from the fake platform's push, over a loopback websocket, through the
// SDK's I/O thread, the main queue and the frame's handling, to the app's delegate call. Reports
// the median and the 99th percentile of the iterations as counters (microseconds).
#include "BenchmarkMain.hpp"
#include "ConnectedEventSocket.hpp"

#include <benchmark/benchmark.h>
#include <glib.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace zelvora;
using Clock = std::chrono::steady_clock;

class TimingDelegate final : public ZelvoraEventDelegate {
 public:
  void didReceivePostPaymentOffer(const std::string&) override { heardAt = Clock::now(); }
  std::optional<Clock::time_point> heardAt;
};

template <class Done>
void iterateUntil(Done done) {
  while (!done()) {
    g_main_context_iteration(nullptr, TRUE);
  }
}

double percentile(std::vector<double> values, double fraction) {
  std::sort(values.begin(), values.end());
  return values[static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1))];
}

void EventFrameToDelegateCall(benchmark::State& state) {
  static ConnectedEventSocket<TimingDelegate> connected;
  const std::string frame = R"({"type":"post-purchase-offer","body":{"image-url":"x"}})";
  std::vector<double> microseconds;
  for (auto _ : state) {
    connected.delegate->heardAt.reset();
    const auto pushed = Clock::now();
    connected.fake.events().pushText(frame);
    iterateUntil([&] { return connected.delegate->heardAt.has_value(); });
    microseconds.push_back(
        std::chrono::duration<double, std::micro>(*connected.delegate->heardAt - pushed).count());
  }
  state.counters["median_us"] = percentile(microseconds, 0.5);
  state.counters["p99_us"] = percentile(microseconds, 0.99);
}

BENCHMARK(EventFrameToDelegateCall)->Unit(benchmark::kMicrosecond)->Iterations(2000);

}  // namespace

int main(int argc, char** argv) {
  return runBenchmarksAgainstLoopback(argc, argv);
}
