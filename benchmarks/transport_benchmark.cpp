// One ClientAPI round trip against the fake platform on loopback, beside a bare libcurl request
// of the same bytes to the same server on a reused connection; and how many TCP connections a
// thousand sequential calls open. Built with ZELVORA_TRACE_HANDOFFS, also the median time of each
// hand-off within a round trip.
#include "APIs/Generated/ClientAPI.hpp"
#include "CoreNetworking/Networking.hpp"
#include "CoreNetworking/Request/QueryRequest.hpp"
#include "CoreNetworking/Transfer.hpp"
#include "Helpers/HandoffTrace.hpp"
#include "Models/ModelCodec.hpp"
#include "fake_platform/FakePlatform.hpp"

#include <zelvora/ZelvoraAPI.hpp>
#include <zelvora/models/Client.hpp>
#include <zelvora/models/Session.hpp>

#include "BenchmarkMain.hpp"

#include <benchmark/benchmark.h>
#include <curl/curl.h>
#include <glib.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace zelvora;

struct Platform {
  Platform() : fake({"merchant-bench", "key-bench", "secret-bench"}) {
    ZelvoraAPI api;
    api.initialize("merchant-bench", "key-bench", "secret-bench",
                   {{"host", "http://platform.test:" + std::to_string(fake.port())}},
                   [](bool, std::optional<Error>) {});
  }
  fake::FakePlatform fake;
};

Platform& platform() {
  static Platform instance;
  return instance;
}

std::shared_ptr<Client> client() {
  auto body = std::make_shared<Client>();
  body->deviceId = "DEVICE-BENCH";
  body->merchantId = "merchant-bench";
  return body;
}

void createSessionAndWait() {
  bool done = false;
  ClientAPI::createSession(client(),
                           [&](std::shared_ptr<Session>, std::optional<Error>) { done = true; });
  while (!done) {
    g_main_context_iteration(nullptr, TRUE);
  }
}

void ClientAPIRoundTrip(benchmark::State& state) {
  platform();
  for (auto _ : state) {
    createSessionAndWait();
  }
}

size_t discard(char*, size_t size, size_t count, void*) {
  return size * count;
}

// The request the SDK sends, the same bytes (host name, compression offer and the empty
// correlation id included), replayed on one easy handle that keeps its connection.
void BareLibcurlRoundTrip(benchmark::State& state) {
  const std::string port = std::to_string(platform().fake.port());
  const auto request =
      buildURLRequest(postQuery(ClientAPIPath::CreateSession, encodeToJSON(*client()))).value();
  CURL* easy = curl_easy_init();
  const std::string url = "http://platform.test:" + port + "/api/client/session";
  curl_slist* resolve =
      curl_slist_append(nullptr, ("platform.test:" + port + ":127.0.0.1").c_str());
  curl_slist* headers = curl_slist_append(nullptr, "Expect:");
  for (const auto& [name, value] : request.headers.entries()) {
    headers = curl_slist_append(headers, internal::curlHeaderLine(name, value).c_str());
  }
  curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
  curl_easy_setopt(easy, CURLOPT_RESOLVE, resolve);
  curl_easy_setopt(easy, CURLOPT_ACCEPT_ENCODING, "");
  curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers);
  curl_easy_setopt(easy, CURLOPT_POSTFIELDS, request.body->c_str());
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &discard);
  for (auto _ : state) {
    curl_easy_perform(easy);
  }
  // A refused request would be a cheaper round trip than the SDK's, and no baseline.
  long status = 0;
  curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
  if (status != 200) {
    state.SkipWithError(("the platform answered " + std::to_string(status)).c_str());
  }
  curl_slist_free_all(headers);
  curl_slist_free_all(resolve);
  curl_easy_cleanup(easy);
}

void ConnectionsForThousandSequentialCalls(benchmark::State& state) {
  for (auto _ : state) {
    const auto before = Networking::sharedManager().connectionsOpened();
    const auto acceptedBefore = platform().fake.connectionsAccepted();
    for (int i = 0; i < 1000; ++i) {
      createSessionAndWait();
    }
    state.counters["connections_opened"] =
        static_cast<double>(Networking::sharedManager().connectionsOpened() - before);
    state.counters["connections_accepted"] =
        static_cast<double>(platform().fake.connectionsAccepted() - acceptedBefore);
  }
}

#ifdef ZELVORA_TRACE_HANDOFFS
// Sorted by name in the report, hence the numbering.
constexpr const char* kHandoffNames[internal::trace::kHandoffs] = {
    "",           "00_build",    "01_sign",       "02_easy_handle", "03_to_network",
    "04_to_send", "05_to_reply", "06_reply_read", "07_to_parse",    "08_parse",
    "09_to_main", "10_decode",   "11_completion"};

double medianMicroseconds(std::vector<std::int64_t> ticks) {
  std::nth_element(ticks.begin(), ticks.begin() + ticks.size() / 2, ticks.end());
  const auto median = internal::trace::Clock::duration(ticks[ticks.size() / 2]);
  return std::chrono::duration<double, std::micro>(median).count();
}

// The median of each hand-off, from the mark before it (the last one the call reached) to its
// own; a call that skips a mark counts nothing for it.
void ClientAPIHandoffBreakdown(benchmark::State& state) {
  using internal::trace::Handoff;
  platform();
  std::vector<std::vector<std::int64_t>> spans(internal::trace::kHandoffs);
  std::vector<std::int64_t> totals;
  // Until JavaScriptCore has compiled the signing script for good, which takes thousands of
  // signatures, a call is slower than the round trip benchmarks see.
  for (int i = 0; i < 10000; ++i) {
    createSessionAndWait();
  }
  for (auto _ : state) {
    internal::trace::mark(Handoff::callStarted);
    createSessionAndWait();
    internal::trace::mark(Handoff::callEnded);
    const auto marks = internal::trace::lastCall();
    std::int64_t previous = marks[0];
    for (std::size_t i = 1; i < marks.size(); ++i) {
      if (marks[i] >= marks[0]) {
        spans[i].push_back(marks[i] - previous);
        previous = marks[i];
      }
    }
    totals.push_back(previous - marks[0]);
  }
  for (std::size_t i = 1; i < spans.size(); ++i) {
    if (!spans[i].empty()) {
      state.counters[kHandoffNames[i]] = medianMicroseconds(std::move(spans[i]));
    }
  }
  state.counters["total"] = medianMicroseconds(std::move(totals));
}
BENCHMARK(ClientAPIHandoffBreakdown)->Iterations(3000)->Unit(benchmark::kMicrosecond);
#endif

BENCHMARK(ClientAPIRoundTrip)->Unit(benchmark::kMicrosecond);
BENCHMARK(BareLibcurlRoundTrip)->Unit(benchmark::kMicrosecond);
BENCHMARK(ConnectionsForThousandSequentialCalls)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  return runBenchmarksAgainstLoopback(argc, argv);
}
