#pragma once

#include "Platform/ScriptContext.hpp"

#include <atomic>
#include <memory>
#include <string>
#include <string_view>

namespace zelvora::test {

// A script context without JavaScriptCore: it counts evaluations and signs nothing. For tests that
// must not load the engine (those run under ThreadSanitizer).
class FakeScriptContext final : public platform::ScriptContext {
 public:
  void evaluate(std::string_view) override { ++evaluations; }
  std::string signature(std::string_view, std::string_view) override { return {}; }

  std::atomic<int> evaluations{0};
};

// The fixture with a FakeScriptContext in place for its whole suite: before the fixture's
// ZelvoraAPI loads the signing script, and so before anything could load JavaScriptCore.
template <class Fixture>
class WithoutScriptEngine : public Fixture {
 protected:
  static void SetUpTestSuite() {
    platform::setJsContextForTesting(std::make_shared<FakeScriptContext>());
  }
  static void TearDownTestSuite() { platform::setJsContextForTesting(nullptr); }
};

}  // namespace zelvora::test
