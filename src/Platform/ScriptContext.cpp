#include "Platform/ScriptContext.hpp"

#include "Helpers/Utf8.hpp"

#include <JavaScriptCore/JavaScript.h>

#include <vector>

namespace zelvora::platform {

namespace {

// A JSStringRef released at the end of its scope.
class JSString {
 public:
  explicit JSString(JSStringRef string) : string_(string) {}
  // UTF-8 text, ill-formed sequences repaired to U+FFFD; embedded NUL characters are kept.
  explicit JSString(std::string_view utf8) {
    const std::u16string utf16 = internal::utf8ToUtf16(utf8);
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
  if (context_)
    JSGlobalContextRelease(context_);
}

void JavaScriptCoreContext::evaluate(std::string_view script) {
  evaluateToString(script);
}

std::optional<std::string> JavaScriptCoreContext::evaluateToString(std::string_view script) {
  std::lock_guard lock(mutex_);
  if (!context_)
    return std::nullopt;
  JSString source(script);
  JSValueRef exception = nullptr;
  JSValueRef result = JSEvaluateScript(context_, source.get(), nullptr, nullptr, 1, &exception);
  if (exception)
    return std::nullopt;
  return textOf(context_, result);
}

std::string JavaScriptCoreContext::signature(std::string_view text, std::string_view secret) {
  std::lock_guard lock(mutex_);
  if (!context_)
    return {};
  JSValueRef exception = nullptr;
  JSString name(JSStringCreateWithUTF8CString("generateSignature"));
  JSValueRef function =
      JSObjectGetProperty(context_, JSContextGetGlobalObject(context_), name.get(), &exception);
  if (exception || !function || !JSValueIsObject(context_, function))
    return {};
  JSObjectRef functionObject = JSValueToObject(context_, function, &exception);
  if (exception || !functionObject || !JSObjectIsFunction(context_, functionObject))
    return {};

  JSString textArgument(text);
  JSString secretArgument(secret);
  const JSValueRef arguments[] = {JSValueMakeString(context_, textArgument.get()),
                                  JSValueMakeString(context_, secretArgument.get())};
  JSValueRef result =
      JSObjectCallAsFunction(context_, functionObject, nullptr, 2, arguments, &exception);
  if (exception)
    return {};
  return textOf(context_, result).value_or(std::string());
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
