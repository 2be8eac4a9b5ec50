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

// The scanned code with every character but the unreserved ones percent-encoded; absent for a
// code that is not UTF-8 text.
std::optional<std::string> encodeScannedCode(std::string_view code) {
  if (!platform::isUtf8(code))
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

// The page in the view, with what it takes from the Store to keep.
std::shared_ptr<internal::ProductPage> openedPage(std::shared_ptr<platform::WebView> view,
                                                  const StoreValues& store,
                                                  const PageSettings& settings) {
  auto page = std::make_shared<internal::ProductPage>();
  page->view = std::move(view);
  page->basketId = store.basket->id;
  page->instruments = store.paymentInstrumentOffers;
  page->loyaltyPoints = store.shopperLoyaltyPoints;
  page->receiptHtmlUrl = settings.receiptHtmlUrl;
  page->receiptCssUrl = settings.receiptCssUrl;
  page->merchantName = store.merchantName;
  return page;
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
  const auto page = openedPage(makeWebView(handler), store, settings);
  const auto resource = platform::frameworkBundle()->pathForResource("index", "html");
  if (!resource)
    return;
  if (const auto text = platform::readPage(*resource, settings.pdpHtmlUrl)) {
    page->view->loadHTML(*text);
    handler->showPage(page);
  }
  page->view->attachTo(inView);
  internal::startProductPageChain(page, *encodedCode, pageCells(store, settings),
                                  std::move(completion));
}

}  // namespace zelvora
