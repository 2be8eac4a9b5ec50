// What goes on the wire: parameter encodings, paths, signing headers and the texts a request and
// a reply show of themselves.
#include "APIs/Generated/Execute.hpp"
#include "CoreNetworking/Request/QueryRequest.hpp"
#include "Helpers/StoreState.hpp"
#include "Platform/ScriptContext.hpp"
#include "support/StoreFixtures.hpp"

#include <zelvora/models/Session.hpp>

#include <curl/curl.h>
#include <gtest/gtest.h>

namespace zelvora {
namespace {

class RecordingScriptContext final : public platform::ScriptContext {
 public:
  void evaluate(std::string_view) override {}
  std::string signature(std::string_view text, std::string_view secret) override {
    signedText = text;
    usedSecret = secret;
    return "signature-of-text";
  }
  std::string signedText, usedSecret;
};

class RequestBuilding : public ::testing::Test {
 protected:
  void SetUp() override {
    test::resetStoreAndConstants();
    Constants::setServerAddress({"https", "platform.test", 8443});
    internal::StoreState::update([](internal::StoreValues& values) {
      values.apiKey = "key-1";
      values.apiSecret = "secret-1";
      values.correlationId = "corr-1";
    });
    platform::setJsContextForTesting(script_);
  }
  void TearDown() override {
    platform::setJsContextForTesting(nullptr);
    test::resetStoreAndConstants();
  }

  static URLRequest build(const Query& query) {
    auto request = buildURLRequest(query);
    EXPECT_TRUE(request) << (request ? "" : request.error().localizedDescription());
    return request ? request.value() : URLRequest{};
  }

  std::shared_ptr<RecordingScriptContext> script_ = std::make_shared<RecordingScriptContext>();
};

TEST(QueryText, EscapesSortsAndNestsAsTheFormEncodingDoes) {
  const struct {
    Json parameters;
    std::string expected;
  } cases[] = {
      {Json::object(), ""},
      {{{"b", 2}, {"a", 1}}, "a=1&b=2"},
      {{{"a", 1}, {"B", 2}, {"ab", 3}}, "B=2&a=1&ab=3"},
      {{{"v", "a b&c=d+e/f"}}, "v=a%20b%26c%3Dd%2Be/f"},
      {{{"a", {{"b", 1}}}}, "a%5Bb%5D=1"},
      {{{"a", {1, 2}}}, "a%5B%5D=1&a%5B%5D=2"},
      {{{"q", "x?y~z"}}, "q=x?y~z"},
      {{{"é", "ü"}}, "%C3%A9=%C3%BC"},
      {{{"n", 1.5}, {"t", true}}, "n=1.5&t=true"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(queryText(c.parameters), c.expected) << c.parameters;
  }
}

TEST(Encodings, PutParametersWhereTheMethodAndKindSay) {
  const Json parameters = {{"b", 2}, {"a", 1}};
  URLRequest post;
  post.url = URLComponents{"https", "h.test", 443, "/p", std::nullopt};
  post.method = "POST";

  auto [form, formError] = Encoding::url().encode(post, &parameters);
  EXPECT_EQ(form.body, "a=1&b=2");
  EXPECT_EQ(form.headers.get("content-type"), "application/x-www-form-urlencoded; charset=utf-8");

  auto [inAddress, ignored] = Encoding::urlEncodedInURL().encode(post, &parameters);
  EXPECT_EQ(inAddress.url->percentEncodedQuery, "a=1&b=2");
  EXPECT_FALSE(inAddress.body);

  URLRequest get = post;
  get.method = "GET";
  get.url->percentEncodedQuery = "x=1";
  const Json empty = Json::object();
  EXPECT_EQ(Encoding::url().encode(get, &empty).first.url->percentEncodedQuery, "x=1&");

  auto [json, jsonError] = Encoding::json().encode(post, &empty);
  EXPECT_EQ(json.body, "{}");
  EXPECT_EQ(json.headers.get("Content-Type"), "application/json");

  EXPECT_FALSE(Encoding::json().encode(post, nullptr).first.body);
}

TEST(Catalogue, FillsTemplatesLiterallyAndMapsMethods) {
  const struct {
    ClientAPIPath endpoint;
    std::vector<std::string> values;
    std::optional<std::string> path;  // none: refused, as it would hold a dot segment
  } cases[] = {
      {ClientAPIPath::LookUpSession, {""}, "/api/client/session/"},
      {ClientAPIPath::GetSkuAvailability,
       {"m{sku}", "S"},
       "/api/client/pos/sku-availability/merchant/mS/sku/S"},
      {ClientAPIPath::LookUpShopper, {"{shopper-id}"}, "/api/client/shopper/{shopper-id}"},
      {ClientAPIPath::LookUpBasket, {"...a./.b/..."}, "/api/client/basket/...a./.b/..."},
      {ClientAPIPath::LookUpBasket, {"%2e%2e"}, "/api/client/basket/%2e%2e"},
      {ClientAPIPath::LookUpBasket, {".."}, std::nullopt},
      {ClientAPIPath::LookUpReceipt, {"."}, std::nullopt},
      {ClientAPIPath::LookUpBasket, {"a/../b"}, std::nullopt},
      {ClientAPIPath::LookUpBasket, {"a/./b"}, std::nullopt},
      {ClientAPIPath::LookUpBasket, {"a/.."}, std::nullopt},
      {ClientAPIPath::GetSkusForProduct, {"../m", "p"}, std::nullopt},
  };
  for (const auto& c : cases) {
    const auto query = getQuery(c.endpoint, c.values);
    ASSERT_EQ(query.hasValue(), c.path.has_value()) << c.values.front();
    if (query) {
      EXPECT_EQ(query.value().path, c.path);
    } else {
      EXPECT_EQ(query.error().domain(), Error::curlDomain);
      EXPECT_EQ(query.error().code(), CURLE_URL_MALFORMAT);
    }
  }
  EXPECT_EQ(clientAPIPathFromRawValue("/api/client/payment"), ClientAPIPath::MakePayment);
  EXPECT_FALSE(clientAPIPathFromRawValue("/api/client/Payment"));
  EXPECT_EQ(methodFromRawValue("DELETE"), Method::DELETE);
  EXPECT_FALSE(methodFromRawValue("get"));
}

// The headers and the signature's check are the end-to-end suite's; here, what only the request
// builder decides: what is signed and what is sent.
TEST_F(RequestBuilding, SignsTheDecodedPathAndTheBodyWithTopLevelBooleansAsText) {
  const URLRequest get = build(getQuery(ClientAPIPath::LookUpBasket, {"a b?c/d"}).value());
  EXPECT_EQ(get.url->absoluteString(), "https://platform.test:8443/api/client/basket/a%20b%3Fc/d");
  EXPECT_EQ(script_->signedText.substr(script_->signedText.find("GET")),
            "GET/api/client/basket/a b?c/d");
  EXPECT_FALSE(get.body);

  // Only top-level booleans become text.
  const URLRequest post = build(
      postQuery(ClientAPIPath::MakePayment, {{"flag", true}, {"n", 0}, {"nested", {{"x", true}}}}));
  const auto timestamp = post.headers.get("X-timestamp").value();
  const std::string body = R"({"flag":"true","n":0,"nested":{"x":true}})";
  EXPECT_EQ(post.body, body);
  EXPECT_EQ(script_->signedText, "key-1" + timestamp + "corr-1POST/api/client/payment" + body);
  EXPECT_EQ(script_->usedSecret, "secret-1");
  EXPECT_EQ(post.headers.get("X-signature"), "signature-of-text");
}

TEST(PlatformErrors, AreFoundInEitherFormOnly) {
  const struct {
    const char* body;
    std::optional<long long> code;
    std::string reason;
  } cases[] = {
      {R"({"status":"error","errors":[{"param":"P","error":"E"}]})", 111, "P - E"},
      {R"({"status":"error","errors":[{"param":"","error":"E"}]})", 111, " - E"},
      {R"({"status":"error","error":"bad-request","tag":"t","message":"M"})", 123, "M"},
      {R"({"status":"error","errors":[{"param":"P","error":"E"}],"error":"x","tag":"t","message":"M"})",
       111, "P - E"},
      {R"({"status":"error","errors":[],"error":"x","tag":"t","message":"M"})", 123, "M"},
      {R"({"status":"error","errors":[{"param":"P"}],"error":"x","tag":"t","message":"M"})", 123,
       "M"},
      {R"({"status":"error","errors":[]})", std::nullopt, ""},
      {R"({"status":"Error","error":"x","tag":"t","message":"M"})", std::nullopt, ""},
      {R"({"status":1,"error":"x","tag":"t","message":"M"})", std::nullopt, ""},
      {R"({"status":"error","error":{"tag":"t","message":"M"}})", std::nullopt, ""},
      {R"({"status":"error","error":"x","message":"M"})", std::nullopt, ""},
      {R"([{"status":"error"}])", std::nullopt, ""},
      {R"("error")", std::nullopt, ""},
      {R"(null)", std::nullopt, ""},
  };
  for (const auto& c : cases) {
    const auto error = checkForError(Json::parse(c.body));
    ASSERT_EQ(error.has_value(), c.code.has_value()) << c.body;
    if (error) {
      EXPECT_EQ(error->domain(), "com.Zelvora.error");
      EXPECT_EQ(error->code(), *c.code);
      EXPECT_EQ(error->failureReason(), c.reason);
    }
  }
}

TEST(Texts, DescribeRequestsExactly) {
  URLRequest request;
  request.url = URLComponents{"https", "h.test", 443, "/api/client/x", std::nullopt};
  request.method = "POST";
  request.headers.set("Cookie", "hidden=1");
  request.headers.set("X-api-key", "k");
  request.body = R"({"q":"a\"b"})";
  const CancellableRequest cancellable(request);
  EXPECT_EQ(cancellable.description(), "POST https://h.test:443/api/client/x");
  EXPECT_EQ(cancellable.cURLRepresentation(),
            "$ curl -i \\\n\t-X POST \\\n\t-H \"X-api-key: k\" \\\n\t-d "
            "\"{\\\"q\\\":\\\"a\\\\\\\"b\\\"}\" "
            "\\\n\t\"https://h.test:443/api/client/x\"");

  URLRequest get;
  get.url = URLComponents{"https", "h.test", 443, "/g", std::nullopt};
  get.body = std::string("\xff");
  EXPECT_EQ(CancellableRequest(get).cURLRepresentation(),
            "$ curl -i \\\n\t\"https://h.test:443/g\"");
  EXPECT_EQ(CancellableRequest(URLRequest{}).cURLRepresentation(),
            "$ curl command could not be created");
}

TEST(NetworkingErrors, AreFoundAgainByTheirCodesAndReasons) {
  for (long long raw = -9006; raw <= -9000; ++raw) {
    const auto code = NetworkingError::errorCodeFromRawValue(raw);
    ASSERT_TRUE(code) << raw;
    const Error error = NetworkingError::error(*code);
    EXPECT_EQ(error.domain(), "com.Zelvora.error");
    EXPECT_EQ(error.code(), raw);
    EXPECT_EQ(NetworkingError::errorCodeFromReason(error.failureReason().value()), code);
  }
  EXPECT_FALSE(NetworkingError::errorCodeFromRawValue(-8999));
  EXPECT_FALSE(NetworkingError::errorCodeFromRawValue(-9007));
}

}  // namespace
}  // namespace zelvora
