// The WebKitGTK tests run as an app that makes its ZelvoraAPI before it starts GTK: the SDK's
// script engine then starts before any display is open, and pages must load all the same. Both
// happen only once tests run, so that listing them starts neither.
#include "gtk/WebKitPage.hpp"

#include <zelvora/ZelvoraAPI.hpp>

#include <gtest/gtest.h>

#include <memory>

namespace {

class AppStart final : public ::testing::Environment {
 public:
  AppStart(int* argc, char** argv) : argc_(argc), argv_(argv) {}
  void SetUp() override {
    sdk_ = std::make_unique<zelvora::ZelvoraAPI>();
    zelvora::test::sdkMadeBeforeGtk = true;
    zelvora::test::hasDisplay = gtk_init_check(argc_, &argv_);
  }

 private:
  int* argc_;
  char** argv_;
  std::unique_ptr<zelvora::ZelvoraAPI> sdk_;
};

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::AddGlobalTestEnvironment(new AppStart(&argc, argv));
  return RUN_ALL_TESTS();
}
