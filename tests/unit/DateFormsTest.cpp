// Dates as the platform writes and reads them. ctest runs this suite once per time zone in
// kZones (TZ set for the whole test process), so every local-time rule is checked off UTC too.
#include "Models/Models.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <map>
#include <string>

namespace zelvora {
namespace {

using namespace std::chrono;

struct ZoneFacts {
  int offsetOn20170501;   // seconds east of UTC on 1 May 2017
  std::string epochText;  // instant 0 as written there
};

const std::map<std::string, ZoneFacts> kZones{
    {"UTC", {0, "1970-01-01T00:00:00.000Z"}},
    {"Europe/Paris", {7200, "1970-01-01T01:00:00.000+01:00"}},
    {"Asia/Kolkata", {19800, "1970-01-01T05:30:00.000+05:30"}},
    {"America/New_York", {-14400, "1969-12-31T19:00:00.000-05:00"}},
    {"America/Sao_Paulo", {-10800, "1969-12-31T21:00:00.000-03:00"}},
    {"America/Havana", {-14400, "1969-12-31T19:00:00.000-05:00"}},
    {"Asia/Beirut", {10800, "1970-01-01T02:00:00.000+02:00"}},
};

class DateForms : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* zone = std::getenv("TZ");
    zone_ = zone != nullptr ? zone : "UTC";
    if (zone == nullptr) {
      setenv("TZ", "UTC", 1);
      tzset();
    }
    ASSERT_TRUE(kZones.count(zone_)) << "no expectations for TZ=" << zone_;
  }

  const ZoneFacts& facts() const { return kZones.at(zone_); }

  static Date utc(int y, unsigned m, unsigned d, int h, int min, int s, int ms = 0) {
    return Date{sys_days{year{y} / month{m} / day{d}}.time_since_epoch() + hours{h} + minutes{min} +
                seconds{s} + milliseconds{ms}};
  }

  Date localOn20170501(int h, int min, int s, int ms = 0) const {
    return utc(2017, 5, 1, h, min, s, ms) - seconds{facts().offsetOn20170501};
  }

  std::string zone_;
};

Expected<Date, DecodingError> decode(const Json& source) {
  try {
    return decodeDate(source);
  } catch (const DecodingError& error) {
    return error;
  }
}

TEST_F(DateForms, TextFormsAreReadInOrderWithLocalTimeWhereNoZoneIsWritten) {
  const struct {
    const char* text;
    Date expected;
  } cases[] = {
      {"2017-05-01", localOn20170501(0, 0, 0)},
      {"2017-05-01T10:20:30+02:00", utc(2017, 5, 1, 8, 20, 30)},
      {"2017-05-01T10:20:30-05:30", utc(2017, 5, 1, 15, 50, 30)},
      {"2017-05-01T10:20:30Z", utc(2017, 5, 1, 10, 20, 30)},
      {"2017-05-01T10:20:30.123+02:00", utc(2017, 5, 1, 8, 20, 30, 123)},
      {"2017-05-01T10:20:30.123Z", utc(2017, 5, 1, 10, 20, 30, 123)},
      {"2017-05-01T10:20:30.123456Z", utc(2017, 5, 1, 10, 20, 30, 123)},
      {"2017-05-01T10:20:30.5", localOn20170501(10, 20, 30, 500)},
      {"2017-05-01T10:20:30.123", localOn20170501(10, 20, 30, 123)},
      {"2017-05-01 10:20:30", localOn20170501(10, 20, 30)},
      {"2016-02-29T12:00:00Z", utc(2016, 2, 29, 12, 0, 0)},
      {"1900-01-01T00:09:21+00:09:21", utc(1900, 1, 1, 0, 0, 0)},
      {"1900-01-01T00:00:00.000-00:09:21", utc(1900, 1, 1, 0, 9, 21)},
  };
  for (const auto& c : cases) {
    const auto date = decode(c.text);
    ASSERT_TRUE(date) << c.text << ": " << date.error().what();
    EXPECT_EQ(date.value(), c.expected) << c.text;
  }
}

TEST_F(DateForms, WhatIsNoDateFailsAndImpossibleCalendarDatesDoNotRollOver) {
  for (const Json& source :
       {Json("1493634030999"), Json("01/05/2017"), Json(""), Json("2017-05-01T10:20:30+0200"),
        Json("2017-05-01 "), Json("２０１７-05-01"), Json::array({1}), Json::object({{"a", 1}}),
        Json(nullptr), Json("2017-02-30"), Json("2017-13-01"), Json("2017-00-10"),
        Json("2017-04-31"), Json("2015-02-29"), Json("2017-05-01T24:00:00Z"),
        Json("2017-05-01T10:60:00Z"), Json("2017-05-01T10:20:60Z"),
        Json("2017-05-01T10:20:30+24:00"), Json("2017-05-01T10:20:30+02:00:"),
        Json("2017-05-01T10:20:30+02:00:60"), Json("2017-05-01T10:20:30+02:00:5"),
        // Numbers of milliseconds beyond 64 bits.
        Json(9223372036854775808ULL), Json(1e19), Json(-1e19), Json(1e300)}) {
    EXPECT_FALSE(decode(source)) << source;
  }
}

TEST_F(DateForms, NumbersAreMillisecondsCutTowardZeroToWholeSeconds) {
  const struct {
    Json source;
    Date expected;
  } cases[] = {
      {1493634030999, utc(2017, 5, 1, 10, 20, 30)},
      {1493634030999.75, utc(2017, 5, 1, 10, 20, 30)},
      {-1500, utc(1969, 12, 31, 23, 59, 59)},
      {-999, utc(1970, 1, 1, 0, 0, 0)},
      {true, utc(1970, 1, 1, 0, 0, 0)},
      {false, utc(1970, 1, 1, 0, 0, 0)},
      {INT64_MAX, Date{seconds{INT64_MAX / 1000}}},
      {INT64_MIN, Date{seconds{INT64_MIN / 1000}}},
  };
  for (const auto& c : cases) {
    const auto date = decode(c.source);
    ASSERT_TRUE(date) << c.source;
    EXPECT_EQ(date.value(), c.expected) << c.source;
  }
}

TEST_F(DateForms, EncodingWritesLocalWallClockWithTheZonesOffsetAndAlwaysMilliseconds) {
  EXPECT_EQ(formatDate(Date{}), facts().epochText);
  EXPECT_EQ(formatDate(utc(2017, 5, 1, 10, 20, 30, 999)).substr(19, 4), ".999");
}

TEST_F(DateForms, EveryEncodedDateReadsBackToTheSameMillisecond) {
  for (const Date instant :
       {utc(2017, 5, 1, 10, 20, 30, 123), utc(1969, 12, 31, 23, 59, 59, 1),
        utc(2017, 3, 26, 1, 30, 0), utc(2017, 10, 29, 0, 30, 0), utc(2038, 1, 19, 3, 14, 8, 7),
        Date{milliseconds{-1}}, utc(1900, 1, 1, 0, 0, 0, 5)}) {
    const std::string text = formatDate(instant);
    const auto back = decode(text);
    ASSERT_TRUE(back) << text;
    EXPECT_EQ(back.value(), instant) << text;
  }
}

TEST_F(DateForms, DatesCarryTheirOwnOffsetsWrittenWhole) {
  if (zone_ != "Europe/Paris") {
    GTEST_SKIP() << "needs a zone with daylight saving time that kept local mean time";
  }
  EXPECT_EQ(formatDate(utc(2017, 3, 26, 0, 59, 0)), "2017-03-26T01:59:00.000+01:00");
  EXPECT_EQ(formatDate(utc(2017, 3, 26, 1, 0, 0)), "2017-03-26T03:00:00.000+02:00");
  EXPECT_EQ(formatDate(utc(1900, 1, 1, 0, 0, 0)), "1900-01-01T00:09:21.000+00:09:21");
}

// Local times that a change of offset skips or repeats, each checked in the zone that changes.
TEST_F(DateForms, LocalTimesAroundAChangeOfOffsetResolveToOneInstant) {
  const struct {
    const char* zone;
    const char* text;
    Date expected;
  } cases[] = {
      // A day starts at its first instant: where the gap swallows midnight, the gap's end...
      {"America/Sao_Paulo", "2018-11-04", utc(2018, 11, 4, 3, 0, 0)},
      {"America/Havana", "2018-03-11", utc(2018, 3, 11, 5, 0, 0)},
      {"Asia/Beirut", "2018-03-25", utc(2018, 3, 24, 22, 0, 0)},
      // ...and where midnight comes twice, the first.
      {"America/Havana", "2018-11-04", utc(2018, 11, 4, 4, 0, 0)},
      // A skipped clock time lands as far past the gap as it lay into it...
      {"America/Sao_Paulo", "2018-11-04 00:30:00", utc(2018, 11, 4, 3, 30, 0)},
      {"Europe/Paris", "2018-03-25 02:30:00", utc(2018, 3, 25, 1, 30, 0)},
      {"Europe/Paris", "2018-03-25T02:30:00.250", utc(2018, 3, 25, 1, 30, 0, 250)},
      {"America/New_York", "2018-03-11 02:30:00", utc(2018, 3, 11, 7, 30, 0)},
      // ...and a repeated one is its later occurrence.
      {"Europe/Paris", "2018-10-28 02:30:00", utc(2018, 10, 28, 1, 30, 0)},
      {"America/New_York", "2018-11-04 01:30:00", utc(2018, 11, 4, 6, 30, 0)},
      {"Asia/Beirut", "2018-10-27 23:30:00", utc(2018, 10, 27, 21, 30, 0)},
  };
  int checked = 0;
  for (const auto& c : cases) {
    if (zone_ != c.zone) {
      continue;
    }
    const auto date = decode(c.text);
    ASSERT_TRUE(date) << c.text << ": " << date.error().what();
    EXPECT_EQ(date.value(), c.expected) << c.text << " read as " << formatDate(date.value());
    ++checked;
  }
  if (checked == 0) {
    GTEST_SKIP() << "no change of offset checked in " << zone_;
  }
}

}  // namespace
}  // namespace zelvora
