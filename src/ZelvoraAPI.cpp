#include <zelvora/ZelvoraAPI.hpp>

#include "Helpers/Constants.hpp"
#include "Helpers/HostSetting.hpp"
#include "Helpers/StoreState.hpp"
#include "Platform/Bundle.hpp"
#include "Platform/ScriptContext.hpp"
#include "Platform/WebView.hpp"

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string_view>

namespace zelvora {

namespace {

// The setting's text when it is present and is text of any of the usual kinds.
std::optional<std::string> textSetting(const ZelvoraAPI::Configuration& configuration,
                                       const std::string& key) {
  const auto entry = configuration.find(key);
  if (entry == configuration.end())
    return std::nullopt;
  const std::any& value = entry->second;
  if (const auto* text = std::any_cast<std::string>(&value))
    return *text;
  if (const auto* text = std::any_cast<std::string_view>(&value))
    return std::string(*text);
  if (const auto* text = std::any_cast<const char*>(&value); text && *text)
    return std::string(*text);
  if (const auto* text = std::any_cast<char*>(&value); text && *text)
    return std::string(*text);
  return std::nullopt;
}

std::optional<std::string> readFile(const std::filesystem::path& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error))
    return std::nullopt;
  std::ifstream file(path, std::ios::binary);
  if (!file)
    return std::nullopt;
  std::ostringstream text;
  text << file.rdbuf();
  if (file.bad())
    return std::nullopt;
  return std::move(text).str();
}

std::optional<Error> start(const std::string& merchantId, const std::string& apiKey,
                           const std::string& apiSecret,
                           const ZelvoraAPI::Configuration& configuration) {
  using Reason = ZelvoraError::DataValidationFailedReason;
  if (merchantId.empty())
    return ZelvoraError::dataValidationFailed(Reason::merchantInvalid(merchantId));
  if (apiKey.empty())
    return ZelvoraError::dataValidationFailed(Reason::invalidApiKey(apiKey));
  if (apiSecret.empty())
    return ZelvoraError::dataValidationFailed(Reason::invalidApiSecret(apiSecret));

  const auto host = textSetting(configuration, "host");
  const auto address = host ? internal::serverAddressFromHostSetting(*host) : std::nullopt;
  const bool hostAccepted = !host || address;

  // One step, so that concurrent calls leave the Store and the server address of one same call.
  // (The address's lock is taken inside the Store's, and never the other way round.)
  internal::StoreState::update([&](internal::StoreValues& store) {
    store.session = nullptr;
    store.basket = nullptr;
    store.cleanUpDravixData();
    store.merchantId = merchantId;
    store.apiKey = apiKey;
    store.apiSecret = apiSecret;
    if (!hostAccepted)
      return;
    if (address)
      Constants::setServerAddress(*address);
    store.correlationId = textSetting(configuration, "correlation-id").value_or("");
    store.merchantName = textSetting(configuration, "merchantName").value_or("");
  });

  if (!hostAccepted)
    return ZelvoraError::dataValidationFailed(Reason::invalidUrl(*host));
  return std::nullopt;
}

}  // namespace

ZelvoraAPI::ZelvoraAPI() {
  try {
    // Before the script context is made: web views of a process whose first JavaScriptCore
    // context came before WebKit started never finish loading.
    platform::prepareWebKit();
    const auto path = platform::frameworkBundle()->pathForResource("VardeloHMAC", "js");
    if (!path)
      return;
    const auto script = readFile(*path);
    if (!script)
      return;
    if (const auto context = platform::jsContext())
      context->evaluate(*script);
  } catch (...) {
    // Without the script every signature is empty; the platform's replies tell the app.
  }
}

void ZelvoraAPI::initialize(const std::string& merchantId, const std::string& merchantApiKey,
                            const std::string& merchantApiSecret,
                            const Configuration& configuration,
                            const InitializeCompletion& completion) {
  const auto error = start(merchantId, merchantApiKey, merchantApiSecret, configuration);
  if (completion)
    completion(!error, error);
}

void ZelvoraAPI::initialize(const std::string& merchantId, const std::string& merchantApiKey,
                            const std::string& merchantApiSecret,
                            const InitializeCompletion& completion) {
  initialize(merchantId, merchantApiKey, merchantApiSecret, Configuration{}, completion);
}

}  // namespace zelvora
