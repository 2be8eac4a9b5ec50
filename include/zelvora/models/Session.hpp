#pragma once

#include <zelvora/models/ModelTypes.hpp>

namespace zelvora {

// The device session the platform opened for this app, later authenticated for a shopper.
class ZELVORA_EXPORT Session {
 public:
  enum class State { New, Authenticated, Reset };

  std::optional<std::string> merchantId;
  std::optional<std::string> deviceId;
  std::optional<Date> created;
  std::optional<State> state;
  std::optional<ModelList<LocationInfo>> locationInfo;
  std::optional<std::string> merchantAuthToken;
  std::optional<bool> isActive;
  std::optional<std::string> token;
  std::optional<std::string> id;
  std::optional<std::string> shopperId;
};

template <>
struct EnumRawValues<Session::State> {
  static constexpr RawValueTable<Session::State, 3> values{{
      {Session::State::New, "new"},
      {Session::State::Authenticated, "authenticated"},
      {Session::State::Reset, "reset"},
  }};
};

}  // namespace zelvora
