// The event frames the platform pushes, as the app hears them through its delegate, and what each
// does to the Store: every type and basket state, the entity rule, and frames to be dropped.
#include "WebSocket.hpp"
#include "e2e/EventsFixture.hpp"

namespace zelvora::test {
namespace {

struct FrameCase {
  std::string name;
  std::string frame;
  std::vector<std::string> heard;
  StoreEffect effect = StoreEffect::unchanged;
};

Json basketBody(std::string_view state, std::string_view id = "b-1") {
  return {{"id", id}, {"state", state}, {"items", {{{"sku", "tee"}, {"qty", 1}, {"price", 1500}}}}};
}

Json receiptBody() {
  return {{"id", "r-1"},
          {"merchant-id", "m-1"},
          {"created", "2025-01-06T09:00:00.000Z"},
          {"payments", {{{"card-alias", "Visa"}, {"amount", 1500}}}},
          {"reconciled-total", {{{"sku", "tee"}}, {{"sku", "cap"}}}}};
}

std::vector<FrameCase> frameCases() {
  const std::string updated = "didUpdateBasket b-1";
  const auto replaced = StoreEffect::basketReplaced;
  std::vector<FrameCase> cases = {
      {"complete-scan event",
       eventFrame("complete-scan", basketBody("complete-scan")),
       {updated},
       replaced},
      {"receipt",
       eventFrame("basket-receipt-update", receiptBody()),
       {"didReceiveReceipt r-1"},
       StoreEffect::transactionCleared},
      {"offer",
       eventFrame("post-purchase-offer", {{"image-url", "https://img.test/o.png"}}),
       {"didReceivePostPaymentOffer https://img.test/o.png"}},
      {"offer without a string address", eventFrame("post-purchase-offer", {{"image-url", 5}}), {}},
      {"offer with a null body", R"({"type":"post-purchase-offer","body":null})", {}},
      {"offer with a text body", R"({"type":"post-purchase-offer","body":"x"})", {}},
      {"offer without a body", R"({"type":"post-purchase-offer"})", {}},
      {"type in other letter case", eventFrame("Basket-Update", basketBody("new")), {}},
      {"type with underscores", eventFrame("basket_update", basketBody("new")), {}},
      {"unknown type", eventFrame("receipt", receiptBody()), {}},
      {"type that is not text", R"({"type":5,"body":{}})", {}},
      {"no type", R"({"body":{"state":"new"}})", {}},
      {"top-level array", R"([{"type":"basket-update"}])", {}},
      {"top-level number", "42", {}},
      {"top-level text", R"("basket-update")", {}},
      {"not JSON", R"({"type":"basket-update","body":)", {}},
      {"basket without a state", eventFrame("basket-update", {{"id", "b-1"}}), {}},
      {"basket that does not decode",
       eventFrame("basket-update", {{"state", "new"}, {"id", 7}}),
       {}},
      {"receipt that does not decode",
       eventFrame("basket-receipt-update", {{"id", "r-1"}, {"created", "yesterday"}}),
       {}},
      {"escaped entities inside a string",
       eventFrame("basket-update", basketBody("new", "b&amp;lt;1&gt; &quot;x&quot;")),
       {R"(didUpdateBasket b<1> "x")"},
       replaced},
      {"a frame escaped as a whole",
       "{&quot;type&quot;:&quot;post-purchase-offer&quot;,&quot;body&quot;:{&quot;image-url&quot;"
       ":&quot;u&amp;v&quot;}}",
       {"didReceivePostPaymentOffer u&v"}},
  };
  for (const char* state : {"new", "update-basket", "complete-scan"}) {
    cases.push_back({std::string("basket in state ") + state,
                     eventFrame("basket-update", basketBody(state)),
                     {updated},
                     replaced});
  }
  for (const char* state : {"associate-pos", "ready-for-payment", "initiate-payment",
                            "complete-transaction", "UPDATE-BASKET"}) {
    cases.push_back({std::string("basket in state ") + state,
                     eventFrame("basket-update", basketBody(state)),
                     {}});
  }
  return cases;
}

using EventMessages = EventsTest;

TEST_F(EventMessages, EachFrameGivesItsDelegateCallAndStoreEffect) {
  connect();
  for (const auto& test : frameCases()) {
    SCOPED_TRACE(test.name);
    fillStore();
    const auto before = internal::StoreState::snapshot();
    EXPECT_EQ(heardAfter({test.frame}), test.heard);
    expectStoreEffect(test.effect, before);
  }
  EXPECT_FALSE(delegate_->calledOffTheMainThread);
}

// Whatever else the body holds; frames that follow on the closing connection may be lost.
TEST_F(EventMessages, ACancellationClearsTheTransactionAndRenewsTheConnection) {
  connect();
  fillStore();
  const auto before = internal::StoreState::snapshot();
  events().pushText(
      eventFrame("basket-update", {{"state", "cancel-transaction"}, {"items", "not a list"}}));
  awaitConnection(2);
  EXPECT_EQ(log_, (std::vector<std::string>{"connected", "didCancelTransaction", "disconnected",
                                            "connected"}));
  expectStoreEffect(StoreEffect::transactionCleared, before);
}

TEST_F(EventMessages, CallsCarryTheirOwnEventsValuesInOrder) {
  connect();
  fillStore();
  EXPECT_EQ(heardAfter({eventFrame("basket-update", basketBody("new", "b-1")),
                        eventFrame("basket-receipt-update", receiptBody()),
                        eventFrame("basket-update", basketBody("update-basket", "b-2"))}),
            (std::vector<std::string>{"didUpdateBasket b-1", "didReceiveReceipt r-1",
                                      "didUpdateBasket b-2"}));
  EXPECT_EQ(Store::basket()->id, "b-2");
  EXPECT_EQ(Store::session(), nullptr);
  const auto& receipt = *delegate_->receipts.at(0);
  EXPECT_EQ(receipt.merchantId, "m-1");
  EXPECT_EQ(receipt.payments->at(0)->amount, 1500);
  EXPECT_EQ(receipt.reconciledTotal->size(), 2u);
}

TEST_F(EventMessages, BinaryFramesAreDropped) {
  connect();
  events().pushBinary(eventFrame("post-purchase-offer", {{"image-url", "binary"}}));
  EXPECT_EQ(heardAfter({}), std::vector<std::string>{});
}

// A message over the limit closes the connection; the listener reconnects as after any drop.
TEST_F(EventMessages, AFrameOverOneMebibyteIsDroppedAndTheConnectionRenewed) {
  connect();
  const auto padded = [](std::string frame, std::size_t size) {
    frame.resize(size, ' ');
    return frame;
  };
  const auto offer = eventFrame("post-purchase-offer", {{"image-url", "big"}});
  EXPECT_EQ(heardAfter({padded(offer, internal::WebSocket::maxMessageBytes)}),
            std::vector<std::string>{"didReceivePostPaymentOffer big"});
  events().pushText(padded(offer, internal::WebSocket::maxMessageBytes + 1));
  awaitConnection(2);
  EXPECT_EQ(events().upgradeAttempts(), 2u);
  EXPECT_EQ(heardAfter({offer}), std::vector<std::string>{"didReceivePostPaymentOffer big"});
  EXPECT_EQ(count("didReceivePostPaymentOffer big"), 2u);
}

}  // namespace
}  // namespace zelvora::test
