#include "Models/ModelFields.hpp"

#include <zelvora/models/Client.hpp>

namespace zelvora {

template <>
struct ModelFields<Client> {
  static constexpr std::string_view name = "Client";
  static constexpr auto fields = std::tuple{
      field("device-id", &Client::deviceId),
      field("merchant-id", &Client::merchantId),
  };
};

}  // namespace zelvora

ZELVORA_MODEL_CODEC(Client);
