#include "Platform/ScriptContext.hpp"

#include "Helpers/Utf8.hpp"

#include <JavaScriptCore/JavaScript.h>

#include <algorithm>
#include <vector>

namespace zelvora::platform {

namespace {

// Request texts are nearly always ASCII, which widens to UTF-16 unit for unit without decoding.
std::u16string utf16Of(std::string_view utf8) {
  if (std::all_of(utf8.begin(), utf8.end(), [](char c) { return (c & 0x80) == 0; }))
    return std::u16string(utf8.begin(), utf8.end());
  return internal::utf8ToUtf16(utf8);
}

// A JSStringRef released at the end of its scope.
class JSString {
 public:
  explicit JSString(JSStringRef string) : string_(string) {}
  // UTF-8 text, ill-formed sequences repaired to U+FFFD; embedded NUL characters are kept.
  explicit JSString(std::string_view utf8) {
    const std::u16string utf16 = utf16Of(utf8);
    string_ =
        JSStringCreateWithCharacters(reinterpret_cast<const JSChar*>(utf16.data()), utf16.size());
  }
  ~JSString() {
    if (string_)
      JSStringRelease(string_);
  }
  JSString(const JSString&) = delete;
  JSString& operator=(const JSString&) = delete;

  JSStringRef get() const { return string_; }

  std::string utf8() const {
    if (!string_)
      return {};
    std::vector<char> buffer(JSStringGetMaximumUTF8CStringSize(string_));
    const size_t written = JSStringGetUTF8CString(string_, buffer.data(), buffer.size());
    return written == 0 ? std::string() : std::string(buffer.data(), written - 1);
  }

 private:
  JSStringRef string_ = nullptr;
};

// The value as text; absent for undefined and null.
std::optional<std::string> textOf(JSContextRef context, JSValueRef value) {
  if (!value || JSValueIsUndefined(context, value) || JSValueIsNull(context, value))
    return std::nullopt;
  JSValueRef exception = nullptr;
  JSString text(JSValueToStringCopy(context, value, &exception));
  if (exception || !text.get())
    return std::nullopt;
  return text.utf8();
}

}  // namespace

JavaScriptCoreContext::JavaScriptCoreContext() : context_(JSGlobalContextCreate(nullptr)) {}

JavaScriptCoreContext::~JavaScriptCoreContext() {
  if (!context_)
    return;
  forgetSigningState();
  JSGlobalContextRelease(context_);
}

void JavaScriptCoreContext::evaluate(std::string_view script) {
  evaluateToString(script);
}

std::optional<std::string> JavaScriptCoreContext::evaluateToString(std::string_view script) {
  std::lock_guard lock(mutex_);
  if (!context_)
    return std::nullopt;
  forgetSigningState();
  JSString source(script);
  JSValueRef exception = nullptr;
  JSValueRef result = JSEvaluateScript(context_, source.get(), nullptr, nullptr, 1, &exception);
  if (exception)
    return std::nullopt;
  return textOf(context_, result);
}

std::string JavaScriptCoreContext::signature(std::string_view text, std::string_view secret) {
  std::lock_guard lock(mutex_);
  JSObjectRef function = signingFunction();
  if (!function)
    return {};
  JSString textArgument(text);
  const JSValueRef arguments[] = {JSValueMakeString(context_, textArgument.get()),
                                  secretValue(secret)};
  JSValueRef exception = nullptr;
  JSValueRef result = JSObjectCallAsFunction(context_, function, nullptr, 2, arguments, &exception);
  if (exception)
    return {};
  return textOf(context_, result).value_or(std::string());
}

JSObjectRef JavaScriptCoreContext::signingFunction() {
  if (!context_ || signingFunctionLookedUp_)
    return signingFunction_;
  signingFunctionLookedUp_ = true;
  JSValueRef exception = nullptr;
  JSString name(JSStringCreateWithUTF8CString("generateSignature"));
  JSValueRef value =
      JSObjectGetProperty(context_, JSContextGetGlobalObject(context_), name.get(), &exception);
  if (exception || !value || !JSValueIsObject(context_, value))
    return nullptr;
  JSObjectRef object = JSValueToObject(context_, value, &exception);
  if (exception || !object || !JSObjectIsFunction(context_, object))
    return nullptr;
  JSValueProtect(context_, object);
  signingFunction_ = object;
  return object;
}

JSValueRef JavaScriptCoreContext::secretValue(std::string_view secret) {
  if (secretValue_ && secret == secret_)
    return secretValue_;
  if (secretValue_)
    JSValueUnprotect(context_, secretValue_);
  JSString string(secret);
  secretValue_ = JSValueMakeString(context_, string.get());
  JSValueProtect(context_, secretValue_);
  secret_ = secret;
  return secretValue_;
}

void JavaScriptCoreContext::forgetSigningState() {
  if (signingFunction_)
    JSValueUnprotect(context_, signingFunction_);
  if (secretValue_)
    JSValueUnprotect(context_, secretValue_);
  signingFunction_ = nullptr;
  signingFunctionLookedUp_ = false;
  secretValue_ = nullptr;
  secret_.clear();
}

namespace {
struct ContextHolder {
  std::mutex mutex;
  bool created = false;
  std::shared_ptr<ScriptContext> context;
};

ContextHolder& holder() {
  static auto* const instance = new ContextHolder;
  return *instance;
}
}  // namespace

std::shared_ptr<ScriptContext> jsContext() {
  auto& h = holder();
  std::lock_guard lock(h.mutex);
  if (!h.created) {
    h.created = true;
    auto context = std::make_shared<JavaScriptCoreContext>();
    if (context->valid())
      h.context = std::move(context);
  }
  return h.context;
}

void setJsContextForTesting(std::shared_ptr<ScriptContext> context) {
  auto& h = holder();
  std::lock_guard lock(h.mutex);
  h.created = context != nullptr;
  h.context = std::move(context);
}

std::string generateSignature(std::string_view text, std::string_view secret) {
  const auto context = jsContext();
  return context ? context->signature(text, secret) : std::string();
}

}  // namespace zelvora::platform
