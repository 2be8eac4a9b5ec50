// Shopper authentication through the facade: when the session is created first, how the
// platform's reply becomes the stored session, and when the event listener is connected.
#include "e2e/FacadeFixture.hpp"
#include "support/ModelContent.hpp"

namespace zelvora::test {
namespace {

class Authentication : public FacadeTest {
 protected:
  Outcome<Session> authenticate() {
    return await<Session>([&](Completion<Session> done) {
      api_.authenticateShopper(kMerchantShopperId, "auth-7",
                               [this, done](auto session, auto error) {
                                 events_.push_back("completion");
                                 done(std::move(session), std::move(error));
                               });
    });
  }

  std::shared_ptr<Session> createSession() {
    return await<Session>([&](auto done) { api_.createSession(done); }).value;
  }

  std::vector<std::string> requestedPaths() const {
    std::vector<std::string> paths;
    for (const auto& request : platform_->requests()) {
      paths.push_back(request.path);
    }
    return paths;
  }

  const std::string createPath_ = "/api/client/session";
  const std::string authenticatePath_ = "/api/client/session/authenticate-shopper";
};

TEST_F(Authentication, WithoutAStoredSessionCreatesOneFirstAndAuthenticatesIntoIt) {
  const auto outcome = authenticate();
  expectSuccessLater(outcome);
  EXPECT_EQ(requestedPaths(), (std::vector<std::string>{createPath_, authenticatePath_}));
  EXPECT_EQ(Json::parse(lastRequest("POST", authenticatePath_).body).at("session-id"),
            outcome.value->id.value());
  EXPECT_TRUE(isOwnCopyOf(outcome.value, store().session));
  EXPECT_EQ(outcome.value->state, Session::State::Authenticated);
  EXPECT_EQ(outcome.value->shopperId, platform_->shopperIdFor(kMerchantShopperId));
  // The platform replaced the token: later calls only work with the stored new one.
  expectSuccessLater(await<Shopper>([&](auto done) { api_.getShopper(done); }));
}

TEST_F(Authentication, AStoredSessionIsAuthenticatedDirectlyOnlyWhileUsable) {
  const struct {
    std::function<void(Session&)> change;
    bool usable;
  } cases[] = {
      {[](Session& s) { s.state = Session::State::New; }, true},
      {[](Session& s) { s.state = Session::State::Authenticated; }, true},
      {[](Session& s) { s.state = Session::State::Reset; }, false},
      {[](Session& s) { s.state.reset(); }, false},
      {[](Session& s) { s.id = ""; }, false},
      {[](Session& s) { s.id.reset(); }, false},
  };
  for (const auto& c : cases) {
    const auto stored = createSession();
    const auto storedId = stored->id;
    c.change(*stored);
    internal::StoreState::set(&internal::StoreValues::session, stored);
    platform_->clearRequests();
    const auto outcome = authenticate();
    expectSuccessLater(outcome);
    const std::vector<std::string> directly{authenticatePath_};
    const std::vector<std::string> afterANewSession{createPath_, authenticatePath_};
    EXPECT_EQ(requestedPaths(), c.usable ? directly : afterANewSession);
    EXPECT_EQ(outcome.value->id == storedId, c.usable);
  }
}

TEST_F(Authentication, AFailedSessionCreationIsWhatTheCompletionGets) {
  answer("POST", createPath_, 400,
         R"({"status":"error","error":"bad","tag":"merchant","message":"Merchant suspended"})");
  const auto outcome = authenticate();
  expectError(outcome, Error::transportDomain, 123);
  EXPECT_EQ(outcome.error->failureReason(), "Merchant suspended");
  EXPECT_EQ(requestedPaths(), std::vector<std::string>{createPath_});
  EXPECT_EQ(Store::session(), nullptr);
  EXPECT_EQ(events_, std::vector<std::string>{"completion"});
}

TEST_F(Authentication, ACreatedSessionWithoutAnIdIsKeptAndStopsTheAuthentication) {
  answer("POST", createPath_, 200, R"({"state":"new","token":"t-1"})");
  const auto outcome = authenticate();
  expectError(outcome, Error::zelvoraDomain, 0);
  EXPECT_EQ(outcome.error->zelvoraError()->requiredDataNotAvailableReason(),
            Reason::sessionNotAvailable);
  EXPECT_EQ(Store::session()->token, "t-1");
  EXPECT_EQ(requestedPaths(), std::vector<std::string>{createPath_});
}

TEST_F(Authentication, TheReplyBecomesANewStoredSessionHandedToTheAppBeforeTheListenerConnects) {
  createSession();
  answer("POST", authenticatePath_, 200, R"({
    "merchant-id": "m-1", "device-id": "D-1", "created": "2024-05-01T10:00:00.000+00:00",
    "state": "authenticated", "location-info": [{"format": "zip", "zip": "94107"}],
    "merchant-auth-token": "mat-1", "is-active": true, "token": "tok-1", "id": "s-1",
    "shopper-id": "sh-1"})");
  const auto outcome = authenticate();
  expectSuccessLater(outcome);
  EXPECT_TRUE(isOwnCopyOf(outcome.value, store().session));
  const auto session = Store::session();
  EXPECT_EQ(session->created,
            Date(std::chrono::sys_days(std::chrono::year(2024) / 5 / 1) + std::chrono::hours(10)));
  EXPECT_EQ(session->state, Session::State::Authenticated);
  EXPECT_FALSE(session->locationInfo);
  EXPECT_EQ(session->token, "tok-1");
  EXPECT_EQ(session->id, "s-1");
  EXPECT_EQ(session->shopperId, "sh-1");
  EXPECT_EQ(events_, (std::vector<std::string>{"completion", "connect"}));
}

TEST_F(Authentication, AResetReplyIsStoredAndSendsTheNextAuthenticationToANewSession) {
  createSession();
  answer("POST", authenticatePath_, 200, R"({"id":"s-1","state":"reset","token":"tok-1"})");
  expectSuccessLater(authenticate());
  EXPECT_EQ(Store::session()->state, Session::State::Reset);
  expectRefusedBeforeReturn(await<Shopper>([&](auto done) { api_.getShopper(done); }),
                            Reason::authenticatedSessionNotAvailable);
  platform_->clearScripts();
  platform_->clearRequests();
  expectSuccessLater(authenticate());
  EXPECT_EQ(requestedPaths(), (std::vector<std::string>{createPath_, authenticatePath_}));
}

TEST_F(Authentication, AReplyWithoutContentKeepsTheStoredSessionAndStillConnects) {
  createSession();
  const auto stored = store().session;
  answer("POST", authenticatePath_, 204);
  const auto outcome = authenticate();
  expectSuccessLater(outcome);
  EXPECT_TRUE(isOwnCopyOf(outcome.value, stored));
  EXPECT_EQ(store().session, stored);
  EXPECT_EQ(events_, (std::vector<std::string>{"completion", "connect"}));
}

}  // namespace
}  // namespace zelvora::test
