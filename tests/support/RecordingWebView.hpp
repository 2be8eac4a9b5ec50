#pragma once

#include "Platform/MainQueue.hpp"
#include "Platform/WebView.hpp"

#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace zelvora::test {

// A web view that records what the SDK asks of it. Its loads finish on the main queue, as WebKit's
// do, unless the test finishes them itself.
class RecordingWebView final : public platform::WebView {
 public:
  RecordingWebView(platform::ScriptMessageHandler handler, platform::ViewSize viewSize,
                   bool autoFinish)
      : size(viewSize), handler_(std::move(handler)), autoFinish_(autoFinish) {}

  std::vector<platform::PageSource> loads;
  std::vector<std::string> statements;  // as they ran, in order
  bool attached = false;
  platform::ViewSize size;

  void post(std::string_view name, const nlohmann::json& body = nlohmann::json::object()) {
    handler_(*this, name, body);
  }
  void finishLoad() { loadFinished(); }
  void attachTo(GtkWidget*) override { attached = true; }

 protected:
  void startLoading(const platform::PageSource& page) override {
    loads.push_back(page);
    if (autoFinish_)
      platform::mainQueue()->post([this] { loadFinished(); });
  }
  void run(const std::string& script) override { statements.push_back(script); }

 private:
  platform::ScriptMessageHandler handler_;
  bool autoFinish_;
};

class RecordingWebViewFactory final : public platform::WebViewFactory {
 public:
  std::vector<std::shared_ptr<RecordingWebView>> made;
  bool autoFinish = true;

  std::shared_ptr<platform::WebView> make(const std::vector<std::string>& names,
                                          platform::ScriptMessageHandler handler,
                                          platform::ViewSize size) override {
    messageNames = names;
    made.push_back(std::make_shared<RecordingWebView>(std::move(handler), size, autoFinish));
    return made.back();
  }
  platform::ViewSize screenSize() override { return {390, 844}; }

  std::vector<std::string> messageNames;
};

// The process's main queue, with delayed tasks run at once and their delays recorded.
class DelayRecordingQueue final : public platform::MainQueue {
 public:
  explicit DelayRecordingQueue(std::shared_ptr<platform::MainQueue> queue)
      : queue_(std::move(queue)) {}
  void post(Task task) override { queue_->post(std::move(task)); }
  void postAfter(std::chrono::milliseconds delay, Task task) override {
    delays.push_back(delay);
    queue_->post(std::move(task));
  }
  std::vector<std::chrono::milliseconds> delays;

 private:
  std::shared_ptr<platform::MainQueue> queue_;
};

}  // namespace zelvora::test
