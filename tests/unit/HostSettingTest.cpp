// The "host" setting: which addresses are accepted and how they become scheme, host and port.
#include "Helpers/HostSetting.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <regex>
#include <string>
#include <utility>

namespace zelvora::internal {
namespace {

std::optional<ServerAddress> parse(const std::string& text) {
  return serverAddressFromHostSetting(text);
}

TEST(HostSettingTest, SchemeHostAndPortWithTheSchemesDefault) {
  const std::pair<const char*, ServerAddress> cases[] = {
      {"https://platform.example.com", {"https", "platform.example.com", 443}},
      {"http://platform.example.com", {"http", "platform.example.com", 80}},
      {"https://platform.test:8443", {"https", "platform.test", 8443}},
      {"http://platform.test:443", {"http", "platform.test", 443}},
      {"https://platform.test:80", {"https", "platform.test", 80}},
      {"http://platform.test:65535", {"http", "platform.test", 65535}},
      {"http://platform.test:0080", {"http", "platform.test", 80}},
      {"https://www.example.com", {"https", "www.example.com", 443}},
      {"http://www.example.org:8080", {"http", "www.example.org", 8080}},
      // Four parts: the host is what lies between "//" and the first inner colon.
      {"https://a:b.com:8080", {"https", "a", 443}},
      {"http://user:pw@host.com:8080", {"http", "user", 80}},
  };
  for (const auto& [text, address] : cases) {
    EXPECT_EQ(parse(text), address) << text;
  }
}

TEST(HostSettingTest, CapitalsPathsQueriesAndOtherShapesAreRejected) {
  for (const char* text : {"HTTPS://example.com",
                           "Https://example.com",
                           "https://example.COM",
                           "https://example.com/",
                           "https://example.com/api",
                           "https://example.com?x=1",
                           "https://example.com:8080/api",
                           "https://example.com#top",
                           "",
                           "example.com",
                           "ftp://example.com",
                           "https:/example.com",
                           "https://",
                           "https://a.com",
                           "https://ab.c",
                           "https://ab.abcde",
                           "https://ab.com:",
                           "https://ab.com:-1",
                           "https://ab.com:8 0",
                           "https://ab.com ",
                           " https://ab.com",
                           "https://localhost",
                           "https://127.0.0.1",
                           "https://platform.test:8080:9090x",
                           "https://ab.c0m"}) {
    EXPECT_FALSE(matchesUrlPattern(text)) << text;
    EXPECT_FALSE(parse(text)) << text;
  }
}

TEST(HostSettingTest, HostPartLengthIsTwoTo256Characters) {
  EXPECT_TRUE(matchesUrlPattern("https://ab.com"));
  EXPECT_TRUE(matchesUrlPattern("https://" + std::string(256, 'a') + ".com"));
  EXPECT_FALSE(matchesUrlPattern("https://" + std::string(257, 'a') + ".com"));
  // A longer name still matches when it starts with "www.", which the pattern takes apart.
  EXPECT_TRUE(matchesUrlPattern("https://www." + std::string(256, 'a') + ".com"));
}

TEST(HostSettingTest, ThirdPartThatIsNotAPortIsRejected) {
  EXPECT_TRUE(matchesUrlPattern("https://a:b.com"));
  EXPECT_FALSE(parse("https://a:b.com"));
  EXPECT_FALSE(parse("http://platform.test:" + std::string(30, '9')));
  EXPECT_FALSE(parse("http://platform.test:65536"));
  EXPECT_FALSE(parse("http://platform.test:0"));
}

TEST(HostSettingTest, AnyUnicodeDecimalDigitCountsInThePattern) {
  // ARABIC-INDIC DIGIT ONE and TWO: the pattern's \d admits them, the port does not.
  const std::string arabic12 = "\xD9\xA1\xD9\xA2";
  EXPECT_TRUE(matchesUrlPattern("https://ab.com:" + arabic12));
  EXPECT_FALSE(parse("https://ab.com:" + arabic12));
  EXPECT_EQ(parse("https://a:b.com:" + arabic12), (ServerAddress{"https", "a", 443}));
  // Other non-ASCII text never matches.
  EXPECT_FALSE(matchesUrlPattern("https://\xC3\xA9t\xC3\xA9.com"));
  EXPECT_FALSE(matchesUrlPattern("https://ab.com:\xFF"));
}

TEST(HostSettingTest, VeryLongTextIsRejectedAtOnce) {
  for (const std::string& text :
       {"https://" + std::string(100000, 'a'), "https://" + std::string(100000, 'a') + ".com",
        "https://" + std::string(100000, ':'), "https://" + std::string(100000, '.') + "com",
        "https://ab.com:" + std::string(100000, '1')}) {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(parse(text));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(200));
  }
  // A port of any length fits the pattern; it is the port check that turns it away.
  EXPECT_TRUE(matchesUrlPattern("https://ab.com:" + std::string(100000, '1')));
  EXPECT_FALSE(matchesUrlPattern("https://" + std::string(100000, 'a') + ".com"));
}

// The matcher agrees with a backtracking regular-expression engine on many short texts made of
// the characters that matter (ASCII only, where \d means the same in both).
TEST(HostSettingTest, AgreesWithARegularExpressionEngine) {
  const std::regex pattern(
      R"((http://|https://)(www\.)?[-a-zA-Z0-9@:%._\+~#=]{2,256}\.[a-z]{2,4}(:[\d]+)?)");
  const std::string alphabet = "abzAZ09.:w/-@%_+~#=?";
  const std::vector<std::string> prefixes = {"http://",  "https://", "https://www.",
                                             "http://w", "htp://",   ""};
  const std::vector<std::string> suffixes = {"", "", ".com", ".ab", ":80", ".co:8", ".abcde"};
  std::mt19937 random(20240611);
  int matches = 0;
  for (int i = 0; i < 20000; ++i) {
    std::string text = prefixes[random() % prefixes.size()];
    const int length = static_cast<int>(random() % 12);
    for (int k = 0; k < length; ++k)
      text.push_back(alphabet[random() % alphabet.size()]);
    text += suffixes[random() % suffixes.size()];
    const bool expected = std::regex_match(text, pattern);
    matches += expected;
    ASSERT_EQ(matchesUrlPattern(text), expected) << text;
  }
  EXPECT_GT(matches, 100);  // the sample reaches both outcomes
}

}  // namespace
}  // namespace zelvora::internal
