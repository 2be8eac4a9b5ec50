#pragma once

#include "APIs/Generated/ClientAPI.hpp"
#include "fake_platform/FakePlatform.hpp"
#include "support/MainLoop.hpp"

#include <zelvora/Completion.hpp>
#include <zelvora/ZelvoraAPI.hpp>
#include <zelvora/models/Models.hpp>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

namespace zelvora::test {

// The host name under which tests reach the fake platform; the transport connects it to
// 127.0.0.1 (see the ZELVORA_RESOLVE setting made for every test process).
inline constexpr const char* kPlatformHostName = "platform.test";

// The "host" setting that reaches a fake server on this port of platform.test.
inline std::string platformAddress(std::string_view scheme, int port) {
  return std::string(scheme) + "://" + kPlatformHostName + ":" + std::to_string(port);
}

inline constexpr const char* kShopperPath = "/api/client/shopper/s-1";

inline const fake::Credentials& testCredentials() {
  static const fake::Credentials credentials{"merchant-e2e", "key-e2e", "secret-e2e"};
  return credentials;
}

// What one completion received, and how often and where it was called.
template <class T>
struct Outcome {
  std::shared_ptr<T> value;
  std::optional<Error> error;
  int calls = 0;
  int callsBeforeReturn = 0;  // calls made before the SDK call returned
  bool onCallingThread = false;
};

// One completion, on the main queue of the calling thread, after the call returned.
template <class T>
void expectOnceLater(const Outcome<T>& outcome) {
  EXPECT_EQ(outcome.calls, 1);
  EXPECT_EQ(outcome.callsBeforeReturn, 0);
  EXPECT_TRUE(outcome.onCallingThread);
}

template <class T>
void expectSuccessLater(const Outcome<T>& outcome) {
  expectOnceLater(outcome);
  EXPECT_FALSE(outcome.error) << outcome.error->localizedDescription();
}

template <class T>
void expectError(const Outcome<T>& outcome, std::string_view domain, long long code) {
  expectOnceLater(outcome);
  EXPECT_EQ(outcome.value, nullptr);
  ASSERT_TRUE(outcome.error);
  EXPECT_EQ(outcome.error->domain(), domain) << outcome.error->localizedDescription();
  EXPECT_EQ(outcome.error->code(), code) << outcome.error->localizedDescription();
}

// A fresh fake platform and an SDK initialised against it, with an empty Store.
class PlatformTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Initializes the SDK again, with the test credentials and this "host" setting; whether it took.
  bool initializeWithHost(const std::string& host);

  // Calls `call` with a completion, runs the main loop until the completion has run (and a little
  // longer, to catch a second call), and returns what it received.
  template <class T, class Call>
  Outcome<T> await(Call&& call) {
    auto outcome = std::make_shared<Outcome<T>>();
    const auto caller = std::this_thread::get_id();
    call([outcome, caller](std::shared_ptr<T> value, std::optional<Error> error) {
      outcome->value = std::move(value);
      outcome->error = std::move(error);
      outcome->onCallingThread = std::this_thread::get_id() == caller;
      ++outcome->calls;
    });
    outcome->callsBeforeReturn = outcome->calls;
    EXPECT_TRUE(runMainLoopUntil([&] { return outcome->calls > 0; }, std::chrono::seconds(20)));
    runMainLoopFor(std::chrono::milliseconds(5));
    return *outcome;
  }

  // One shopper looked up through ClientAPI, and the platform's answer to it.
  Outcome<Shopper> lookUpShopper() {
    return await<Shopper>([](auto done) { ClientAPI::lookUpShopper("s-1", done); });
  }
  void answerShopperWith(int status, std::string body) {
    platform_->script("GET", kShopperPath, {.status = status, .body = std::move(body)});
  }

  // The requests the platform received on a path.
  std::vector<fake::RecordedRequest> requestsTo(const std::string& path) const;

  std::unique_ptr<fake::FakePlatform> platform_;
  ZelvoraAPI api_;
};

}  // namespace zelvora::test
