// The WebKitGTK tests need GTK initialised before anything makes a JavaScriptCore context.
#include "gtk/WebKitPage.hpp"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
  zelvora::test::hasDisplay = gtk_init_check(&argc, &argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
