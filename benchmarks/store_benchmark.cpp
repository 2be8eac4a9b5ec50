// What the Store's own copies cost: storing a basket (one deep copy, as after every basket reply)
// and the app's read of the stored basket (another), by the number of lines in the basket.
#include "Helpers/StoreState.hpp"

#include <zelvora/Store.hpp>
#include <zelvora/models/Basket.hpp>
#include <zelvora/models/BasketLineItem.hpp>
#include <zelvora/models/ReconciledTotal.hpp>
#include <zelvora/models/TotalSummary.hpp>

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

using namespace zelvora;
using internal::StoreState;
using internal::StoreValues;

// A basket as the platform fills it: a line and a reconciled total per SKU, and the summary.
std::shared_ptr<Basket> basketOf(int lines) {
  auto basket = std::make_shared<Basket>();
  basket->id = "bkt-6f1c2a9e-1d2b-4c3d-9e8f-0a1b2c3d4e5f";
  basket->summary = std::make_shared<TotalSummary>();
  basket->summary->total = 199000;
  basket->items.emplace();
  basket->reconciledTotal.emplace();
  for (int line = 0; line < lines; ++line) {
    const std::string sku = "SKU-" + std::to_string(100000 + line);
    auto item = std::make_shared<BasketLineItem>();
    item->sku = sku;
    item->qty = 1.0;
    item->price = 199 + line;
    item->name = "Organic product number " + std::to_string(line);
    basket->items->push_back(std::move(item));
    auto total = std::make_shared<ReconciledTotal>();
    total->sku = sku;
    total->total = 199 + line;
    total->tax = 12;
    basket->reconciledTotal->push_back(std::move(total));
  }
  return basket;
}

void StoreABasket(benchmark::State& state) {
  const auto basket = basketOf(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    StoreState::set(&StoreValues::basket, basket);
  }
}

void ReadTheStoredBasket(benchmark::State& state) {
  StoreState::set(&StoreValues::basket, basketOf(static_cast<int>(state.range(0))));
  for (auto _ : state) {
    benchmark::DoNotOptimize(Store::basket());
  }
}

BENCHMARK(StoreABasket)->Arg(1)->Arg(100)->Unit(benchmark::kMicrosecond);
BENCHMARK(ReadTheStoredBasket)->Arg(1)->Arg(100)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
