// What the operation layer costs: a session creation through the facade (precondition, Store
// snapshot, operation, service provider) beside the same ClientAPI call, both against the fake
// platform on loopback; and a call that its precondition refuses before any request.
#include "APIs/Generated/ClientAPI.hpp"
#include "fake_platform/FakePlatform.hpp"

#include <zelvora/ZelvoraAPI.hpp>
#include <zelvora/models/Client.hpp>
#include <zelvora/models/Session.hpp>
#include <zelvora/models/Shopper.hpp>

#include "BenchmarkMain.hpp"

#include <benchmark/benchmark.h>
#include <glib.h>

#include <cstdlib>
#include <memory>
#include <string>

namespace {

using namespace zelvora;

struct Platform {
  Platform() : fake({"merchant-bench", "key-bench", "secret-bench"}) {
    api.initialize("merchant-bench", "key-bench", "secret-bench",
                   {{"host", "http://platform.test:" + std::to_string(fake.port())}},
                   [](bool, std::optional<Error>) {});
  }
  fake::FakePlatform fake;
  ZelvoraAPI api;
};

Platform& platform() {
  static Platform instance;
  return instance;
}

template <class Call>
void callAndWait(Call call) {
  bool done = false;
  call([&](std::shared_ptr<Session>, std::optional<Error>) { done = true; });
  while (!done) {
    g_main_context_iteration(nullptr, TRUE);
  }
}

void FacadeCreateSession(benchmark::State& state) {
  auto& api = platform().api;
  for (auto _ : state) {
    callAndWait([&](Completion<Session> done) { api.createSession(done); });
  }
}

void ClientAPICreateSession(benchmark::State& state) {
  platform();
  auto client = std::make_shared<Client>();
  client->deviceId = "DEVICE-BENCH";
  client->merchantId = "merchant-bench";
  for (auto _ : state) {
    callAndWait([&](Completion<Session> done) { ClientAPI::createSession(client, done); });
  }
}

// The stored session is a new one, never authenticated: the call ends at its precondition.
void FacadeCallRefusedByItsPrecondition(benchmark::State& state) {
  auto& api = platform().api;
  for (auto _ : state) {
    api.getShopper([](std::shared_ptr<Shopper>, std::optional<Error> error) {
      benchmark::DoNotOptimize(error);
    });
  }
}

BENCHMARK(FacadeCreateSession)->Unit(benchmark::kMicrosecond);
BENCHMARK(ClientAPICreateSession)->Unit(benchmark::kMicrosecond);
BENCHMARK(FacadeCallRefusedByItsPrecondition)->Unit(benchmark::kNanosecond);

}  // namespace

int main(int argc, char** argv) {
  return runBenchmarksAgainstLoopback(argc, argv);
}
