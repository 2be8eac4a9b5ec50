// The event connection's life: its address, drops, refusals, repeated connects, the app's
// background and foreground with their background tasks, the notifications, and wss.
#include "EventMessages.hpp"
#include "WebSocket.hpp"
#include "e2e/EventsFixture.hpp"
#include "support/TestCertificates.hpp"

#include <zelvora/Application.hpp>

namespace zelvora::test {
namespace {

using std::chrono::milliseconds;

TEST(EventSocketAddress, FollowsTheConfiguredSchemeHostAndPortAndTheDevice) {
  const struct {
    ServerAddress server;
    std::optional<std::string> device;
    std::string address;
  } cases[] = {
      {{"https", "api.zelvora.com", 443}, "ABC", "wss://api.zelvora.com:443/api/client/ws/ABC"},
      {{"http", "platform.test", 80}, "ABC", "ws://platform.test:80/api/client/ws/ABC"},
      {{"HTTPS", "platform.test", 8443}, "ABC", "ws://platform.test:8443/api/client/ws/ABC"},
      {{"https", "platform.test", 8443}, std::nullopt, "wss://platform.test:8443/api/client/ws/"},
  };
  for (const auto& test : cases) {
    EXPECT_EQ(internal::eventSocketAddress(test.server, test.device), test.address);
  }
}

class EventConnection : public EventsTest {
 protected:
  // Waits the time and tells whether anything connected in it.
  std::size_t attemptsWithin(milliseconds time) {
    const auto before = events().upgradeAttempts();
    runMainLoopFor(time);
    return events().upgradeAttempts() - before;
  }

  // Immediate reconnects would make hundreds of attempts in two seconds; the backoff (20 ms
  // doubling up to 400 ms in this fixture) makes about ten, and the connection follows soon after
  // `admit` lets the server take it.
  void expectBoundedAttemptsThenAConnection(fake::EventSocketServer& server,
                                            const std::function<void()>& admit) {
    ZelvoraEventListener::shared().connect();
    runMainLoopFor(milliseconds(2000));
    EXPECT_GE(count("disconnected"), 5u);
    EXPECT_LE(count("disconnected"), 14u);
    admit();
    const auto admitted = std::chrono::steady_clock::now();
    EXPECT_TRUE(
        runMainLoopUntil([&] { return server.openConnections() == 1 && count("connected") == 1; }));
    EXPECT_LT(std::chrono::steady_clock::now() - admitted, milliseconds(600));
  }

  std::string host() const {
    return std::string(kPlatformHostName) + ":" + std::to_string(platform_->port());
  }

  // Puts a fresh listener with these settings behind ZelvoraEventListener::shared().
  void listenWith(internal::ReconnectSettings settings) {
    listener_ = internal::EventListener::create({.delegate = {}, .reconnect = settings});
    internal::exchangeInternalWebSocketListenerForTesting(listener_);
  }
};

// The shipped backoff, made twenty times faster, so that twenty of its seconds pass in one.
constexpr int kTimeScale = 20;
constexpr internal::ReconnectSettings kScaledReconnect{
    .base = internal::ReconnectSettings{}.base / kTimeScale,
    .cap = internal::ReconnectSettings{}.cap / kTimeScale,
    .stableAfter = internal::ReconnectSettings{}.stableAfter / kTimeScale};
constexpr milliseconds kTwentyScaledSeconds = std::chrono::seconds(20) / kTimeScale;
constexpr std::size_t kStormLimit = 10;

// An app that connects again whenever it hears of a disconnect makes its attempts wait with the
// listener's own.
TEST_F(EventConnection, ConnectingOnEveryDisconnectDoesNotStormARefusingPlatform) {
  listenWith(kScaledReconnect);
  events().refuseUpgrades(503);
  auto& center = NotificationCenter::defaultCenter();
  const auto reconnecting =
      center.addObserver(std::string(ZelvoraEventListener::websocketDisconnectedNotification),
                         [] { ZelvoraEventListener::shared().connect(); });
  ZelvoraEventListener::shared().connect();
  runMainLoopFor(kTwentyScaledSeconds);
  center.removeObserver(reconnecting);
  EXPECT_LT(events().upgradeAttempts(), kStormLimit);
  EXPECT_GE(events().upgradeAttempts(), 4u);
}

// Each connection the platform closes at once counts as failed, also when the app reconnects on
// its own before the close arrives.
TEST_F(EventConnection, ConnectingOnEachConnectionOrEventDoesNotStormAClosingPlatform) {
  struct ConnectingDelegate final : RecordingDelegate {
    using RecordingDelegate::RecordingDelegate;
    void didReceivePostPaymentOffer(const std::string& imageUrl) override {
      RecordingDelegate::didReceivePostPaymentOffer(imageUrl);
      ZelvoraEventListener::shared().connect();
    }
  };
  auto& center = NotificationCenter::defaultCenter();
  const auto connected = std::string(ZelvoraEventListener::websocketConnectedNotification);
  for (const bool onEvent : {false, true}) {
    SCOPED_TRACE(onEvent ? "connecting in a delegate callback" : "connecting on each connection");
    listenWith(kScaledReconnect);
    log_.clear();
    const auto app = std::make_shared<ConnectingDelegate>(log_);
    ZelvoraEventListener::shared().setDelegate(app);
    const auto closing = center.addObserver(connected, [&] {
      events().pushText(eventFrame("post-purchase-offer", {{"image-url", "offer"}}));
      events().closeAll(true);
    });
    const auto reconnecting = center.addObserver(connected, [onEvent] {
      if (!onEvent) {
        ZelvoraEventListener::shared().connect();
      }
    });
    ZelvoraEventListener::shared().connect();
    runMainLoopFor(kTwentyScaledSeconds);
    center.removeObserver(closing);
    center.removeObserver(reconnecting);
    EXPECT_LT(count("connected"), kStormLimit);
    EXPECT_GE(count("connected"), 3u);
    runMainLoopFor(milliseconds(50));  // the connects still queued reach this case's listener
  }
}

// Each connection opens and falls silent until the idle limit drops it: once is followed at once,
// but a run of them counts as failures and waits longer and longer.
TEST_F(EventConnection, ConnectionsThatEachFallSilentAreRetriedWithGrowingWaits) {
  using Clock = std::chrono::steady_clock;
  listenWith(kScaledReconnect);
  internal::setWebSocketIdleLimitForTesting(kScaledReconnect.stableAfter + milliseconds(100));
  std::vector<Clock::time_point> connected, disconnected;
  auto& center = NotificationCenter::defaultCenter();
  const std::vector<NotificationCenter::Token> observers = {
      center.addObserver(std::string(ZelvoraEventListener::websocketConnectedNotification),
                         [&] {
                           connected.push_back(Clock::now());
                           events().goSilent();
                         }),
      center.addObserver(std::string(ZelvoraEventListener::websocketDisconnectedNotification),
                         [&] { disconnected.push_back(Clock::now()); })};
  ZelvoraEventListener::shared().connect();
  const bool eight =
      runMainLoopUntil([&] { return connected.size() == 8; }, std::chrono::seconds(20));
  for (const auto token : observers) {
    center.removeObserver(token);
  }
  ASSERT_TRUE(eight);
  const auto waitAfter = [&](std::size_t drop) { return connected[drop + 1] - disconnected[drop]; };
  EXPECT_LT(waitAfter(0), milliseconds(100));
  // The seventh failure in a row waits 0.4 to 0.8 s.
  EXPECT_GE(waitAfter(6), milliseconds(300));
  EXPECT_GT(waitAfter(6), waitAfter(1));
}

// A connection that was open ends, whatever ends it: the next attempt starts at once, also right
// after a run of refused attempts made the listener wait.
TEST_F(EventConnection, TheEndOfAnOpenConnectionIsFollowedAtOnceAfterARunOfFailures) {
  // After two refusals the next wait would be 0.3 to 0.6 s, and after the connection's end 0.6 to
  // 1.2 s, were its end counted as one more failure.
  constexpr internal::ReconnectSettings kSlowBackoff{.base = milliseconds(600),
                                                     .cap = std::chrono::seconds(30),
                                                     .stableAfter = std::chrono::seconds(10)};
  const struct {
    const char* name;
    std::function<void()> close;
  } closes[] = {
      {"the app's disconnect()", [] { ZelvoraEventListener::shared().disconnect(); }},
      {"the platform's close", [&] { events().closeAll(true); }},
      {"a drop", [&] { events().closeAll(false); }},
      {"a cancelled transaction",
       [&] {
         events().pushText(eventFrame("basket-update", {{"state", "cancel-transaction"}}));
       }},
      {"a message over the limit",
       [&] { events().pushText(std::string(internal::WebSocket::maxMessageBytes + 1, ' ')); }},
  };
  for (const auto& test : closes) {
    SCOPED_TRACE(test.name);
    listenWith(kSlowBackoff);
    log_.clear();
    events().refuseUpgrades(503);
    const auto refused = events().upgradeAttempts() + 2;
    ZelvoraEventListener::shared().connect();
    ASSERT_TRUE(runMainLoopUntil([&] { return events().upgradeAttempts() == refused; }));
    events().refuseUpgrades(std::nullopt);
    awaitConnection();
    const auto closed = std::chrono::steady_clock::now();
    test.close();
    EXPECT_TRUE(runMainLoopUntil([&] { return events().upgradeAttempts() == refused + 2; }));
    EXPECT_LT(std::chrono::steady_clock::now() - closed, milliseconds(400));
    awaitConnection(2);
  }
}

TEST_F(EventConnection, TheServerSeesTheDevicesPathTheHostAndBothProtocols) {
  const std::optional<std::string> devices[] = {kDeviceId, std::nullopt};
  std::size_t connections = 0;
  for (const auto& identifier : devices) {
    device_->identifier = identifier;
    ZelvoraEventListener::shared().connect();
    awaitConnection(++connections);
  }
  const auto handshakes = events().handshakes();
  ASSERT_EQ(handshakes.size(), 2u);
  EXPECT_EQ(handshakes[0].path, std::string("/api/client/ws/") + kDeviceId);
  EXPECT_EQ(handshakes[1].path, "/api/client/ws/");
  for (const auto& handshake : handshakes) {
    EXPECT_EQ(handshake.protocols, "chat, superchat");
    EXPECT_EQ(handshake.host, host());
  }
}

TEST_F(EventConnection, ADropInTheForegroundReconnectsOnce) {
  connect();
  for (const bool cleanly : {true, false}) {
    SCOPED_TRACE(cleanly ? "closed cleanly" : "closed abruptly");
    const auto attempts = events().upgradeAttempts();
    const auto connections = count("connected");
    events().closeAll(cleanly);
    awaitConnection(connections + 1);
    EXPECT_EQ(attemptsWithin(milliseconds(300)), 0u);
    EXPECT_EQ(events().upgradeAttempts(), attempts + 1);
  }
  EXPECT_EQ(log_, (std::vector<std::string>{"connected", "disconnected", "connected",
                                            "disconnected", "connected"}));
}

TEST_F(EventConnection, ARefusingServerSeesBoundedAttemptsAndAConnectionSoonAfter) {
  events().refuseUpgrades(503);
  expectBoundedAttemptsThenAConnection(events(), [&] {
    EXPECT_EQ(count("disconnected"), events().upgradeAttempts());
    events().refuseUpgrades(std::nullopt);
  });
}

TEST_F(EventConnection, AServerThatStopsListeningIsRetriedWithBackoff) {
  fake::EventSocketServer server(std::nullopt);
  ASSERT_TRUE(initializeWithHost(platformAddress("http", server.port())));
  server.stopListening();
  expectBoundedAttemptsThenAConnection(server, [&] { server.resumeListening(); });
}

// A replaced socket, open or still opening, is closed and forgotten: its end starts nothing.
TEST_F(EventConnection, ConnectWhileOpenOrOpeningLeavesExactlyOneConnection) {
  connect();
  ZelvoraEventListener::shared().connect();
  awaitConnection(2);
  EXPECT_EQ(log_, (std::vector<std::string>{"connected", "disconnected", "connected"}));

  events().holdUpgrades(true);
  ZelvoraEventListener::shared().connect();
  ASSERT_TRUE(runMainLoopUntil([&] { return events().upgradeAttempts() == 3; }));
  ZelvoraEventListener::shared().connect();
  ASSERT_TRUE(runMainLoopUntil([&] { return events().upgradeAttempts() == 4; }));
  events().holdUpgrades(false);
  awaitConnection(3);
  EXPECT_EQ(attemptsWithin(milliseconds(300)), 0u);
  EXPECT_EQ(events().openConnections(), 1u);
  EXPECT_EQ(count("disconnected"), 2u);
}

// The app's disconnect() does not keep the listener away in the foreground.
TEST_F(EventConnection, DisconnectClosesTheOpenConnectionWhichOpensAgain) {
  ZelvoraEventListener::shared().disconnect();
  EXPECT_EQ(attemptsWithin(milliseconds(100)), 0u);
  connect();
  ZelvoraEventListener::shared().disconnect();
  awaitConnection(2);
  EXPECT_EQ(log_, (std::vector<std::string>{"connected", "disconnected", "connected"}));
}

TEST_F(EventConnection, TheBackgroundClosesTheConnectionInsideATaskAndTheForegroundReopensIt) {
  connect();
  Application::didEnterBackground();
  ASSERT_TRUE(runMainLoopUntil([&] { return count("disconnected") == 1; }));
  EXPECT_EQ(tasks_->running(), 0u);
  EXPECT_EQ(attemptsWithin(milliseconds(300)), 0u);
  Application::didEnterBackground();  // nothing open: its task ends at once
  EXPECT_EQ(tasks_->running(), 0u);
  Application::willEnterForeground();
  awaitConnection(2);
  EXPECT_EQ(tasks_->begun(), 2u);
  EXPECT_TRUE(tasks_->eachEndedOnce());
  EXPECT_EQ(log_, (std::vector<std::string>{"connected", "disconnected", "connected"}));
}

TEST_F(EventConnection, EnteringTheBackgroundWhileOpeningClosesTheConnection) {
  events().holdUpgrades(true);
  ZelvoraEventListener::shared().connect();
  ASSERT_TRUE(runMainLoopUntil([&] { return events().upgradeAttempts() == 1; }));
  Application::didEnterBackground();
  ASSERT_TRUE(runMainLoopUntil([&] { return count("disconnected") == 1; }));
  events().holdUpgrades(false);
  EXPECT_EQ(attemptsWithin(milliseconds(300)), 0u);
  EXPECT_EQ(events().openConnections(), 0u);
  EXPECT_EQ(count("connected"), 0u);
  EXPECT_TRUE(tasks_->eachEndedOnce());
}

// The task ends once, at its expiry, whatever is reported after it.
TEST_F(EventConnection, AnExpiredBackgroundTaskIsNotEndedAgainByTheClose) {
  connect();
  Application::didEnterBackground();
  Application::backgroundTimeWillExpire();
  EXPECT_EQ(tasks_->running(), 0u);
  ASSERT_TRUE(runMainLoopUntil([&] { return count("disconnected") == 1; }));
  Application::didEnterBackground();
  Application::willEnterForeground();
  awaitConnection(2);
  EXPECT_EQ(tasks_->begun(), 2u);
  EXPECT_TRUE(tasks_->eachEndedOnce());
}

class SecureEventConnection : public EventConnection {
 protected:
  void TearDown() override {
    internal::setWebSocketCertificateAuthorityForTesting(std::nullopt);
    EventConnection::TearDown();
  }

  // Points the SDK at a TLS event server holding the certificate.
  std::unique_ptr<fake::EventSocketServer> serveWith(const TestCertificate& certificate) {
    auto server = std::make_unique<fake::EventSocketServer>(
        fake::TlsIdentity{certificate.certificatePem, certificate.privateKeyPem});
    EXPECT_TRUE(initializeWithHost(platformAddress("https", server->port())));
    return server;
  }

  TestCertificateAuthority authority_;
};

TEST_F(SecureEventConnection, WssVerifiesTheServerAgainstTrustedAuthoritiesAndItsName) {
  internal::setWebSocketCertificateAuthorityForTesting(authority_.certificateFile().string());
  const auto server = serveWith(authority_.issue(kPlatformHostName));
  ZelvoraEventListener::shared().connect();
  ASSERT_TRUE(runMainLoopUntil([&] { return count("connected") == 1; }));
  EXPECT_EQ(server->handshakes().at(0).path, std::string("/api/client/ws/") + kDeviceId);
  server->pushText(eventFrame("post-purchase-offer", {{"image-url", "over TLS"}}));
  EXPECT_TRUE(runMainLoopUntil([&] { return count("didReceivePostPaymentOffer over TLS") == 1; }));
}

TEST_F(SecureEventConnection, WssRefusesAnUntrustedOrMisnamedServer) {
  internal::setWebSocketCertificateAuthorityForTesting(authority_.certificateFile().string());
  const TestCertificate refused[] = {TestCertificateAuthority::selfSigned(kPlatformHostName),
                                     authority_.issue("elsewhere.test")};
  for (const auto& certificate : refused) {
    log_.clear();
    const auto server = serveWith(certificate);
    ZelvoraEventListener::shared().connect();
    ASSERT_TRUE(runMainLoopUntil([&] { return count("disconnected") >= 2; }));
    EXPECT_EQ(count("connected"), 0u);
    EXPECT_EQ(server->upgradeAttempts(), 0u);
  }
}

}  // namespace
}  // namespace zelvora::test
