// The signing script in a real JavaScriptCore context, checked against OpenSSL.
#include <zelvora/ZelvoraAPI.hpp>

#include "Platform/Bundle.hpp"
#include "Platform/ScriptContext.hpp"
#include "support/OpenSslHmac.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace zelvora {
namespace {

std::string signingScript() {
  const auto path = platform::frameworkBundle()->pathForResource("VardeloHMAC", "js");
  if (!path)
    return {};
  std::ifstream file(*path);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

std::string bytes(std::size_t count, unsigned char value) {
  return std::string(count, static_cast<char>(value));
}

std::string jsByteArray(std::string_view data) {
  std::string text = "[";
  for (unsigned char c : data)
    text += std::to_string(c) + ",";
  text += "]";
  return text;
}

class SigningScriptTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(context_.valid());
    const std::string script = signingScript();
    ASSERT_FALSE(script.empty());
    context_.evaluate(script);
  }

  // The script's HMAC over raw bytes, for keys and data that are not UTF-8 text.
  std::string hmacOfBytes(std::string_view key, std::string_view data) {
    return context_
        .evaluateToString("VardeloHMAC.hmacSha256Hex(" + jsByteArray(key) + "," +
                          jsByteArray(data) + ")")
        .value_or("<none>");
  }

  platform::JavaScriptCoreContext context_;
};

struct Rfc4231Case {
  std::string key;
  std::string data;
  std::string expected;  // HMAC-SHA-256, truncated to 128 bits for test case 5
};

// RFC 4231, test cases 1 to 7.
std::vector<Rfc4231Case> rfc4231() {
  return {
      {bytes(20, 0x0b), "Hi There",
       "b0344c61d8db38535ca8afceaf0bf12b881dc200c9833da726e9376c2e32cff7"},
      {"Jefe", "what do ya want for nothing?",
       "5bdcc146bf60754e6a042426089575c75a003f089d2739839dec58b964ec3843"},
      {bytes(20, 0xaa), bytes(50, 0xdd),
       "773ea91e36800e46854db8ebd09181a72959098b3ef8c122d9635514ced565fe"},
      {std::string("\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0a\x0b\x0c\x0d\x0e\x0f\x10\x11\x12\x13"
                   "\x14\x15\x16\x17\x18\x19"),
       bytes(50, 0xcd), "82558a389a443c0ea4cc819899f2083a85f0faa3e578f8077a2e3ff46729665b"},
      {bytes(20, 0x0c), "Test With Truncation", "a3b6167473100ee06e0c796c2955552b"},
      {bytes(131, 0xaa), "Test Using Larger Than Block-Size Key - Hash Key First",
       "60e431591ee0b67f0d8a26aacbf5b77f8e0bc6213728c5140546040f0ee37f54"},
      {bytes(131, 0xaa),
       "This is a test using a larger than block-size key and a larger than block-size data. The "
       "key needs to be "
       "hashed before being used by the HMAC algorithm.",
       "9b09ffa71b942fcb27635fbcd5b0e944bfdc63644f0713938a7f51535c3a35e2"},
  };
}

TEST_F(SigningScriptTest, Rfc4231VectorsMatchTheRfcAndOpenSsl) {
  for (const auto& c : rfc4231()) {
    const std::string ours = hmacOfBytes(c.key, c.data);
    EXPECT_EQ(ours.substr(0, c.expected.size()), c.expected);
    EXPECT_EQ(ours, test::opensslHmacSha256Hex(c.key, c.data));
  }
}

TEST_F(SigningScriptTest, GenerateSignatureOnTextVectors) {
  // The vectors whose key and data are ASCII text go through generateSignature itself.
  for (const auto& c : rfc4231()) {
    const bool ascii =
        std::all_of(c.key.begin(), c.key.end(), [](char b) { return (b & 0x80) == 0; }) &&
        std::all_of(c.data.begin(), c.data.end(), [](char b) { return (b & 0x80) == 0; });
    if (!ascii)
      continue;
    EXPECT_EQ(context_.signature(c.data, c.key).substr(0, c.expected.size()), c.expected);
  }
  EXPECT_EQ(context_.signature("Hi There", bytes(20, 0x0b)),
            "b0344c61d8db38535ca8afceaf0bf12b881dc200c9833da726e9376c2e32cff7");
}

TEST_F(SigningScriptTest, NonAsciiTextIsSignedAsUtf8) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"Gr\xC3\xBC\xC3\x9F"
       "e, \xE4\xB8\x96\xE7\x95\x8C \xF0\x9F\x98\x80",
       "s\xC3\xA9"
       "cret\xF0\x9F\x94\x91"},
      {"{\"name\":\"Caf\xC3\xA9 \xE2\x82\xAC 5\"}", "key"},
      {"\xF0\x9F\x98\x80\xF0\x9F\x98\x80\xF0\x9F\x98\x80", std::string(100, 'k') + "\xC3\xA9"},
      {"", ""},
      {"text", ""},
      {std::string("nul\0inside", 10), "secret"},
  };
  for (const auto& [text, secret] : cases) {
    EXPECT_EQ(context_.signature(text, secret), test::opensslHmacSha256Hex(secret, text)) << text;
  }
}

TEST_F(SigningScriptTest, EveryLengthAroundTheBlockBoundaries) {
  std::string text;
  for (std::size_t length = 0; length <= 200; ++length) {
    ASSERT_EQ(context_.signature(text, "secret"), test::opensslHmacSha256Hex("secret", text))
        << length;
    ASSERT_EQ(context_.signature("text", text), test::opensslHmacSha256Hex(text, "text")) << length;
    text.push_back(static_cast<char>('a' + length % 26));
  }
}

TEST_F(SigningScriptTest, EachSignatureUsesItsOwnSecretAndWholeText) {
  // The script keeps the last secret's key states and a text buffer that grows: taking turns
  // between secrets (one longer than a block, hashed first) and between empty and > 64 KiB texts
  // must never sign with a stale key or a stale byte.
  const std::string longSecret(100, 'k');
  const std::string longMixed = std::string(70000, 'a') + "\xC3\xA9\xE2\x82\xAC" + "tail";
  const std::string longAscii(66000, 'b');
  const std::vector<std::pair<std::string, std::string>> turns = {
      {"body", "secret-A"},       {"body", "secret-B"}, {"body", "secret-A"},
      {"", "secret-A"},           {"", "secret-B"},     {"body", longSecret},
      {"body", longSecret + "!"}, {"body", longSecret}, {longMixed, "secret-A"},
      {longAscii, "secret-B"},    {"", longSecret},     {"body", "secret-A"},
  };
  for (const auto& [text, secret] : turns) {
    EXPECT_EQ(context_.signature(text, secret), test::opensslHmacSha256Hex(secret, text))
        << text.size() << " bytes under " << secret;
  }
}

TEST_F(SigningScriptTest, IllFormedUtf8IsSignedAsItsRepairedText) {
  // 0xFF and a cut-off three-byte sequence each become U+FFFD (EF BF BD).
  const std::string text =
      "a\xFF"
      "b\xE2\x82";
  EXPECT_EQ(context_.signature(text, "k"), test::opensslHmacSha256Hex("k",
                                                                      "a\xEF\xBF\xBD"
                                                                      "b\xEF\xBF\xBD"));
}

TEST_F(SigningScriptTest, SignatureIsLowerCaseHex) {
  const std::string signature = context_.signature("GET/api/client/session", "secret");
  ASSERT_EQ(signature.size(), 64u);
  EXPECT_EQ(signature.find_first_not_of("0123456789abcdef"), std::string::npos);
}

TEST(ScriptContextTest, WithoutTheFunctionTheSignatureIsEmpty) {
  platform::JavaScriptCoreContext context;
  EXPECT_EQ(context.signature("text", "secret"), "");
  context.evaluate("var generateSignature = 42;");
  EXPECT_EQ(context.signature("text", "secret"), "");
  context.evaluate("function generateSignature(t, s) { throw new Error('no'); }");
  EXPECT_EQ(context.signature("text", "secret"), "");
  context.evaluate("function generateSignature(t, s) { }");
  EXPECT_EQ(context.signature("text", "secret"), "");
  context.evaluate("function generateSignature(t, s) { return 12; }");
  EXPECT_EQ(context.signature("text", "secret"), "12");
  context.evaluate("this is not javascript");
  EXPECT_EQ(context.signature("text", "secret"), "12");
}

// Replaces the process-wide script context and bundle for one test.
class FacadeSigningTest : public ::testing::Test {
 protected:
  void TearDown() override {
    platform::setJsContextForTesting(nullptr);
    platform::setFrameworkBundleForTesting(nullptr);
  }
};

TEST_F(FacadeSigningTest, TwoFacadesSignAlike) {
  platform::setJsContextForTesting(std::make_shared<platform::JavaScriptCoreContext>());
  ZelvoraAPI first;
  const std::string once = platform::generateSignature("POST/api/client/basket{}", "secret");
  ZelvoraAPI second;
  const std::string twice = platform::generateSignature("POST/api/client/basket{}", "secret");
  EXPECT_EQ(once, test::opensslHmacSha256Hex("secret", "POST/api/client/basket{}"));
  EXPECT_EQ(twice, once);
}

TEST_F(FacadeSigningTest, MissingSigningScriptGivesAnEmptySignature) {
  const auto empty = std::filesystem::temp_directory_path() / "zelvora-empty-bundle";
  std::filesystem::create_directories(empty);
  platform::setFrameworkBundleForTesting(std::make_shared<platform::DirectoryBundle>(empty));
  platform::setJsContextForTesting(std::make_shared<platform::JavaScriptCoreContext>());
  ZelvoraAPI api;
  EXPECT_EQ(platform::generateSignature("text", "secret"), "");
}

TEST_F(FacadeSigningTest, UnreadableSigningScriptGivesAnEmptySignature) {
  // A directory where the script should be: found by name, but it cannot be read as a file.
  class DirectoryAsScript final : public platform::Bundle {
   public:
    std::optional<std::filesystem::path> pathForResource(std::string_view,
                                                         std::string_view) const override {
      return std::filesystem::temp_directory_path();
    }
  };
  platform::setFrameworkBundleForTesting(std::make_shared<DirectoryAsScript>());
  platform::setJsContextForTesting(std::make_shared<platform::JavaScriptCoreContext>());
  ZelvoraAPI api;
  EXPECT_EQ(platform::generateSignature("text", "secret"), "");
}

TEST_F(FacadeSigningTest, TheProcessWideContextIsCreatedOnceAndKept) {
  const auto context = platform::jsContext();
  ASSERT_TRUE(context);
  EXPECT_EQ(platform::jsContext(), context);
  ZelvoraAPI api;
  EXPECT_EQ(platform::jsContext(), context);
  EXPECT_EQ(platform::generateSignature("a", "b"), test::opensslHmacSha256Hex("b", "a"));
}

}  // namespace
}  // namespace zelvora
