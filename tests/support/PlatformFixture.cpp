#include "support/PlatformFixture.hpp"

#include "CoreNetworking/Networking.hpp"
#include "support/StoreFixtures.hpp"

#include <cstdlib>

namespace zelvora::test {
namespace {

// Read once, by the transport's first request: set before any test runs.
const bool kResolveSet = [] {
  setenv("ZELVORA_RESOLVE", (std::string(kPlatformHostName) + "=127.0.0.1").c_str(), 1);
  return true;
}();

}  // namespace

void PlatformTest::SetUp() {
  ASSERT_TRUE(kResolveSet);
  resetStoreAndConstants();
  platform_ = std::make_unique<fake::FakePlatform>(testCredentials());
  ASSERT_TRUE(initializeWithHost(platformAddress("http", platform_->port())));
}

bool PlatformTest::initializeWithHost(const std::string& host) {
  const auto& credentials = testCredentials();
  bool initialized = false;
  api_.initialize(credentials.merchantId, credentials.apiKey, credentials.apiSecret,
                  {{"host", host}, {"correlation-id", std::string("corr-e2e")}},
                  [&](bool success, std::optional<Error>) { initialized = success; });
  return initialized;
}

void PlatformTest::TearDown() {
  // Let replies still in flight land before the platform goes.
  runMainLoopFor(std::chrono::milliseconds(20));
  Networking::sharedManager().restoreDefaultsForTesting();
  platform_.reset();
  resetStoreAndConstants();
}

std::vector<fake::RecordedRequest> PlatformTest::requestsTo(const std::string& path) const {
  std::vector<fake::RecordedRequest> matching;
  for (auto& request : platform_->requests()) {
    if (request.path == path) {
      matching.push_back(std::move(request));
    }
  }
  return matching;
}

}  // namespace zelvora::test
