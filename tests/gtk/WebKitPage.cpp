#include "gtk/WebKitPage.hpp"

#include <filesystem>

namespace zelvora::test {

namespace {

// Starts an asynchronous call of the page's and runs the main loop until its callback has read the
// result with `finish`. The callback may come after a deadline, so what it writes lives on the
// heap.
template <class T, class Start, class Finish>
T awaitCall(WebKitWebView* page, Start start, Finish finish) {
  struct Pending {
    Finish finish;
    bool done = false;
    T value{};
  };
  auto pending = std::make_shared<Pending>(Pending{finish});
  start(
      page,
      [](GObject* view, GAsyncResult* result, gpointer data) {
        std::unique_ptr<std::shared_ptr<Pending>> outcome(
            static_cast<std::shared_ptr<Pending>*>(data));
        (*outcome)->value = (*outcome)->finish(WEBKIT_WEB_VIEW(view), result);
        (*outcome)->done = true;
      },
      new std::shared_ptr<Pending>(pending));
  runMainLoopUntil([&] { return pending->done; });
  return pending->value;
}

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
  return awaitCall<std::string>(
      page(),
      [&](WebKitWebView* view, GAsyncReadyCallback done, gpointer data) {
        webkit_web_view_evaluate_javascript(view, script.c_str(), -1, nullptr, nullptr, nullptr,
                                            done, data);
      },
      [](WebKitWebView* view, GAsyncResult* result) {
        std::string text;
        if (JSCValue* value = webkit_web_view_evaluate_javascript_finish(view, result, nullptr)) {
          gchar* chars = jsc_value_to_string(value);
          text = chars;
          g_free(chars);
          g_object_unref(value);
        }
        return text;
      });
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
  cairo_surface_t* surface = awaitCall<cairo_surface_t*>(
      page(),
      [](WebKitWebView* view, GAsyncReadyCallback done, gpointer data) {
        webkit_web_view_get_snapshot(view, WEBKIT_SNAPSHOT_REGION_VISIBLE,
                                     WEBKIT_SNAPSHOT_OPTIONS_NONE, nullptr, done, data);
      },
      [](WebKitWebView* view, GAsyncResult* result) {
        return webkit_web_view_get_snapshot_finish(view, result, nullptr);
      });
  ASSERT_TRUE(surface);
  EXPECT_EQ(cairo_surface_write_to_png(surface, (directory / (name + ".png")).c_str()),
            CAIRO_STATUS_SUCCESS);
  cairo_surface_destroy(surface);
}

}  // namespace zelvora::test
