#include "CoreNetworking/Response/ReplyText.hpp"

#include <gtest/gtest.h>

#include <variant>

namespace zelvora {
namespace {

TEST(ReplyText, ReplacesEntitiesWithoutLettingThemChangeTheStructure) {
  const struct {
    std::string text;
    std::variant<Json, int> expected;  // the document, or the parser's error id
  } cases[] = {
      // A value cannot close its string and add keys.
      {R"({"a":"x&quot;,&quot;b&quot;:&quot;y"})", Json{{"a", R"(x","b":"y)"}}},
      {R"({"a&amp;b":{"c&lt;":["&gt;", "&apos;"]}})", Json{{"a&b", {{"c<", {">", "'"}}}}}},
      // One pass per entity, in order: "&amp;lt;" becomes "<", "&amp;amp;" only "&amp;".
      {R"(["&amp;lt;","&amp;quot;","&amp;amp;","&lt;amp;"])", Json{"<", "\"", "&amp;", "<amp;"}},
      // A key sent as it reads keeps its value over one that reads the same once replaced.
      {R"({"a&amp;b":1,"a&b":2})", Json{{"a&b", 2}}},
      // Texts that are JSON only with their entities replaced are read that way.
      {"{&quot;a&quot;:&quot;b&amp;c&quot;}", Json{{"a", "b&c"}}},
      {"&quot;text&quot;", Json("text")},
      {R"({"a":1e999})", 406},
      {"[" + std::string(400, '9') + "]", 406},
      {"{&quot;a&quot;:1e999}", 406},
      {"<html>", 101},
      {"\"\xff\"", 101},
      {"{&quot;a&quot;:}", 101},
  };
  for (const auto& c : cases) {
    const auto parsed = parseReplyText(c.text);
    if (const auto* document = std::get_if<Json>(&c.expected)) {
      ASSERT_TRUE(parsed) << c.text << ": " << parsed.error().localizedDescription();
      EXPECT_EQ(parsed.value(), *document) << c.text;
    } else {
      ASSERT_FALSE(parsed) << c.text;
      EXPECT_EQ(parsed.error().domain(), Error::jsonDomain) << c.text;
      EXPECT_EQ(parsed.error().code(), std::get<int>(c.expected)) << c.text;
    }
  }
}

TEST(ReplyText, ReachesStringsNestedDeeperThanAThreadsStack) {
  constexpr int kDepth = 1'000'000;
  const auto parsed =
      parseReplyText(std::string(kDepth, '[') + "\"&lt;\"" + std::string(kDepth, ']'));
  ASSERT_TRUE(parsed);
  const Json* innermost = &parsed.value();
  for (int depth = 0; depth < kDepth; ++depth) {
    innermost = &innermost->front();
  }
  EXPECT_EQ(*innermost, "<");
}

}  // namespace
}  // namespace zelvora
