#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

struct OpaqueJSContext;  // JavaScriptCore's JSGlobalContextRef points to one
struct OpaqueJSValue;    // and its JSValueRef and JSObjectRef to one of these

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
//
// Signing is on every request's path, so the context keeps the generateSignature function it found
// (looked up again after each evaluation, the only way other code can change it) and the last
// secret's script string.
class JavaScriptCoreContext final : public ScriptContext {
 public:
  // A new, empty context.
  JavaScriptCoreContext();
  ~JavaScriptCoreContext() override;
  JavaScriptCoreContext(const JavaScriptCoreContext&) = delete;
  JavaScriptCoreContext& operator=(const JavaScriptCoreContext&) = delete;

  void evaluate(std::string_view script) override;
  // A generateSignature that rebinds the global name while it runs is called as found until the
  // next evaluation.
  std::string signature(std::string_view text, std::string_view secret) override;

  // The script's result as text; absent when it throws or yields undefined or null.
  std::optional<std::string> evaluateToString(std::string_view script);

  // Whether the engine gave a context at all.
  bool valid() const { return context_ != nullptr; }

 private:
  // The global generateSignature when it is a function, else null; the mutex is held.
  ::OpaqueJSValue* signingFunction();
  // The secret as a script string, reused while it stays the same; the mutex is held.
  const ::OpaqueJSValue* secretValue(std::string_view secret);
  // Drops what was kept from the script; the mutex is held.
  void forgetSigningState();

  std::mutex mutex_;
  ::OpaqueJSContext* context_;
  bool signingFunctionLookedUp_ = false;
  ::OpaqueJSValue* signingFunction_ = nullptr;  // protected from collection while kept
  std::string secret_;
  const ::OpaqueJSValue* secretValue_ = nullptr;  // secret_ as a script string, protected
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
