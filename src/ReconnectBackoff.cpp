#include "ReconnectBackoff.hpp"

#include <algorithm>

namespace zelvora::internal {

namespace {
// Beyond this many doublings every base reaches any cap worth having.
constexpr int kMaxDoublings = 30;
}  // namespace

ReconnectBackoff::ReconnectBackoff(ReconnectSettings settings)
    : settings_(settings), random_(std::random_device{}()) {}

void ReconnectBackoff::reset() {
  failures_ = 0;
  lastEndOpened_ = false;
}

std::chrono::milliseconds ReconnectBackoff::delayAfterEnd(
    std::optional<std::chrono::milliseconds> heardFor) {
  const bool opened = heardFor.has_value();
  if (opened && *heardFor >= settings_.stableAfter) {
    reset();
  }
  // A single close of a connection that was open is followed at once; only a run of them waits.
  const bool immediate = failures_ == 0 || (opened && !lastEndOpened_);
  const auto delay = immediate ? std::chrono::milliseconds(0) : waitAfterFailures();
  failures_ = std::min(failures_ + 1, kMaxDoublings + 1);
  lastEndOpened_ = opened;
  return delay;
}

std::chrono::milliseconds ReconnectBackoff::waitAfterFailures() {
  const int doublings = std::min(failures_, kMaxDoublings + 1) - 1;
  const auto full = std::min<std::chrono::milliseconds::rep>(
      settings_.cap.count(), settings_.base.count() * (std::int64_t{1} << doublings));
  std::uniform_int_distribution<std::chrono::milliseconds::rep> jitter(full / 2, full);
  return std::chrono::milliseconds(jitter(random_));
}

}  // namespace zelvora::internal
