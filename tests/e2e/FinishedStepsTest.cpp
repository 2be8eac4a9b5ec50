// Where the steps after a transfer run: a big reply is read off the network thread, so that however
// long reading it takes, the other calls go on.
#include "CoreNetworking/Networking.hpp"
#include "CoreNetworking/Request/QueryRequest.hpp"
#include "Queries/Query.hpp"
#include "support/PlatformFixture.hpp"

#include <chrono>
#include <future>
#include <memory>

namespace zelvora::test {
namespace {

using FinishedSteps = PlatformTest;

TEST_F(FinishedSteps, AStepOnABigReplyHoldsUpNoOtherCall) {
  answerShopperWith(200, R"({"shopperId":"s-1"})");
  const std::string bigReply = R"({"padding":")" + std::string(64 * 1024, 'x') + R"("})";
  platform_->script("GET", kShopperPath, {.status = 200, .body = bigReply, .times = 1});

  // Released also when the test ends early (a broken promise ends the wait), so that the step
  // never holds its thread past the test.
  auto entered = std::make_shared<std::promise<void>>();
  std::promise<void> release;
  auto bigCall = Networking::sharedManager().request(
      buildURLRequest(getQuery(ClientAPIPath::LookUpShopper, {"s-1"}).value()).value());
  bigCall->whenFinished([entered, released = release.get_future().share()](CancellableRequest&) {
    entered->set_value();
    released.wait();
  });
  ASSERT_EQ(entered->get_future().wait_for(std::chrono::seconds(20)), std::future_status::ready);

  const auto outcome = lookUpShopper();
  release.set_value();
  expectSuccessLater(outcome);
}

}  // namespace
}  // namespace zelvora::test
