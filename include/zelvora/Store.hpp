#pragma once

#include <zelvora/Export.hpp>
#include <zelvora/models/Forward.hpp>

#include <memory>
#include <optional>
#include <string>

namespace zelvora {

// What the SDK currently holds, for the app to read: the merchant id given to initialize, the
// current session and the current basket. Each read returns the value of that moment (the models
// are shared objects); the app cannot assign them. Safe to call from any thread.
class ZELVORA_EXPORT Store {
 public:
  Store() = delete;

  static std::optional<std::string> merchantId();
  static std::shared_ptr<Session> session();
  static std::shared_ptr<Basket> basket();
};

}  // namespace zelvora
