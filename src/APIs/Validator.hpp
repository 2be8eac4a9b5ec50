#pragma once

namespace zelvora::internal {

// Where checks of the app's arguments would go before a request is built. There are none: the
// SDK passes the app's values on as given and leaves judging them to the platform, whose errors
// reach the app unchanged.
class Validator {
 public:
  virtual ~Validator() = default;
};

class CoreValidator final : public Validator {};

}  // namespace zelvora::internal
