// The product page's platform pieces: statements held back while a page loads, and page addresses.
#include "Platform/Bundle.hpp"
#include "Platform/PageAddress.hpp"
#include "support/PlatformFixture.hpp"
#include "support/RecordingWebView.hpp"
#include "support/TemporaryDirectory.hpp"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <fstream>

namespace zelvora::test {
namespace {

TEST(ProductPageWebView, StatementsWaitForTheLoadUnderWayAndThenRunInOrder) {
  RecordingWebView view({}, {}, /*autoFinish=*/false);
  view.evaluate("a()");
  view.loadHTML({"<p>one</p>", "file:///one.html"});
  view.evaluate("b()");
  view.loadHTML({"<p>two</p>", "file:///two.html"});
  view.evaluate("c()");
  EXPECT_EQ(view.statements, std::vector<std::string>{"a()"});
  view.finishLoad();
  view.evaluate("d()");
  EXPECT_EQ(view.statements, (std::vector<std::string>{"a()", "b()", "c()", "d()"}));
}

// A port that takes connections and never says a word.
class SilentPort {
 public:
  SilentPort() : socket_(::socket(AF_INET, SOCK_STREAM, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(socket_, reinterpret_cast<sockaddr*>(&address), length);
    ::listen(socket_, 4);
    ::getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
  }
  ~SilentPort() { ::close(socket_); }
  int port() const { return port_; }

 private:
  int socket_;
  int port_ = 0;
};

TEST(ProductPageAddress, OnlyFileAndHttpsAddressesAreReadWithinTheLimits) {
  const auto ours = platform::frameworkResourceDirectory() / "index.html";
  const platform::ReadLimits limits{std::chrono::milliseconds(300), 1024 * 1024};
  const auto read = platform::readAddress(platform::fileAddress(ours), limits);
  ASSERT_TRUE(read);
  EXPECT_EQ(read->text, platform::readFileText(ours));
  EXPECT_FALSE(platform::readAddress(platform::fileAddress(ours), {limits.time, 100}));
  EXPECT_FALSE(platform::readAddress("file:///nonexistent/page.html", limits));
  EXPECT_FALSE(platform::readAddress("index.html", limits));
  EXPECT_FALSE(platform::readAddress("ftp://platform.test/index.html", limits));

  // A platform that answers http is never asked; a silent https one is left after the time limit.
  fake::FakePlatform platform(testCredentials());
  const std::string http = std::string("http://") + kPlatformHostName + ":" +
                           std::to_string(platform.port()) + "/index.html";
  EXPECT_FALSE(platform::readAddress(http, limits));
  EXPECT_EQ(platform.connectionsAccepted(), 0u);
  SilentPort silent;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(platform::readAddress(std::string("https://") + kPlatformHostName + ":" +
                                         std::to_string(silent.port()) + "/index.html",
                                     limits));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
}

TEST(ProductPageAddress, PageTextsAreDecodedByTheirByteOrderMarkAndBadTextIsAFailedRead) {
  using namespace std::string_literals;
  const struct {
    std::string bytes;
    std::optional<std::string> text;
  } cases[] = {
      {"<p>caf\xC3\xA9</p>", "<p>caf\xC3\xA9</p>"},
      {"\xEF\xBB\xBF<p>\xE2\x82\xAC</p>", "<p>\xE2\x82\xAC</p>"},
      {"\xFF\xFE<\0p\0>\0\xAC\x20\x3D\xD8\x00\xDE"s, "<p>\xE2\x82\xAC\xF0\x9F\x98\x80"},
      {"\xFE\xFF\0<\0p\0>\x20\xAC"s, "<p>\xE2\x82\xAC"},
      {"<p>a\0b</p>"s, "<p>a\0b</p>"s},  // a NUL ends nothing
      {"", ""},
      {"<p>caf\xE9</p>", std::nullopt},  // Latin-1, not UTF-8
      {"\xEF\xBB\xBF\xC3", std::nullopt},
      {"\xFF\xFE<\0p"s, std::nullopt},         // half a unit
      {"\xFE\xFF\xD8\x3D\0a"s, std::nullopt},  // a lone surrogate
  };
  const TemporaryDirectory files;
  for (const auto& [bytes, text] : cases) {
    SCOPED_TRACE(::testing::PrintToString(bytes));
    EXPECT_EQ(platform::decodePageText(bytes), text);
    std::ofstream(files.path() / "page.html", std::ios::binary) << bytes;
    const auto read = platform::readAddress(platform::fileAddress(files.path() / "page.html"));
    EXPECT_EQ(read ? std::optional(read->text) : std::nullopt, text);
  }
}

}  // namespace
}  // namespace zelvora::test
