#include "fake_platform/Catalog.hpp"
#include "fake_platform/PlatformState.hpp"
#include "fake_platform/Replies.hpp"

namespace zelvora::fake {

void PlatformState::checkMerchant(const std::string& merchantId) const {
  if (merchantId != merchantId_) {
    throw Rejection{notFound("merchant", "Unknown merchant " + merchantId)};
  }
}

HttpResponse PlatformState::getInstantBuyProductOffer(const Call& call) {
  const std::string& qrData = call.pathValues.at("qr-data");
  if (qrData != fixtures::kProductQrData) {
    return notFound("product-offer", "No product offer for QR data " + qrData);
  }
  return jsonReply(catalog::productOffer(merchantId_));
}

HttpResponse PlatformState::getSkusForProduct(const Call& call) {
  checkMerchant(call.pathValues.at("merchant-id"));
  const std::string& productId = call.pathValues.at("merchant-product-id");
  if (productId != fixtures::kMerchantProductId) {
    return notFound("product", "Unknown product " + productId);
  }
  return jsonReply(catalog::productsOfferedBy(merchantId_));
}

HttpResponse PlatformState::getSkuAvailability(const Call& call) {
  checkMerchant(call.pathValues.at("merchant-id"));
  const std::string& sku = call.pathValues.at("sku");
  const fixtures::Sku* known = catalog::findSku(sku);
  if (known == nullptr) {
    return notFound("sku", "Unknown SKU " + sku);
  }
  return jsonReply(catalog::availabilityOf(*known, merchantId_));
}

}  // namespace zelvora::fake
