// A burst of calls shares a few connections to the platform instead of opening one socket each,
// so it completes within an ordinary limit of open descriptors.
#include "e2e/TransportFixture.hpp"

#include <sys/resource.h>

#include <algorithm>
#include <vector>

namespace zelvora {
namespace {

using namespace std::chrono_literals;

// Lowers the soft limit of open descriptors for one scope.
class ScopedDescriptorLimit {
 public:
  explicit ScopedDescriptorLimit(rlim_t limit) {
    getrlimit(RLIMIT_NOFILE, &previous_);
    rlimit lowered = previous_;
    lowered.rlim_cur = std::min(limit, previous_.rlim_max);
    setrlimit(RLIMIT_NOFILE, &lowered);
  }
  ~ScopedDescriptorLimit() { setrlimit(RLIMIT_NOFILE, &previous_); }
  ScopedDescriptorLimit(const ScopedDescriptorLimit&) = delete;
  ScopedDescriptorLimit& operator=(const ScopedDescriptorLimit&) = delete;

 private:
  rlimit previous_{};
};

using ConnectionBound = test::TransportTest;

TEST_F(ConnectionBound, TwoThousandCallsAtOnceShareSixConnections) {
  answerShopperWith(200, R"({"id":"s-1"})");
  const ScopedDescriptorLimit limit(1024);
  constexpr int kCalls = 2000;
  std::vector<int> calls(kCalls, 0);
  int failures = 0;
  for (int i = 0; i < kCalls; ++i) {
    ClientAPI::lookUpShopper("s-1",
                             [&, i](std::shared_ptr<Shopper> shopper, std::optional<Error> error) {
                               failures += error || shopper == nullptr;
                               ++calls[i];
                             });
  }
  const auto allDone = [&] { return std::count(calls.begin(), calls.end(), 0) == 0; };
  EXPECT_TRUE(test::runMainLoopUntil(allDone, 60s));
  test::runMainLoopFor(50ms);
  EXPECT_EQ(std::count(calls.begin(), calls.end(), 1), kCalls);
  EXPECT_EQ(failures, 0);
  EXPECT_LE(platform_->connectionsAccepted(), 6u);
}

}  // namespace
}  // namespace zelvora
