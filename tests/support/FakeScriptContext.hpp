#pragma once

#include "Platform/ScriptContext.hpp"

#include <atomic>
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

}  // namespace zelvora::test
