#pragma once

#include <chrono>
#include <optional>
#include <random>

namespace zelvora::internal {

struct ReconnectSettings {
  // The wait after the second failure in a row; it doubles with each further one.
  std::chrono::milliseconds base{500};
  std::chrono::milliseconds cap{30'000};
  // A connection open at least this long counts as a success: its drop starts afresh.
  std::chrono::milliseconds stableAfter{10'000};
};

// How long to wait before reconnecting, so that a platform refusing connections is not hammered:
// the first reconnect after a success is immediate, and each failure in a row waits twice as long
// as the one before (up to the cap), less a random part of up to half, so that devices dropped
// together do not come back together.
class ReconnectBackoff {
 public:
  explicit ReconnectBackoff(ReconnectSettings settings);

  // Starts afresh: the next reconnect is immediate.
  void reset() { failures_ = 0; }
  // The wait before reconnecting after a connection ended; `uptime` is how long it was open
  // (nothing when it never opened).
  std::chrono::milliseconds delayAfterEnd(std::optional<std::chrono::milliseconds> uptime);

 private:
  ReconnectSettings settings_;
  int failures_ = 0;
  std::minstd_rand random_;
};

}  // namespace zelvora::internal
