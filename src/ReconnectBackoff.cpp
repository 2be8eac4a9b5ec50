#include "ReconnectBackoff.hpp"

#include <algorithm>

namespace zelvora::internal {

namespace {
// Beyond this many doublings every base reaches any cap worth having.
constexpr int kMaxDoublings = 30;
}  // namespace

ReconnectBackoff::ReconnectBackoff(ReconnectSettings settings)
    : settings_(settings), random_(std::random_device{}()) {}

std::chrono::milliseconds ReconnectBackoff::delayAfterEnd(
    std::optional<std::chrono::milliseconds> uptime) {
  if (uptime && *uptime >= settings_.stableAfter) {
    failures_ = 0;
  }
  const int doublings = std::min(failures_, kMaxDoublings + 1) - 1;
  failures_ = std::min(failures_ + 1, kMaxDoublings + 1);
  if (doublings < 0) {
    return std::chrono::milliseconds(0);
  }
  const auto full = std::min<std::chrono::milliseconds::rep>(
      settings_.cap.count(), settings_.base.count() * (std::int64_t{1} << doublings));
  std::uniform_int_distribution<std::chrono::milliseconds::rep> jitter(full / 2, full);
  return std::chrono::milliseconds(jitter(random_));
}

}  // namespace zelvora::internal
