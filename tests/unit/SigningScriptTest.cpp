// The signing script in a real JavaScriptCore context, checked against OpenSSL.
#include <zelvora/ZelvoraAPI.hpp>

#include "Platform/Bundle.hpp"
#include "Platform/PageAddress.hpp"
#include "Platform/ScriptContext.hpp"
#include "fake_platform/Signing.hpp"
#include "support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace zelvora {
namespace {

class SigningScriptTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(context_.valid());
    const auto script = platform::frameworkBundle()->pathForResource("VardeloHMAC", "js");
    ASSERT_TRUE(script);
    context_.evaluate(platform::readFileText(*script).value_or(""));
  }

  platform::JavaScriptCoreContext context_;
};

// The byte form, for keys that are not UTF-8 text; keys longer than a block are the text form's.
TEST_F(SigningScriptTest, TheByteFormMatchesTheReference) {
  EXPECT_EQ(context_.evaluateToString("VardeloHMAC.hmacSha256Hex(new Array(20).fill(0xaa), "
                                      "new Array(50).fill(0xdd))"),
            fake::hmacSha256Hex(std::string(20, '\xaa'), std::string(50, '\xdd')));
}

TEST_F(SigningScriptTest, EveryLengthAroundTheBlockBoundaries) {
  std::string text;
  for (std::size_t length = 0; length <= 200; ++length) {
    ASSERT_EQ(context_.signature(text, "secret"), fake::hmacSha256Hex("secret", text)) << length;
    ASSERT_EQ(context_.signature("text", text), fake::hmacSha256Hex(text, "text")) << length;
    text.push_back(static_cast<char>('a' + length % 26));
  }
}

TEST_F(SigningScriptTest, EachSignatureUsesItsOwnSecretAndWholeTextAsUtf8) {
  // The script keeps the last secret's key states and a text buffer that grows: taking turns
  // between secrets (one longer than a block, hashed first) and between empty and > 64 KiB texts
  // must never sign with a stale key or a stale byte. Texts and secrets beyond ASCII, or holding
  // a NUL, are signed as their UTF-8 bytes.
  const std::string longSecret(100, 'k');
  const std::string longMixed = std::string(70000, 'a') + "\xC3\xA9\xE2\x82\xAC" + "tail";
  const std::string longAscii(66000, 'b');
  const std::vector<std::pair<std::string, std::string>> turns = {
      {"body", "secret-A"},
      {"body", "secret-B"},
      {"body", "secret-A"},
      {"", "secret-A"},
      {"", "secret-B"},
      {"body", longSecret},
      {"body", longSecret + "!"},
      {"body", longSecret},
      {longMixed, "secret-A"},
      {longAscii, "secret-B"},
      {"", longSecret},
      {"body", "secret-A"},
      {"", ""},
      {"text", ""},
      {std::string("nul\0inside", 10), "secret"},
      {"Gr\xC3\xBC\xC3\x9F"
       "e, \xE4\xB8\x96\xE7\x95\x8C \xF0\x9F\x98\x80",
       "s\xC3\xA9"
       "cret\xF0\x9F\x94\x91"},
      {"\xF0\x9F\x98\x80\xF0\x9F\x98\x80", longSecret + "\xC3\xA9"},
  };
  for (const auto& [text, secret] : turns) {
    EXPECT_EQ(context_.signature(text, secret), fake::hmacSha256Hex(secret, text))
        << text.size() << " bytes under " << secret;
  }
}

TEST_F(SigningScriptTest, IllFormedUtf8IsSignedAsItsRepairedText) {
  // 0xFF and a cut-off three-byte sequence each become U+FFFD (EF BF BD).
  EXPECT_EQ(context_.signature("a\xFF"
                               "b\xE2\x82",
                               "k"),
            fake::hmacSha256Hex("k",
                                "a\xEF\xBF\xBD"
                                "b\xEF\xBF\xBD"));
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

// A directory where the script should be is found by name, but cannot be read as a file.
class DirectoryAsScript final : public platform::Bundle {
 public:
  std::optional<std::filesystem::path> pathForResource(std::string_view,
                                                       std::string_view) const override {
    return std::filesystem::temp_directory_path();
  }
};

TEST_F(FacadeSigningTest, AMissingOrUnreadableSigningScriptGivesAnEmptySignature) {
  const test::TemporaryDirectory empty;
  for (const std::shared_ptr<platform::Bundle>& bundle :
       {std::shared_ptr<platform::Bundle>(
            std::make_shared<platform::DirectoryBundle>(empty.path())),
        std::shared_ptr<platform::Bundle>(std::make_shared<DirectoryAsScript>())}) {
    platform::setFrameworkBundleForTesting(bundle);
    platform::setJsContextForTesting(std::make_shared<platform::JavaScriptCoreContext>());
    ZelvoraAPI api;
    EXPECT_EQ(platform::generateSignature("text", "secret"), "");
  }
}

}  // namespace
}  // namespace zelvora
