#pragma once

#include <zelvora/Error.hpp>
#include <zelvora/Export.hpp>
#include <zelvora/models/Forward.hpp>

#include <optional>
#include <string>

namespace zelvora {

// The JSON text of a model, in the platform's own form (kebab-case keys, absent fields left out,
// dates written "yyyy-MM-dd'T'HH:mm:ss.SSSZZZZZ"), or why there is none.
struct ZELVORA_EXPORT EncodedModel {
  std::optional<std::string> json;
  // Present instead of json when a value has no JSON form (a non-finite number, text that is not
  // UTF-8, a date outside the calendar): domain Error::jsonDomain, code 0.
  std::optional<Error> error;
};

// The models the app receives from the event delegate, encoded for the app's own use (to keep or
// to pass on). Safe from any thread, as long as no other thread changes the model meanwhile.
ZELVORA_EXPORT EncodedModel encodeModelToJSON(const Basket& basket);
ZELVORA_EXPORT EncodedModel encodeModelToJSON(const BasketReceipt& basketReceipt);
ZELVORA_EXPORT EncodedModel encodeModelToJSON(const BasketReceiptNotification& receiptNotification);

}  // namespace zelvora
