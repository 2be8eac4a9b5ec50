#pragma once

#include <deque>
#include <functional>
#include <memory>

namespace zelvora::internal {

// Lets the product page's basket requests go out one at a time: the first fill of a page, a SKU
// change, a loyalty change (each a basket update, or a redemption with its update, and what the
// page is then sent), and the purchase. Each reply is thus applied before the next request goes
// out, so the page always shows the figures of the basket the platform holds, which is the one a
// purchase pays for. Main thread only.
class BasketRequestLane : public std::enable_shared_from_this<BasketRequestLane> {
 public:
  // What a request comes for. A request that comes while another of its kind waits takes that
  // one's place, at the end of the line; a page's first fill is never dropped.
  enum class Kind { skuChange, loyaltyChange, purchase, pageFill };

  // A request's right to the lane. The request keeps it, in the completions of its calls, until
  // it has ended; once the last copy is let go (on any thread), the next waiting request starts
  // on the main queue.
  class Turn {
   public:
    explicit Turn(std::shared_ptr<BasketRequestLane> lane) : lane_(std::move(lane)) {}
    ~Turn();
    Turn(const Turn&) = delete;
    Turn& operator=(const Turn&) = delete;

   private:
    std::shared_ptr<BasketRequestLane> lane_;
  };
  using TurnHandle = std::shared_ptr<const Turn>;
  using Request = std::function<void(TurnHandle)>;

  // Runs the request now when no other holds the lane, else once those before it have ended.
  void enter(Kind kind, Request request);

 private:
  struct Waiting {
    Kind kind;
    Request request;
  };

  void startNext();

  std::deque<Waiting> waiting_;  // at most one of each kind but pageFill
  bool taken_ = false;
};

// The process's one lane, shared by every page and never destroyed.
const std::shared_ptr<BasketRequestLane>& basketRequestLane();

}  // namespace zelvora::internal
