#include "Models/ModelFields.hpp"

#include <zelvora/models/IdentityAddress.hpp>

namespace zelvora {

template <>
struct ModelFields<IdentityAddress> {
  static constexpr std::string_view name = "IdentityAddress";
  static constexpr auto fields = std::tuple{
      field("addr1", &IdentityAddress::addr1),     field("addr2", &IdentityAddress::addr2),
      field("state", &IdentityAddress::state),     field("city", &IdentityAddress::city),
      field("zipcode", &IdentityAddress::zipcode),
  };
};

}  // namespace zelvora

ZELVORA_MODEL_CODEC(IdentityAddress);
