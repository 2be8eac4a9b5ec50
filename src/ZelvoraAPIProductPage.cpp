// Opening the product page: the facade's displayProductPage.
#include <zelvora/ZelvoraAPI.hpp>

#include "CoreNetworking/Request/URLRequest.hpp"
#include "CoreOperations/DravixActionHandler.hpp"
#include "CoreOperations/ProductPageChain.hpp"
#include "Helpers/StoreState.hpp"
#include "Platform/Bundle.hpp"
#include "Platform/PageAddress.hpp"
#include "Platform/WebView.hpp"

#include <zelvora/models/Models.hpp>

#include <glib.h>

#include <algorithm>

namespace zelvora {

namespace {

using internal::StoreValues;
using Reason = ZelvoraError::RequiredDataNotAvailableReason;

// The page's height leaves this much of the screen to the app.
constexpr int kScreenMarginBelowPage = 60;

// What the Store lacks for a page, in the order it is checked.
std::optional<Reason> missingPageData(const StoreValues& store) {
  if (!store.session || store.session->state != Session::State::Authenticated)
    return Reason::authenticatedSessionNotAvailable;
  if (!store.basket)
    return Reason::basketIdNotAvailable;
  if (!store.paymentInstrumentOffers || store.paymentInstrumentOffers->empty())
    return Reason::paymentInstrumentsNotAvailable;
  if (!store.shopperLoyaltyPoints)
    return Reason::loyaltyPointsNotAvailable;
  if (!store.shopperProfile)
    return Reason::shopperProfileNotAvailable;
  return std::nullopt;
}

bool isUtf8(std::string_view text) {
  // GLib's check stops at a NUL character, which is valid text: check between them.
  for (std::size_t start = 0; start <= text.size();) {
    const std::size_t end = std::min(text.find('\0', start), text.size());
    if (!g_utf8_validate(text.data() + start, static_cast<gssize>(end - start), nullptr))
      return false;
    start = end + 1;
  }
  return true;
}

// The scanned code with every character but the unreserved ones percent-encoded; absent for a
// code that is not UTF-8 text.
std::optional<std::string> encodeScannedCode(std::string_view code) {
  if (!isUtf8(code))
    return std::nullopt;
  return percentEncode(code, "-._~");
}

// The page settings that parse as addresses.
struct PageSettings {
  std::optional<std::string> pdpHtmlUrl;
  std::optional<std::string> pdpCssUrl;
  std::optional<std::string> receiptHtmlUrl;
  std::optional<std::string> receiptCssUrl;
};

PageSettings readSettings(const std::map<std::string, std::string>& config) {
  const auto address = [&](const char* key) -> std::optional<std::string> {
    const auto entry = config.find(key);
    if (entry == config.end() || !platform::parsesAsAddress(entry->second))
      return std::nullopt;
    return entry->second;
  };
  return {address("pdpHtmlUrl"), address("pdpCssUrl"), address("receiptHtmlUrl"),
          address("receiptCssUrl")};
}

// Our product page, or the app's in its place when it has one that can be read.
std::optional<std::string> productPageText(const std::filesystem::path& resource,
                                           const PageSettings& settings) {
  auto text = platform::readFileText(resource);
  if (text && settings.pdpHtmlUrl)
    if (auto custom = platform::readAddressText(*settings.pdpHtmlUrl))
      return custom;
  return text;
}

std::shared_ptr<internal::ProductPageCells> pageCells(const StoreValues& store,
                                                      const PageSettings& settings) {
  auto cells = std::make_shared<internal::ProductPageCells>();
  internal::page::putText(cells->configuration, "merchantName", store.merchantName);
  internal::page::putText(cells->configuration, "css", settings.pdpCssUrl);
  cells->userProfile = internal::page::userProfile(*store.shopperProfile);
  const auto& instruments = store.paymentInstrumentOffers;
  cells->paymentSummary = internal::page::cardPart(instruments ? &*instruments : nullptr);
  return cells;
}

std::shared_ptr<platform::WebView> makeWebView(
    const std::shared_ptr<internal::DravixActionHandler>& handler) {
  const auto factory = platform::webViewFactory();
  const auto screen = factory->screenSize();
  return factory->make(
      internal::page::messageNames(),
      [handler](platform::WebView& sender, std::string_view name, const nlohmann::json& body) {
        handler->userContentController(sender, name, body);
      },
      {screen.width, std::max(0, screen.height - kScreenMarginBelowPage)});
}

}  // namespace

void ZelvoraAPI::displayProductPage(GtkWidget* inView, const std::string& usingCode,
                                    const std::map<std::string, std::string>& config,
                                    std::function<void(std::optional<Error>)> completion) {
  const auto store = internal::StoreState::snapshot();
  if (const auto reason = missingPageData(store)) {
    if (completion)
      completion(ZelvoraError::requiredDataNotAvailable(*reason));
    return;
  }
  const auto encodedCode = encodeScannedCode(usingCode);
  if (!encodedCode) {
    if (completion)
      completion(ZelvoraError::dataValidationFailed(
          ZelvoraError::DataValidationFailedReason::invalidQRCode(usingCode)));
    return;
  }
  const PageSettings settings = readSettings(config);
  internal::StoreState::update([&](StoreValues& values) {
    values.customReceiptHtmlUrl = settings.receiptHtmlUrl;
    values.customReceiptCssUrl = settings.receiptCssUrl;
  });

  const auto& handler = internal::actionHandler();
  handler->buyNowDict = nlohmann::json::object();
  const auto webview = makeWebView(handler);
  const auto resource = platform::frameworkBundle()->pathForResource("index", "html");
  if (!resource)
    return;
  if (const auto text = productPageText(*resource, settings)) {
    webview->loadHTML(*text, platform::fileAddress(*resource));
    handler->webview = webview;
  }
  webview->attachTo(inView);
  internal::startProductPageChain(webview, *encodedCode, pageCells(store, settings),
                                  std::move(completion));
}

}  // namespace zelvora
