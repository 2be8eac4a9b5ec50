// The process-wide Store: what the app can read, that the Store keeps copies of its own, and what
// cleaning up the product page's data does.
#include <zelvora/Store.hpp>

#include "Helpers/StoreState.hpp"
#include "Models/ModelCodec.hpp"
#include "support/StoreFixtures.hpp"

#include <gtest/gtest.h>

#include <cstdlib>

namespace zelvora {
namespace {

using internal::StoreState;
using internal::StoreValues;

class StoreTest : public ::testing::Test {
 protected:
  void SetUp() override { test::resetStoreAndConstants(); }
  void TearDown() override { test::resetStoreAndConstants(); }
};

TEST(StoreAtStartTest, AppReadsNothingBeforeTheFirstInitialize) {
  // In a process of its own, so that no other test has written the Store yet.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        const bool absent = !Store::merchantId() && !Store::session() && !Store::basket() &&
                            StoreState::snapshot() == StoreValues{};
        std::exit(absent ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST_F(StoreTest, TheStoreKeepsCopiesSharingNothingWithItsWritersOrTheAppsReads) {
  const auto basket = decodeModel<Basket>(Json::parse(R"({"id": "b-1", "tags": ["reserve-collect"],
      "items": [{"sku": "s-1", "qty": 2}], "summary": {"total": 500}})"));
  const Json written = encodeToJSON(*basket);
  StoreState::set(&StoreValues::basket, basket);
  const auto read = Store::basket();
  EXPECT_EQ(encodeToJSON(*read), written);

  basket->id = "changed";
  basket->items->front()->sku = "changed";
  basket->summary->total = 1;
  read->items->front()->sku = "changed";
  read->summary->total = 1;
  EXPECT_EQ(encodeToJSON(*StoreState::get(&StoreValues::basket)), written);
  EXPECT_EQ(encodeToJSON(*Store::basket()), written);

  const auto offers = std::make_shared<internal::PaymentInstrumentOffers>(
      1, std::make_shared<PaymentInstrumentOffer>());
  offers->front()->paymentInstrumentId = "card-1";
  StoreState::set(&StoreValues::paymentInstrumentOffers, offers);
  offers->front()->paymentInstrumentId = "changed";
  offers->push_back(offers->front());
  const auto kept = StoreState::get(&StoreValues::paymentInstrumentOffers);
  ASSERT_EQ(kept->size(), 1u);
  EXPECT_EQ(kept->front()->paymentInstrumentId, "card-1");
}

TEST_F(StoreTest, CleanUpClearsExactlyTheNineProductPageValues) {
  test::fillStore();
  const StoreValues before = StoreState::snapshot();
  StoreState::cleanUpDravixData();
  StoreValues kept;
  kept.merchantId = before.merchantId;
  kept.session = before.session;
  kept.basket = before.basket;
  kept.apiKey = before.apiKey;
  kept.apiSecret = before.apiSecret;
  kept.correlationId = before.correlationId;
  EXPECT_EQ(StoreState::snapshot(), kept);
}

}  // namespace
}  // namespace zelvora
