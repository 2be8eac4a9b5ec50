// A platform reached over https is followed only within its https origin: a redirect down to plain
// http, even to the same host and port, would send the signed headers and the body in the clear
// and trust an unauthenticated reply.
#include "CoreNetworking/Networking.hpp"
#include "support/PlatformFixture.hpp"
#include "support/TestCertificates.hpp"

#include <zelvora/Store.hpp>

#include <curl/curl.h>

#include <memory>
#include <string>

namespace zelvora::test {
namespace {

constexpr const char* kSessionPath = "/api/client/session";

class TlsRedirects : public PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    Networking::sharedManager().setCertificateAuthorityForTesting(
        authority_.certificateFile().string());
    serveOverTls(authority_.issue(kPlatformHostName));
    plainHttp_ = std::make_unique<fake::FakePlatform>(testCredentials());
  }

  void TearDown() override {
    plainHttp_.reset();
    PlatformTest::TearDown();
  }

  // Replaces the platform with one that speaks only https under the certificate, and points the
  // SDK at it.
  void serveOverTls(const TestCertificate& certificate, bool offersHttp2 = false) {
    platform_ = std::make_unique<fake::FakePlatform>(
        testCredentials(), 0,
        fake::TlsIdentity{certificate.certificatePem, certificate.privateKeyPem, offersHttp2});
    const auto& credentials = testCredentials();
    bool initialized = false;
    api_.initialize(credentials.merchantId, credentials.apiKey, credentials.apiSecret,
                    {{"host", httpsAddress("")}, {"correlation-id", std::string("corr-tls")}},
                    [&](bool success, std::optional<Error>) { initialized = success; });
    ASSERT_TRUE(initialized);
  }

  std::string httpsAddress(const std::string& path) const {
    return std::string("https://") + kPlatformHostName + ":" + std::to_string(platform_->port()) +
           path;
  }

  Outcome<Session> createSession() {
    return await<Session>([&](auto done) { api_.createSession(done); });
  }

  TestCertificateAuthority authority_;
  std::unique_ptr<fake::FakePlatform> plainHttp_;
};

TEST_F(TlsRedirects, DownToHttpAreNotFollowedAndNothingIsStored) {
  const std::string tlsPort = std::to_string(platform_->port());
  const std::string httpPort = std::to_string(plainHttp_->port());
  const struct {
    int status;
    std::string location;
  } cases[] = {
      {302, std::string("http://") + kPlatformHostName + ":" + httpPort + kSessionPath},
      {307, std::string("http://") + kPlatformHostName + ":" + httpPort + kSessionPath},
      {302, std::string("http://") + kPlatformHostName + ":" + tlsPort + kSessionPath},
      {307, std::string("http://") + kPlatformHostName + ":" + tlsPort + kSessionPath},
  };
  plainHttp_->script("*", "*", {.status = 200, .body = R"({"id":"sess-plain","token":"t"})"});
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.status) + " " + c.location);
    platform_->clearRequests();
    platform_->script("POST", kSessionPath,
                      {.status = c.status, .headers = {{"Location", c.location}}, .times = 1});
    expectError(createSession(), Error::transportDomain, c.status);
    EXPECT_EQ(platform_->requests().size(), 1u);
    EXPECT_EQ(Store::session(), nullptr);
  }
  EXPECT_TRUE(plainHttp_->requests().empty());
  EXPECT_EQ(plainHttp_->connectionsAccepted(), 0u);
}

TEST_F(TlsRedirects, WithinTheHttpsOriginAreFollowed) {
  platform_->script(
      "POST", kSessionPath,
      {.status = 307, .headers = {{"Location", httpsAddress(kSessionPath)}}, .times = 1});
  const auto outcome = createSession();
  expectSuccessLater(outcome);
  ASSERT_NE(Store::session(), nullptr);
  EXPECT_EQ(Store::session()->id, outcome.value->id);
  const auto sent = platform_->requests();
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[1].body, sent[0].body);
  EXPECT_TRUE(sent[1].signatureValid);
}

// The trusted test authority is no way around verification: the chain and the name still count.
TEST_F(TlsRedirects, AnUntrustedOrMisnamedServerIsRefusedBeforeAnyRequest) {
  const TestCertificate refused[] = {TestCertificateAuthority::selfSigned(kPlatformHostName),
                                     authority_.issue("elsewhere.test")};
  for (const auto& certificate : refused) {
    serveOverTls(certificate);
    expectError(createSession(), Error::curlDomain, CURLE_PEER_FAILED_VERIFICATION);
    EXPECT_TRUE(platform_->requests().empty());
  }
}

// HTTP/2 would let the platform turn a request away after its body went out, which the transport
// could then neither send again nor report as untaken.
using TlsProtocol = TlsRedirects;

TEST_F(TlsProtocol, APlatformOfferingHttp2IsSpokenToInHttp1WhereALostAnswerGoesOutOnce) {
  serveOverTls(authority_.issue(kPlatformHostName), true);
  expectSuccessLater(createSession());  // leaves its connection open for the next call
  ASSERT_EQ(platform_->requests().size(), 1u);
  EXPECT_TRUE(platform_->requests()[0].signatureValid);

  platform_->script("POST", kSessionPath, {.resetConnection = true, .times = 1});
  EXPECT_TRUE(createSession().error);
  const auto sent = platform_->requests();
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[1].body, sent[0].body);
}

}  // namespace
}  // namespace zelvora::test
