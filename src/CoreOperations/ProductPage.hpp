#pragma once

#include "Helpers/StoreState.hpp"

#include <zelvora/Error.hpp>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace zelvora::platform {
class WebView;
}

namespace zelvora::internal {

// One opened product page and what it acts on. What the page takes from the Store as it opens it
// keeps to its end: a purchase's clean-up, an event or the app's own calls change the Store, not
// the basket this page fills, changes and shows. Main thread only.
struct ProductPage {
  std::shared_ptr<platform::WebView> view;
  std::optional<std::string> basketId;
  StoredModel<PaymentInstrumentOffers> instruments;
  std::optional<std::int64_t> loyaltyPoints;
  // The offer that the page's chain found; every item goes into the basket with it.
  std::shared_ptr<ProductOffer> offer;
  // The basket whose figures the page shows: the answer to its last successful basket update.
  std::shared_ptr<Basket> shownBasket;
  // Why the page's last basket update failed; absent once one succeeds.
  std::optional<Error> lastUpdateError;
  // What its receipt page shows besides the receipt, as the page opened: the app's receipt page
  // and style sheet, and the merchant's name. A purchase that ends meanwhile clears the Store's.
  std::optional<std::string> receiptHtmlUrl;
  std::optional<std::string> receiptCssUrl;
  std::optional<std::string> merchantName;
  // Set once its Buy has started a purchase: a page pays once, whatever its receipt page posts.
  bool purchaseStarted = false;
};

}  // namespace zelvora::internal
