#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

struct OpaqueJSContext;  // JavaScriptCore's JSGlobalContextRef points to one

namespace zelvora::platform {

// A JavaScript context holding the signing script.
class ScriptContext {
 public:
  virtual ~ScriptContext() = default;

  // Evaluates a script; its result and any exception it throws are dropped.
  virtual void evaluate(std::string_view script) = 0;

  // The result of the global function generateSignature(text, secret) as text; "" when there is no
  // such function, the call throws or yields no value.
  virtual std::string signature(std::string_view text, std::string_view secret) = 0;
};

// A context of JavaScriptCore's C API. One mutex serialises every use of it: JavaScriptCore asks
// for explicit synchronisation when a context is used from several threads.
class JavaScriptCoreContext final : public ScriptContext {
 public:
  // A new, empty context.
  JavaScriptCoreContext();
  ~JavaScriptCoreContext() override;
  JavaScriptCoreContext(const JavaScriptCoreContext&) = delete;
  JavaScriptCoreContext& operator=(const JavaScriptCoreContext&) = delete;

  void evaluate(std::string_view script) override;
  std::string signature(std::string_view text, std::string_view secret) override;

  // The script's result as text; absent when it throws or yields undefined or null.
  std::optional<std::string> evaluateToString(std::string_view script);

  // Whether the engine gave a context at all.
  bool valid() const { return context_ != nullptr; }

 private:
  std::mutex mutex_;
  ::OpaqueJSContext* context_;
};

// The process-wide script context, created (empty) the first time it is used and then kept; absent
// when the engine cannot make one. Creating it loads JavaScriptCore's engine.
std::shared_ptr<ScriptContext> jsContext();

// Replaces the process-wide script context; for tests. Pass nullptr to have the next use create a
// fresh JavaScriptCore context.
void setJsContextForTesting(std::shared_ptr<ScriptContext> context);

// The request signature of a text under a secret, through jsContext(); "" when there is no
// context, no generateSignature function or no result.
std::string generateSignature(std::string_view text, std::string_view secret);

}  // namespace zelvora::platform
