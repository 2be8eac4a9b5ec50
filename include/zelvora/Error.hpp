#pragma once

#include <zelvora/Export.hpp>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zelvora {

// The SDK's own error: a call was refused before any request was sent, because the process-wide
// Store lacks a value the call needs or because an argument the app passed was rejected.
class ZELVORA_EXPORT ZelvoraError {
 public:
  // Nine cases without payload. Equal when they are the same case; hashValue() is the position.
  enum class RequiredDataNotAvailableReason {
    merchantIdNotAvailable = 0,
    sessionNotAvailable = 1,
    authenticatedSessionNotAvailable = 2,
    basketIdNotAvailable = 3,
    shopperIdNotAvailable = 4,
    posIdNotAvailable = 5,
    paymentInstrumentsNotAvailable = 6,
    loyaltyPointsNotAvailable = 7,
    shopperProfileNotAvailable = 8,
  };

  // Six cases, each carrying the rejected value. Deliberately neither comparable nor hashable.
  class DataValidationFailedReason {
   public:
    enum class Kind {
      merchantInvalid = 0,
      posIdInvalid = 1,
      invalidUrl = 2,
      invalidQRCode = 3,
      invalidApiKey = 4,
      invalidApiSecret = 5,
    };

    static DataValidationFailedReason merchantInvalid(std::string id);
    static DataValidationFailedReason posIdInvalid(std::string posString);
    static DataValidationFailedReason invalidUrl(std::string url);
    static DataValidationFailedReason invalidQRCode(std::string qr);
    static DataValidationFailedReason invalidApiKey(std::string key);
    static DataValidationFailedReason invalidApiSecret(std::string secret);

    Kind kind() const { return kind_; }
    // The rejected value (id, POS string, URL, QR code, key or secret).
    const std::string& value() const { return value_; }
    // The fixed English message; the key and the secret are never shown.
    std::string localizedDescription() const;

   private:
    DataValidationFailedReason(Kind kind, std::string value)
        : kind_(kind), value_(std::move(value)) {}
    Kind kind_;
    std::string value_;
  };

  enum class Kind { requiredDataNotAvailable = 0, dataValidationFailed = 1 };

  static ZelvoraError requiredDataNotAvailable(RequiredDataNotAvailableReason reason);
  static ZelvoraError dataValidationFailed(DataValidationFailedReason reason);

  Kind kind() const { return kind_; }
  // The reason of the case; absent for the other case.
  std::optional<RequiredDataNotAvailableReason> requiredDataNotAvailableReason() const;
  std::optional<DataValidationFailedReason> dataValidationFailedReason() const;

  // The reason's user-readable message.
  std::string localizedDescription() const;

 private:
  ZelvoraError(Kind kind, RequiredDataNotAvailableReason required,
               std::optional<DataValidationFailedReason> validation)
      : kind_(kind), required_(required), validation_(std::move(validation)) {}
  Kind kind_;
  RequiredDataNotAvailableReason required_;               // of requiredDataNotAvailable
  std::optional<DataValidationFailedReason> validation_;  // of dataValidationFailed
};

// The message of a reason, e.g. "Session not available. Please create a session.".
ZELVORA_EXPORT std::string_view localizedDescription(
    ZelvoraError::RequiredDataNotAvailableReason reason);
// The position of the case, 0 to 8.
constexpr std::size_t hashValue(ZelvoraError::RequiredDataNotAvailableReason reason) {
  return static_cast<std::size_t>(reason);
}

// Every failure the app sees: the transport's own errors, curl's, the JSON parser's and the SDK's
// ZelvoraError, each with its domain and code, a localized description and a failure reason.
class ZELVORA_EXPORT Error {
 public:
  // The transport's own errors (codes -9000 to -9006, and the platform errors 111 and 123).
  static constexpr std::string_view transportDomain = "com.Zelvora.error";
  // A failed transfer; the code is the CURLcode.
  static constexpr std::string_view curlDomain = "CURLErrorDomain";
  // A reply body that the JSON parser rejected; the code is the parser's error id.
  static constexpr std::string_view jsonDomain = "JSONErrorDomain";
  // A ZelvoraError; the code is its case (0 requiredDataNotAvailable, 1 dataValidationFailed).
  static constexpr std::string_view zelvoraDomain = "Zelvora.ZelvoraError";

  Error(std::string domain, std::int64_t code,
        std::optional<std::string> localizedDescription = std::nullopt,
        std::optional<std::string> failureReason = std::nullopt);
  // Implicit, so that a ZelvoraError can be passed wherever an Error is expected.
  Error(ZelvoraError error);  // NOLINT(google-explicit-constructor)

  // A transport error: domain "com.Zelvora.error", the code and the reason as failure reason, no
  // description of its own.
  static Error transport(std::int64_t code, std::string failureReason);
  static Error curl(int curlCode, std::string description);
  static Error json(int parserErrorId, std::string description);

  const std::string& domain() const { return domain_; }
  std::int64_t code() const { return code_; }
  // The description given at construction, else "The operation could not be completed." followed by
  // the failure reason, or by "(<domain> error <code>.)" when there is none.
  std::string localizedDescription() const;
  const std::optional<std::string>& failureReason() const { return failureReason_; }
  // Present exactly when the error is a ZelvoraError.
  const std::optional<ZelvoraError>& zelvoraError() const { return zelvoraError_; }

  // Same domain, code, description and failure reason.
  friend bool operator==(const Error& a, const Error& b);

 private:
  std::string domain_;
  std::int64_t code_;
  std::optional<std::string> localizedDescription_;
  std::optional<std::string> failureReason_;
  std::optional<ZelvoraError> zelvoraError_;
};

}  // namespace zelvora
