#pragma once

// When each step of a REST call hands over to the next, for the transport benchmark's breakdown
// of one round trip. Compiled in only with ZELVORA_TRACE_HANDOFFS (the CMake option of the same
// name); otherwise mark() is an empty inline function and the library carries nothing of it.
//
// One slot per hand-off, holding the time of its first mark since the last callStarted: meaningful
// only for calls made one after the other, as the benchmark makes them.

#include <chrono>
#include <cstddef>

#ifdef ZELVORA_TRACE_HANDOFFS
#include <array>
#include <atomic>
#include <cstdint>
#endif

namespace zelvora::internal::trace {

enum class Handoff : std::size_t {
  callStarted,        // the app calls (marked by the benchmark)
  requestBuilt,       // address, method and body encoded, signing next
  requestSigned,      // headers set, the call may be sent
  transferQueued,     // easy handle set up, handed to the network thread
  transferStarted,    // the network thread has added it to the multi handle
  requestSent,        // libcurl is about to send the request
  replyArrived,       // the reply's status line is in
  exchangeEnded,      // the whole reply is in, the network thread hands it on
  replyParsing,       // parsing the reply begins
  replyParsed,        // the document exists, the main queue is next
  completionStarted,  // the main queue runs the call's completion task
  completionCalled,   // the reply is decoded, the app's completion is called
  callEnded,          // the app has seen its completion (marked by the benchmark)
  count
};

using Clock = std::chrono::steady_clock;
constexpr std::size_t kHandoffs = static_cast<std::size_t>(Handoff::count);

#ifdef ZELVORA_TRACE_HANDOFFS

inline std::array<std::atomic<std::int64_t>, kHandoffs> marks{};

inline void mark(Handoff handoff) {
  const std::int64_t now = Clock::now().time_since_epoch().count();
  if (handoff == Handoff::callStarted) {
    marks[0] = now;
    return;
  }
  auto& slot = marks[static_cast<std::size_t>(handoff)];
  if (slot.load() < marks[0].load()) {
    slot = now;
  }
}

// The last call's marks, in Clock ticks.
inline std::array<std::int64_t, kHandoffs> lastCall() {
  std::array<std::int64_t, kHandoffs> copy{};
  for (std::size_t i = 0; i < kHandoffs; ++i) {
    copy[i] = marks[i].load();
  }
  return copy;
}

#else

inline void mark(Handoff) {}

#endif

}  // namespace zelvora::internal::trace
