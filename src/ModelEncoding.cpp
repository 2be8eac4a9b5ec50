#include <zelvora/ModelEncoding.hpp>

#include "Models/ModelCodec.hpp"

#include <zelvora/models/Basket.hpp>
#include <zelvora/models/BasketReceipt.hpp>
#include <zelvora/models/BasketReceiptNotification.hpp>

namespace zelvora {
namespace {

template <class M>
EncodedModel encode(const M& model) {
  auto text = encodeToJSONText(model);
  if (!text) {
    return {.json = std::nullopt, .error = Error::json(0, text.error().what())};
  }
  return {.json = std::move(text).value(), .error = std::nullopt};
}

}  // namespace

EncodedModel encodeModelToJSON(const Basket& basket) {
  return encode(basket);
}

EncodedModel encodeModelToJSON(const BasketReceipt& basketReceipt) {
  return encode(basketReceipt);
}

EncodedModel encodeModelToJSON(const BasketReceiptNotification& receiptNotification) {
  return encode(receiptNotification);
}

}  // namespace zelvora
