#pragma once

#include "APIs/Generated/ClientAPI.hpp"
#include "CoreNetworking/Networking.hpp"
#include "support/PlatformFixture.hpp"

#include <zelvora/models/Models.hpp>

#include <gtest/gtest.h>

#include <string>

namespace zelvora::test {

inline constexpr const char* kShopperPath = "/api/client/shopper/s-1";

// The SDK against a fresh fake platform, looking up one shopper through ClientAPI.
class TransportTest : public PlatformTest {
 protected:
  void TearDown() override {
    Networking::sharedManager().restoreDefaultsForTesting();
    PlatformTest::TearDown();
  }

  Outcome<Shopper> lookUpShopper() {
    return await<Shopper>([](auto done) { ClientAPI::lookUpShopper("s-1", done); });
  }

  void answerShopperWith(int status, std::string body) {
    platform_->script("GET", kShopperPath, {.status = status, .body = std::move(body)});
  }

  // One completion, on the main queue, after the call returned.
  template <class T>
  static void expectOnce(const Outcome<T>& outcome) {
    EXPECT_EQ(outcome.calls, 1);
    EXPECT_EQ(outcome.callsBeforeReturn, 0);
    EXPECT_TRUE(outcome.onCallingThread);
  }

  template <class T>
  static void expectError(const Outcome<T>& outcome, std::string_view domain, long long code) {
    expectOnce(outcome);
    EXPECT_EQ(outcome.value, nullptr);
    ASSERT_TRUE(outcome.error);
    EXPECT_EQ(outcome.error->domain(), domain) << outcome.error->localizedDescription();
    EXPECT_EQ(outcome.error->code(), code) << outcome.error->localizedDescription();
  }
};

}  // namespace zelvora::test
