// The network thread against a hostile platform and its own failures: every call ends once, and
// the thread keeps serving the calls after it.
#include "e2e/TransportFixture.hpp"

#include <curl/curl.h>
#include <gmock/gmock.h>

#include <new>
#include <stdexcept>

namespace zelvora {
namespace {

using Stage = Networking::TransferStage;
using NetworkThread = test::TransportTest;

TEST_F(NetworkThread, AFailureInItsOwnHandlingEndsThatCallAlone) {
  const struct {
    Stage stage;
    std::function<void()> fail;
    std::string described;
  } cases[] = {
      {Stage::header, [] { throw std::runtime_error("header refused"); }, "header refused"},
      {Stage::body, [] { throw 42; }, "unknown type"},
      {Stage::completion, [] { throw std::bad_alloc(); }, "bad_alloc"},
  };
  answerShopperWith(200, R"({"id":"s-1"})");
  for (const auto& c : cases) {
    Networking::sharedManager().setFaultForTesting([&c](Stage stage) {
      if (stage == c.stage) {
        c.fail();
      }
    });
    const auto failed = lookUpShopper();
    Networking::sharedManager().setFaultForTesting(nullptr);
    expectError(failed, Error::curlDomain, CURLE_ABORTED_BY_CALLBACK);
    EXPECT_THAT(failed.error->localizedDescription(), testing::HasSubstr(c.described));

    const auto next = lookUpShopper();
    expectOnce(next);
    EXPECT_FALSE(next.error) << next.error->localizedDescription();
  }
}

}  // namespace
}  // namespace zelvora
