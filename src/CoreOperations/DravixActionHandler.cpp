#include "CoreOperations/DravixActionHandler.hpp"

#include "APIs/Generated/ClientAPI.hpp"
#include "Helpers/StoreState.hpp"
#include "Platform/WebView.hpp"

#include <zelvora/models/Models.hpp>

#include <algorithm>
#include <cctype>
#include <charconv>

namespace zelvora::internal {

const std::shared_ptr<DravixActionHandler>& actionHandler() {
  // Never destroyed: pages may post messages until the process ends.
  static const auto* const handler =
      new std::shared_ptr<DravixActionHandler>(std::make_shared<DravixActionHandler>());
  return *handler;
}

std::optional<std::int64_t> parsePrice(const nlohmann::json& value) {
  std::string text;
  if (value.is_string())
    text = value.get<std::string>();
  else if (value.is_number_integer())
    text = value.dump();
  else
    return std::nullopt;
  std::string_view digits = text;
  if (!digits.empty() && (digits.front() == '+' || digits.front() == '-'))
    digits.remove_prefix(1);
  const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
  if (digits.empty() || !std::all_of(digits.begin(), digits.end(), isDigit))
    return std::nullopt;
  // from_chars reads a "-" but not a "+".
  const std::string_view number = text.front() == '+' ? digits : std::string_view(text);
  std::int64_t price = 0;
  const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), price);
  if (error != std::errc() || end != number.data() + number.size())
    return std::nullopt;
  return price;
}

void DravixActionHandler::showPage(Page page) {
  page_ = std::move(page);
  webview = page_->view;
  // The item of the page on show until now goes with it.
  buyNowDict = nlohmann::json::object();
  basketItem_ = nlohmann::json::object();
}

void DravixActionHandler::pageFilled(const Page& page, nlohmann::json item) {
  if (page != page_)
    return;
  if (buyNowDict.empty())
    buyNowDict = item;
  if (basketItem_.empty())
    basketItem_ = std::move(item);
}

void DravixActionHandler::userContentController(platform::WebView& sender, std::string_view name,
                                                const nlohmann::json& body) {
  // Once the shopper has pressed Buy, the page pays for what it shows and changes nothing more.
  if (&sender != webview.get() || purchaseUnderway_)
    return;
  using Kind = BasketRequestLane::Kind;
  if (name == page::kSkuChanged) {
    if (!body.is_object())
      return;
    buyNowDict = body;
    basketItem_ = body;
    awaitTurn(Kind::skuChange, [card = getUpdatedPaymentSummaryJson()](
                                   DravixActionHandler& self, const Page& page, TurnHandle turn) {
      self.updateBasket(page, card, true, std::move(turn));
    });
  } else if (name == page::kApplyLoyalty || name == page::kRemoveLoyalty) {
    const auto points =
        name == page::kApplyLoyalty ? page_->loyaltyPoints : std::optional<std::int64_t>(0);
    if (!points) {
      recordFailure(kLoyaltyNotRedeemed, std::nullopt);
      return;
    }
    awaitTurn(Kind::loyaltyChange,
              [points = *points, card = getUpdatedPaymentSummaryJson()](
                  DravixActionHandler& self, const Page& page, TurnHandle turn) {
                self.redeemLoyaltyAndUpdateDetails(page, points, card, std::move(turn));
              });
  } else if (name == page::kShowReceipt) {
    if (!body.is_object() || page_->purchaseStarted)
      return;
    buyNowDict = body;
    // A Buy that names no SKU is for the basket as shown: changes still waiting for their turn
    // put in the item the shopper picked last.
    if (page::textEntry(body, "sku"))
      basketItem_ = body;
    purchaseUnderway_ = true;
    awaitTurn(Kind::purchase, [](DravixActionHandler& self, const Page&, TurnHandle turn) {
      self.payAndDisplayReceipt(std::move(turn));
    });
  }
}

void DravixActionHandler::awaitTurn(BasketRequestLane::Kind kind, Work work) {
  basketRequestLane()->enter(kind, [self = shared_from_this(), kind, from = std::weak_ptr(page_),
                                    work = std::move(work)](TurnHandle turn) {
    if (const auto page = from.lock(); page && page == self->page_)
      return work(*self, page, std::move(turn));
    if (kind == BasketRequestLane::Kind::purchase)
      self->purchaseUnderway_ = false;
  });
}

page::PageObject DravixActionHandler::getUpdatedPaymentSummaryJson() const {
  const auto& instruments = page_->instruments;
  return page::cardPart(instruments ? &*instruments : nullptr);
}

std::shared_ptr<BasketUpdateParam> DravixActionHandler::buildUpdateBasketParam(
    const ProductPage& page) const {
  if (!page.offer)
    return nullptr;
  auto item = std::make_shared<BasketLineItem>();
  item->sku = page::textEntry(basketItem_, "sku");
  item->qty = 1.0;
  item->name = page::textEntry(basketItem_, "name");
  if (const auto price = basketItem_.find("price"); price != basketItem_.end())
    item->price = parsePrice(*price);
  auto update = std::make_shared<BasketUpdateParam>();
  update->basketId = page.basketId;
  update->items = ModelList<BasketLineItem>{item};
  update->productOffers = ModelList<ProductOffer>{page.offer};
  return update;
}

void DravixActionHandler::updateBasket(const Page& page, PageObject updatedPaymentSummaryJson,
                                       bool updateStores, TurnHandle turn) {
  const auto update = buildUpdateBasketParam(*page);
  if (!update) {
    page->lastUpdateError = std::nullopt;
    recordFailure(kUpdatingBasketFailed, std::nullopt);
    return;
  }
  ClientAPI::updateBasket(update, [self = shared_from_this(), page,
                                   card = std::move(updatedPaymentSummaryJson), updateStores,
                                   turn = std::move(turn)](std::shared_ptr<Basket> basket,
                                                           std::optional<Error> error) {
    if (error) {
      page->lastUpdateError = error;
      self->recordFailure(kUpdatingBasketFailed, error);
      return;
    }
    page->shownBasket = basket;
    page->lastUpdateError = std::nullopt;
    if (!updateStores)
      return self->updateProductPageDetails(*page, basket, card, std::nullopt);
    // The newest item's SKU: another "skuChanged" may have come since.
    const auto sku = page::textEntry(self->basketItem_, "sku");
    if (!sku) {
      self->recordFailure(kStoresNotFetched, std::nullopt);
      return self->updateProductPageDetails(*page, basket, card, page::placeholderStores());
    }
    const auto merchantId = StoreState::get(&StoreValues::merchantId).value_or("");
    ClientAPI::getSkuAvailability(
        merchantId, *sku,
        [self, page, basket, card, turn](std::shared_ptr<SkuFulfillment> fulfillment,
                                         std::optional<Error> lookupError) {
          if (!lookupError && fulfillment && fulfillment->stores && !fulfillment->stores->empty())
            return self->updateProductPageDetails(*page, basket, card, *fulfillment->stores);
          self->recordFailure(kStoresNotFetched, lookupError);
          self->updateProductPageDetails(*page, basket, card, page::placeholderStores());
        });
  });
}

void DravixActionHandler::redeemLoyaltyAndUpdateDetails(const Page& page, std::int64_t points,
                                                        PageObject updatedPaymentSummaryJson,
                                                        TurnHandle turn) {
  if (!page->basketId) {
    recordFailure(kLoyaltyNotRedeemed, std::nullopt);
    return;
  }
  ClientAPI::redeemLoyalty(
      points, *page->basketId,
      [self = shared_from_this(), page, card = std::move(updatedPaymentSummaryJson),
       turn = std::move(turn)](std::shared_ptr<Basket>, std::optional<Error> error) {
        if (error) {
          self->recordFailure(kLoyaltyNotRedeemed, error);
          return;
        }
        self->updateBasket(page, card, false, turn);
      });
}

void DravixActionHandler::updateProductPageDetails(
    const ProductPage& page, const std::shared_ptr<Basket>& updatedBasket,
    PageObject paymentSummaryJson, const std::optional<ModelList<StoreBase>>& storesData) {
  auto& view = *page.view;
  if (storesData) {
    view.evaluate(page::assignment(page::kStores, page::modelArray(*storesData)));
    view.evaluate(page::call(page::kSetUpdatedStores));
  }
  page::addBasketTotals(paymentSummaryJson, updatedBasket ? updatedBasket->summary.get() : nullptr,
                        page.offer.get());
  view.evaluate(page::assignment(page::kPaymentSummary, paymentSummaryJson));
  view.evaluate(page::call(page::kSetUpdatedPaymentSummary));
}

void DravixActionHandler::displayErrorMessage(const std::string& errorMsg) {
  if (webview)
    page::showError(*webview, errorMsg);
}

// A Buy need not name a SKU: it is then for the basket as shown, unless the page's last change
// failed and the basket shown is no longer the one the shopper chose.
bool DravixActionHandler::showsItemToBuy(const ProductPage& page) const {
  const auto sku = page::textEntry(buyNowDict, "sku");
  const auto& basket = page.shownBasket;
  if (!basket)
    return false;
  if (!sku)
    return !page.lastUpdateError;
  return basket->items && std::any_of(basket->items->begin(), basket->items->end(),
                                      [&](const auto& item) { return item && item->sku == sku; });
}

const std::string& DravixActionHandler::recordFailure(std::string_view prefix,
                                                      const std::optional<Error>& error) {
  errMsg = std::string(prefix) + page::errorText(error);
  return *errMsg;
}

}  // namespace zelvora::internal
