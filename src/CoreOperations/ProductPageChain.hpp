#pragma once

#include "CoreOperations/ProductPage.hpp"
#include "CoreOperations/ProductPageProtocol.hpp"

#include <zelvora/Error.hpp>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace zelvora::platform {
class WebView;
}

namespace zelvora::internal {

// What one opening of the product page fills its page with. The opening makes the three objects;
// the chain adds the basket figures to the payment summary and the SKU and store lists.
struct ProductPageCells {
  page::PageObject configuration = page::PageObject::object();
  page::PageObject userProfile = page::PageObject::object();
  page::PageObject paymentSummary = page::PageObject::object();
  std::optional<ModelList<Product>> skus;
  std::optional<ModelList<StoreBase>> stores;
};

using ProductPageCompletion = std::function<void(std::optional<Error>)>;

// The texts the page shows when a step of the chain fails.
inline constexpr std::string_view kOfferNotFound = "Scanned offer not found.";
inline constexpr std::string_view kNoProductsInOffer = "Not able to get products in offer.";
inline constexpr std::string_view kRewardsNotRedeemed = "Not able to redeem rewards.";
inline constexpr std::string_view kItemNotAdded = "Not able to add item to cart.";

// How long after a failure of the chain its text reaches the page.
inline constexpr std::chrono::milliseconds kErrorDisplayDelay{1300};

// Runs the five calls that fill a newly opened page, one after the other on the main queue: the
// offer of the encoded code, its product's SKUs, the first SKU's stores, the redemption of all the
// shopper's loyalty points on the page's basket, and the basket update adding the first SKU. Then
// the page gets its first data and the completion runs with no error. A failing step calls the
// completion (with no error) at once and shows its text in the page 1.3 s later. A page that a
// later opening has replaced before its redemption stops there, calling the completion. Keeps
// itself alive until its last call has answered. Call on the main thread.
void startProductPageChain(std::shared_ptr<ProductPage> page, std::string encodedCode,
                           std::shared_ptr<ProductPageCells> cells,
                           ProductPageCompletion completion);

// Shows the text in the page's error box once kErrorDisplayDelay has passed; holds the web view
// until then. Returns at once.
void displayErrorMessage(std::shared_ptr<platform::WebView> webview, std::string errorMsg);

}  // namespace zelvora::internal
