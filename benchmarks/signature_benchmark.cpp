// The cost of one request signature through the signing script in JavaScriptCore, against a native
// OpenSSL HMAC-SHA256 of the same text. Prints the ratio of the two for each text length.
#include "Platform/Bundle.hpp"
#include "Platform/ScriptContext.hpp"
#include "fake_platform/Signing.hpp"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

namespace {

using zelvora::platform::JavaScriptCoreContext;

const std::string secret = "9f2c1d7e-secret-of-the-merchant-4b8a";

// What a request signs: API key, timestamp, correlation id, method, path and a JSON body, padded
// with more body to the length asked for.
std::string signedText(std::size_t length) {
  std::string text =
      "ak_live_51HqLyjWDarjtT1zdp7dcXYZ1717171717corr-42POST/api/client/basket/b-1234/update"
      "{\"basket-id\":\"b-1234\",\"items\":[";
  while (text.size() + 2 < length)
    text += "{\"sku\":\"SKU-0001\",\"qty\":1},";
  text += "]}";
  text.resize(length, ' ');
  return text;
}

JavaScriptCoreContext& scriptContext() {
  static JavaScriptCoreContext* context = [] {
    auto* created = new JavaScriptCoreContext;
    const auto path = zelvora::platform::frameworkBundle()->pathForResource("VardeloHMAC", "js");
    if (path) {
      std::ifstream file(*path);
      std::ostringstream script;
      script << file.rdbuf();
      created->evaluate(script.str());
    }
    return created;
  }();
  return *context;
}

void ScriptSignature(benchmark::State& state) {
  const std::string text = signedText(static_cast<std::size_t>(state.range(0)));
  auto& context = scriptContext();
  if (context.signature(text, secret) != zelvora::fake::hmacSha256Hex(secret, text)) {
    state.SkipWithError("the script's signature differs from OpenSSL's");
    return;
  }
  for (auto _ : state)
    benchmark::DoNotOptimize(context.signature(text, secret));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

void OpenSslSignature(benchmark::State& state) {
  const std::string text = signedText(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state)
    benchmark::DoNotOptimize(zelvora::fake::hmacSha256Hex(secret, text));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

BENCHMARK(ScriptSignature)->Arg(128)->Arg(512)->Arg(4096)->Arg(65536);
BENCHMARK(OpenSslSignature)->Arg(128)->Arg(512)->Arg(4096)->Arg(65536);

// The console output, followed by the script-to-OpenSSL ratio of the time per signature. With
// --benchmark_repetitions the fastest repetition counts: on a shared machine the others mostly
// measure the neighbours.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.error_occurred || run.run_type != Run::RT_Iteration)
        continue;
      const auto [best, first] = times_[std::stoi(run.run_name.args)].try_emplace(
          run.run_name.function_name, run.GetAdjustedRealTime());
      if (!first)
        best->second = std::min(best->second, run.GetAdjustedRealTime());
    }
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf("\nsignature cost, script in JavaScriptCore / native OpenSSL HMAC:\n");
    for (const auto& [length, times] : times_) {
      const auto script = times.find("ScriptSignature");
      const auto native = times.find("OpenSslSignature");
      if (script == times.end() || native == times.end() || native->second <= 0)
        continue;
      std::printf("  %6d bytes: %10.0f ns / %8.0f ns = %6.1fx\n", length, script->second,
                  native->second, script->second / native->second);
    }
  }

 private:
  std::map<int, std::map<std::string, double>> times_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv))
    return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
