#include "gtk/WebKitPage.hpp"

#include <filesystem>

namespace zelvora::test {

namespace {

// One asynchronous WebKit call's outcome, shared with its callback, which may come after a
// deadline.
template <class T>
struct Pending {
  bool done = false;
  T value{};
};

}  // namespace

void WebKitPageTest::SetUp() {
  if (!hasDisplay)
    GTEST_SKIP() << "no display";
  ProductPageTest::SetUp();
}

void WebKitPageTest::showWindow(platform::ViewSize screen) {
  platform::setWebViewFactoryForTesting(std::make_shared<platform::WebKitWebViewFactory>(screen));
  platform::setMainQueueForTesting(nullptr);
  window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  container_ = gtk_fixed_new();
  gtk_container_add(GTK_CONTAINER(window_), container_);
  gtk_widget_show_all(window_);
}

void WebKitPageTest::TearDown() {
  if (!hasDisplay)
    return;
  if (window_)
    gtk_widget_destroy(window_);
  ProductPageTest::TearDown();
}

WebKitWebView* WebKitPageTest::page() const {
  GList* children = gtk_container_get_children(GTK_CONTAINER(container_));
  GList* last = g_list_last(children);
  WebKitWebView* view = last ? WEBKIT_WEB_VIEW(last->data) : nullptr;
  g_list_free(children);
  return view;
}

std::string WebKitPageTest::evaluate(const std::string& script) {
  auto pending = std::make_shared<Pending<std::string>>();
  webkit_web_view_evaluate_javascript(
      page(), script.c_str(), -1, nullptr, nullptr, nullptr,
      [](GObject* view, GAsyncResult* result, gpointer data) {
        auto* outcome = static_cast<std::shared_ptr<Pending<std::string>>*>(data);
        JSCValue* value =
            webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(view), result, nullptr);
        if (value) {
          gchar* text = jsc_value_to_string(value);
          (*outcome)->value = text;
          g_free(text);
          g_object_unref(value);
        }
        (*outcome)->done = true;
        delete outcome;
      },
      new std::shared_ptr<Pending<std::string>>(pending));
  runMainLoopUntil([&] { return pending->done; });
  return pending->value;
}

bool WebKitPageTest::waitForText(const std::string& id, const std::string& expected,
                                 std::chrono::milliseconds deadline) {
  std::string last;
  const bool found = runMainLoopUntil(
      [&] {
        last = text(id);
        return last == expected;
      },
      deadline);
  if (!found)
    ADD_FAILURE() << "#" << id << " shows \"" << last << "\", not \"" << expected << "\"";
  return found;
}

void WebKitPageTest::snapshot(const std::string& name) {
  const std::filesystem::path directory = ZELVORA_SNAPSHOT_DIRECTORY;
  std::filesystem::create_directories(directory);
  auto pending = std::make_shared<Pending<cairo_surface_t*>>();
  webkit_web_view_get_snapshot(
      page(), WEBKIT_SNAPSHOT_REGION_VISIBLE, WEBKIT_SNAPSHOT_OPTIONS_NONE, nullptr,
      [](GObject* view, GAsyncResult* result, gpointer data) {
        auto* outcome = static_cast<std::shared_ptr<Pending<cairo_surface_t*>>*>(data);
        (*outcome)->value =
            webkit_web_view_get_snapshot_finish(WEBKIT_WEB_VIEW(view), result, nullptr);
        (*outcome)->done = true;
        delete outcome;
      },
      new std::shared_ptr<Pending<cairo_surface_t*>>(pending));
  ASSERT_TRUE(runMainLoopUntil([&] { return pending->done; }));
  ASSERT_TRUE(pending->value);
  EXPECT_EQ(cairo_surface_write_to_png(pending->value, (directory / (name + ".png")).c_str()),
            CAIRO_STATUS_SUCCESS);
  cairo_surface_destroy(pending->value);
}

}  // namespace zelvora::test
