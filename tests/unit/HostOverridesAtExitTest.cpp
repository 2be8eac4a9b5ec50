// The host overrides outlive everything that may read them while the process exits, such as the
// websocket thread, which is never stopped and may be connecting then.
#include "Platform/HostOverrides.hpp"

#include <gtest/gtest.h>

#include <cstdlib>

namespace zelvora::test {
namespace {

void readOverridesDuringExit() {
  if (platform::hostOverrides().at("exit.test") != "127.0.0.1") {
    std::_Exit(1);
  }
}

TEST(HostOverridesDeathTest, StayReadableWhileTheProcessExits) {
  // A fresh process, in which the overrides come into being after the handler is registered: the
  // handler then runs after everything made later has been destroyed.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        std::atexit(readOverridesDuringExit);
        platform::overrideHostForTesting("exit.test", "127.0.0.1");
        std::exit(0);
      },
      testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace zelvora::test
