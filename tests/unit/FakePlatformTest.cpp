#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

#include "fake_platform/FakePlatform.hpp"
#include "fake_platform/Http.hpp"
#include "fake_platform/Signing.hpp"

namespace zelvora::fake {
namespace {

using namespace std::chrono_literals;
using nlohmann::json;

const Credentials kCredentials{"merchant-7", "key-7", "secret-7"};
constexpr std::string_view kCorrelationId = "corr-42";

std::int64_t nowInSeconds() {
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

HttpRequest signedRequest(std::string method, std::string target, std::string body,
                          std::string token) {
  HttpRequest request{std::move(method), std::move(target), {}, std::move(body)};
  signRequest(request, kCredentials,
              {std::move(token), std::string(kCorrelationId), nowInSeconds()});
  return request;
}

json bodyOf(const Exchange& exchange) {
  EXPECT_EQ(exchange.outcome, Exchange::Outcome::replied);
  return json::parse(exchange.response.body, nullptr, false);
}

// The form the client reads as a platform error with a tag and a message.
void expectMessageError(const Exchange& exchange, int status, std::string_view tag) {
  EXPECT_EQ(exchange.response.status, status);
  const json body = bodyOf(exchange);
  EXPECT_EQ(body.value("status", ""), "error");
  EXPECT_TRUE(body.value("error", json()).is_string());
  EXPECT_EQ(body.value("tag", ""), tag);
  EXPECT_TRUE(body.value("message", json()).is_string()) << body;
}

// The form the client reads as a platform error naming a parameter.
void expectParameterError(const Exchange& exchange, std::string_view param) {
  EXPECT_EQ(exchange.response.status, 400);
  const json body = bodyOf(exchange);
  EXPECT_EQ(body.value("status", ""), "error");
  ASSERT_TRUE(body.value("errors", json()).is_array()) << body;
  EXPECT_EQ(body["errors"][0].value("param", ""), param);
  EXPECT_TRUE(body["errors"][0].value("error", json()).is_string());
}

class FakePlatformTest : public ::testing::Test {
 protected:
  Exchange call(std::string method, std::string target, std::string body = "") {
    return client.send(signedRequest(std::move(method), std::move(target), std::move(body), token));
  }

  json callForJson(std::string method, std::string target, const json& body = nullptr) {
    const Exchange exchange =
        call(std::move(method), std::move(target), body.is_null() ? std::string() : body.dump());
    EXPECT_EQ(exchange.response.status, 200) << exchange.response.body;
    return bodyOf(exchange);
  }

  json createSession() {
    return callForJson("POST", "/api/client/session",
                       {{"device-id", "DEVICE-1"}, {"merchant-id", kCredentials.merchantId}});
  }

  // Leaves the authenticated session's token in `token`.
  json signIn(const std::string& merchantShopperId = "alice") {
    const json session = createSession();
    token = session["token"];
    json authenticated = callForJson("POST", "/api/client/session/authenticate-shopper",
                                     {{"session-id", session["id"]},
                                      {"merchant-shopper-id", merchantShopperId},
                                      {"merchant-auth-token", "merchant-token"}});
    token = authenticated["token"];
    return authenticated;
  }

  json createBasket(const json& session) {
    return callForJson("POST", "/api/client/basket", {{"session-id", session["id"]}});
  }

  FakePlatform platform{kCredentials};
  HttpClient client{platform.port()};
  std::string token;
};

TEST(FakePlatformSigning, HmacMatchesTheRfc4231Vector) {
  EXPECT_EQ(hmacSha256Hex("Jefe", "what do ya want for nothing?"),
            "5bdcc146bf60754e6a042426089575c75a003f089d2739839dec58b964ec3843");
}

TEST(FakePlatformSigning, PercentDecodingLeavesMalformedEscapesAlone) {
  EXPECT_EQ(percentDecode("a%20b%2Fc%zz%4"), "a b/c%zz%4");
  EXPECT_EQ(decodedPathOf("/p/QR%20X?q=%20"), "/p/QR X");
}

TEST_F(FakePlatformTest, AcceptsACorrectlySignedRequest) {
  const json session = createSession();

  EXPECT_EQ(session["merchant-id"], kCredentials.merchantId);
  EXPECT_EQ(session["device-id"], "DEVICE-1");
  EXPECT_EQ(session["state"], "new");
  EXPECT_FALSE(session.value("token", "").empty());
  ASSERT_EQ(platform.requests().size(), 1u);
  EXPECT_TRUE(platform.requests().front().signatureValid);
}

template <class Row>
std::string rowName(const ::testing::TestParamInfo<Row>& row) {
  return row.param.description;
}

struct SignatureCase {
  const char* description;
  std::string signedTextPattern;  // "<now>" stands for the timestamp sent
  bool upperCaseHex;
  bool accepted;
};

std::string withTimestamp(std::string pattern, const std::string& timestamp) {
  const std::size_t at = pattern.find("<now>");
  return at == std::string::npos ? pattern : pattern.replace(at, 5, timestamp);
}

std::string upperCased(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return text;
}

class SignatureCoverage : public ::testing::TestWithParam<SignatureCase> {};

// The signed text is exactly key, timestamp, correlation id, method, decoded path and body.
TEST_P(SignatureCoverage, ChecksExactlyTheSignedText) {
  const SignatureCase& row = GetParam();
  FakePlatform platform(kCredentials);
  HttpClient client(platform.port());
  const std::string timestamp = std::to_string(nowInSeconds());
  const std::string signature =
      hmacSha256Hex(kCredentials.apiSecret, withTimestamp(row.signedTextPattern, timestamp));
  const HttpRequest request{"POST",
                            "/api/client/pos/product-offer/QR%20X?lang=en",
                            {{"Authorization", "Bearer "},
                             {"Content-type", "application/json"},
                             {"X-api-key", kCredentials.apiKey},
                             {"X-timestamp", timestamp},
                             {"X-correlation-id", std::string(kCorrelationId)},
                             {"X-signature", row.upperCaseHex ? upperCased(signature) : signature}},
                            R"({"a":1})"};

  const Exchange exchange = client.send(request);

  ASSERT_EQ(platform.requests().size(), 1u);
  EXPECT_EQ(platform.requests().front().signatureValid, row.accepted);
  EXPECT_EQ(exchange.response.status == 401, !row.accepted);
}

INSTANTIATE_TEST_SUITE_P(
    FakePlatform, SignatureCoverage,
    ::testing::Values(
        SignatureCase{"exact", R"(key-7<now>corr-42POST/api/client/pos/product-offer/QR X{"a":1})",
                      false, true},
        SignatureCase{"escaped_path",
                      R"(key-7<now>corr-42POST/api/client/pos/product-offer/QR%20X{"a":1})", false,
                      false},
        SignatureCase{"with_query",
                      R"(key-7<now>corr-42POST/api/client/pos/product-offer/QR X?lang=en{"a":1})",
                      false, false},
        SignatureCase{"lower_case_method",
                      R"(key-7<now>corr-42post/api/client/pos/product-offer/QR X{"a":1})", false,
                      false},
        SignatureCase{"without_body", R"(key-7<now>corr-42POST/api/client/pos/product-offer/QR X)",
                      false, false},
        SignatureCase{"with_separators",
                      R"(key-7|<now>|corr-42|POST|/api/client/pos/product-offer/QR X|{"a":1})",
                      false, false},
        SignatureCase{"other_timestamp",
                      R"(key-71000000000corr-42POST/api/client/pos/product-offer/QR X{"a":1})",
                      false, false},
        SignatureCase{"upper_case_hex",
                      R"(key-7<now>corr-42POST/api/client/pos/product-offer/QR X{"a":1})", true,
                      false}),
    rowName<SignatureCase>);

TEST_F(FakePlatformTest, RejectsABadSignatureWithThePlatformErrorBody) {
  HttpRequest request =
      signedRequest("POST", "/api/client/session", R"({"merchant-id":"merchant-7"})", "");
  request.body = R"({"merchant-id":"merchant-8"})";

  const Exchange exchange = client.send(request);

  expectMessageError(exchange, 401, "signature");
  EXPECT_FALSE(platform.requests().front().signatureValid);
}

struct HeaderFault {
  const char* description;
  std::function<void(HttpRequest&)> apply;
  int status;
  const char* tag;
};

class HeaderFaults : public ::testing::TestWithParam<HeaderFault> {};

TEST_P(HeaderFaults, AreRejectedWithTheMessageForm) {
  FakePlatform platform(kCredentials);
  HttpClient client(platform.port());
  HttpRequest request = signedRequest("POST", "/api/client/session",
                                      R"({"device-id":"D","merchant-id":"merchant-7"})", "");
  GetParam().apply(request);

  expectMessageError(client.send(request), GetParam().status, GetParam().tag);
}

std::function<void(HttpRequest&)> without(std::string header) {
  return [header](HttpRequest& request) { request.headers.erase(header); };
}

std::function<void(HttpRequest&)> with(std::string header, std::string value) {
  return [header, value](HttpRequest& request) { request.headers[header] = value; };
}

INSTANTIATE_TEST_SUITE_P(
    FakePlatform, HeaderFaults,
    ::testing::Values(
        HeaderFault{"no_authorization", without("Authorization"), 400, "missing-header"},
        HeaderFault{"no_content_type", without("Content-type"), 400, "missing-header"},
        HeaderFault{"no_api_key", without("X-api-key"), 400, "missing-header"},
        HeaderFault{"no_timestamp", without("X-timestamp"), 400, "missing-header"},
        HeaderFault{"no_correlation_id", without("X-correlation-id"), 400, "missing-header"},
        HeaderFault{"no_signature", without("X-signature"), 400, "missing-header"},
        HeaderFault{"basic_authorization", with("Authorization", "Basic abc"), 401,
                    "authorization"},
        HeaderFault{"form_content_type", with("Content-type", "application/x-www-form-urlencoded"),
                    400, "content-type"},
        HeaderFault{"unknown_api_key", with("X-api-key", "key-8"), 401, "api-key"},
        HeaderFault{"fractional_timestamp", with("X-timestamp", "1700000000.5"), 400, "timestamp"},
        HeaderFault{"padded_timestamp", with("X-timestamp", "01700000000"), 400, "timestamp"}),
    rowName<HeaderFault>);

TEST_F(FakePlatformTest, AcceptsHeaderNamesInAnyLetterCaseAndAnEmptyCorrelationId) {
  HttpRequest request{
      "POST", "/api/client/session", {}, R"({"device-id":"","merchant-id":"merchant-7"})"};
  signRequest(request, kCredentials, {"", "", nowInSeconds()});
  auto signature = request.headers.extract("X-signature");
  signature.key() = "x-SIGNATURE";
  request.headers.insert(std::move(signature));

  EXPECT_EQ(client.send(request).response.status, 200);
}

TEST_F(FakePlatformTest, RecordsEveryRequestAsItArrived) {
  call("GET", "/api/client/pos/product-offer/QR%20X?lang=en");

  const std::vector<RecordedRequest> recorded = platform.requests();
  ASSERT_EQ(recorded.size(), 1u);
  EXPECT_EQ(recorded[0].method, "GET");
  EXPECT_EQ(recorded[0].target, "/api/client/pos/product-offer/QR%20X?lang=en");
  EXPECT_EQ(recorded[0].path, "/api/client/pos/product-offer/QR X");
  EXPECT_EQ(recorded[0].headers.at("x-correlation-id"), kCorrelationId);
  EXPECT_EQ(recorded[0].headers.at("content-type"), "application/json");
  EXPECT_EQ(recorded[0].body, "");
  EXPECT_TRUE(recorded[0].signatureValid);

  platform.clearRequests();
  EXPECT_TRUE(platform.requests().empty());
}

TEST_F(FakePlatformTest, ScriptedStatusBodyAndHeadersReplaceTheAnswer) {
  platform.script("GET", "/api/client/basket/*",
                  {.status = 503, .body = "down", .headers = {{"Retry-After", "1"}}});

  const Exchange exchange = call("GET", "/api/client/basket/any");

  EXPECT_EQ(exchange.response.status, 503);
  EXPECT_EQ(exchange.response.body, "down");
  EXPECT_EQ(exchange.response.headers.at("retry-after"), "1");
}

TEST_F(FakePlatformTest, ScriptsMatchMethodAndPathAndTheLatestWins) {
  platform.script("*", "/api/client/session", {.status = 500});
  platform.script("POST", "/api/client/session", {.status = 201, .times = 1});

  EXPECT_EQ(call("GET", "/api/client/session/x").response.status, 401);  // exact path only
  EXPECT_EQ(call("POST", "/api/client/session").response.status, 201);
  EXPECT_EQ(call("POST", "/api/client/session").response.status, 500);  // the 201 is used up
  platform.clearScripts();
  EXPECT_EQ(call("POST", "/api/client/session").response.status, 400);
}

TEST_F(FakePlatformTest, ScriptedDelayHoldsThePlatformsOwnAnswer) {
  platform.script("POST", "/api/client/session", {.delay = 300ms});
  const auto start = std::chrono::steady_clock::now();

  const Exchange exchange =
      call("POST", "/api/client/session", R"({"device-id":"D","merchant-id":"merchant-7"})");

  EXPECT_GE(std::chrono::steady_clock::now() - start, 300ms);
  EXPECT_EQ(bodyOf(exchange)["state"], "new");
}

TEST_F(FakePlatformTest, ScriptedDropClosesTheConnectionWithoutAnswer) {
  platform.script("*", "*", {.dropConnection = true});

  EXPECT_EQ(call("GET", "/api/client/session/x").outcome, Exchange::Outcome::connectionClosed);
  EXPECT_EQ(platform.requests().size(), 1u);
}

TEST(FakePlatformStop, ReleasesConnectionsLeftWithoutReply) {
  auto hanging = std::make_unique<FakePlatform>(kCredentials);
  hanging->script("*", "*", {.noReply = true});
  HttpClient hangingClient(hanging->port());
  HttpClient patientClient(hanging->port());
  const HttpRequest request = signedRequest("GET", "/api/client/session/x", "", "");

  EXPECT_EQ(hangingClient.send(request, 300ms).outcome, Exchange::Outcome::timedOut);

  std::thread stopper([&] {
    std::this_thread::sleep_for(200ms);
    hanging.reset();
  });
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(patientClient.send(request, 20s).outcome, Exchange::Outcome::connectionClosed);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
  stopper.join();
}

TEST_F(FakePlatformTest, ScriptedNoContentDropsTheBody) {
  platform.script("*", "*", {.status = 204, .body = "ignored"});

  const Exchange exchange = call("GET", "/api/client/session/x");

  EXPECT_EQ(exchange.response.status, 204);
  EXPECT_EQ(exchange.response.body, "");
}

TEST_F(FakePlatformTest, CarriesTenMegabyteBodiesBothWays) {
  const std::string large(10 * 1024 * 1024 + 7, 'x');
  platform.script("POST", "/api/client/session", {.status = 200, .body = large});

  const Exchange exchange = call("POST", "/api/client/session", large);

  EXPECT_EQ(exchange.response.body.size(), large.size());
  EXPECT_EQ(platform.requests().front().body.size(), large.size());
  EXPECT_TRUE(platform.requests().front().signatureValid);
}

// What a raw client reads within a second: enough to see one short answer.
std::string receiveSoon(int socket) {
  pollfd readable{socket, POLLIN, 0};
  std::string received(4096, '\0');
  if (poll(&readable, 1, 1000) != 1) {
    return {};
  }
  const ssize_t count = recv(socket, received.data(), received.size(), 0);
  received.resize(count > 0 ? static_cast<std::size_t>(count) : 0);
  return received;
}

// Clients that announce their body wait for the go-ahead before sending it.
TEST_F(FakePlatformTest, AnswersAnExpectedContinueBeforeTheBodyIsSent) {
  const std::string body = R"({"device-id":"D","merchant-id":"merchant-7"})";
  HttpRequest request = signedRequest("POST", "/api/client/session", body, "");
  std::string head =
      "POST /api/client/session HTTP/1.1\r\nHost: platform.test\r\n"
      "Expect: 100-continue\r\nContent-Length: " +
      std::to_string(body.size()) + "\r\n";
  for (const auto& [name, value] : request.headers) {
    head += name + ": " + value + "\r\n";
  }
  const int raw = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(platform.port());
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(connect(raw, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);

  head += "\r\n";
  ASSERT_EQ(send(raw, head.data(), head.size(), 0), static_cast<ssize_t>(head.size()));
  EXPECT_TRUE(receiveSoon(raw).starts_with("HTTP/1.1 100 Continue\r\n"));
  ASSERT_EQ(send(raw, body.data(), body.size(), 0), static_cast<ssize_t>(body.size()));
  EXPECT_TRUE(receiveSoon(raw).starts_with("HTTP/1.1 200 OK\r\n"));
  close(raw);
}

TEST_F(FakePlatformTest, KeepsOneConnectionForSequentialCalls) {
  for (int i = 0; i < 100; ++i) {
    ASSERT_EQ(call("GET", "/api/client/session/x").response.status, 401);
  }
  EXPECT_EQ(platform.connectionsAccepted(), 1u);
}

TEST(FakePlatformConcurrency, ServesTwoHundredConcurrentCalls) {
  constexpr int kCalls = 200;
  FakePlatform platform(kCredentials);
  platform.script("*", "*", {.status = 200, .body = "{}", .delay = 200ms});
  std::vector<int> statuses(kCalls);
  std::vector<std::thread> callers;
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < kCalls; ++i) {
    callers.emplace_back([&, i] {
      HttpClient own(platform.port());
      statuses[i] = own.send(signedRequest("GET", "/api/client/session/x", "", "")).response.status;
    });
  }
  for (auto& caller : callers) {
    caller.join();
  }

  EXPECT_EQ(std::count(statuses.begin(), statuses.end(), 200), kCalls);
  EXPECT_EQ(platform.connectionsAccepted(), static_cast<std::size_t>(kCalls));
  EXPECT_LT(std::chrono::steady_clock::now() - start, 20s);  // one after another would take 40 s
}

TEST_F(FakePlatformTest, AnswersUnknownEndpointsAndMethods) {
  expectMessageError(call("GET", "/api/client/nothing"), 404, "endpoint");
  expectMessageError(call("DELETE", "/api/client/basket"), 405, "method");
}

TEST_F(FakePlatformTest, RefusesCallsWithoutAKnownSessionToken) {
  const json session = signIn();
  const std::string authenticatedToken = token;
  token = "not-a-token";

  expectMessageError(call("GET", "/api/client/session/" + session["id"].get<std::string>()), 401,
                     "session-token");
  token = authenticatedToken;
  EXPECT_EQ(callForJson("GET", "/api/client/session/" + session["id"].get<std::string>())["state"],
            "authenticated");
}

TEST_F(FakePlatformTest, AuthenticationReplacesTheSessionToken) {
  const json session = createSession();
  token = session["token"];
  const json authenticated = callForJson("POST", "/api/client/session/authenticate-shopper",
                                         {{"session-id", session["id"]},
                                          {"merchant-shopper-id", "bob"},
                                          {"merchant-auth-token", "merchant-token"}});

  EXPECT_EQ(authenticated["state"], "authenticated");
  EXPECT_EQ(authenticated["shopper-id"], *platform.shopperIdFor("bob"));
  EXPECT_EQ(authenticated["merchant-auth-token"], "merchant-token");
  EXPECT_NE(authenticated["token"], session["token"]);
  expectMessageError(call("GET", "/api/client/session/" + session["id"].get<std::string>()), 401,
                     "session-token");
}

TEST_F(FakePlatformTest, ReportsMissingFieldsAndUnknownRecords) {
  const json session = signIn();

  expectParameterError(call("POST", "/api/client/basket", "{}"), "session-id");
  expectParameterError(call("POST", "/api/client/basket", "[1]"), "body");
  expectMessageError(call("GET", "/api/client/basket/basket-999"), 404, "basket");
  expectMessageError(call("POST", "/api/client/payment",
                          json{{"basket-id", "basket-999"}, {"payment-instrument-id", "x"}}.dump()),
                     404, "basket");
  expectMessageError(call("GET", "/api/client/shopper/someone-else"), 404, "shopper");
  expectMessageError(call("GET", "/api/client/pos/skus/merchant/other/product/trail-tee"), 404,
                     "merchant");
}

TEST_F(FakePlatformTest, RunsAWholeShopperFlow) {
  const json session = signIn("carol");
  const std::string shopperId = session["shopper-id"];
  const std::string shopperPath = "/api/client/shopper/" + shopperId;

  const json shopper = callForJson("GET", shopperPath);
  EXPECT_EQ(shopper["merchant-shopper-id"], "carol");
  EXPECT_EQ(shopper["payment-instruments"], json(platform.paymentInstrumentIds(shopperId)));
  EXPECT_EQ(callForJson("GET", shopperPath + "/profile")["id"], shopperId);
  const json instruments = callForJson("GET", shopperPath + "/payment-instruments");
  ASSERT_EQ(instruments.size(), 2u);
  EXPECT_EQ(instruments[0]["default"], true);
  const std::string creditCard = instruments[0]["payment-instrument-id"];
  EXPECT_EQ(
      callForJson("GET", shopperPath + "/default-payment-instrument")["payment-instrument-id"],
      creditCard);
  EXPECT_EQ(callForJson("GET", shopperPath + "/loyalty")["accrued-points"],
            fixtures::kInitialLoyaltyPoints);
  EXPECT_EQ(callForJson("GET", shopperPath + "/receipts")["receipts"].size(), 1u);

  const json offer =
      callForJson("GET", "/api/client/pos/product-offer/" + std::string(fixtures::kProductQrData));
  const std::string productPath = "/api/client/pos/skus/merchant/" + kCredentials.merchantId +
                                  "/product/" + offer["product-id"].get<std::string>();
  const json skus = callForJson("GET", productPath);
  ASSERT_EQ(skus.size(), fixtures::kSkus.size());
  const std::string sku = skus[0]["sku"];
  EXPECT_EQ(callForJson("GET", "/api/client/pos/sku-availability/merchant/" +
                                   kCredentials.merchantId + "/sku/" + sku)["stores"]
                .size(),
            fixtures::kStores.size());

  const json basket = createBasket(session);
  const std::string basketId = basket["id"];
  EXPECT_EQ(basket["state"], "new");
  EXPECT_EQ(callForJson("POST", "/api/client/basket/loyalty",
                        {{"basket-id", basketId}, {"points", 100}})["loyalty-points"],
            100);
  const json updated = callForJson("POST", "/api/client/pos/update-basket",
                                   {{"basket-id", basketId},
                                    {"items", {{{"sku", sku}, {"qty", 2.0}}}},
                                    {"product-offers", json::array({offer})}});
  EXPECT_EQ(updated["state"], "update-basket");
  const json& summary = updated["summary"];
  EXPECT_EQ(summary["total"], 2 * fixtures::kSkus[0].price);
  EXPECT_EQ(summary["product-offer-cents"], fixtures::kProductOfferCents);
  EXPECT_EQ(summary["loyalty-cents"], 100);
  EXPECT_EQ(summary["payment-total"],
            summary["discounted-total"].get<std::int64_t>() + summary["tax"].get<std::int64_t>());

  const json checkIn =
      callForJson("POST", "/api/client/basket/associate-pos",
                  {{"basket-id", basketId}, {"pos-id", fixtures::kPointsOfSale[0].id}});
  EXPECT_EQ(checkIn["merchant-pos-label"], fixtures::kPointsOfSale[0].label);
  const json preview =
      callForJson("POST", "/api/client/payment-preview",
                  {{"basket-id", basketId}, {"payment-instrument-id", creditCard}});
  EXPECT_GT(preview["summary"]["payment-offer-cents"], 0);
  EXPECT_EQ(preview["payment-instrument-id"], creditCard);
  EXPECT_EQ(
      callForJson("POST", "/api/client/pos/complete-scan", {{"basket-id", basketId}})["status"],
      "complete-scan");
  expectMessageError(call("GET", "/api/client/basket/" + basketId + "/receipt"), 404, "receipt");

  const json confirmation =
      callForJson("POST", "/api/client/payment",
                  {{"basket-id", basketId}, {"payment-instrument-id", creditCard}});
  EXPECT_EQ(confirmation, (json{{"basket-id", basketId}, {"status", "ok"}}));
  EXPECT_EQ(platform.basketState(basketId), "complete-transaction");
  EXPECT_EQ(
      callForJson("POST", "/api/client/pos/ready-for-payment", {{"basket-id", basketId}})["status"],
      "complete-transaction");
  expectMessageError(
      call("POST", "/api/client/payment",
           json{{"basket-id", basketId}, {"payment-instrument-id", creditCard}}.dump()),
      409, "basket-closed");

  const json receipt = callForJson("GET", "/api/client/basket/" + basketId + "/receipt");
  EXPECT_EQ(receipt["receipt"]["summary"], preview["summary"]);
  EXPECT_EQ(receipt["receipt"]["payments"][0]["amount"], preview["summary"]["payment-total"]);
  EXPECT_EQ(callForJson("GET", shopperPath + "/receipts")["receipts"].size(), 2u);
  const json loyalty = callForJson("GET", shopperPath + "/loyalty");
  EXPECT_EQ(loyalty["redeemed-points"], 100);
  EXPECT_EQ(loyalty["accrued-points"],
            fixtures::kInitialLoyaltyPoints - 100 +
                preview["summary"]["payment-total"].get<std::int64_t>() / 100);

  const std::string sessionPath = "/session/" + session["id"].get<std::string>();
  EXPECT_EQ(callForJson("GET", "/api/client/basket/most-recent" + sessionPath)["id"], basketId);
  EXPECT_TRUE(callForJson("GET", "/api/client/basket/list-active" + sessionPath).empty());

  const json card = callForJson("POST", "/api/client/provision-payment-instrument",
                                {{"card-number", "4000123412341234"}, {"card-type", "debit"}});
  const std::string newCard = card["payment-instrument-id"];
  EXPECT_EQ(callForJson("POST", "/api/client/shopper/default-payment-instrument",
                        {{"shopper-id", shopperId}, {"payment-instrument-id", newCard}})["default"],
            true);
  const json newDefault = callForJson("GET", shopperPath + "/default-payment-instrument");
  EXPECT_EQ(newDefault["payment-instrument-id"], newCard);
  EXPECT_EQ(newDefault["card-number"], "************1234");

  const json profile = callForJson("POST", "/api/client/shopper/profile",
                                   {{"shopper-id", shopperId}, {"first-name", "Caroline"}});
  EXPECT_EQ(profile["first-name"], "Caroline");
  EXPECT_EQ(profile["shopper-id"], shopperId);
  EXPECT_EQ(callForJson("GET", shopperPath + "/profile")["last-name"], profile["last-name"]);
}

}  // namespace
}  // namespace zelvora::fake
