#include "CoreOperations/BasketRequestLane.hpp"

#include "Platform/MainQueue.hpp"

namespace zelvora::internal {

BasketRequestLane::Turn::~Turn() {
  platform::mainQueue()->post([lane = std::move(lane_)] {
    lane->taken_ = false;
    lane->startNext();
  });
}

void BasketRequestLane::enter(Kind kind, Request request) {
  if (kind != Kind::pageFill)
    std::erase_if(waiting_, [kind](const Waiting& waiting) { return waiting.kind == kind; });
  waiting_.push_back({kind, std::move(request)});
  startNext();
}

void BasketRequestLane::startNext() {
  if (taken_ || waiting_.empty())
    return;
  const Request request = std::move(waiting_.front().request);
  waiting_.pop_front();
  taken_ = true;
  request(std::make_shared<const Turn>(shared_from_this()));
}

const std::shared_ptr<BasketRequestLane>& basketRequestLane() {
  // Never destroyed: turns may end on the main queue until the process ends.
  static const auto* const lane =
      new std::shared_ptr<BasketRequestLane>(std::make_shared<BasketRequestLane>());
  return *lane;
}

}  // namespace zelvora::internal
