// The local platform as the end-to-end tests rely on it: it refuses what the real platform refuses
// (a signature over anything but the exact signed text, a missing or wrong header, an unknown or
// replaced session token). How it answers as scripted, every end-to-end test relies on.
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

  FakePlatform platform_{kCredentials};
  HttpClient client_{platform_.port()};
  std::string token_;
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

}  // namespace
}  // namespace zelvora::fake
