#pragma once

#include <zelvora/models/ModelTypes.hpp>

namespace zelvora {

// The reply to a shopper's authentication; the SDK turns it into the stored `Session`.
class ZELVORA_EXPORT AuthenticatedSession {
 public:
  enum class State { New, Reset, Authenticated };

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
struct EnumRawValues<AuthenticatedSession::State> {
  static constexpr RawValueTable<AuthenticatedSession::State, 3> values{{
      {AuthenticatedSession::State::New, "new"},
      {AuthenticatedSession::State::Reset, "reset"},
      {AuthenticatedSession::State::Authenticated, "authenticated"},
  }};
};

}  // namespace zelvora
