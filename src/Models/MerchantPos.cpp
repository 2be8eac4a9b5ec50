#include "Models/ModelFields.hpp"

#include <zelvora/models/MerchantPos.hpp>

namespace zelvora {

template <>
struct ModelFields<MerchantPoS> {
  static constexpr std::string_view name = "MerchantPoS";
  static constexpr auto fields = std::tuple{
      field("pos-id", &MerchantPoS::posId),
      field("merchant-pos-label", &MerchantPoS::merchantPosLabel),
      field("message", &MerchantPoS::message),
  };
};

}  // namespace zelvora

ZELVORA_MODEL_CODEC(MerchantPoS);
