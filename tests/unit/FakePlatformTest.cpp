// The local platform as the end-to-end tests rely on it: it refuses what the real platform refuses
// (a signature over anything but the exact signed text, a missing or wrong header, an unknown or
// replaced session token), stays sound under hostile bodies, and its figures agree from basket to
// receipt. How it answers as scripted, every end-to-end test relies on.
#include "fake_platform/FakePlatform.hpp"
#include "fake_platform/Http.hpp"
#include "fake_platform/Signing.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cctype>
#include <chrono>
#include <optional>
#include <string>

namespace zelvora::fake {
namespace {

using nlohmann::json;

const Credentials kCredentials{"merchant-7", "key-7", "secret-7"};
const std::string kSessionBody = R"({"device-id":"D","merchant-id":"merchant-7"})";

std::int64_t nowInSeconds() {
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

// The tag of the platform's error answer, or what the answer is instead.
std::string errorTag(const Exchange& exchange) {
  const json body = json::parse(exchange.response.body, nullptr, false);
  const bool messageForm = body.is_object() && body.value("status", "") == "error" &&
                           body.value("error", json()).is_string() &&
                           body.value("message", json()).is_string();
  return messageForm ? body.value("tag", "") : "no error: " + exchange.response.body;
}

class FakePlatformTest : public ::testing::Test {
 protected:
  HttpRequest signedRequest(std::string method, std::string target, std::string body = "") {
    HttpRequest request{std::move(method), std::move(target), {}, std::move(body)};
    signRequest(request, kCredentials, {token_, "corr-42", nowInSeconds()});
    return request;
  }

  Exchange send(const HttpRequest& request) { return client_.send(request); }

  json sendForJson(std::string method, std::string target, const json& body) {
    const Exchange exchange =
        send(signedRequest(std::move(method), std::move(target), body.dump()));
    EXPECT_EQ(exchange.response.status, 200) << exchange.response.body;
    return json::parse(exchange.response.body, nullptr, false);
  }

  json post(const std::string& path, const json& body) {
    return sendForJson("POST", "/api/client/" + path, body);
  }
  json get(const std::string& path) {
    const Exchange exchange = send(signedRequest("GET", "/api/client/" + path));
    EXPECT_EQ(exchange.response.status, 200) << path << ": " << exchange.response.body;
    return json::parse(exchange.response.body, nullptr, false);
  }

  // Signs a shopper in and opens a basket; returns the basket's id.
  std::string openBasket(const std::string& merchantShopperId = "alice") {
    const json session = post("session", json::parse(kSessionBody));
    token_ = session.value("token", "");
    const json shopper =
        post("session/authenticate-shopper", {{"session-id", session["id"]},
                                              {"merchant-shopper-id", merchantShopperId},
                                              {"merchant-auth-token", "t"}});
    token_ = shopper.value("token", "");
    shopperId_ = shopper.value("shopper-id", "");
    return post("basket", {{"session-id", session["id"]}}).value("id", "");
  }

  // The tee and its offer, as the product page puts them into the basket.
  json teeUpdate(const std::string& basketId) {
    return {{"basket-id", basketId},
            {"items", {{{"sku", "trail-tee-m"}, {"qty", 1.0}}}},
            {"product-offers", {get("pos/product-offer/QR-TRAIL-TEE")}}};
  }

  FakePlatform platform_{kCredentials};
  HttpClient client_{platform_.port()};
  std::string token_;
  std::string shopperId_;
};

TEST_F(FakePlatformTest, AcceptsOnlyASignatureOverTheExactSignedText) {
  const std::string path = "/api/client/pos/product-offer/QR X";
  const struct {
    const char* what;
    std::string signedText;  // "<now>" stands for the timestamp sent
    bool upperCaseHex;
    bool accepted;
  } cases[] = {
      {"exact", "key-7<now>corr-42POST" + path + R"({"a":1})", false, true},
      {"escaped path", R"(key-7<now>corr-42POST/api/client/pos/product-offer/QR%20X{"a":1})", false,
       false},
      {"with query", "key-7<now>corr-42POST" + path + R"(?lang=en{"a":1})", false, false},
      {"lower-case method", "key-7<now>corr-42post" + path + R"({"a":1})", false, false},
      {"without body", "key-7<now>corr-42POST" + path, false, false},
      {"with separators", "key-7|<now>|corr-42|POST|" + path + R"(|{"a":1})", false, false},
      {"other timestamp", "key-71000000000corr-42POST" + path + R"({"a":1})", false, false},
      {"upper-case hex", "key-7<now>corr-42POST" + path + R"({"a":1})", true, false},
  };
  for (const auto& c : cases) {
    HttpRequest request =
        signedRequest("POST", "/api/client/pos/product-offer/QR%20X?lang=en", R"({"a":1})");
    std::string text = c.signedText;
    if (const auto at = text.find("<now>"); at != std::string::npos) {
      text.replace(at, 5, request.headers.at("X-timestamp"));
    }
    std::string signature = hmacSha256Hex(kCredentials.apiSecret, text);
    if (c.upperCaseHex) {
      for (char& digit : signature) {
        digit = static_cast<char>(std::toupper(static_cast<unsigned char>(digit)));
      }
    }
    request.headers["X-signature"] = signature;

    const Exchange exchange = send(request);

    EXPECT_EQ(platform_.requests().back().signatureValid, c.accepted) << c.what;
    EXPECT_EQ(errorTag(exchange) == "signature", !c.accepted) << c.what;
  }
}

TEST_F(FakePlatformTest, RefusesAMissingOrWrongHeader) {
  const struct {
    const char* header;
    std::optional<std::string> value;  // none: left out
    int status;
    const char* tag;
  } cases[] = {
      {"Authorization", std::nullopt, 400, "missing-header"},
      {"Content-type", std::nullopt, 400, "missing-header"},
      {"X-api-key", std::nullopt, 400, "missing-header"},
      {"X-timestamp", std::nullopt, 400, "missing-header"},
      {"X-correlation-id", std::nullopt, 400, "missing-header"},
      {"X-signature", std::nullopt, 400, "missing-header"},
      {"Authorization", "Basic abc", 401, "authorization"},
      {"Content-type", "application/x-www-form-urlencoded", 400, "content-type"},
      {"X-api-key", "key-8", 401, "api-key"},
      {"X-timestamp", "1700000000.5", 400, "timestamp"},
      {"X-timestamp", "01700000000", 400, "timestamp"},
  };
  for (const auto& c : cases) {
    HttpRequest request = signedRequest("POST", "/api/client/session", kSessionBody);
    if (c.value) {
      request.headers[c.header] = *c.value;
    } else {
      request.headers.erase(c.header);
    }
    const Exchange exchange = send(request);
    EXPECT_EQ(exchange.response.status, c.status) << c.header << ": " << c.value.value_or("-");
    EXPECT_EQ(errorTag(exchange), c.tag) << c.header << ": " << c.value.value_or("-");
  }
}

TEST_F(FakePlatformTest, RefusesAnUnknownOrReplacedSessionToken) {
  const json session = sendForJson("POST", "/api/client/session", json::parse(kSessionBody));
  token_ = session.value("token", "");
  const std::string createdToken = token_;
  const json authenticated = sendForJson("POST", "/api/client/session/authenticate-shopper",
                                         {{"session-id", session["id"]},
                                          {"merchant-shopper-id", "alice"},
                                          {"merchant-auth-token", "merchant-token"}});
  const std::string sessionPath = "/api/client/session/" + session.value("id", "");

  for (const std::string& refused : {createdToken, std::string("not-a-token")}) {
    token_ = refused;
    EXPECT_EQ(errorTag(send(signedRequest("GET", sessionPath))), "session-token") << refused;
  }
  token_ = authenticated.value("token", "");
  EXPECT_EQ(send(signedRequest("GET", sessionPath)).response.status, 200);
}

std::string nested(std::size_t depth) {
  return std::string(depth, '[') + std::string(depth, ']');
}

// The parameter a refusal names, or "accepted".
std::string refusedParam(const Exchange& exchange) {
  if (exchange.response.status == 200) {
    return "accepted";
  }
  const json body = json::parse(exchange.response.body, nullptr, false);
  return body.is_object() ? body.value("errors", json::array({{}}))[0].value("param", "") : "";
}

TEST_F(FakePlatformTest, RefusesBodiesNestedTooDeepWithoutRecursingAndKeepsServing) {
  const std::string basketId = openBasket();
  const std::string offers = R"({"basket-id":")" + basketId + R"(","sku-offers":[)";
  const struct {
    const char* what;
    std::string body;
    const char* refused;
  } cases[] = {
      {"500,000 deep in 1 MB", offers + nested(500'000) + "]}", "body"},
      {"65 deep", offers + nested(63) + "]}", "body"},
      {"64 deep", offers + nested(62) + "]}", "accepted"},
      {"never closed", offers + std::string(100'000, '{'), "body"},
      {"brackets in a string",
       R"({"basket-id":")" + basketId + R"(","items":[{"sku":"trail-tee-m","name":"\")" +
           std::string(100, '[') + R"("}]})",
       "accepted"},
  };
  for (const auto& c : cases) {
    const Exchange exchange = send(signedRequest("POST", "/api/client/pos/update-basket", c.body));
    EXPECT_EQ(refusedParam(exchange), c.refused) << c.what << ": " << exchange.response.body;
    EXPECT_EQ(get("basket/" + basketId).value("id", ""), basketId) << c.what;
  }
}

TEST_F(FakePlatformTest, ARefusedBasketUpdateChangesNothing) {
  const std::string basketId = openBasket();
  post("pos/update-basket", teeUpdate(basketId));
  const json before = get("basket/" + basketId);
  const json tooManyItems(1001, {{"sku", "trail-tee-m"}});
  const struct {
    const char* what;
    json fields;
  } cases[] = {
      {"an offer's value as text",
       {{"product-offers", {{{"type", "fixed-discount"}, {"value", "5"}}}}}},
      {"an offer's type as a number", {{"product-offers", {{{"type", 5}}}}}},
      {"an offer that is no object", {{"product-offers", {5}}}},
      {"a percentage over 100",
       {{"product-offers", {{{"type", "percent-discount"}, {"value", 101}}}}}},
      {"a name as a number", {{"items", {{{"sku", "trail-tee-m"}, {"name", 5}}}}}},
      {"a quantity as text", {{"items", {{{"sku", "trail-tee-m"}, {"qty", "2"}}}}}},
      {"a price past the bound", {{"items", {{{"sku", "x"}, {"price", 1LL << 62}}}}}},
      {"1,001 items", {{"items", tooManyItems}}},
  };
  for (const auto& c : cases) {
    json update = {{"basket-id", basketId}, {"items", {{{"sku", "trail-tee-l"}}}}};
    update.update(c.fields);
    const Exchange exchange =
        send(signedRequest("POST", "/api/client/pos/update-basket", update.dump()));
    EXPECT_EQ(exchange.response.status, 400) << c.what << ": " << exchange.response.body;
    EXPECT_EQ(get("basket/" + basketId), before) << c.what;
  }
  EXPECT_EQ(post("pos/update-basket", teeUpdate(basketId))["summary"], before["summary"]);
}

// What a shopper is told before paying is what the receipt says was charged.
TEST_F(FakePlatformTest, TheBasketPreviewPaymentAndReceiptAgreeOnEveryFigure) {
  const struct {
    std::int64_t points;
    const char* defaultCard;
    std::int64_t tax;
    std::int64_t paymentTotal;
    std::int64_t discountCents;
  } cases[] = {
      // 25.00, less 5.00 off the tee, 5% off for the credit card, less the points; 8% tax on top.
      {0, "card-1", 152, 2052, 600},
      {500, "card-1", 112, 1512, 1100},
      {500, "card-2", 120, 1620, 1000},  // the debit card has no offer
  };
  for (const auto& c : cases) {
    // As the product page does: the points first, then the tee, whose summary the page shows,
    // and the payment with the wallet's first card.
    SCOPED_TRACE(std::to_string(c.points) + " points, default " + c.defaultCard);
    const std::string basketId = openBasket("shopper-" + std::to_string(c.points) + c.defaultCard);
    post("shopper/default-payment-instrument",
         {{"shopper-id", shopperId_}, {"payment-instrument-id", shopperId_ + "-" + c.defaultCard}});
    post("basket/loyalty", {{"basket-id", basketId}, {"points", c.points}});
    const json summary = post("pos/update-basket", teeUpdate(basketId))["summary"];
    EXPECT_EQ(summary["tax"], c.tax);
    EXPECT_EQ(summary["payment-total"], c.paymentTotal);
    EXPECT_EQ(summary["discount-cents"], c.discountCents);

    const json card = get("shopper/" + shopperId_ + "/payment-instruments").at(0);
    const json paidWith = {{"basket-id", basketId},
                           {"payment-instrument-id", card["payment-instrument-id"]}};
    const json preview = post("payment-preview", paidWith);
    EXPECT_EQ(preview["summary"], summary);
    EXPECT_EQ(preview["total-payments"][0]["payment-total"], c.paymentTotal);

    post("payment", paidWith);
    const json receipt = get("basket/" + basketId + "/receipt");
    EXPECT_EQ(receipt["summary"], summary);
    EXPECT_EQ(receipt["receipt"]["summary"], summary);
    EXPECT_EQ(receipt["receipt"]["payments"][0]["amount"], c.paymentTotal);
    EXPECT_EQ(get("shopper/" + shopperId_ + "/loyalty")["redeemed-points"], c.points);
  }
}

TEST_F(FakePlatformTest, KeepsTheLatestRequestsAndTheStartOfEachBody) {
  const std::string large(1024 * 1024, 'x');
  send(signedRequest("POST", "/api/client/session", large));
  EXPECT_EQ(platform_.requests().back().body, large.substr(0, RecordedRequest::kKeptBodyBytes));
  EXPECT_EQ(platform_.requests().back().bodyBytes, large.size());

  for (std::size_t i = 0; i < RecordedRequest::kKeptRequests; ++i) {
    send(signedRequest("GET", "/api/client/session/" + std::to_string(i)));
  }
  const auto kept = platform_.requests();
  ASSERT_EQ(kept.size(), RecordedRequest::kKeptRequests);
  EXPECT_EQ(kept.front().path, "/api/client/session/0");
  EXPECT_EQ(kept.back().path, "/api/client/session/999");
}

}  // namespace
}  // namespace zelvora::fake
