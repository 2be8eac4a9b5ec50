#pragma once

#include "Platform/WebKitWebView.hpp"
#include "unit/ProductPageFixture.hpp"

#include <webkit2/webkit2.h>

#include <string>

namespace zelvora::test {

// Whether GTK found a display; without one the tests skip.
inline bool hasDisplay = false;
// Whether a ZelvoraAPI, and with it the SDK's script engine, was made before GTK started.
inline bool sdkMadeBeforeGtk = false;

// The product page in real WebKitGTK web views in a window, against the fake platform, with the
// real main queue. The screen the SDK sizes its page by is the one given.
class WebKitPageTest : public ProductPageTest {
 protected:
  void SetUp() override;
  void TearDown() override;
  // A window whose GtkFixed receives the pages, and a screen of this size.
  void showWindow(platform::ViewSize screen);

  // The SDK's newest web view in the window.
  WebKitWebView* page() const;
  // The script's result as text ("" when it failed), run in the page.
  std::string evaluate(const std::string& script);
  // The text of the element with this id.
  std::string text(const std::string& id) { return evaluate(textOf(id)); }
  // Runs the main loop until the element shows this text; false after the deadline.
  bool waitForText(const std::string& id, const std::string& expected,
                   std::chrono::milliseconds deadline = std::chrono::seconds(15));
  void click(const std::string& id) { evaluate("document.getElementById('" + id + "').click()"); }
  // Writes the visible page as snapshots/<name>.png in the build tree.
  void snapshot(const std::string& name);

 private:
  static std::string textOf(const std::string& id) {
    return "(document.getElementById('" + id + "') || {}).textContent";
  }
  GtkWidget* window_ = nullptr;
};

}  // namespace zelvora::test
