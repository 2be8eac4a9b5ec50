// Decoding a realistic basket reply, measured beside nlohmann's bare parse of the same text.
#include "Models/Models.hpp"

#include <zelvora/models/Basket.hpp>

#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

namespace {

using zelvora::Json;

std::string basketReply(int lineItems) {
  Json items = Json::array();
  Json reconciled = Json::array();
  for (int i = 0; i < lineItems; ++i) {
    const std::string sku = "SKU-" + std::to_string(100000 + i);
    items.push_back({{"sku", sku},
                     {"qty", 1.0 + i % 3},
                     {"price", 199 + i * 7},
                     {"name", "Organic product number " + std::to_string(i)}});
    reconciled.push_back({{"sku", sku},
                          {"total", 199 + i * 7},
                          {"discounted-total", 180 + i * 7},
                          {"tax", 12},
                          {"discount-cents", 19},
                          {"discount-pct", 10}});
  }
  const Json summary = {{"discounted-total", 189000},
                        {"product-offer-cents", 1200},
                        {"payment-offer-cents", 300},
                        {"discount-cents", 1500},
                        {"tax", 9000},
                        {"loyalty-cents", 250},
                        {"payment-total", 197750},
                        {"total", 199000},
                        {"discount-pct", 7}};
  return Json{
      {"id", "bkt-6f1c2a9e-1d2b-4c3d-9e8f-0a1b2c3d4e5f"},
      {"state", "update-basket"},
      {"loyalty-points", 1250},
      {"tags", {"reserve-collect"}},
      {"summary", summary},
      {"fulfillment", {{"pay-in-store", false}, {"reserve-date", "2017-05-01T10:20:30.123Z"}}},
      {"items", items},
      {"reconciled-total", reconciled}}
      .dump();
}

const std::string& reply() {
  static const std::string text = basketReply(100);
  return text;
}

void ParseOnly(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(Json::parse(reply()));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * reply().size()));
}

void DecodeParsed(benchmark::State& state) {
  const Json parsed = Json::parse(reply());
  for (auto _ : state) {
    benchmark::DoNotOptimize(zelvora::Decoders::decode<std::shared_ptr<zelvora::Basket>>(parsed));
  }
}

void ParseAndDecode(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        zelvora::Decoders::decode<std::shared_ptr<zelvora::Basket>>(Json::parse(reply())));
  }
}

// The decode of a parsed reply as a multiple of parsing it: both timed in the same loop.
void DecodeToParseRatio(benchmark::State& state) {
  using Clock = std::chrono::steady_clock;
  Clock::duration parsing{}, decoding{};
  for (auto _ : state) {
    const auto start = Clock::now();
    const Json parsed = Json::parse(reply());
    const auto parsedAt = Clock::now();
    benchmark::DoNotOptimize(zelvora::Decoders::decode<std::shared_ptr<zelvora::Basket>>(parsed));
    parsing += parsedAt - start;
    decoding += Clock::now() - parsedAt;
  }
  state.counters["decode/parse"] =
      static_cast<double>(decoding.count()) / static_cast<double>(parsing.count());
}

BENCHMARK(ParseOnly);
BENCHMARK(DecodeParsed);
BENCHMARK(ParseAndDecode);
BENCHMARK(DecodeToParseRatio);

}  // namespace

BENCHMARK_MAIN();
