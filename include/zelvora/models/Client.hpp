#pragma once

#include <zelvora/models/ModelTypes.hpp>

namespace zelvora {

// The body that opens a session for this device.
class ZELVORA_EXPORT Client {
 public:
  std::optional<std::string> deviceId;
  std::optional<std::string> merchantId;
};

}  // namespace zelvora
