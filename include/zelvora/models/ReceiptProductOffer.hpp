#pragma once

#include <zelvora/models/ModelTypes.hpp>
#include <zelvora/models/ProductOffer.hpp>

namespace zelvora {

// A product offer as a receipt records it: the kind and value of the offer, not its terms.
class ZELVORA_EXPORT ReceiptProductOffer {
 public:
  using Channel = ProductOffer::Channel;
  using ModelType = ProductOffer::ModelType;

  std::optional<std::string> id;
  std::optional<std::string> description;
  std::optional<std::string> productId;
  std::optional<Channel> channel;
  std::optional<ModelType> type;
  std::optional<std::int64_t> value;
  std::optional<bool> isValid;
};

}  // namespace zelvora
