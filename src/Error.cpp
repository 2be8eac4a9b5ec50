#include <zelvora/Error.hpp>

#include <utility>

namespace zelvora {

using Reason = ZelvoraError::RequiredDataNotAvailableReason;
using Validation = ZelvoraError::DataValidationFailedReason;

std::string_view localizedDescription(Reason reason) {
  switch (reason) {
    case Reason::merchantIdNotAvailable:
      return "MerchantId not available. Please initialize Zelvora SDK.";
    case Reason::sessionNotAvailable:
      return "Session not available. Please create a session.";
    case Reason::authenticatedSessionNotAvailable:
      return "Authenticated session not available.";
    case Reason::basketIdNotAvailable:
      return "BasketId not available. Please create basket.";
    case Reason::shopperIdNotAvailable:
      return "Shopper is not authenticated. Please authenticate shopper.";
    case Reason::posIdNotAvailable:
      return "Point of Sale id is not available.";
    case Reason::paymentInstrumentsNotAvailable:
      return "Payment instruments are not available. Please fetch payment instruments.";
    case Reason::loyaltyPointsNotAvailable:
      return "Loyalty points for shopper are not available. Please get loyalty points for shopper.";
    case Reason::shopperProfileNotAvailable:
      return "Shopper profile is not available.";
  }
  return {};
}

Validation Validation::merchantInvalid(std::string id) {
  return {Kind::merchantInvalid, std::move(id)};
}
Validation Validation::posIdInvalid(std::string posString) {
  return {Kind::posIdInvalid, std::move(posString)};
}
Validation Validation::invalidUrl(std::string url) {
  return {Kind::invalidUrl, std::move(url)};
}
Validation Validation::invalidQRCode(std::string qr) {
  return {Kind::invalidQRCode, std::move(qr)};
}
Validation Validation::invalidApiKey(std::string key) {
  return {Kind::invalidApiKey, std::move(key)};
}
Validation Validation::invalidApiSecret(std::string secret) {
  return {Kind::invalidApiSecret, std::move(secret)};
}

std::string Validation::localizedDescription() const {
  switch (kind_) {
    case Kind::merchantInvalid:
      return "Merchant with id:" + value_ + " not valid.";
    case Kind::posIdInvalid:
      return "Pos string:" + value_ + " not valid.";
    case Kind::invalidUrl:
      return "Url: " + value_ + " is not valid. Enter fully qualified url.";
    case Kind::invalidQRCode:
      return "QR: " + value_ + " could not be encoded.";
    case Kind::invalidApiKey:
      return "Api key is not valid.";
    case Kind::invalidApiSecret:
      return "Api secret is not valid.";
  }
  return {};
}

ZelvoraError ZelvoraError::requiredDataNotAvailable(Reason reason) {
  return ZelvoraError(Kind::requiredDataNotAvailable, reason, std::nullopt);
}

ZelvoraError ZelvoraError::dataValidationFailed(Validation reason) {
  return ZelvoraError(Kind::dataValidationFailed, Reason{}, std::move(reason));
}

std::optional<Reason> ZelvoraError::requiredDataNotAvailableReason() const {
  if (kind_ != Kind::requiredDataNotAvailable)
    return std::nullopt;
  return required_;
}

std::optional<Validation> ZelvoraError::dataValidationFailedReason() const {
  return validation_;
}

std::string ZelvoraError::localizedDescription() const {
  if (validation_)
    return validation_->localizedDescription();
  return std::string(zelvora::localizedDescription(required_));
}

Error::Error(std::string domain, std::int64_t code, std::optional<std::string> localizedDescription,
             std::optional<std::string> failureReason)
    : domain_(std::move(domain)),
      code_(code),
      localizedDescription_(std::move(localizedDescription)),
      failureReason_(std::move(failureReason)) {}

Error::Error(ZelvoraError error)
    : domain_(zelvoraDomain),
      code_(static_cast<std::int64_t>(error.kind())),
      localizedDescription_(error.localizedDescription()),
      zelvoraError_(std::move(error)) {}

Error Error::transport(std::int64_t code, std::string failureReason) {
  return Error(std::string(transportDomain), code, std::nullopt, std::move(failureReason));
}

Error Error::curl(int curlCode, std::string description) {
  return Error(std::string(curlDomain), curlCode, std::move(description));
}

Error Error::json(int parserErrorId, std::string description) {
  return Error(std::string(jsonDomain), parserErrorId, std::move(description));
}

std::string Error::localizedDescription() const {
  if (localizedDescription_)
    return *localizedDescription_;
  std::string text = "The operation could not be completed. ";
  if (failureReason_)
    return text + *failureReason_;
  return text + "(" + domain_ + " error " + std::to_string(code_) + ".)";
}

bool operator==(const Error& a, const Error& b) {
  return a.domain_ == b.domain_ && a.code_ == b.code_ &&
         a.localizedDescription_ == b.localizedDescription_ && a.failureReason_ == b.failureReason_;
}

}  // namespace zelvora
