#pragma once

#include <zelvora/Export.hpp>
#include <zelvora/models/Forward.hpp>

#include <memory>
#include <optional>
#include <string>

namespace zelvora {

// What the SDK currently holds, for the app to read: the merchant id given to initialize, the
// current session and the current basket. Each read returns the value of that moment; the app
// cannot assign them. Safe to call from any thread; a read never fails, and absent means that
// nothing is stored.
class ZELVORA_EXPORT Store {
 public:
  Store() = delete;

  static std::optional<std::string> merchantId();
  // A new read-only copy of the stored session or basket at each call, nested models included:
  // nothing done with it reaches the objects the SDK reads while it sends requests. Two reads are
  // never the same object; compare them by content (say `id`).
  static std::shared_ptr<const Session> session();
  static std::shared_ptr<const Basket> basket();
};

}  // namespace zelvora
