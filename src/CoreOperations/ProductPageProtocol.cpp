#include "CoreOperations/ProductPageProtocol.hpp"

#include "Models/ModelCodec.hpp"
#include "Platform/WebView.hpp"

#include <zelvora/models/Models.hpp>

namespace zelvora::internal::page {

const std::vector<std::string>& messageNames() {
  static const std::vector<std::string> names{std::string(kSkuChanged), std::string(kApplyLoyalty),
                                              std::string(kRemoveLoyalty),
                                              std::string(kShowReceipt)};
  return names;
}

std::string jsonText(const PageObject& value) {
  const std::string ascii =
      value.dump(-1, ' ', /*ensure_ascii=*/true, nlohmann::json::error_handler_t::replace);
  // Outside strings compact JSON holds none of these, so each one found is inside a string.
  std::string text;
  text.reserve(ascii.size());
  for (const char c : ascii) {
    switch (c) {
      case '<':
        text += "\\u003c";
        break;
      case '>':
        text += "\\u003e";
        break;
      case '&':
        text += "\\u0026";
        break;
      default:
        text += c;
    }
  }
  return text;
}

std::string assignment(std::string_view variable, const PageObject& value) {
  std::string statement(variable);
  statement += " = ";
  statement += jsonText(value);
  return statement;
}

std::string call(std::string_view function) {
  std::string statement(function);
  statement += "()";
  return statement;
}

template <class M>
PageObject modelObject(const M& model) {
  try {
    return PageObject(encodeToJSON(model));
  } catch (const std::exception&) {
    return PageObject::object();
  }
}

template <class M>
PageObject modelArray(const ModelList<M>& models) {
  PageObject array = PageObject::array();
  for (const auto& model : models)
    array.push_back(model ? modelObject(*model) : PageObject::object());
  return array;
}

template PageObject modelArray(const ModelList<Product>&);
template PageObject modelArray(const ModelList<StoreBase>&);

std::optional<std::string> textEntry(const nlohmann::json& body, const char* key) {
  const auto entry = body.find(key);
  if (entry == body.end() || !entry->is_string())
    return std::nullopt;
  return entry->get<std::string>();
}

std::string decimalText(std::int64_t value) {
  return std::to_string(value);
}

void putText(PageObject& object, std::string_view key, const std::optional<std::string>& value) {
  if (value)
    object[std::string(key)] = *value;
}

void putDecimal(PageObject& object, std::string_view key,
                const std::optional<std::int64_t>& value) {
  if (value)
    object[std::string(key)] = decimalText(*value);
}

PageObject cardPart(const ModelList<PaymentInstrumentOffer>* instruments) {
  PageObject card = PageObject::object();
  if (instruments && !instruments->empty() && instruments->front()) {
    const auto& first = *instruments->front();
    putText(card, "cardNumber", first.cardNumber);
    putText(card, "cardAlias", first.cardAlias);
  }
  return card;
}

void addBasketTotals(PageObject& summary, const TotalSummary* totals, const ProductOffer* offer) {
  const TotalSummary none;
  const TotalSummary& sum = totals ? *totals : none;
  putDecimal(summary, "subtotal", sum.total);
  putDecimal(summary, "tax", sum.tax);
  putDecimal(summary, "savings", sum.productOfferCents);
  putDecimal(summary, "payable", sum.paymentTotal);
  putDecimal(summary, "cashRewards", sum.loyaltyCents);
  putDecimal(summary, "value", offer ? offer->value : std::nullopt);
  putDecimal(summary, "promo", sum.productOfferCents);
  putDecimal(summary, "totalSavings", sum.discountCents);
}

PageObject userProfile(const ShopperProfile& profile) {
  PageObject object = PageObject::object();
  object["fullName"] = profile.firstName.value_or("") + " " + profile.lastName.value_or("");
  object["shippingAddress"] = shippingAddressLine(profile.shippingAddress.get());
  return object;
}

std::string shippingAddressLine(const IdentityAddress* address) {
  if (!address)
    return {};
  std::string line;
  for (const auto* piece :
       {&address->addr1, &address->addr2, &address->city, &address->state, &address->zipcode}) {
    if (!*piece || piece->value().find_first_not_of(' ') == std::string::npos)
      continue;
    if (!line.empty())
      line += ", ";
    line += piece->value();
  }
  return line;
}

ModelList<StoreBase> placeholderStores() {
  auto store = std::make_shared<StoreBase>();
  store->name = "Not available at store";
  return {store};
}

std::string debugDescription(const Error& error) {
  std::string text = "Error Domain=" + error.domain() + " Code=" + std::to_string(error.code()) +
                     " \"" + error.localizedDescription() + "\"";
  if (error.failureReason())
    text += " UserInfo={NSLocalizedFailureReason=" + *error.failureReason() + "}";
  return text;
}

std::string errorText(const std::optional<Error>& error) {
  return error ? "Optional(" + debugDescription(*error) + ")" : "nil";
}

namespace {

PageObject errorObject(const std::string& message) {
  PageObject error = PageObject::object();
  error["message"] = message;
  return error;
}

void showErrorObject(platform::WebView& webview, const PageObject& error) {
  webview.evaluate(assignment(kError, error));
  webview.evaluate(call(kDisplayErrorDiv));
}

}  // namespace

void showError(platform::WebView& webview, const std::string& message) {
  showErrorObject(webview, errorObject(message));
}

void showPaymentUnconfirmed(platform::WebView& webview, const std::string& message) {
  PageObject error = errorObject(message);
  error["paymentOutcome"] = "unknown";
  showErrorObject(webview, error);
}

}  // namespace zelvora::internal::page
