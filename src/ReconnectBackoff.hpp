#pragma once

#include <chrono>
#include <optional>
#include <random>

namespace zelvora::internal {

struct ReconnectSettings {
  // The wait after the second failure in a row; it doubles with each further one.
  std::chrono::milliseconds base{500};
  std::chrono::milliseconds cap{30'000};
  // A connection that heard the platform (a frame, a ping or a pong) this long after its opening
  // counts as a success: its end starts afresh. A connection open this long but silent, dropped
  // at the idle limit, is a failure like any other.
  std::chrono::milliseconds stableAfter{10'000};
};

// How long to wait before the next connection attempt, so that a platform that refuses
// connections, closes each one soon after it opened, or opens each one and falls silent, is not
// hammered. An end is a failure unless its connection heard the platform for stableAfter after it
// opened. The first end after a success is followed at once, and so is the end of a connection
// that opened after failed attempts; each further failure in a row waits twice as long as the one
// before (up to the cap), less a random part of up to half, so that devices dropped together do
// not come back together.
class ReconnectBackoff {
 public:
  explicit ReconnectBackoff(ReconnectSettings settings);

  // Starts afresh: the next reconnect is immediate.
  void reset();
  // The wait before the next attempt after an attempt ended; `heardFor` is how long after its
  // opening its connection last heard the platform (nothing when it never opened).
  std::chrono::milliseconds delayAfterEnd(std::optional<std::chrono::milliseconds> heardFor);

 private:
  std::chrono::milliseconds waitAfterFailures();

  ReconnectSettings settings_;
  int failures_ = 0;
  bool lastEndOpened_ = false;  // whether the last failure was a connection that had opened
  std::minstd_rand random_;
};

}  // namespace zelvora::internal
