#pragma once

#include "Platform/WebView.hpp"

#include <optional>

typedef struct _WebKitWebView WebKitWebView;
typedef struct _WebKitUserContentManager WebKitUserContentManager;
typedef struct _WebKitPolicyDecision WebKitPolicyDecision;

namespace zelvora::platform {

// A WebKitGTK web view with its own user-content manager. The view keeps its widget alive; once the
// view is gone, the widget (still in the app's window) no longer delivers messages to anyone.
//
// It runs only the documents loaded through it: every other navigation of a frame and every new
// window is refused, except a move within the current document and an inline frame's own blank or
// inline document, which never replaces the top document. So no other origin's document ever gets
// to post messages, and statements always reach the document loaded last.
class WebKitPageView final : public WebView {
 public:
  WebKitPageView(const std::vector<std::string>& messageNames, ScriptMessageHandler handler,
                 ViewSize size);
  ~WebKitPageView() override;
  WebKitPageView(const WebKitPageView&) = delete;
  WebKitPageView& operator=(const WebKitPageView&) = delete;

  void attachTo(GtkWidget* container) override;
  WebKitWebView* webKitView() const { return view_; }

 protected:
  void startLoading(const PageSource& page) override;
  void run(const std::string& script) override;

 private:
  struct Channel;
  void deliver(const std::string& name, const nlohmann::json& body);
  // Whether the navigation or new window that the decision is about may go ahead.
  bool admits(WebKitPolicyDecision* decision, bool newWindow);

  WebKitUserContentManager* manager_;
  WebKitWebView* view_;
  ScriptMessageHandler handler_;
  std::vector<unsigned long> signalIds_;    // on the user-content manager
  unsigned long viewSignalIds_[4] = {};     // load-changed, destroy, decide-policy, create
  std::optional<std::string> awaitedLoad_;  // the address of our latest load, until WebKit asks
  bool destroyed_ = false;
};

// Makes WebKitPageViews. The screen size is the primary monitor's, or the one given.
class WebKitWebViewFactory final : public WebViewFactory {
 public:
  explicit WebKitWebViewFactory(std::optional<ViewSize> screen = std::nullopt) : screen_(screen) {}
  std::shared_ptr<WebView> make(const std::vector<std::string>& messageNames,
                                ScriptMessageHandler handler, ViewSize size) override;
  ViewSize screenSize() override;

 private:
  std::optional<ViewSize> screen_;
};

}  // namespace zelvora::platform
