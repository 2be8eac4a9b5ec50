// The event socket against a platform that misbehaves on the wire: a link that falls silent, a
// closing handshake or a protocol error left unfinished, a flood of frames, and an upgrade reply
// that takes up what the client did not offer.
#include "WebSocket.hpp"
#include "e2e/EventsFixture.hpp"

namespace zelvora::test {
namespace {

using namespace std::chrono_literals;
using internal::WebSocket;
using internal::webSocketBacklogForTesting;

class EventSocketFaults : public EventsTest {
 protected:
  static std::string offer(std::size_t index) {
    return eventFrame("post-purchase-offer", {{"image-url", std::to_string(index)}});
  }
};

// Each is followed by the platform's silence; the connection is dropped and replaced.
TEST_F(EventSocketFaults, APlatformThatFallsSilentIsDroppedAndReplaced) {
  const struct {
    const char* what;
    std::string bytes;  // written raw before the silence
  } cases[] = {
      {"nothing", ""},
      {"a close frame (1000)", "\x88\x02\x03\xe8"},
      {"a close frame (1002)", "\x88\x02\x03\xea"},
      {"a frame of a reserved opcode", "\x83\x00"},
      {"a text frame that is not UTF-8", "\x81\x02\xc3\x28"},
  };
  internal::setWebSocketIdleLimitForTesting(600ms);
  connect();
  for (const auto& test : cases) {
    SCOPED_TRACE(test.what);
    const auto connections = count("connected");
    if (!test.bytes.empty()) {
      events().pushRaw(test.bytes);
    }
    events().goSilent();
    awaitConnection(connections + 1);
    EXPECT_EQ(count("disconnected"), connections);
    EXPECT_EQ(events().upgradeAttempts(), connections + 1);
  }
}

// Far within the idle limit, the app's close, which the platform does not answer, ends the
// connection, and it opens again.
TEST_F(EventSocketFaults, ACloseThePlatformDoesNotAnswerEndsAndTheConnectionOpensAgain) {
  internal::setWebSocketIdleLimitForTesting(10min);
  connect();
  events().goSilent();
  ASSERT_TRUE(runMainLoopUntil([&] { return events().openConnections() == 0; }));
  ZelvoraEventListener::shared().disconnect();
  awaitConnection(2);
  EXPECT_EQ(log_, (std::vector<std::string>{"connected", "disconnected", "connected"}));
}

// While the main thread takes nothing, the socket reads up to its bound and no further; then every
// frame reaches the delegate, in order, and the bound held throughout.
TEST_F(EventSocketFaults, AFloodReachesTheDelegateInOrderWithBoundedFramesWaiting) {
  constexpr std::size_t frames = 3000;
  connect();
  ASSERT_TRUE(runMainLoopUntil([] { return webSocketBacklogForTesting().frames == 0; }));
  webSocketBacklogForTesting();  // the peak starts afresh
  events().pushTexts(frames, offer);
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  while (webSocketBacklogForTesting().frames < WebSocket::maxFramesWaiting &&
         std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(1ms);
  }
  EXPECT_EQ(webSocketBacklogForTesting().frames, WebSocket::maxFramesWaiting);

  ASSERT_TRUE(runMainLoopUntil([&] { return log_.size() == frames + 1; }, 60s));
  for (std::size_t i = 0; i < frames; ++i) {
    ASSERT_EQ(log_[i + 1], "didReceivePostPaymentOffer " + std::to_string(i));
  }
  EXPECT_LE(webSocketBacklogForTesting().peakFrames, WebSocket::maxFramesWaiting);
}

// The app's main thread takes no frame for longer than the idle limit, in the delegate's callback
// of the first one, while the platform pushes more than the socket reads ahead. Reading waits for
// room and the idle limit with it: the connection stays, and every frame arrives, in order, once
// the main thread takes them again. A link that died meanwhile is dropped after its frames.
TEST_F(EventSocketFaults, AMainThreadBusyPastTheIdleLimitKeepsTheConnectionAndEveryFrame) {
  constexpr auto kIdleLimit = 1s;
  struct BusyDelegate final : RecordingDelegate {
    using RecordingDelegate::RecordingDelegate;
    void didReceivePostPaymentOffer(const std::string& imageUrl) override {
      RecordingDelegate::didReceivePostPaymentOffer(imageUrl);
      if (imageUrl == "0") {
        busy();
      }
    }
    std::function<void()> busy;
  };
  const auto sleep = [](auto time) { return [time] { std::this_thread::sleep_for(time); }; };
  const auto modal = [](auto time) { return [time] { runMainLoopFor(time); }; };
  const struct {
    const char* what;
    std::size_t frames;
    std::function<void()> busy;
    bool linkDies;
  } cases[] = {
      {"busy 3 s", 200, sleep(3s), false},
      {"busy just past the limit", 1000, sleep(1200ms), false},
      {"a nested main loop for 3 s", 200, modal(3s), false},
      {"busy 3 s while the link dies", 200, sleep(3s), true},
  };
  internal::setWebSocketIdleLimitForTesting(kIdleLimit);
  const auto app = std::make_shared<BusyDelegate>(log_);
  ZelvoraEventListener::shared().setDelegate(app);
  connect();
  for (const auto& test : cases) {
    SCOPED_TRACE(test.what);
    log_.clear();
    app->busy = test.busy;
    std::vector<std::string> expected;
    for (std::size_t i = 0; i < test.frames; ++i) {
      expected.push_back("didReceivePostPaymentOffer " + std::to_string(i));
    }
    events().pushTexts(test.frames, offer);
    if (test.linkDies) {
      events().goSilent();
      expected.insert(expected.end(), {"disconnected", "connected"});
    }
    ASSERT_TRUE(runMainLoopUntil(
        [&] { return log_.size() >= test.frames || count("connected") > 0; }, 30s));
    if (test.linkDies) {
      const auto resumed = std::chrono::steady_clock::now();
      awaitConnection(1);
      EXPECT_LT(std::chrono::steady_clock::now() - resumed, 2 * kIdleLimit);
    } else {
      runMainLoopFor(kIdleLimit + 200ms);  // the pongs read since keep the link
    }
    EXPECT_EQ(log_, expected);
  }
}

// The app never hears of a connection, and the listener retries as after any failed attempt;
// once the platform answers as it should, the next attempt connects.
TEST_F(EventSocketFaults, AnUpgradeReplyTakingUpWhatWasNotOfferedFailsTheAttempt) {
  using Headers = std::vector<std::pair<std::string, std::string>>;
  const Headers replies[] = {
      {{"Sec-WebSocket-Protocol", "mqtt"}},
      {{"Sec-WebSocket-Protocol", "chat, superchat"}},
      {{"Sec-WebSocket-Protocol", "chat"}, {"Sec-WebSocket-Extensions", "permessage-deflate"}},
  };
  for (const auto& headers : replies) {
    SCOPED_TRACE(headers.back().second);
    events().replyWithHeaders(headers);
    const auto attempts = events().upgradeAttempts();
    ZelvoraEventListener::shared().connect();
    ASSERT_TRUE(runMainLoopUntil([&] { return events().upgradeAttempts() >= attempts + 3; }));
    EXPECT_EQ(count("connected"), 0u);
  }
  events().replyWithHeaders(std::nullopt);
  awaitConnection(1);
}

}  // namespace
}  // namespace zelvora::test
