// The WebKitGTK tests run as an app that makes its ZelvoraAPI before it starts GTK: the SDK's
// script engine then starts before any display is open, and pages must load all the same.
#include "gtk/WebKitPage.hpp"

#include <zelvora/ZelvoraAPI.hpp>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
  const zelvora::ZelvoraAPI madeBeforeGtk;
  zelvora::test::sdkMadeBeforeGtk = true;
  zelvora::test::hasDisplay = gtk_init_check(&argc, &argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
