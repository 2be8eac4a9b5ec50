// Hostile app pages in real WebKitGTK web views: documents the SDK did not load never get to buy,
// a remote page gets no local file, and an oversized message never becomes a request. And the
// loads of the web view itself: statements for a page that replaces another, a NUL in a page, and
// an SDK made before GTK.
#include "Platform/Bundle.hpp"
#include "Platform/PageAddress.hpp"
#include "gtk/WebKitPage.hpp"
#include "support/TemporaryDirectory.hpp"
#include "support/TestCertificates.hpp"

#include <fstream>

namespace zelvora::test {
namespace {

constexpr const char* kUpdatePath = "/api/client/pos/update-basket";

// Posts a change to the item and then the purchase, from wherever it is loaded.
constexpr const char* kForeignPage = R"(<script>
  const post = (name, body) => window.webkit.messageHandlers[name].postMessage(body);
  post('skuChanged', {sku: 'trail-tee-l', name: 'Foreign', price: 1});
  post('showReceipt', {name: 'Foreign'});
</script>)";

// Serves app pages over https under the platform's name, trusted by the SDK's page reads while it
// lives.
class TrustedPageServers {
 public:
  TrustedPageServers() : certificate_(authority_.issue(kPlatformHostName)) {
    platform::setPageCertificateAuthorityForTesting(authority_.certificateFile().string());
  }
  ~TrustedPageServers() { platform::setPageCertificateAuthorityForTesting(std::nullopt); }
  TrustedPageServers(const TrustedPageServers&) = delete;
  TrustedPageServers& operator=(const TrustedPageServers&) = delete;

  // A server of its own, on a port (and so an origin) of its own.
  std::unique_ptr<fake::FakePlatform> start() const {
    return std::make_unique<fake::FakePlatform>(
        testCredentials(), 0,
        fake::TlsIdentity{certificate_.certificatePem, certificate_.privateKeyPem});
  }

 private:
  TestCertificateAuthority authority_;
  TestCertificate certificate_;
};

// Our own product page, whose address is also the base of app pages read from files.
std::filesystem::path ourPage() {
  return platform::frameworkResourceDirectory() / "index.html";
}
std::string ourPageText() {
  return platform::readFileText(ourPage()).value();
}

class ProductPageHostile : public WebKitPageTest {
 protected:
  void SetUp() override {
    WebKitPageTest::SetUp();
    if (IsSkipped())
      return;
    showWindow({390, 904});
    platform_->script(
        "GET", "/foreign.html",
        {.status = 200, .body = kForeignPage, .headers = {{"Content-Type", "text/html"}}});
  }

  // Opens the product page with this app page, read from a file.
  void openAppPage(const std::string& html) {
    const auto file = files_.path() / "app.html";
    std::ofstream(file) << html;
    ASSERT_FALSE(open(kOfferCode, {{"pdpHtmlUrl", platform::fileAddress(file)}}).error);
  }

  std::string foreignAddress() const {
    return "http://127.0.0.1:" + std::to_string(platform_->port()) + "/foreign.html";
  }

  // The names of the items of the basket updates sent so far.
  std::vector<std::string> updatedNames() const {
    std::vector<std::string> names;
    for (const auto& request : requestsTo(kUpdatePath))
      names.push_back(Json::parse(request.body)["items"][0].value("name", ""));
    return names;
  }

  TemporaryDirectory files_;
};

// A way of bringing the foreign document into the page, as a script that has FOREIGN.
struct Intrusion {
  const char* name;
  const char* script;
};
void PrintTo(const Intrusion& intrusion, std::ostream* out) {
  *out << intrusion.name;
}

class ForeignDocuments : public ProductPageHostile,
                         public ::testing::WithParamInterface<Intrusion> {};

TEST_P(ForeignDocuments, NeverPostAMessageWhileTheAppPageStaysWithItsFragmentAndInlineFrame) {
  openAppPage(R"(<p id="status">loading</p><p id="inline"></p>
    <iframe srcdoc="<script>parent.document.getElementById('inline').textContent = 'inline'</script>"></iframe>
    <script>
      const FOREIGN = ')" +
              foreignAddress() + R"(';
      location.hash = 'details';
      setTimeout(() => {)" +
              GetParam().script + R"(}, 0);
      setTimeout(() => {
        document.getElementById('status').textContent =
          ['stayed', location.hash, document.getElementById('inline').textContent].join(' ');
      }, 700);
    </script>)");
  EXPECT_TRUE(waitForText("status", "stayed #details inline"));
  EXPECT_TRUE(requestsTo("/foreign.html").empty());
  EXPECT_EQ(updatedNames(), std::vector<std::string>{"Trail tee, medium"});
  EXPECT_TRUE(requestsTo("/api/client/pos/complete-scan").empty());
  EXPECT_TRUE(requestsTo("/api/client/payment").empty());
}

INSTANTIATE_TEST_SUITE_P(
    Intrusions, ForeignDocuments,
    ::testing::Values(Intrusion{"location", "location.href = FOREIGN;"},
                      Intrusion{"frame",
                                "document.body.insertAdjacentHTML('beforeend', "
                                "'<iframe src=\"' + FOREIGN + '\"></iframe>');"},
                      Intrusion{
                          "form_post",
                          "const form = document.createElement('form'); form.method = 'post';"
                          "form.action = FOREIGN; document.body.append(form); form.submit();"},
                      Intrusion{"new_window", "window.open(FOREIGN);"}),
    [](const auto& intrusion) { return std::string(intrusion.param.name); });

TEST_F(ProductPageHostile, ARemoteAppPageCannotReadLocalFiles) {
  std::optional<TrustedPageServers> servers(std::in_place);
  const auto pages = servers->start();
  const auto secret = files_.path() / "secret.txt";
  std::ofstream(secret) << "device-identifier";
  pages->script("GET", "/app.html",
                {.status = 200,
                 .body = R"(<p id="status">reading</p><script>
    const show = (text) => { document.getElementById('status').textContent = text; };
    const request = new XMLHttpRequest();
    request.onload = () => show(request.responseText ? 'read ' + request.responseText : 'refused');
    request.onerror = () => show('refused');
    try {
      request.open('GET', ')" +
                         platform::fileAddress(secret) + R"(');
      request.send();
    } catch (error) {
      show('refused');
    }
  </script>)"});
  const std::string address = platformAddress("https", pages->port()) + "/app.html";
  const auto opened = open(kOfferCode, {{"pdpHtmlUrl", address}});
  servers.reset();
  ASSERT_FALSE(opened.error);
  EXPECT_TRUE(waitForText("status", "refused"));
  EXPECT_EQ(evaluate("location.href"), address);
}

TEST_F(ProductPageHostile, ARedirectedAppPageRunsUnderTheAddressItWasFinallyReadFrom) {
  const TrustedPageServers servers;
  const auto first = servers.start();
  const auto second = servers.start();
  const std::string target = platformAddress("https", second->port()) + "/pages/app.html";
  first->script("GET", "/app.html", {.status = 302, .body = "", .headers = {{"Location", target}}});
  second->script("GET", "/pages/app.html", {.status = 200, .body = ourPageText()});
  ASSERT_FALSE(
      open(kOfferCode, {{"pdpHtmlUrl", platformAddress("https", first->port()) + "/app.html"}})
          .error);
  EXPECT_TRUE(waitForText("product-name", "Trail tee, medium"));
  EXPECT_EQ(evaluate("location.href + ' ' + document.baseURI"), target + " " + target);
  snapshot("redirected-app-page");
}

// A redirect that does not end on an https page is a page that cannot be read: ours is shown.
struct FailedRedirect {
  const char* name;
  bool toHttp;  // else a redirect without a target, its body a page of its own
};
void PrintTo(const FailedRedirect& redirect, std::ostream* out) {
  *out << redirect.name;
}

class FailedRedirects : public ProductPageHostile,
                        public ::testing::WithParamInterface<FailedRedirect> {};

TEST_P(FailedRedirects, ShowOurPageInstead) {
  const TrustedPageServers servers;
  const auto pages = servers.start();
  const std::string http = platformAddress("http", platform_->port()) + "/foreign.html";
  pages->script(
      "GET", "/app.html",
      {.status = 302,
       .body = R"(<h1 id="product-name">Redirected</h1>)",
       .headers = GetParam().toHttp ? std::map<std::string, std::string>{{"Location", http}}
                                    : std::map<std::string, std::string>{}});
  ASSERT_FALSE(
      open(kOfferCode, {{"pdpHtmlUrl", platformAddress("https", pages->port()) + "/app.html"}})
          .error);
  EXPECT_TRUE(waitForText("product-name", "Trail tee, medium"));
  EXPECT_EQ(evaluate("location.href"), platform::fileAddress(ourPage()));
  EXPECT_TRUE(requestsTo("/foreign.html").empty());
}

INSTANTIATE_TEST_SUITE_P(Redirects, FailedRedirects,
                         ::testing::Values(FailedRedirect{"to_http", true},
                                           FailedRedirect{"without_target", false}),
                         [](const auto& redirect) { return std::string(redirect.param.name); });

// A way of sending the top document to an empty or inline document, from the page or its frame.
struct TopReplacement {
  const char* name;
  const char* html;
};
void PrintTo(const TopReplacement& replacement, std::ostream* out) {
  *out << replacement.name;
}

class TopReplacements : public ProductPageHostile,
                        public ::testing::WithParamInterface<TopReplacement> {};

TEST_P(TopReplacements, LeaveTheTopDocumentToTheStatementsThatFollow) {
  std::string page = ourPageText();
  page.insert(page.rfind("</body>"), GetParam().html);
  openAppPage(page);
  EXPECT_TRUE(waitForText("product-name", "Trail tee, medium"));
  runMainLoopFor(std::chrono::milliseconds(300));
  EXPECT_EQ(evaluate("location.href + ' ' + document.body.dataset.tried"),
            platform::fileAddress(ourPage()) + " yes");
  click("buy-button");
  EXPECT_TRUE(waitForText("receipt-status", "Thank you for your purchase"));
}

INSTANTIATE_TEST_SUITE_P(
    Replacements, TopReplacements,
    ::testing::Values(TopReplacement{"blank_from_inline_frame",
                                     R"(<iframe srcdoc="<script>top.location = 'about:blank';
                          parent.document.body.dataset.tried = 'yes'</script>"></iframe>)"},
                      TopReplacement{"inline_from_the_page",
                                     R"(<script>location.href = 'about:srcdoc';
                          document.body.dataset.tried = 'yes'</script>)"}),
    [](const auto& replacement) { return std::string(replacement.param.name); });

// A file whose read fails midway (the C++ file buffer throws there) is a page that cannot be read:
// ours is shown instead, and Buy still leads to our receipt.
TEST_F(ProductPageHostile, PagesWhoseReadFailsFallBackToOursAndBuyStillWorks) {
  const std::string failingRead = platform::fileAddress("/proc/self/mem");
  const auto opened =
      open(kOfferCode, {{"pdpHtmlUrl", failingRead}, {"receiptHtmlUrl", failingRead}});
  ASSERT_FALSE(opened.error);
  ASSERT_TRUE(waitForText("product-name", "Trail tee, medium"));
  click("buy-button");
  EXPECT_TRUE(waitForText("receipt-status", "Thank you for your purchase"));
}

TEST_F(ProductPageHostile, AMessageBodyOver64KiBIsDroppedAndLaterOnesStillCount) {
  openAppPage(R"(<script>
    // Posts an item whose JSON text is exactly `size` bytes long.
    function post(size, tag) {
      const body = {sku: 'trail-tee-l', price: 2700, name: tag};
      body.name = tag + '.'.repeat(size - JSON.stringify(body).length);
      window.webkit.messageHandlers.skuChanged.postMessage(body);
    }
  </script>)");
  // The platform keeps only the start of a long body: look for the name's start in the text.
  const auto sent = [&](const std::string& tag) {
    return runMainLoopUntil([&] {
      for (const auto& request : requestsTo(kUpdatePath))
        if (request.body.find("\"" + tag) != std::string::npos)
          return true;
      return false;
    });
  };
  ASSERT_TRUE(runMainLoopUntil([&] { return evaluate("typeof post") == "function"; }));
  evaluate("post(65536, 'at-limit')");
  ASSERT_TRUE(sent("at-limit"));
  evaluate("post(65537, 'over'); post(100, 'after')");
  ASSERT_TRUE(sent("after"));
  EXPECT_EQ(requestsTo(kUpdatePath).size(), 3u);  // the first fill's, "at-limit" and "after"
}

using WebKitViewLoads = WebKitPageTest;

TEST_F(WebKitViewLoads, StatementsWaitForTheLoadAskedForLastThoughAnEarlierOneFinishes) {
  showWindow({390, 904});
  platform::WebKitPageView view({}, {}, {390, 904});
  view.attachTo(container_);
  // The second page is asked for as soon as the first is on show, when WebKit is about to report
  // the first one finished; the statement is meant for the second.
  struct Replacement {
    platform::WebKitPageView& view;
    bool asked = false;
  } replacement{view};
  const auto handler =
      g_signal_connect(view.webKitView(), "load-changed",
                       G_CALLBACK(+[](WebKitWebView*, WebKitLoadEvent event, gpointer data) {
                         auto& replacing = *static_cast<Replacement*>(data);
                         if (event != WEBKIT_LOAD_COMMITTED || replacing.asked)
                           return;
                         replacing.asked = true;
                         replacing.view.loadHTML({"<p>second</p>", "file:///second.html", true});
                         replacing.view.evaluate("document.body.dataset.mark = 'ran'");
                       }),
                       &replacement);
  view.loadHTML({"<p>first</p>", "file:///first.html", true});
  EXPECT_TRUE(runMainLoopUntil([&] {
    return evaluate("location.href + ' ' + document.body.dataset.mark") ==
           "file:///second.html ran";
  }));
  g_signal_handler_disconnect(view.webKitView(), handler);
}

TEST_F(WebKitViewLoads, ANulCharacterDoesNotEndThePage) {
  using namespace std::string_literals;
  showWindow({390, 904});
  platform::WebKitPageView view({}, {}, {390, 904});
  view.attachTo(container_);
  view.loadHTML({"<p>one</p>\0<p id=\"after\">two</p>"s, "file:///nul.html", true});
  EXPECT_TRUE(waitForText("after", "two"));
}

TEST_F(WebKitViewLoads, PagesLoadThoughTheSdkWasMadeBeforeGtkStarted) {
  ASSERT_TRUE(sdkMadeBeforeGtk);
  showWindow({390, 904});
  ASSERT_FALSE(open().error);
  EXPECT_TRUE(waitForText("product-name", "Trail tee, medium"));
}

}  // namespace
}  // namespace zelvora::test
