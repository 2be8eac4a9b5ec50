#pragma once

#include "Helpers/StoreState.hpp"
#include "InternalWebSocketListener.hpp"
#include "support/PlatformFixture.hpp"

#include <zelvora/Store.hpp>
#include <zelvora/models/Models.hpp>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <memory>
#include <string>
#include <vector>

namespace zelvora::test {

using Json = nlohmann::json;
using Reason = ZelvoraError::RequiredDataNotAvailableReason;

inline constexpr const char* kMerchantShopperId = "shopper-7";
inline constexpr const char* kSku = "trail-tee-m";

// What the platform handed out on the way to a basket with one item.
struct Ids {
  std::string sessionId;
  std::string shopperId;
  std::string basketId;
  std::string cardId;  // the shopper's default card
};

// Writes "connect" and "disconnect" into the events the test watches, in the order things happened.
class ConnectRecorder final : public internal::InternalWebSocketListener {
 public:
  explicit ConnectRecorder(std::vector<std::string>& events) : events_(events) {}
  void connect() override { events_.push_back("connect"); }
  void disconnect() override { events_.push_back("disconnect"); }

 private:
  std::vector<std::string>& events_;
};

// The SDK against a fresh fake platform, with the event listener's connects recorded.
class FacadeTest : public PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    replacedListener_ = internal::exchangeInternalWebSocketListenerForTesting(
        std::make_shared<ConnectRecorder>(events_));
  }

  void TearDown() override {
    internal::exchangeInternalWebSocketListenerForTesting(replacedListener_);
    PlatformTest::TearDown();
  }

  // Authenticates the shopper through the facade, which creates the session on the way.
  void signIn() {
    const auto outcome = await<Session>(
        [&](auto done) { api_.authenticateShopper(kMerchantShopperId, "auth-7", done); });
    ASSERT_FALSE(outcome.error) << outcome.error->localizedDescription();
    ids_.sessionId = outcome.value->id.value();
    ids_.shopperId = outcome.value->shopperId.value();
    ids_.cardId = platform_->paymentInstrumentIds(ids_.shopperId).at(0);
  }

  // Signs in and stores a basket holding one SKU.
  void openBasket() {
    ASSERT_NO_FATAL_FAILURE(signIn());
    ASSERT_FALSE(await<Basket>([&](auto done) { api_.createBasket(done); }).error);
    const auto update = std::make_shared<BasketUpdateParam>();
    update->items = ModelList<BasketLineItem>{std::make_shared<BasketLineItem>()};
    update->items->front()->sku = kSku;
    ASSERT_FALSE(await<Basket>([&](auto done) { api_.updateBasket(update, done); }).error);
    ids_.basketId = Store::basket()->id.value();
    platform_->clearRequests();
    events_.clear();
  }

  // A platform answer for every request to the path.
  void answer(const std::string& method, const std::string& path, int status,
              std::string body = "") {
    platform_->script(method, path, {.status = status, .body = std::move(body)});
  }

  // The last request, which must have gone to this method and path, validly signed.
  fake::RecordedRequest lastRequest(const std::string& method, const std::string& path) {
    const auto requests = platform_->requests();
    if (requests.empty()) {
      ADD_FAILURE() << "no request reached the platform";
      return {};
    }
    const auto& request = requests.back();
    EXPECT_EQ(request.method + " " + request.path, method + " " + path);
    EXPECT_TRUE(request.signatureValid);
    return request;
  }

  static internal::StoreValues store() { return internal::StoreState::snapshot(); }

  template <class T>
  static void expectRefusedBeforeReturn(const Outcome<T>& outcome, Reason reason) {
    EXPECT_EQ(outcome.calls, 1);
    EXPECT_EQ(outcome.callsBeforeReturn, 1);
    EXPECT_EQ(outcome.value, nullptr);
    ASSERT_TRUE(outcome.error);
    ASSERT_TRUE(outcome.error->zelvoraError());
    EXPECT_EQ(outcome.error->zelvoraError()->requiredDataNotAvailableReason(), reason);
  }

  Ids ids_;
  std::vector<std::string> events_;
  // The listener the test put aside, back in place at its end.
  std::shared_ptr<internal::InternalWebSocketListener> replacedListener_;
};

}  // namespace zelvora::test
