// The Store, the server address and initialize used from many threads at once. These tests run
// under ThreadSanitizer too, so nothing here may load JavaScriptCore: the facade gets a fake
// script context.
#include <zelvora/Store.hpp>
#include <zelvora/ZelvoraAPI.hpp>

#include "Helpers/Constants.hpp"
#include "Helpers/StoreState.hpp"
#include "Platform/Bundle.hpp"
#include "Platform/ScriptContext.hpp"
#include "support/FakeScriptContext.hpp"
#include "support/StoreFixtures.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace zelvora {
namespace {

using internal::StoreState;
using internal::StoreValues;

constexpr int initializers = 4;
constexpr int rounds = 400;

std::string numbered(const char* prefix, int k) {
  return std::string(prefix).append(std::to_string(k));
}

// Caller k's settings: a valid address unless invalidHost.
ZelvoraAPI::Configuration settingsOf(int k, bool invalidHost) {
  const std::string host = invalidHost
                               ? numbered("https://bad:host", k).append(".com")
                               : std::string(k % 2 ? "http" : "https") + "://" +
                                     numbered("h", k).append(".test:") + std::to_string(1000 + k);
  return {{"host", host}, {"correlation-id", numbered("c", k)}, {"merchantName", numbered("n", k)}};
}

// Which caller wrote the value, from its numbered suffix; -1 for none.
int callerOf(const std::optional<std::string>& value, char prefix) {
  if (!value || value->empty() || (*value)[0] != prefix)
    return -1;
  return std::stoi(value->substr(1));
}

class StoreThreadSafety : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::setJsContextForTesting(std::make_shared<test::FakeScriptContext>());
    test::resetStoreAndConstants();
  }
  void TearDown() override {
    test::resetStoreAndConstants();
    platform::setJsContextForTesting(nullptr);
  }
};

TEST_F(StoreThreadSafety, ConcurrentInitializeReadsAndWritesLeaveTheValuesOfOneCall) {
  std::atomic<bool> stop{false};
  std::atomic<int> inconsistencies{0};
  std::vector<std::thread> threads;

  for (int k = 0; k < initializers; ++k) {
    threads.emplace_back([k] {
      ZelvoraAPI api;
      for (int round = 0; round < rounds; ++round) {
        // Every third call, but never a caller's last, is refused for its host.
        api.initialize(numbered("m", k), numbered("k", k), numbered("s", k),
                       settingsOf(k, round % 3 == 1), [](bool, std::optional<Error>) {});
      }
    });
  }
  // Readers: the credentials of one snapshot come from one call, and so do the three address
  // settings.
  for (int r = 0; r < 3; ++r) {
    threads.emplace_back([&] {
      while (!stop) {
        const StoreValues store = StoreState::snapshot();
        const int caller = callerOf(store.merchantId, 'm');
        if (caller >= 0 &&
            (callerOf(store.apiKey, 'k') != caller || callerOf(store.apiSecret, 's') != caller)) {
          ++inconsistencies;
        }
        const ServerAddress address = Constants::serverAddress();
        if (address.host != Constants::defaultHost) {
          const int k = std::stoi(address.host.substr(1));
          if (address.port != 1000 + k || address.scheme != (k % 2 ? "http" : "https"))
            ++inconsistencies;
        }
        (void)Store::merchantId();
        (void)Store::session();
        (void)Store::basket();
      }
    });
  }
  // Writers, as the operations, the event listener and the product page do.
  threads.emplace_back([&] {
    while (!stop) {
      StoreState::set(&StoreValues::session, test::placeholder<Session>());
      StoreState::set(&StoreValues::basket, test::placeholder<Basket>());
      StoreState::set(&StoreValues::shopperLoyaltyPoints, 10);
      StoreState::set(&StoreValues::paymentInstrumentOffers,
                      std::make_shared<internal::PaymentInstrumentOffers>());
    }
  });
  threads.emplace_back([&] {
    while (!stop) {
      StoreState::update([](StoreValues& store) {
        store.session = nullptr;
        store.basket = nullptr;
        store.cleanUpDravixData();
      });
      StoreState::cleanUpDravixData();
    }
  });

  for (int k = 0; k < initializers; ++k)
    threads[k].join();
  stop = true;
  for (std::size_t t = initializers; t < threads.size(); ++t)
    threads[t].join();
  EXPECT_EQ(inconsistencies, 0);

  // What the last call wrote, all of it but the merchant name, which the clean-ups may clear.
  const StoreValues store = StoreState::snapshot();
  const int last = callerOf(store.merchantId, 'm');
  ASSERT_GE(last, 0);
  EXPECT_EQ(store.apiKey, numbered("k", last));
  EXPECT_EQ(store.apiSecret, numbered("s", last));
  EXPECT_EQ(store.correlationId, numbered("c", last));
  EXPECT_EQ(Constants::serverAddress(),
            (ServerAddress{last % 2 ? "http" : "https", numbered("h", last).append(".test"),
                           1000 + last}));
}

TEST_F(StoreThreadSafety, ConcurrentFacadesShareOneContextAndBundle) {
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([] {
      for (int i = 0; i < 50; ++i) {
        ZelvoraAPI api;
        (void)platform::frameworkBundle();
        (void)platform::jsContext();
      }
    });
  }
  for (auto& thread : threads)
    thread.join();
  auto* context = dynamic_cast<test::FakeScriptContext*>(platform::jsContext().get());
  ASSERT_NE(context, nullptr);
  EXPECT_EQ(context->evaluations, 200);
}

}  // namespace
}  // namespace zelvora
