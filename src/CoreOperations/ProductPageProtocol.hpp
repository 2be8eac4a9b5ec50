#pragma once

#include <zelvora/Error.hpp>
#include <zelvora/models/ModelTypes.hpp>

#include <nlohmann/json.hpp>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zelvora::platform {
class WebView;
}

// What the SDK and the product and receipt pages say to each other: the messages a page posts, and
// the statements the SDK runs in it ("ib_stores = [...]", "setUpdatedStores()").
namespace zelvora::internal::page {

// A page object; its keys keep the order they were put in.
using PageObject = nlohmann::ordered_json;

// The messages a page may post, in the order a name is matched against them.
inline constexpr std::string_view kSkuChanged = "skuChanged";
inline constexpr std::string_view kApplyLoyalty = "applyLoyalty";
inline constexpr std::string_view kRemoveLoyalty = "removeLoyalty";
inline constexpr std::string_view kShowReceipt = "showReceipt";
const std::vector<std::string>& messageNames();

// The page variables the SDK sets.
inline constexpr std::string_view kProducts = "ib_products";
inline constexpr std::string_view kUserProfile = "ib_userProfile";
inline constexpr std::string_view kPaymentSummary = "ib_paymentSummary";
inline constexpr std::string_view kStores = "ib_stores";
inline constexpr std::string_view kConfig = "ib_config";
inline constexpr std::string_view kReceipt = "ib_receipt";
inline constexpr std::string_view kError = "ib_error";

// The page functions the SDK calls.
inline constexpr std::string_view kPopulateProductDetails = "populateProductDetails";
inline constexpr std::string_view kSetUpdatedStores = "setUpdatedStores";
inline constexpr std::string_view kSetUpdatedPaymentSummary = "setUpdatedPaymentSummary";
inline constexpr std::string_view kSetValues = "setValues";
inline constexpr std::string_view kDisplayErrorDiv = "displayErrorDiv";

// Compact JSON that cannot end the statement it sits in: every character beyond ASCII, and "<",
// ">" and "&", is written as a \u escape (so U+2028, U+2029 and "</script>" stay inside the
// string), and ill-formed UTF-8 becomes U+FFFD.
std::string jsonText(const PageObject& value);

// "ib_stores = " followed by the JSON text, nothing after it.
std::string assignment(std::string_view variable, const PageObject& value);
// "setUpdatedStores()".
std::string call(std::string_view function);

// An array of the models' JSON encodings, in order ({} for an absent model or one that has no JSON
// form). For Product and StoreBase.
template <class M>
PageObject modelArray(const ModelList<M>& models);

// The text under the key of a message body; absent when the entry is missing or not text.
std::optional<std::string> textEntry(const nlohmann::json& body, const char* key);

// A 64-bit amount (cents) as the page receives it: decimal digits, "-" first when negative.
std::string decimalText(std::int64_t value);

// Puts the value under the key when there is one.
void putText(PageObject& object, std::string_view key, const std::optional<std::string>& value);
void putDecimal(PageObject& object, std::string_view key, const std::optional<std::int64_t>& value);

// "cardNumber" and "cardAlias" of the shopper's first payment instrument, each when it has one.
PageObject cardPart(const ModelList<PaymentInstrumentOffer>* instruments);

// Adds the payment summary's basket figures, in the page's order, each when it is known: the
// totals of the basket's summary and the offer's value.
void addBasketTotals(PageObject& summary, const TotalSummary* totals, const ProductOffer* offer);

// "fullName" and "shippingAddress" of the shopper's profile.
PageObject userProfile(const ShopperProfile& profile);
// The address as one line: addr1, addr2, city, state, zipcode, those that hold more than spaces,
// joined by ", ".
std::string shippingAddressLine(const IdentityAddress* address);

// The store list shown when no store holds the SKU.
ModelList<StoreBase> placeholderStores();

// How a failure's error reads in a message: "nil" when none came, else "Optional(" + the
// error's debug description + ")".
std::string errorText(const std::optional<Error>& error);
// "Error Domain=<domain> Code=<code> \"<description>\"", with the failure reason when it has one.
std::string debugDescription(const Error& error);

// Shows the text in the page's error box: "ib_error = {"message":...}", then "displayErrorDiv()".
void showError(platform::WebView& webview, const std::string& message);
// Shows a payment's failure when nobody knows whether the platform took it: the error object
// also holds "paymentOutcome": "unknown", which a receipt page may read.
void showPaymentUnconfirmed(platform::WebView& webview, const std::string& message);

}  // namespace zelvora::internal::page
