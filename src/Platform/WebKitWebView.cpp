#include "Platform/WebKitWebView.hpp"

#include <webkit2/webkit2.h>

#include <mutex>

namespace zelvora::platform {

namespace {

nlohmann::json bodyOf(WebKitJavascriptResult* result) {
  JSCValue* value = result ? webkit_javascript_result_get_js_value(result) : nullptr;
  if (!value)
    return nullptr;
  gchar* text = jsc_value_to_json(value, 0);
  if (!text)
    return nullptr;
  nlohmann::json body = nlohmann::json::parse(text, nullptr, /*allow_exceptions=*/false);
  g_free(text);
  return body.is_discarded() ? nlohmann::json() : body;
}

}  // namespace

// One registered message name, handed to its signal handler.
struct WebKitPageView::Channel {
  WebKitPageView* view;
  std::string name;

  static void received(WebKitUserContentManager*, WebKitJavascriptResult* result, gpointer data) {
    const auto* channel = static_cast<const Channel*>(data);
    channel->view->deliver(channel->name, bodyOf(result));
  }
  static void release(gpointer data, GClosure*) { delete static_cast<Channel*>(data); }
};

WebKitPageView::WebKitPageView(const std::vector<std::string>& messageNames,
                               ScriptMessageHandler handler, ViewSize size)
    : handler_(std::move(handler)) {
  WebKitUserContentManager* manager = webkit_user_content_manager_new();
  for (const auto& name : messageNames) {
    const std::string signal = "script-message-received::" + name;
    signalIds_.push_back(
        g_signal_connect_data(manager, signal.c_str(), G_CALLBACK(&Channel::received),
                              new Channel{this, name}, &Channel::release, GConnectFlags{}));
    webkit_user_content_manager_register_script_message_handler(manager, name.c_str());
  }
  manager_ = manager;
  GtkWidget* widget = webkit_web_view_new_with_user_content_manager(manager);
  view_ = WEBKIT_WEB_VIEW(g_object_ref_sink(widget));
  webkit_settings_set_allow_file_access_from_file_urls(webkit_web_view_get_settings(view_), TRUE);
  if (size.width > 0 && size.height > 0)
    gtk_widget_set_size_request(widget, size.width, size.height);

  auto loadChanged = +[](WebKitWebView*, WebKitLoadEvent event, gpointer data) {
    if (event == WEBKIT_LOAD_FINISHED)
      static_cast<WebKitPageView*>(data)->loadFinished();
  };
  auto destroyed =
      +[](GtkWidget*, gpointer data) { static_cast<WebKitPageView*>(data)->destroyed_ = true; };
  viewSignalIds_[0] = g_signal_connect(view_, "load-changed", G_CALLBACK(loadChanged), this);
  viewSignalIds_[1] = g_signal_connect(view_, "destroy", G_CALLBACK(destroyed), this);
}

WebKitPageView::~WebKitPageView() {
  for (const unsigned long id : signalIds_)
    g_signal_handler_disconnect(manager_, id);
  // A destroyed widget has dropped its handlers already.
  for (const unsigned long id : viewSignalIds_)
    if (g_signal_handler_is_connected(view_, id))
      g_signal_handler_disconnect(view_, id);
  g_object_unref(view_);
  g_object_unref(manager_);
}

void WebKitPageView::deliver(const std::string& name, const nlohmann::json& body) {
  try {
    if (handler_)
      handler_(*this, name, body);
  } catch (...) {
    // Nothing may unwind through WebKit's C frames; a failing handler loses only this message.
  }
}

void WebKitPageView::attachTo(GtkWidget* container) {
  if (!container || destroyed_)
    return;
  GtkWidget* widget = GTK_WIDGET(view_);
  if (GTK_IS_FIXED(container))
    gtk_fixed_put(GTK_FIXED(container), widget, 0, 0);
  else if (GTK_IS_OVERLAY(container))
    gtk_overlay_add_overlay(GTK_OVERLAY(container), widget);
  else if (GTK_IS_CONTAINER(container))
    gtk_container_add(GTK_CONTAINER(container), widget);
  else
    return;
  gtk_widget_show(widget);
}

void WebKitPageView::startLoading(const std::string& html, const std::string& baseUri) {
  if (!destroyed_)
    webkit_web_view_load_html(view_, html.c_str(), baseUri.c_str());
}

void WebKitPageView::run(const std::string& script) {
  if (!destroyed_)
    webkit_web_view_evaluate_javascript(view_, script.data(), static_cast<gssize>(script.size()),
                                        nullptr, nullptr, nullptr, nullptr, nullptr);
}

std::shared_ptr<WebView> WebKitWebViewFactory::make(const std::vector<std::string>& messageNames,
                                                    ScriptMessageHandler handler, ViewSize size) {
  return std::make_shared<WebKitPageView>(messageNames, std::move(handler), size);
}

ViewSize WebKitWebViewFactory::screenSize() {
  if (screen_)
    return *screen_;
  GdkDisplay* display = gdk_display_get_default();
  if (!display)
    return {};
  GdkMonitor* monitor = gdk_display_get_primary_monitor(display);
  if (!monitor && gdk_display_get_n_monitors(display) > 0)
    monitor = gdk_display_get_monitor(display, 0);
  if (!monitor)
    return {};
  GdkRectangle geometry{};
  gdk_monitor_get_geometry(monitor, &geometry);
  return {geometry.width, geometry.height};
}

void prepareWebKit() {
  // Without a display (a console app, or GTK not initialised yet) WebKit cannot start, and no
  // page can be shown anyway.
  static std::mutex mutex;
  static bool prepared = false;
  std::lock_guard lock(mutex);
  if (prepared || !gdk_display_get_default())
    return;
  webkit_web_context_get_default();
  prepared = true;
}

}  // namespace zelvora::platform
