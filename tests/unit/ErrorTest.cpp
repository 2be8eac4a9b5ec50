// The SDK's own error and the one error value the app sees.
#include <zelvora/Error.hpp>

#include <gtest/gtest.h>

namespace zelvora {
namespace {

using Reason = ZelvoraError::RequiredDataNotAvailableReason;
using Validation = ZelvoraError::DataValidationFailedReason;

TEST(ZelvoraErrorTest, EveryReasonShowsItsTextAndNeverTheKeyOrSecret) {
  const struct {
    ZelvoraError error;
    const char* text;
  } cases[] = {
      {ZelvoraError::requiredDataNotAvailable(Reason::merchantIdNotAvailable),
       "MerchantId not available. Please initialize Zelvora SDK."},
      {ZelvoraError::requiredDataNotAvailable(Reason::sessionNotAvailable),
       "Session not available. Please create a session."},
      {ZelvoraError::requiredDataNotAvailable(Reason::authenticatedSessionNotAvailable),
       "Authenticated session not available."},
      {ZelvoraError::requiredDataNotAvailable(Reason::basketIdNotAvailable),
       "BasketId not available. Please create basket."},
      {ZelvoraError::requiredDataNotAvailable(Reason::shopperIdNotAvailable),
       "Shopper is not authenticated. Please authenticate shopper."},
      {ZelvoraError::requiredDataNotAvailable(Reason::posIdNotAvailable),
       "Point of Sale id is not available."},
      {ZelvoraError::requiredDataNotAvailable(Reason::paymentInstrumentsNotAvailable),
       "Payment instruments are not available. Please fetch payment instruments."},
      {ZelvoraError::requiredDataNotAvailable(Reason::loyaltyPointsNotAvailable),
       "Loyalty points for shopper are not available. Please get loyalty points for shopper."},
      {ZelvoraError::requiredDataNotAvailable(Reason::shopperProfileNotAvailable),
       "Shopper profile is not available."},
      {ZelvoraError::dataValidationFailed(Validation::merchantInvalid("m-1")),
       "Merchant with id:m-1 not valid."},
      {ZelvoraError::dataValidationFailed(Validation::merchantInvalid("")),
       "Merchant with id: not valid."},
      {ZelvoraError::dataValidationFailed(Validation::posIdInvalid("pos 7")),
       "Pos string:pos 7 not valid."},
      {ZelvoraError::dataValidationFailed(Validation::invalidUrl("  HTTPS://Example.COM/p?q=1 ")),
       "Url:   HTTPS://Example.COM/p?q=1  is not valid. Enter fully qualified url."},
      {ZelvoraError::dataValidationFailed(Validation::invalidQRCode("\xF0\x9F\x99\x82")),
       "QR: \xF0\x9F\x99\x82 could not be encoded."},
      {ZelvoraError::dataValidationFailed(Validation::invalidApiKey("top-secret-key")),
       "Api key is not valid."},
      {ZelvoraError::dataValidationFailed(Validation::invalidApiSecret("top-secret")),
       "Api secret is not valid."},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.error.localizedDescription(), c.text);
  }
}

TEST(ErrorTest, EachDomainKeepsItsCodeAndText) {
  const Error required = ZelvoraError::requiredDataNotAvailable(Reason::merchantIdNotAvailable);
  EXPECT_EQ(required.domain(), Error::zelvoraDomain);
  EXPECT_EQ(required.code(), 0);
  EXPECT_EQ(required.localizedDescription(),
            "MerchantId not available. Please initialize Zelvora SDK.");
  EXPECT_FALSE(required.failureReason());
  EXPECT_EQ(Error(ZelvoraError::dataValidationFailed(Validation::invalidApiKey(""))).code(), 1);

  const Error transport = Error::transport(-9006, "JSON could not be serialized.");
  EXPECT_EQ(transport.failureReason(), "JSON could not be serialized.");
  EXPECT_FALSE(transport.zelvoraError());
  EXPECT_EQ(transport.localizedDescription(),
            "The operation could not be completed. JSON could not be serialized.");
  EXPECT_FALSE(transport == Error::transport(-9000, "JSON could not be serialized."));
  EXPECT_EQ(Error::curl(7, "Couldn't connect to server").localizedDescription(),
            "Couldn't connect to server");
  EXPECT_EQ(Error::json(101, "parse error").localizedDescription(), "parse error");
  EXPECT_EQ(Error("custom", 42).localizedDescription(),
            "The operation could not be completed. (custom error 42.)");
}

}  // namespace
}  // namespace zelvora
