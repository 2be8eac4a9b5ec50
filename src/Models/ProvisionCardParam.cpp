#include "Models/ModelFields.hpp"

#include <zelvora/models/ProvisionCardParam.hpp>

namespace zelvora {

template <>
struct ModelFields<ProvisionCardParam> {
  static constexpr std::string_view name = "ProvisionCardParam";
  static constexpr auto fields = std::tuple{
      field("card-number", &ProvisionCardParam::cardNumber),
      field("card-alias", &ProvisionCardParam::cardAlias),
      field("card-type", &ProvisionCardParam::cardType),
      field("card-issuer", &ProvisionCardParam::cardIssuer),
      field("card-cvc", &ProvisionCardParam::cardCvc),
      field("card-pin", &ProvisionCardParam::cardPin),
      field("card-expiry-date", &ProvisionCardParam::cardExpiryDate),
      field("card-holder-zip", &ProvisionCardParam::cardHolderZip),
      field("card-holder-name", &ProvisionCardParam::cardHolderName),
  };
};

}  // namespace zelvora

ZELVORA_MODEL_CODEC(ProvisionCardParam);
