#include "Platform/WebView.hpp"
#include "Platform/Replaceable.hpp"

#include "Platform/WebKitWebView.hpp"

#include <mutex>

namespace zelvora::platform {

void WebView::loadHTML(const PageSource& page) {
  loading_ = true;
  startLoading(page);
}

void WebView::evaluate(std::string script) {
  if (loading_)
    waiting_.push_back(std::move(script));
  else
    run(script);
}

void WebView::loadFinished() {
  loading_ = false;
  std::vector<std::string> ready;
  ready.swap(waiting_);
  for (const auto& script : ready)
    run(script);
}

namespace {
Replaceable<WebViewFactory, WebKitWebViewFactory>& holder() {
  static auto* const instance = new Replaceable<WebViewFactory, WebKitWebViewFactory>;
  return *instance;
}
}  // namespace

std::shared_ptr<WebViewFactory> webViewFactory() {
  return holder().get();
}

void setWebViewFactoryForTesting(std::shared_ptr<WebViewFactory> factory) {
  holder().replace(std::move(factory));
}

}  // namespace zelvora::platform
