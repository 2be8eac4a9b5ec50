#pragma once

#include <nlohmann/json.hpp>

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

typedef struct _GtkWidget GtkWidget;

namespace zelvora::platform {

class WebView;

// Receives what a page posts through window.webkit.messageHandlers.<name>.postMessage(body), on the
// main thread: the web view it came from, the name, and the body as JSON (null when the page posted
// nothing or a value JSON cannot hold). A body whose JSON text is longer than kMaxMessageBodyBytes
// never arrives.
using ScriptMessageHandler =
    std::function<void(WebView& sender, std::string_view name, const nlohmann::json& body)>;

// The longest JSON text of a message body that a web view hands on.
inline constexpr std::size_t kMaxMessageBodyBytes = 64 * 1024;

// A page to show: its HTML as UTF-8 text, the address its relative references resolve against, and
// whether it is one of the SDK's own pages, the only ones that may read other file addresses.
struct PageSource {
  std::string html;
  std::string baseUri;
  bool bundled = false;
};

// A size in pixels.
struct ViewSize {
  int width = 0;
  int height = 0;
};

// A web view showing one page at a time: only the pages loaded through it. Used on the main thread
// only.
//
// A statement evaluated while a page loads would run in the document being replaced and be lost,
// so statements wait, in order, until the load requested last has finished.
class WebView {
 public:
  virtual ~WebView() = default;

  // Shows the page in place of the current one.
  void loadHTML(const PageSource& page);

  // Runs the script in the page: now when no load is under way, else once it has finished. The
  // result and any exception of the script are dropped.
  void evaluate(std::string script);

  // Puts the view into the app's container: at 0,0 of a GtkFixed, as an overlay of a GtkOverlay,
  // last into any other GtkContainer; nothing for a null container.
  virtual void attachTo(GtkWidget* container) = 0;

 protected:
  virtual void startLoading(const PageSource& page) = 0;
  virtual void run(const std::string& script) = 0;
  // Implementations call this when the load requested last has finished (or failed).
  void loadFinished();

 private:
  bool loading_ = false;
  std::vector<std::string> waiting_;
};

// Makes the product page's web views.
class WebViewFactory {
 public:
  virtual ~WebViewFactory() = default;

  // A web view that hands the page's messages under these names to the handler and asks for the
  // given size.
  virtual std::shared_ptr<WebView> make(const std::vector<std::string>& messageNames,
                                        ScriptMessageHandler handler, ViewSize size) = 0;

  // The size of the screen the app shows on; zero when there is none.
  virtual ViewSize screenSize() = 0;
};

// The process's factory: WebKitGTK web views.
std::shared_ptr<WebViewFactory> webViewFactory();

// Replaces the process's factory; for tests. Pass nullptr to return to WebKitGTK.
void setWebViewFactoryForTesting(std::shared_ptr<WebViewFactory> factory);

// Starts WebKit in this process, with or without a display. It must start before the process's
// first JavaScriptCore context, or every later web view stays stuck at the start of its load.
// Call on the main thread.
void prepareWebKit();

}  // namespace zelvora::platform
