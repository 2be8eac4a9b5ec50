#include "CoreOperations/ProductPageChain.hpp"

#include "APIs/Generated/ClientAPI.hpp"
#include "CoreOperations/BasketRequestLane.hpp"
#include "CoreOperations/DravixActionHandler.hpp"
#include "Helpers/StoreState.hpp"
#include "Platform/MainQueue.hpp"
#include "Platform/WebView.hpp"

#include <zelvora/models/Models.hpp>

namespace zelvora::internal {

namespace {

// The page of the latest opening. Main thread only.
std::weak_ptr<ProductPage>& newestPage() {
  static std::weak_ptr<ProductPage> page;
  return page;
}

class ProductPageChain : public std::enable_shared_from_this<ProductPageChain> {
 public:
  ProductPageChain(std::shared_ptr<ProductPage> page, std::shared_ptr<ProductPageCells> cells,
                   ProductPageCompletion completion)
      : page_(std::move(page)), cells_(std::move(cells)), completion_(std::move(completion)) {}

  void start(std::string encodedCode) {
    ClientAPI::getProductOffer(std::move(encodedCode), next(&ProductPageChain::offerStep));
  }

 private:
  // The completion of a call, running the step on this chain.
  template <class T>
  Completion<T> next(void (ProductPageChain::*step)(std::shared_ptr<T>, std::optional<Error>)) {
    return [self = shared_from_this(), step](std::shared_ptr<T> value, std::optional<Error> error) {
      ((*self).*step)(std::move(value), std::move(error));
    };
  }

  void offerStep(std::shared_ptr<ProductOffer> offer, std::optional<Error> error) {
    if (error || !offer || !offer->productId)
      return fail(kOfferNotFound);
    page_->offer = offer;
    StoreState::set(&StoreValues::productOffer, offer);
    ClientAPI::getSkusForProduct(merchantId(), *offer->productId, next(&ProductPageChain::skuStep));
  }

  void skuStep(std::shared_ptr<ModelList<Product>> skus, std::optional<Error> error) {
    if (error || !skus || skus->empty() || !skus->front() || !skus->front()->sku)
      return fail(kNoProductsInOffer);
    cells_->skus = *skus;
    StoreState::set(&StoreValues::allSkus, std::make_shared<Products>(*skus));
    ClientAPI::getSkuAvailability(merchantId(), *skus->front()->sku,
                                  next(&ProductPageChain::availabilityStep));
  }

  void availabilityStep(std::shared_ptr<SkuFulfillment> fulfillment, std::optional<Error> error) {
    const bool found =
        !error && fulfillment && fulfillment->stores && !fulfillment->stores->empty();
    cells_->stores = found ? *fulfillment->stores : page::placeholderStores();
    // The redemption and the update wait for the basket requests of earlier pages, a purchase
    // among them. A page opened since fills its own basket, and this one then changes nothing.
    basketRequestLane()->enter(BasketRequestLane::Kind::pageFill,
                               [self = shared_from_this()](BasketRequestLane::TurnHandle turn) {
                                 if (newestPage().lock() != self->page_)
                                   return self->complete();
                                 self->turn_ = std::move(turn);
                                 self->redeem();
                               });
  }

  void redeem() {
    const auto& basketId = page_->basketId;
    const auto& points = page_->loyaltyPoints;
    update_ = basketUpdate(basketId);
    if (!basketId || !points)
      return fail(kRewardsNotRedeemed);
    ClientAPI::redeemLoyalty(*points, *basketId, next(&ProductPageChain::redemptionStep));
  }

  void redemptionStep(std::shared_ptr<Basket>, std::optional<Error> error) {
    if (error)
      return fail(kRewardsNotRedeemed);
    ClientAPI::updateBasket(update_, next(&ProductPageChain::updateStep));
  }

  // A reply of no content brings no basket: the page shows what is known without its figures.
  void updateStep(std::shared_ptr<Basket> basket, std::optional<Error> error) {
    if (error)
      return fail(kItemNotAdded);
    page_->shownBasket = basket;
    actionHandler()->pageFilled(page_, firstItem());
    page::addBasketTotals(cells_->paymentSummary, basket ? basket->summary.get() : nullptr,
                          page_->offer.get());
    auto& page = *page_->view;
    page.evaluate(page::assignment(page::kProducts, page::modelArray(*cells_->skus)));
    page.evaluate(page::assignment(page::kUserProfile, cells_->userProfile));
    page.evaluate(page::assignment(page::kPaymentSummary, cells_->paymentSummary));
    page.evaluate(page::assignment(page::kStores, page::modelArray(*cells_->stores)));
    page.evaluate(page::assignment(page::kConfig, cells_->configuration));
    page.evaluate(page::call(page::kPopulateProductDetails));
    complete();
  }

  // The first SKU as the page names an item in its messages.
  nlohmann::json firstItem() const {
    const Product& first = *cells_->skus->front();
    nlohmann::json item = nlohmann::json::object();
    item["sku"] = *first.sku;
    if (first.name)
      item["name"] = *first.name;
    if (first.price)
      item["price"] = *first.price;
    return item;
  }

  // The first SKU, once, with the offer, into the basket with this id.
  std::shared_ptr<BasketUpdateParam> basketUpdate(std::optional<std::string> basketId) const {
    const Product& first = *cells_->skus->front();
    auto item = std::make_shared<BasketLineItem>();
    item->sku = first.sku;
    item->qty = 1.0;
    item->price = first.price;
    item->name = first.name;
    auto update = std::make_shared<BasketUpdateParam>();
    update->basketId = std::move(basketId);
    update->items = ModelList<BasketLineItem>{item};
    update->productOffers = ModelList<ProductOffer>{page_->offer};
    return update;
  }

  static std::string merchantId() { return StoreState::get(&StoreValues::merchantId).value_or(""); }

  void fail(std::string_view text) {
    complete();
    displayErrorMessage(page_->view, std::string(text));
  }

  // The chain has ended: the next basket request may go out.
  void complete() {
    turn_.reset();
    if (auto completion = std::exchange(completion_, nullptr))
      completion(std::nullopt);
  }

  std::shared_ptr<ProductPage> page_;
  std::shared_ptr<ProductPageCells> cells_;
  ProductPageCompletion completion_;
  std::shared_ptr<BasketUpdateParam> update_;
  BasketRequestLane::TurnHandle turn_;  // from the redemption to the first fill
};

}  // namespace

void startProductPageChain(std::shared_ptr<ProductPage> page, std::string encodedCode,
                           std::shared_ptr<ProductPageCells> cells,
                           ProductPageCompletion completion) {
  newestPage() = page;
  std::make_shared<ProductPageChain>(std::move(page), std::move(cells), std::move(completion))
      ->start(std::move(encodedCode));
}

void displayErrorMessage(std::shared_ptr<platform::WebView> webview, std::string errorMsg) {
  platform::mainQueue()->postAfter(kErrorDisplayDelay,
                                   [webview = std::move(webview), text = std::move(errorMsg)] {
                                     page::showError(*webview, text);
                                   });
}

}  // namespace zelvora::internal
