#pragma once

#include "Helpers/StoreState.hpp"

#include <zelvora/models/Basket.hpp>
#include <zelvora/models/Session.hpp>

#include <optional>
#include <string>

namespace zelvora::internal {

// A stored identifier counts only when it holds at least one character: the platform has no use
// for an empty one, and a blank one is the platform's business.
inline bool isPresent(const std::optional<std::string>& identifier) {
  return identifier && !identifier->empty();
}

inline std::optional<std::string> merchantIdIn(const StoreValues& store) {
  return store.merchantId;
}

inline std::optional<std::string> sessionIdIn(const StoreValues& store) {
  return store.session ? store.session->id : std::nullopt;
}

inline std::optional<std::string> shopperIdIn(const StoreValues& store) {
  return store.session ? store.session->shopperId : std::nullopt;
}

inline std::optional<std::string> basketIdIn(const StoreValues& store) {
  return store.basket ? store.basket->id : std::nullopt;
}

}  // namespace zelvora::internal
