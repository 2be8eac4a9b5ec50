// The rules every model shares: how JSON values become fields and fields become JSON.
#include "Models/ModelFields.hpp"

#include <zelvora/models/Basket.hpp>
#include <zelvora/models/Client.hpp>
#include <zelvora/models/LocationInfo.hpp>
#include <zelvora/models/Session.hpp>

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace zelvora {
namespace {

template <class T>
Expected<T, DecodingError> decodeAs(const Json& source) {
  try {
    return codec::decodeValue<T>(source);
  } catch (const DecodingError& error) {
    return error;
  }
}

std::shared_ptr<Session> decodeSession(const char* text) {
  auto session = Decoders::decode<std::shared_ptr<Session>>(Json::parse(text));
  return session ? session.value() : nullptr;
}

TEST(Codec, Int64ReadsNumbersAndBooleansCuttingFractionsTowardZero) {
  const struct {
    Json source;
    std::int64_t expected;
  } cases[] = {
      {12, 12},
      {12.9, 12},
      {-12.9, -12},
      {true, 1},
      {false, 0},
      {INT64_MAX, INT64_MAX},
      {INT64_MIN, INT64_MIN},
      {9007199254740993LL, 9007199254740993LL},
      {-9223372036854775808.0, INT64_MIN},
  };
  for (const auto& c : cases) {
    const auto value = decodeAs<std::int64_t>(c.source);
    ASSERT_TRUE(value) << c.source;
    EXPECT_EQ(value.value(), c.expected) << c.source;
  }
}

TEST(Codec, BooleansAndDoublesConvertIntoOneAnother) {
  EXPECT_TRUE(decodeAs<bool>(2).value());
  EXPECT_TRUE(decodeAs<bool>(-0.5).value());
  EXPECT_FALSE(decodeAs<bool>(0).value());
  EXPECT_EQ(decodeAs<double>(false).value(), 0.0);
  EXPECT_EQ(decodeAs<double>(true).value(), 1.0);
  EXPECT_EQ(decodeAs<double>(18446744073709551615ULL).value(), 18446744073709551615.0);
}

TEST(Codec, AValueOfTheWrongKindOrBeyondTheRangeFailsInsteadOfWrapping) {
  for (const Json& source : {Json(5), Json(2.5), Json(true), Json::array(), Json::object()}) {
    EXPECT_FALSE(decodeAs<std::string>(source)) << source;
  }
  for (const Json& source :
       {Json("12"), Json(9223372036854775808ULL), Json(18446744073709551615ULL),
        Json(9223372036854775808.0), Json(-9.3e18), Json(1e300)}) {
    EXPECT_FALSE(decodeAs<std::int64_t>(source)) << source;
  }
  EXPECT_FALSE(decodeAs<bool>("true"));
  EXPECT_FALSE(decodeAs<double>(nullptr));
}

TEST(Codec, AbsentNullAndUnknownKeysLeaveFieldsAbsent) {
  const auto session = decodeSession(
      R"({"merchant-id":null,"created":null,"state":null,"location-info":null,"is-active":null,
          "unknown":[1,2,{"x":1}]})");
  ASSERT_NE(session, nullptr);
  EXPECT_FALSE(session->merchantId || session->created || session->state || session->locationInfo ||
               session->isActive);
  EXPECT_EQ(encodeToJSON(*session), Json::object());
}

TEST(Codec, EmptyIsKeptApartFromAbsentAndFalse) {
  const auto session = decodeSession(R"({"merchant-id":"","location-info":[],"is-active":false})");
  ASSERT_NE(session, nullptr);
  EXPECT_EQ(session->merchantId, "");
  ASSERT_TRUE(session->locationInfo);
  EXPECT_TRUE(session->locationInfo->empty());
  EXPECT_EQ(session->isActive, false);
  EXPECT_EQ(encodeToJSON(*session),
            Json::parse(R"({"merchant-id":"","location-info":[],"is-active":false})"));

  const Json emptyParts = Json::parse(R"({"summary":{},"loyalty-points":0,"tags":[]})");
  const auto basket = Decoders::decode<std::shared_ptr<Basket>>(emptyParts);
  ASSERT_TRUE(basket);
  EXPECT_NE(basket.value()->summary, nullptr);
  EXPECT_EQ(encodeToJSON(*basket.value()), emptyParts);
}

TEST(Codec, AWrongTypedFieldFailsTheWholeModel) {
  const std::pair<const char*, const char*> cases[] = {
      {"Session", R"({"merchant-id":"m","token":5})"},
      {"Session", R"({"is-active":"yes"})"},
      {"Session", R"({"created":"yesterday"})"},
      {"Session", R"({"location-info":{"zip":"1"}})"},
      {"Session", R"({"location-info":[{"zip":"1"},"2"]})"},
      {"Session", R"({"location-info":[{"geo":[1,"2"]}]})"},
      {"Session", R"([])"},
      {"Session", R"("session")"},
      {"Session", R"(null)"},
      {"Basket", R"({"id":"b","summary":[]})"},
      {"Basket", R"({"items":[{"sku":"s"},null]})"},
      {"Basket", R"({"loyalty-points":"40"})"},
  };
  for (const auto& [model, text] : cases) {
    EXPECT_THROW((*Decoders::find(model))(Json::parse(text)), DecodingError) << model << text;
  }
}

TEST(Codec, ASingleEnumerationIsLenientButAListOfThemIsStrict) {
  const auto lenient = decodeSession(R"({"state":"Reset","id":"s"})");
  ASSERT_NE(lenient, nullptr);
  EXPECT_FALSE(lenient->state);
  EXPECT_EQ(lenient->id, "s");
  EXPECT_FALSE(decodeSession(R"({"state":3})")->state);

  const auto decodeBasket = [](const char* text) {
    return Decoders::decode<std::shared_ptr<Basket>>(Json::parse(text));
  };
  EXPECT_EQ(decodeBasket(R"({"tags":["reserve-collect","reserve-collect"]})").value()->tags,
            (std::vector<BasketTag>{BasketTag::collect, BasketTag::collect}));
  EXPECT_TRUE(decodeBasket(R"({"tags":[]})").value()->tags->empty());
  for (const char* absent :
       {R"({"tags":null})", R"({"tags":"reserve-collect"})", R"({"tags":["reserve-collect",5]})"}) {
    EXPECT_FALSE(decodeBasket(absent).value()->tags) << absent;
  }
  EXPECT_FALSE(decodeBasket(R"({"tags":["collect"],"id":"b"})"));
}

TEST(Codec, NonFiniteNumbersAndInvalidTextAreEncodingErrors) {
  LocationInfo location;
  location.geo = std::vector<double>{1.0, std::numeric_limits<double>::quiet_NaN()};
  EXPECT_FALSE(encodeToJSONText(location));
  location.geo = std::vector<double>{std::numeric_limits<double>::infinity()};
  EXPECT_FALSE(encodeToJSONText(location));

  Client client;
  client.deviceId = std::string("\xff\xfe device");
  EXPECT_FALSE(encodeToJSONText(client));

  Session session;
  session.locationInfo = ModelList<LocationInfo>{nullptr};
  EXPECT_FALSE(encodeToJSONText(session));
}

TEST(Codec, ListRepliesUseTheirOwnEntry) {
  const auto baskets =
      Decoders::decode<ModelList<Basket>>(Json::parse(R"([{"id":"a"},{"id":"b"}])"));
  ASSERT_TRUE(baskets);
  ASSERT_EQ(baskets.value().size(), 2u);
  EXPECT_EQ(baskets.value()[1]->id, "b");
  EXPECT_TRUE(Decoders::decode<ModelList<Basket>>(Json::array()).value().empty());
  EXPECT_FALSE(Decoders::decode<ModelList<Basket>>(Json::parse(R"({"id":"a"})")));
  EXPECT_FALSE(Decoders::decode<ModelList<Basket>>(Json::parse(R"([{"id":"a"},3])")));
  EXPECT_FALSE(Decoders::decode<ModelList<Basket>>(nullptr));
}

TEST(Codec, HostileInputIsRefusedWithoutCrashing) {
  const std::string deep = std::string(200000, '[') + std::string(200000, ']');
  EXPECT_FALSE(Decoders::decode<std::shared_ptr<Session>>(Json::parse(deep)));

  Json nested = Json::object();
  nested["token"] = Json::parse(deep);
  EXPECT_FALSE(Decoders::decode<std::shared_ptr<Session>>(nested));

  EXPECT_FALSE(decodeSession(R"({"created":1e308})"));
  EXPECT_TRUE(decodeSession(R"({"is-active":1e308})")->isActive.value());

  Json manyLocations = Json::array();
  for (int i = 0; i < 100000; ++i) {
    manyLocations.push_back({{"zip", std::to_string(i)}, {"geo", {1.5, 2.5}}});
  }
  manyLocations.push_back({{"zip", 1}});
  EXPECT_FALSE(Decoders::decode<std::shared_ptr<Session>>(Json{{"location-info", manyLocations}}));
}

}  // namespace
}  // namespace zelvora
