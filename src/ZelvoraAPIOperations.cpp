// The facade's asynchronous calls: each makes its operation, hands it the app's completion as its
// handler and starts it, keeping no reference, so the operation lives only as long as its request.
#include <zelvora/ZelvoraAPI.hpp>

#include "CoreOperations/ClientOperations/AssociateBasketOperation.hpp"
#include "CoreOperations/ClientOperations/AuthenticateShopperOperation.hpp"
#include "CoreOperations/ClientOperations/CreateBasketOperation.hpp"
#include "CoreOperations/ClientOperations/CreateSessionOperation.hpp"
#include "CoreOperations/ClientOperations/GetActiveBasketsOperation.hpp"
#include "CoreOperations/ClientOperations/GetBasketOperation.hpp"
#include "CoreOperations/ClientOperations/GetDefaultPaymentInstrumentOperation.hpp"
#include "CoreOperations/ClientOperations/GetLoyaltyOperation.hpp"
#include "CoreOperations/ClientOperations/GetMostRecentBasketOperation.hpp"
#include "CoreOperations/ClientOperations/GetPaymentInstrumentsOperation.hpp"
#include "CoreOperations/ClientOperations/GetProductOfferOperation.hpp"
#include "CoreOperations/ClientOperations/GetReceiptOperation.hpp"
#include "CoreOperations/ClientOperations/GetReceiptsOperation.hpp"
#include "CoreOperations/ClientOperations/GetSessionOperation.hpp"
#include "CoreOperations/ClientOperations/GetShopperOperation.hpp"
#include "CoreOperations/ClientOperations/GetShopperProfileOperation.hpp"
#include "CoreOperations/ClientOperations/GetSkuAvailabilityOperation.hpp"
#include "CoreOperations/ClientOperations/GetSkusForProductOperation.hpp"
#include "CoreOperations/ClientOperations/PaymentOperation.hpp"
#include "CoreOperations/ClientOperations/PaymentPreviewOperation.hpp"
#include "CoreOperations/ClientOperations/PosCompleteScanOperation.hpp"
#include "CoreOperations/ClientOperations/PosReadyForPaymentOperation.hpp"
#include "CoreOperations/ClientOperations/ProvisionOperation.hpp"
#include "CoreOperations/ClientOperations/RedeemLoyaltyOperation.hpp"
#include "CoreOperations/ClientOperations/SetDefaultPaymentInstrumentOperation.hpp"
#include "CoreOperations/ClientOperations/UpdateBasketOperation.hpp"
#include "CoreOperations/ClientOperations/UpdateShopperProfileOperation.hpp"

namespace zelvora {
namespace {

template <class Operation, class... Arguments>
void start(Completion<typename Operation::Result> completion, Arguments&&... arguments) {
  std::make_shared<Operation>(std::move(completion), std::forward<Arguments>(arguments)...)
      ->start();
}

}  // namespace

using namespace internal;

void ZelvoraAPI::createSession(Completion<Session> completion) {
  start<CreateSessionOperation>(std::move(completion));
}

void ZelvoraAPI::getCurrentSession(Completion<Session> completion) {
  start<GetSessionOperation>(std::move(completion));
}

void ZelvoraAPI::authenticateShopper(std::string shopperId, std::string authToken,
                                     Completion<Session> completion) {
  start<AuthenticateShopperOperation>(std::move(completion), std::move(shopperId),
                                      std::move(authToken));
}

void ZelvoraAPI::getShopper(Completion<Shopper> completion) {
  start<GetShopperOperation>(std::move(completion));
}

void ZelvoraAPI::getShopperProfile(Completion<ShopperProfile> completion) {
  start<GetShopperProfileOperation>(std::move(completion));
}

void ZelvoraAPI::updateShopperProfile(std::shared_ptr<UpdateShopperProfile> shopperProfile,
                                      Completion<UpdateShopperProfile> completion) {
  start<UpdateShopperProfileOperation>(std::move(completion), std::move(shopperProfile));
}

void ZelvoraAPI::getPaymentInstruments(Completion<ModelList<PaymentInstrumentOffer>> completion) {
  start<GetPaymentInstrumentsOperation>(std::move(completion));
}

void ZelvoraAPI::setDefault(std::string paymentInstrumentId,
                            Completion<SetDefaultPaymentInstrumentValue> completion) {
  start<SetDefaultPaymentInstrumentOperation>(std::move(completion),
                                              std::move(paymentInstrumentId));
}

void ZelvoraAPI::getDefaultPaymentInstrument(Completion<PaymentInstrumentOffer> completion) {
  start<GetDefaultPaymentInstrumentOperation>(std::move(completion));
}

void ZelvoraAPI::getLoyalty(Completion<ShopperLoyalty> completion) {
  start<GetLoyaltyOperation>(std::move(completion));
}

void ZelvoraAPI::getReceipts(Completion<ModelList<Receipt>> completion) {
  start<GetReceiptsOperation>(std::move(completion));
}

void ZelvoraAPI::provision(std::shared_ptr<ProvisionCardParam> paymentInstrument,
                           Completion<WalletPaymentInstrumentInfo> completion) {
  start<ProvisionOperation>(std::move(completion), std::move(paymentInstrument));
}

void ZelvoraAPI::createBasket(Completion<Basket> completion) {
  start<CreateBasketOperation>(std::move(completion));
}

void ZelvoraAPI::getBasket(Completion<Basket> completion) {
  getBasket(std::nullopt, std::move(completion));
}

void ZelvoraAPI::getBasket(std::optional<std::string> basketId, Completion<Basket> completion) {
  start<GetBasketOperation>(std::move(completion), std::move(basketId));
}

void ZelvoraAPI::updateBasket(std::shared_ptr<BasketUpdateParam> basket,
                              Completion<Basket> completion) {
  start<UpdateBasketOperation>(std::move(completion), std::move(basket));
}

void ZelvoraAPI::getMostRecentBasket(Completion<Basket> completion) {
  start<GetMostRecentBasketOperation>(std::move(completion));
}

void ZelvoraAPI::getActiveBaskets(Completion<ModelList<Basket>> completion) {
  start<GetActiveBasketsOperation>(std::move(completion));
}

void ZelvoraAPI::checkin(std::optional<std::string> posId, Completion<MerchantPoS> completion) {
  start<AssociateBasketOperation>(std::move(completion), std::move(posId));
}

void ZelvoraAPI::redeemLoyalty(std::int64_t points, Completion<Basket> completion) {
  start<RedeemLoyaltyOperation>(std::move(completion), points);
}

void ZelvoraAPI::preview(std::string paymentInstrumentId, Completion<BasketPreview> completion) {
  start<PaymentPreviewOperation>(std::move(completion), std::move(paymentInstrumentId));
}

void ZelvoraAPI::startPayment(std::string paymentInstrumentId,
                              Completion<BasketPaymentConfirmation> completion) {
  start<PaymentOperation>(std::move(completion), std::move(paymentInstrumentId));
}

void ZelvoraAPI::getPaymentReceipt(Completion<BasketReceipt> completion) {
  start<GetReceiptOperation>(std::move(completion));
}

void ZelvoraAPI::posCompleteScan(Completion<BasketState> completion) {
  start<PosCompleteScanOperation>(std::move(completion));
}

void ZelvoraAPI::posReadyForPayment(Completion<BasketState> completion) {
  start<PosReadyForPaymentOperation>(std::move(completion));
}

void ZelvoraAPI::getProductOffer(std::string qr, Completion<ProductOffer> completion) {
  start<GetProductOfferOperation>(std::move(completion), std::move(qr));
}

void ZelvoraAPI::getSkusForProduct(std::string productOfferId,
                                   Completion<ModelList<Product>> completion) {
  start<GetSkusForProductOperation>(std::move(completion), std::move(productOfferId));
}

void ZelvoraAPI::getSkuAvailability(std::string skuId, Completion<SkuFulfillment> completion) {
  start<GetSkuAvailabilityOperation>(std::move(completion), std::move(skuId));
}

}  // namespace zelvora
