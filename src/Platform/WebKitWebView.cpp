#include "Platform/WebKitWebView.hpp"

#include <webkit2/webkit2.h>

#include <memory>
#include <mutex>
#include <string_view>

namespace zelvora::platform {

namespace {

// Whether the value's JSON text would be longer than the limit, found without writing it. Every
// string and key gives the text at least its length, every other value (but a left-out undefined)
// and every array element at least one character; counting stops past the limit, so a huge string
// or a cycle costs no more than a body at the limit.
bool outgrows(JSCValue* value, std::size_t limit) {
  static constexpr const char* kMeasure = R"((function (value, limit) {
    let length = 0;
    const pending = [value];
    while (pending.length > 0 && length <= limit) {
      const item = pending.pop();
      if (typeof item === 'string') {
        length += item.length + 2;
      } else if (item !== undefined) {
        length += 1;
      }
      if (Array.isArray(item)) {
        length += item.length;
        for (let i = 0; i < item.length && length <= limit; ++i)
          pending.push(item[i]);
      } else if (item !== null && typeof item === 'object') {
        for (const key of Object.keys(item)) {
          if (item[key] === undefined)
            continue;
          length += key.length;
          pending.push(item[key]);
        }
      }
    }
    return length > limit;
  }))";
  JSCContext* context = jsc_value_get_context(value);
  JSCValue* measure = jsc_context_evaluate(context, kMeasure, -1);
  JSCValue* verdict = measure && jsc_value_is_function(measure)
                          ? jsc_value_function_call(measure, JSC_TYPE_VALUE, value, G_TYPE_DOUBLE,
                                                    static_cast<double>(limit), G_TYPE_NONE)
                          : nullptr;
  const bool tooLong = !verdict || !jsc_value_is_boolean(verdict) || jsc_value_to_boolean(verdict);
  g_clear_object(&verdict);
  g_clear_object(&measure);
  jsc_context_clear_exception(context);
  return tooLong;
}

// The body as JSON: null when the page posted nothing or a value JSON cannot hold; absent when its
// JSON text is too long to take.
std::optional<nlohmann::json> bodyOf(WebKitJavascriptResult* result) {
  JSCValue* value = result ? webkit_javascript_result_get_js_value(result) : nullptr;
  if (value && outgrows(value, kMaxMessageBodyBytes))
    return std::nullopt;
  const std::unique_ptr<gchar, decltype(&g_free)> text(
      value ? jsc_value_to_json(value, 0) : nullptr, &g_free);
  if (!text)
    return nlohmann::json();
  const std::string_view json(text.get());
  if (json.size() > kMaxMessageBodyBytes)
    return std::nullopt;
  nlohmann::json body = nlohmann::json::parse(json, nullptr, /*allow_exceptions=*/false);
  return body.is_discarded() ? nlohmann::json() : body;
}

// The address as WebKit writes it (scheme and host in lower case, no default port, no dot
// segments), to compare with the addresses it reports.
std::string webKitAddress(const std::string& address) {
  WebKitURIRequest* request = webkit_uri_request_new(address.c_str());
  const gchar* uri = webkit_uri_request_get_uri(request);
  std::string written = uri ? uri : address;
  g_object_unref(request);
  return written;
}

std::string_view withoutFragment(std::string_view address) {
  return address.substr(0, address.find('#'));
}

// A move to a fragment of the document on show, which keeps that document.
bool staysInDocument(std::string_view target, const char* current, WebKitNavigationType type) {
  const bool loadsAnew = type == WEBKIT_NAVIGATION_TYPE_FORM_SUBMITTED ||
                         type == WEBKIT_NAVIGATION_TYPE_FORM_RESUBMITTED ||
                         type == WEBKIT_NAVIGATION_TYPE_RELOAD;
  return current && !loadsAnew && target.find('#') != std::string_view::npos &&
         withoutFragment(target) == withoutFragment(current);
}

// A frame's empty or inline document: it holds only what the page that made the frame puts there,
// and shares that page's origin.
bool isFramesOwnDocument(std::string_view target) {
  return target == "about:blank" || target == "about:srcdoc";
}

// The navigation policy is not told which frame a navigation is for, so an empty or inline document
// that the policy admits for a frame would replace the top document just as well. The top document
// turns such navigations of its own away before the policy is asked, from a script world of ours
// that the page's scripts cannot reach. It hears only navigations started by documents of its own
// origin: a sandboxed frame allowed to navigate the top is not heard.
constexpr const char* kTopDocumentGuardWorld = "zelvora-top-document";
constexpr const char* kTopDocumentGuard = R"(if (window.navigation) {
  navigation.addEventListener('navigate', (event) => {
    if (new URL(event.destination.url).protocol === 'about:')
      event.preventDefault();
  });
})";

void enableFeature(WebKitSettings* settings, std::string_view identifier) {
  WebKitFeatureList* features = webkit_settings_get_all_features();
  for (gsize i = 0; i < webkit_feature_list_get_length(features); ++i) {
    WebKitFeature* feature = webkit_feature_list_get(features, i);
    if (identifier == webkit_feature_get_identifier(feature))
      webkit_settings_set_feature_enabled(settings, feature, TRUE);
  }
  webkit_feature_list_unref(features);
}

void guardTopDocument(WebKitUserContentManager* manager, WebKitSettings* settings) {
  enableFeature(settings, "NavigationAPI");
  WebKitUserScript* guard = webkit_user_script_new_for_world(
      kTopDocumentGuard, WEBKIT_USER_CONTENT_INJECT_TOP_FRAME,
      WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START, kTopDocumentGuardWorld, nullptr, nullptr);
  webkit_user_content_manager_add_script(manager, guard);
  webkit_user_script_unref(guard);
}

}  // namespace

// One registered message name, handed to its signal handler.
struct WebKitPageView::Channel {
  WebKitPageView* view;
  std::string name;

  static void received(WebKitUserContentManager*, WebKitJavascriptResult* result, gpointer data) {
    const auto* channel = static_cast<const Channel*>(data);
    if (const auto body = bodyOf(result))
      channel->view->deliver(channel->name, *body);
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
  guardTopDocument(manager, webkit_web_view_get_settings(view_));
  if (size.width > 0 && size.height > 0)
    gtk_widget_set_size_request(widget, size.width, size.height);

  auto loadChanged = +[](WebKitWebView* view, WebKitLoadEvent event, gpointer data) {
    // WebKit also finishes a load that a later one replaced; statements wait for the later one.
    if (event == WEBKIT_LOAD_FINISHED && !webkit_web_view_is_loading(view))
      static_cast<WebKitPageView*>(data)->loadFinished();
  };
  auto destroyed =
      +[](GtkWidget*, gpointer data) { static_cast<WebKitPageView*>(data)->destroyed_ = true; };
  auto decidePolicy = +[](WebKitWebView*, WebKitPolicyDecision* decision,
                          WebKitPolicyDecisionType type, gpointer data) -> gboolean {
    if (type == WEBKIT_POLICY_DECISION_TYPE_RESPONSE)
      return FALSE;  // the response of an admitted navigation: WebKit's own handling
    const bool newWindow = type == WEBKIT_POLICY_DECISION_TYPE_NEW_WINDOW_ACTION;
    if (static_cast<WebKitPageView*>(data)->admits(decision, newWindow))
      webkit_policy_decision_use(decision);
    else
      webkit_policy_decision_ignore(decision);
    return TRUE;
  };
  auto noWindow =
      +[](WebKitWebView*, WebKitNavigationAction*, gpointer) -> GtkWidget* { return nullptr; };
  viewSignalIds_[0] = g_signal_connect(view_, "load-changed", G_CALLBACK(loadChanged), this);
  viewSignalIds_[1] = g_signal_connect(view_, "destroy", G_CALLBACK(destroyed), this);
  viewSignalIds_[2] = g_signal_connect(view_, "decide-policy", G_CALLBACK(decidePolicy), this);
  viewSignalIds_[3] = g_signal_connect(view_, "create", G_CALLBACK(noWindow), this);
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

bool WebKitPageView::admits(WebKitPolicyDecision* decision, bool newWindow) {
  if (newWindow)
    return false;
  WebKitNavigationAction* action = webkit_navigation_policy_decision_get_navigation_action(
      WEBKIT_NAVIGATION_POLICY_DECISION(decision));
  const gchar* uri = webkit_uri_request_get_uri(webkit_navigation_action_get_request(action));
  const std::string_view target = uri ? uri : "";
  if (awaitedLoad_ && target == *awaitedLoad_) {
    awaitedLoad_.reset();
    return true;
  }
  return isFramesOwnDocument(target) ||
         staysInDocument(target, webkit_web_view_get_uri(view_),
                         webkit_navigation_action_get_navigation_type(action));
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

void WebKitPageView::startLoading(const PageSource& page) {
  if (destroyed_)
    return;
  webkit_settings_set_allow_file_access_from_file_urls(webkit_web_view_get_settings(view_),
                                                       page.bundled);
  awaitedLoad_ = webKitAddress(page.baseUri);
  // As bytes, not as a C string: a NUL in the text must not end the page.
  GBytes* html = g_bytes_new(page.html.data(), page.html.size());
  webkit_web_view_load_bytes(view_, html, "text/html", "UTF-8", page.baseUri.c_str());
  g_bytes_unref(html);
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
  // Making any of WebKit's objects starts it in this process. A content manager needs no display,
  // so console apps and apps that start GTK later can make one too.
  static std::once_flag started;
  std::call_once(started, [] { g_object_unref(webkit_user_content_manager_new()); });
}

}  // namespace zelvora::platform
