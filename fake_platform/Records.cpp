#include "fake_platform/Records.hpp"

#include <algorithm>

#include "fake_platform/Replies.hpp"

namespace zelvora::fake {

const nlohmann::json& instrumentOf(const ShopperRecord& shopper,
                                   const std::string& paymentInstrumentId) {
  auto found = std::find_if(shopper.instruments.begin(), shopper.instruments.end(),
                            [&](const nlohmann::json& instrument) {
                              return instrument.at("payment-instrument-id") == paymentInstrumentId;
                            });
  if (found == shopper.instruments.end()) {
    throw Rejection{parameterError("payment-instrument-id", "is not one of the shopper's")};
  }
  return *found;
}

}  // namespace zelvora::fake
