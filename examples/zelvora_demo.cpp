// A shopper's journey through the SDK's public API, one line per step: sign in, read the profile,
// the wallet and the loyalty points, fill a basket with a scanned product, check in at a point of
// sale, preview, pay, and print the receipt, then hear the receipt from the platform's event
// socket too. Every event the platform pushes on the way is printed as a line of its own. Exits 0
// when every step succeeded.
//
//   zelvora_demo                      against a fake platform started on loopback
//   zelvora_demo --platform URL ...   against the platform at URL (see --help)
#include "PlatformProcess.hpp"

#include <zelvora/Store.hpp>
#include <zelvora/ZelvoraAPI.hpp>
#include <zelvora/ZelvoraEventListener.hpp>
#include <zelvora/models/Models.hpp>

#include <glib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>

namespace {

using namespace zelvora;

struct Options {
  std::optional<std::string> platform;  // absent: start the fake platform
  std::string merchantId = "demo-merchant";
  std::string apiKey = "demo-api-key";
  std::string apiSecret = "demo-api-secret";
  std::string shopperId = "demo-shopper";
  std::string authToken = "demo-auth-token";
  std::string qr = "QR-TRAIL-TEE";
  std::string posId = "pos-1";
};

constexpr auto kStepTimeout = std::chrono::seconds(30);

std::optional<Options> parseOptions(int argc, char** argv) {
  Options options;
  const std::map<std::string, std::string*> values{{"--merchant-id", &options.merchantId},
                                                   {"--api-key", &options.apiKey},
                                                   {"--api-secret", &options.apiSecret},
                                                   {"--shopper", &options.shopperId},
                                                   {"--auth-token", &options.authToken},
                                                   {"--qr", &options.qr},
                                                   {"--pos", &options.posId}};
  for (int i = 1; i < argc; i += 2) {
    const std::string name = argv[i];
    if (i + 1 >= argc) {
      return std::nullopt;
    }
    if (name == "--platform") {
      options.platform = argv[i + 1];
    } else if (const auto value = values.find(name); value != values.end()) {
      *value->second = argv[i + 1];
    } else {
      return std::nullopt;
    }
  }
  return options;
}

std::string money(std::optional<std::int64_t> cents) {
  if (!cents) {
    return "?";
  }
  char text[32];
  std::snprintf(text, sizeof text, "%lld.%02lld", static_cast<long long>(*cents / 100),
                static_cast<long long>(std::llabs(*cents % 100)));
  return text;
}

std::string text(const std::optional<std::string>& value) {
  return value.value_or("?");
}

// Runs the GLib default main context, the SDK's main queue, until done() holds or the step's time
// is over; returns done().
bool runMainLoopUntil(const std::function<bool()>& done) {
  const auto deadline = std::chrono::steady_clock::now() + kStepTimeout;
  // Wakes the loop up now and then, so that the deadline is seen.
  const guint tick = g_timeout_add(
      50, [](gpointer) -> gboolean { return G_SOURCE_CONTINUE; }, nullptr);
  while (!done() && std::chrono::steady_clock::now() < deadline) {
    g_main_context_iteration(nullptr, TRUE);
  }
  g_source_remove(tick);
  return done();
}

// Prints each event the platform pushes, as it arrives on the main queue.
class EventPrinter final : public ZelvoraEventDelegate {
 public:
  void didUpdateBasket(std::shared_ptr<Basket> basket) override {
    std::cout << "event   basket " << text(basket->id) << " is "
              << (basket->state ? rawValue(*basket->state) : "?") << ", total "
              << money(basket->summary ? basket->summary->total : std::nullopt) << "\n";
  }
  void didReceiveReceipt(std::shared_ptr<BasketReceiptNotification> receipt) override {
    std::cout << "event   receipt " << text(receipt->id) << ": paid "
              << money(receipt->summary ? receipt->summary->paymentTotal : std::nullopt) << "\n";
    ++receipts;
  }
  void didReceivePostPaymentOffer(const std::string& imageUrl) override {
    std::cout << "event   post-purchase offer " << imageUrl << "\n";
  }
  void didCancelTransaction() override { std::cout << "event   transaction cancelled\n"; }

  int receipts = 0;
};

// Runs the GLib default main context, the SDK's main queue, until the completion has run.
template <class T>
std::shared_ptr<T> await(const std::string& step, const std::function<void(Completion<T>)>& call,
                         const std::function<std::string(const T&)>& describe) {
  struct Outcome {
    bool done = false;
    std::shared_ptr<T> value;
    std::optional<Error> error;
  };
  auto outcome = std::make_shared<Outcome>();
  call([outcome](std::shared_ptr<T> value, std::optional<Error> error) {
    *outcome = {true, std::move(value), std::move(error)};
  });
  if (!runMainLoopUntil([&] { return outcome->done; })) {
    std::cout << "FAILED  " << step << ": no answer within " << kStepTimeout.count() << " s\n";
  } else if (outcome->error) {
    std::cout << "FAILED  " << step << ": " << outcome->error->localizedDescription() << "\n";
  } else if (!outcome->value) {
    std::cout << "FAILED  " << step << ": the platform answered with nothing\n";
  } else {
    std::cout << "ok      " << step << ": " << describe(*outcome->value) << "\n";
    return outcome->value;
  }
  return nullptr;
}

std::string stateOf(const BasketState& state) {
  return "basket " + std::string(state.status ? rawValue(*state.status) : "?");
}

std::string cardsOf(const ModelList<PaymentInstrumentOffer>& cards) {
  std::string names;
  for (const auto& card : cards) {
    names += (names.empty() ? "" : ", ") + text(card->cardAlias) +
             (card->_default.value_or(false) ? " (default)" : "");
  }
  return std::to_string(cards.size()) + " cards: " + names;
}

std::string skusOf(const ModelList<Product>& products) {
  std::string names;
  for (const auto& product : products) {
    names += (names.empty() ? "" : ", ") + text(product->sku) + " at " + money(product->price);
  }
  return names;
}

bool printReceipt(const std::shared_ptr<BasketReceipt>& receipt) {
  if (!receipt) {
    return false;
  }
  std::cout << "\n        Receipt for basket " << text(receipt->id) << "\n";
  for (const auto& item : receipt->items.value_or(ModelList<BasketLineItem>{})) {
    std::cout << "          " << item->qty.value_or(1) << " x " << text(item->name) << "  "
              << money(item->price) << "\n";
  }
  if (const auto& summary = receipt->summary) {
    std::cout << "          total " << money(summary->total) << ", discounts "
              << money(summary->discountCents) << ", tax " << money(summary->tax) << ", paid "
              << money(summary->paymentTotal) << "\n";
  }
  if (receipt->receipt && receipt->receipt->transactionInfo) {
    std::cout << "          transaction "
              << text(receipt->receipt->transactionInfo->merchantTransactionId) << "\n";
  }
  return true;
}

bool initialize(ZelvoraAPI& api, const Options& options, const std::string& platform) {
  bool ok = false;
  api.initialize(options.merchantId, options.apiKey, options.apiSecret, {{"host", platform}},
                 [&](bool success, std::optional<Error> error) {
                   ok = success;
                   std::cout << (ok ? "ok      " : "FAILED  ") << "initialize: "
                             << (ok ? "merchant " + options.merchantId + " at " + platform
                                    : error->localizedDescription())
                             << "\n";
                 });
  return ok;
}

// The shopper's way from signing in to the receipt; each step needs the one before.
class Journey {
 public:
  Journey(ZelvoraAPI& api, const Options& options, const EventPrinter& events)
      : api_(api), options_(options), events_(events) {}

  bool run() { return signIn() && readWallet() && fillBasket() && checkOut() && hearReceipt(); }

 private:
  bool signIn() {
    return await<Session>(
               "authenticate the shopper",
               [&](auto done) {
                 api_.authenticateShopper(options_.shopperId, options_.authToken, done);
               },
               [](const Session& s) {
                 return "session " + text(s.id) + ", shopper " + text(s.shopperId);
               }) &&
           await<ShopperProfile>(
               "read the profile", [&](auto done) { api_.getShopperProfile(done); },
               [](const ShopperProfile& p) {
                 return text(p.firstName) + " " + text(p.lastName) + ", " + text(p.email);
               });
  }

  bool readWallet() {
    const auto cards = await<ModelList<PaymentInstrumentOffer>>(
        "read the payment instruments", [&](auto done) { api_.getPaymentInstruments(done); },
        cardsOf);
    if (!cards || cards->empty()) {
      return false;
    }
    card_ = text(cards->front()->paymentInstrumentId);
    return await<ShopperLoyalty>(
               "read the loyalty points", [&](auto done) { api_.getLoyalty(done); },
               [](const ShopperLoyalty& l) {
                 return std::to_string(l.accruedPoints.value_or(0)) + " points";
               }) != nullptr;
  }

  bool fillBasket() {
    if (!await<Basket>(
            "create a basket", [&](auto done) { api_.createBasket(done); },
            [](const Basket& b) { return "basket " + text(b.id); })) {
      return false;
    }
    const auto offer = await<ProductOffer>(
        "scan the product " + options_.qr,
        [&](auto done) { api_.getProductOffer(options_.qr, done); },
        [](const ProductOffer& o) { return "offer " + text(o.id) + " for " + text(o.productId); });
    const auto skus =
        offer
            ? await<ModelList<Product>>(
                  "read the product's SKUs",
                  [&](auto done) { api_.getSkusForProduct(text(offer->productId), done); }, skusOf)
            : nullptr;
    if (!skus || skus->empty()) {
      return false;
    }
    // The scanned offer goes into the basket with the product, as the product page puts it.
    auto update = std::make_shared<BasketUpdateParam>();
    update->items = ModelList<BasketLineItem>{std::make_shared<BasketLineItem>()};
    update->items->front()->sku = skus->front()->sku;
    update->items->front()->qty = 1;
    update->productOffers = ModelList<ProductOffer>{offer};
    return await<Basket>(
               "add " + text(skus->front()->sku) + " to the basket",
               [&](auto done) { api_.updateBasket(update, done); },
               [](const Basket& b) {
                 const TotalSummary none;
                 const TotalSummary& summary = b.summary ? *b.summary : none;
                 return std::to_string(b.items ? b.items->size() : 0) + " item(s), total " +
                        money(summary.total) + ", to pay " + money(summary.paymentTotal) +
                        " (tax " + money(summary.tax) + ", savings " +
                        money(summary.discountCents) + ")";
               }) != nullptr;
  }

  bool checkOut() {
    return await<MerchantPoS>(
               "check in at " + options_.posId,
               [&](auto done) { api_.checkin(options_.posId, done); },
               [](const MerchantPoS& pos) { return text(pos.merchantPosLabel); }) &&
           await<BasketPreview>(
               "preview the payment", [&](auto done) { api_.preview(card_, done); },
               [&](const BasketPreview& p) {
                 return "pay " + money(p.summary ? p.summary->paymentTotal : std::nullopt) +
                        " with " + card_ + " (tax " +
                        money(p.summary ? p.summary->tax : std::nullopt) + ")";
               }) &&
           await<BasketState>(
               "complete the scan", [&](auto done) { api_.posCompleteScan(done); }, stateOf) &&
           await<BasketPaymentConfirmation>(
               "pay", [&](auto done) { api_.startPayment(card_, done); },
               [](const BasketPaymentConfirmation& c) {
                 return "basket " + text(c.basketId) + " paid";
               }) &&
           printReceipt(await<BasketReceipt>(
               "fetch the receipt", [&](auto done) { api_.getPaymentReceipt(done); },
               [](const BasketReceipt& r) {
                 return "receipt " + text(r.receipt ? r.receipt->id : std::nullopt);
               })) &&
           await<BasketState>(
               "signal ready for payment", [&](auto done) { api_.posReadyForPayment(done); },
               stateOf);
  }

  // The point of sale's "ready" closes the transaction: the platform pushes its receipt, and the
  // SDK clears its stored session and basket.
  bool hearReceipt() {
    const bool heard = runMainLoopUntil([&] { return events_.receipts > 0; });
    std::cout << (heard ? "ok      " : "FAILED  ") << "hear the receipt event"
              << (heard ? ": the SDK no longer holds the basket" : ": none came") << "\n";
    return heard && !Store::basket();
  }

  ZelvoraAPI& api_;
  const Options& options_;
  const EventPrinter& events_;
  std::string card_;
};

}  // namespace

int main(int argc, char** argv) {
  const auto options = parseOptions(argc, argv);
  if (!options) {
    std::cerr << "usage: " << argv[0]
              << " [--platform URL] [--merchant-id ID] [--api-key KEY] [--api-secret SECRET]\n"
                 "       [--shopper ID] [--auth-token TOKEN] [--qr CODE] [--pos ID]\n"
                 "Without --platform, a fake platform is started on loopback for the run.\n";
    return 2;
  }
  std::unique_ptr<PlatformProcess> fakePlatform;
  std::string platform;
  if (options->platform) {
    platform = *options->platform;
  } else {
    fakePlatform = PlatformProcess::start(ZELVORA_FAKE_PLATFORM_PROGRAM);
    if (!fakePlatform) {
      std::cout << "FAILED  start the fake platform " << ZELVORA_FAKE_PLATFORM_PROGRAM << "\n";
      return 1;
    }
    // The SDK accepts only host names; this one leads to the fake platform on loopback.
    setenv("ZELVORA_RESOLVE", "platform.test=127.0.0.1", 1);
    platform = "http://platform.test:" + std::to_string(fakePlatform->port());
    std::cout << "ok      start the fake platform: port " << fakePlatform->port() << "\n";
  }
  ZelvoraAPI api;
  const auto events = std::make_shared<EventPrinter>();
  ZelvoraEventListener::shared().setDelegate(events);
  const bool ok = initialize(api, *options, platform) && Journey(api, *options, *events).run();
  std::cout << (ok ? "\nThe journey is complete.\n" : "\nThe journey stopped.\n");
  return ok ? 0 : 1;
}
