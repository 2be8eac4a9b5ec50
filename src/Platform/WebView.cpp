#include "Platform/WebView.hpp"

#include "Platform/WebKitWebView.hpp"

#include <mutex>

namespace zelvora::platform {

void WebView::loadHTML(const std::string& html, const std::string& baseUri) {
  loading_ = true;
  startLoading(html, baseUri);
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
struct FactoryHolder {
  std::mutex mutex;
  std::shared_ptr<WebViewFactory> factory;
};

FactoryHolder& holder() {
  static auto* const instance = new FactoryHolder;
  return *instance;
}
}  // namespace

std::shared_ptr<WebViewFactory> webViewFactory() {
  auto& h = holder();
  std::lock_guard lock(h.mutex);
  if (!h.factory)
    h.factory = std::make_shared<WebKitWebViewFactory>();
  return h.factory;
}

void setWebViewFactoryForTesting(std::shared_ptr<WebViewFactory> factory) {
  auto& h = holder();
  std::lock_guard lock(h.mutex);
  h.factory = std::move(factory);
}

}  // namespace zelvora::platform
