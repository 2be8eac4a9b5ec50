// The SDK's own error and the one error value the app sees.
#include <zelvora/Error.hpp>

#include <gtest/gtest.h>

#include <functional>
#include <set>

namespace zelvora {
namespace {

using Reason = ZelvoraError::RequiredDataNotAvailableReason;
using Validation = ZelvoraError::DataValidationFailedReason;

std::string describe(Reason reason) {
  return ZelvoraError::requiredDataNotAvailable(reason).localizedDescription();
}
std::string describe(Validation reason) {
  return ZelvoraError::dataValidationFailed(reason).localizedDescription();
}

TEST(ZelvoraErrorTest, RequiredDataMessagesAreExact) {
  EXPECT_EQ(describe(Reason::merchantIdNotAvailable),
            "MerchantId not available. Please initialize Zelvora SDK.");
  EXPECT_EQ(describe(Reason::sessionNotAvailable),
            "Session not available. Please create a session.");
  EXPECT_EQ(describe(Reason::authenticatedSessionNotAvailable),
            "Authenticated session not available.");
  EXPECT_EQ(describe(Reason::basketIdNotAvailable),
            "BasketId not available. Please create basket.");
  EXPECT_EQ(describe(Reason::shopperIdNotAvailable),
            "Shopper is not authenticated. Please authenticate shopper.");
  EXPECT_EQ(describe(Reason::posIdNotAvailable), "Point of Sale id is not available.");
  EXPECT_EQ(describe(Reason::paymentInstrumentsNotAvailable),
            "Payment instruments are not available. Please fetch payment instruments.");
  EXPECT_EQ(describe(Reason::loyaltyPointsNotAvailable),
            "Loyalty points for shopper are not available. Please get loyalty points for shopper.");
  EXPECT_EQ(describe(Reason::shopperProfileNotAvailable), "Shopper profile is not available.");
}

TEST(ZelvoraErrorTest, ValidationMessagesAreExact) {
  EXPECT_EQ(describe(Validation::merchantInvalid("m-1")), "Merchant with id:m-1 not valid.");
  EXPECT_EQ(describe(Validation::posIdInvalid("pos 7")), "Pos string:pos 7 not valid.");
  EXPECT_EQ(describe(Validation::invalidUrl("ftp://x")),
            "Url: ftp://x is not valid. Enter fully qualified url.");
  EXPECT_EQ(describe(Validation::invalidQRCode("\xF0\x9F\x99\x82")),
            "QR: \xF0\x9F\x99\x82 could not be encoded.");
  EXPECT_EQ(describe(Validation::invalidApiKey("k")), "Api key is not valid.");
  EXPECT_EQ(describe(Validation::invalidApiSecret("s")), "Api secret is not valid.");
}

TEST(ZelvoraErrorTest, EmptyMerchantIdLeavesNothingBetweenTheTexts) {
  EXPECT_EQ(describe(Validation::merchantInvalid("")), "Merchant with id: not valid.");
}

TEST(ZelvoraErrorTest, KeyAndSecretAreNeverShown) {
  EXPECT_EQ(describe(Validation::invalidApiKey("")),
            describe(Validation::invalidApiKey("top-secret-key")));
  EXPECT_EQ(describe(Validation::invalidApiSecret("")),
            describe(Validation::invalidApiSecret("top-secret")));
}

TEST(ZelvoraErrorTest, InvalidUrlShowsTheTextUnchanged) {
  const std::string url = "  HTTPS://Example.COM/path?q=1 ";
  EXPECT_EQ(describe(Validation::invalidUrl(url)),
            "Url: " + url + " is not valid. Enter fully qualified url.");
}

TEST(ZelvoraErrorTest, ReasonsCompareByCaseAndHashToTheirPosition) {
  EXPECT_EQ(Reason::sessionNotAvailable, Reason::sessionNotAvailable);
  EXPECT_NE(Reason::sessionNotAvailable, Reason::basketIdNotAvailable);
  EXPECT_EQ(hashValue(Reason::merchantIdNotAvailable), 0u);
  EXPECT_EQ(hashValue(Reason::shopperProfileNotAvailable), 8u);
  std::set<std::size_t> hashes;
  for (int i = 0; i <= 8; ++i)
    hashes.insert(hashValue(static_cast<Reason>(i)));
  EXPECT_EQ(hashes.size(), 9u);
  EXPECT_EQ(std::hash<Reason>{}(Reason::posIdNotAvailable),
            std::hash<Reason>{}(Reason::posIdNotAvailable));
}

TEST(ZelvoraErrorTest, CasesCarryTheirReasons) {
  const auto required = ZelvoraError::requiredDataNotAvailable(Reason::basketIdNotAvailable);
  EXPECT_EQ(required.kind(), ZelvoraError::Kind::requiredDataNotAvailable);
  EXPECT_EQ(required.requiredDataNotAvailableReason(), Reason::basketIdNotAvailable);
  EXPECT_FALSE(required.dataValidationFailedReason());

  const auto validation = ZelvoraError::dataValidationFailed(Validation::invalidUrl("http://x"));
  EXPECT_EQ(validation.kind(), ZelvoraError::Kind::dataValidationFailed);
  EXPECT_FALSE(validation.requiredDataNotAvailableReason());
  ASSERT_TRUE(validation.dataValidationFailedReason());
  EXPECT_EQ(validation.dataValidationFailedReason()->kind(), Validation::Kind::invalidUrl);
  EXPECT_EQ(validation.dataValidationFailedReason()->value(), "http://x");
}

TEST(ErrorTest, WrapsAZelvoraError) {
  const Error error = ZelvoraError::requiredDataNotAvailable(Reason::merchantIdNotAvailable);
  EXPECT_EQ(error.domain(), Error::zelvoraDomain);
  EXPECT_EQ(error.code(), 0);
  EXPECT_EQ(error.localizedDescription(),
            "MerchantId not available. Please initialize Zelvora SDK.");
  EXPECT_FALSE(error.failureReason());
  ASSERT_TRUE(error.zelvoraError());
  EXPECT_EQ(error.zelvoraError()->requiredDataNotAvailableReason(), Reason::merchantIdNotAvailable);

  const std::optional<Error> validation =
      ZelvoraError::dataValidationFailed(Validation::invalidApiKey(""));
  ASSERT_TRUE(validation);
  EXPECT_EQ(validation->code(), 1);
  EXPECT_EQ(validation->localizedDescription(), "Api key is not valid.");
}

TEST(ErrorTest, TransportErrorsCarryOnlyAFailureReason) {
  const Error error = Error::transport(-9006, "JSON could not be serialized.");
  EXPECT_EQ(error.domain(), "com.Zelvora.error");
  EXPECT_EQ(error.code(), -9006);
  EXPECT_EQ(error.failureReason(), "JSON could not be serialized.");
  EXPECT_FALSE(error.zelvoraError());
  EXPECT_EQ(error.localizedDescription(),
            "The operation could not be completed. JSON could not be serialized.");
  EXPECT_EQ(error, Error::transport(-9006, "JSON could not be serialized."));
  EXPECT_FALSE(error == Error::transport(-9000, "JSON could not be serialized."));
}

TEST(ErrorTest, CurlAndJsonErrorsKeepTheirCodesAndTexts) {
  const Error curl = Error::curl(7, "Couldn't connect to server");
  EXPECT_EQ(curl.domain(), Error::curlDomain);
  EXPECT_EQ(curl.code(), 7);
  EXPECT_EQ(curl.localizedDescription(), "Couldn't connect to server");

  const Error json = Error::json(101, "parse error");
  EXPECT_EQ(json.domain(), Error::jsonDomain);
  EXPECT_EQ(json.code(), 101);
  EXPECT_EQ(json.localizedDescription(), "parse error");
}

TEST(ErrorTest, DescriptionFallsBackToDomainAndCode) {
  EXPECT_EQ(Error("custom", 42).localizedDescription(),
            "The operation could not be completed. (custom error 42.)");
}

}  // namespace
}  // namespace zelvora
