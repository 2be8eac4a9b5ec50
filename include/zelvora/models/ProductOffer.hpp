#pragma once

#include <zelvora/models/ModelTypes.hpp>

namespace zelvora {

// A promotional offer on a product, as published through one channel. The app may build one to
// send back in a basket update.
class ZELVORA_EXPORT ProductOffer {
 public:
  enum class Channel { email, facebook, googleProductSearch, print, display };
  enum class ModelType { specialPrice, percentDiscount, fixedDiscount };

  std::optional<std::string> description;
  std::optional<std::string> imageUrl;
  std::optional<std::string> merchantId;
  std::optional<bool> isFreeShipping;
  std::optional<std::string> offerUrl;
  std::optional<Date> updated;
  std::optional<std::int64_t> value;
  std::optional<Date> startTime;
  std::optional<Channel> channel;
  std::optional<ModelType> type;
  std::optional<Date> created;
  std::optional<Date> stopTime;
  std::optional<std::string> id;
  std::optional<std::string> context;
  std::optional<bool> isValid;
  std::optional<std::string> productId;
};

template <>
struct EnumRawValues<ProductOffer::Channel> {
  static constexpr RawValueTable<ProductOffer::Channel, 5> values{{
      {ProductOffer::Channel::email, "email"},
      {ProductOffer::Channel::facebook, "facebook"},
      {ProductOffer::Channel::googleProductSearch, "google-product-search"},
      {ProductOffer::Channel::print, "print"},
      {ProductOffer::Channel::display, "display"},
  }};
};

template <>
struct EnumRawValues<ProductOffer::ModelType> {
  static constexpr RawValueTable<ProductOffer::ModelType, 3> values{{
      {ProductOffer::ModelType::specialPrice, "special-price"},
      {ProductOffer::ModelType::percentDiscount, "percent-discount"},
      {ProductOffer::ModelType::fixedDiscount, "fixed-discount"},
  }};
};

}  // namespace zelvora
