// How fast the product page is in a real WebKitGTK web view against the fake platform on loopback
// (run it on a display, e.g. under xvfb-run): from displayProductPage to the first fill in the
// DOM, and from a SKU picked in the page to its updated payment summary in the DOM.
#include "fake_platform/FakePlatform.hpp"

#include <zelvora/Store.hpp>
#include <zelvora/ZelvoraAPI.hpp>
#include <zelvora/models/Models.hpp>

#include "BenchmarkMain.hpp"

#include <benchmark/benchmark.h>
#include <webkit2/webkit2.h>

#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>

namespace {

using namespace zelvora;

void iterateUntil(const bool& done) {
  while (!done)
    g_main_context_iteration(nullptr, TRUE);
}

// Calls a facade method and waits for its completion.
template <class T, class Call>
void await(Call call) {
  bool done = false;
  call([&](std::shared_ptr<T>, std::optional<Error> error) {
    if (error)
      std::cerr << "setup failed: " << error->localizedDescription() << "\n";
    done = true;
  });
  iterateUntil(done);
}

// A shopper with a basket, signed in against a fake platform, and a window for the pages.
struct Shop {
  Shop() : fake({"merchant-bench", "key-bench", "secret-bench"}) {
    api.initialize("merchant-bench", "key-bench", "secret-bench",
                   {{"host", "http://platform.test:" + std::to_string(fake.port())}},
                   [](bool, std::optional<Error>) {});
    await<Session>([&](auto done) { api.authenticateShopper("shopper-bench", "token", done); });
    await<Basket>([&](auto done) { api.createBasket(done); });
    await<ModelList<PaymentInstrumentOffer>>([&](auto done) { api.getPaymentInstruments(done); });
    await<ShopperLoyalty>([&](auto done) { api.getLoyalty(done); });
    await<ShopperProfile>([&](auto done) { api.getShopperProfile(done); });
    window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    container = gtk_fixed_new();
    gtk_container_add(GTK_CONTAINER(window), container);
    gtk_widget_show_all(window);
  }

  // Opens a page in place of the last one (each page has a web process of its own).
  void open() {
    if (page)
      gtk_widget_destroy(GTK_WIDGET(page));
    api.displayProductPage(container, "QR-TRAIL-TEE", {}, [](std::optional<Error>) {});
    GList* children = gtk_container_get_children(GTK_CONTAINER(container));
    page = WEBKIT_WEB_VIEW(g_list_last(children)->data);
    g_list_free(children);
  }

  std::string evaluate(const std::string& script) {
    struct Pending {
      bool done = false;
      std::string text;
    } pending;
    webkit_web_view_evaluate_javascript(
        page, script.c_str(), -1, nullptr, nullptr, nullptr,
        [](GObject* view, GAsyncResult* result, gpointer data) {
          auto& outcome = *static_cast<Pending*>(data);
          if (JSCValue* value = webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(view),
                                                                           result, nullptr)) {
            gchar* text = jsc_value_to_string(value);
            outcome.text = text;
            g_free(text);
            g_object_unref(value);
          }
          outcome.done = true;
        },
        &pending);
    iterateUntil(pending.done);
    return pending.text;
  }

  void waitForText(const std::string& id, const std::string& text) {
    const std::string script = "document.getElementById('" + id + "').textContent";
    while (evaluate(script) != text) {
    }
  }

  fake::FakePlatform fake;
  ZelvoraAPI api;
  GtkWidget* window = nullptr;
  GtkWidget* container = nullptr;
  WebKitWebView* page = nullptr;
};

Shop& shop() {
  static Shop instance;
  return instance;
}

void DisplayProductPageToFirstFillInTheDom(benchmark::State& state) {
  for (auto _ : state) {
    shop().open();
    shop().waitForText("summary-subtotal", "$25.00");
  }
}

void SkuChangedToUpdatedPaymentSummaryInTheDom(benchmark::State& state) {
  shop().open();
  shop().waitForText("summary-subtotal", "$25.00");
  bool large = false;
  for (auto _ : state) {
    large = !large;
    shop().evaluate(std::string("document.getElementById('size-options-") + (large ? "L" : "M") +
                    "').click()");
    shop().waitForText("summary-subtotal", large ? "$27.00" : "$25.00");
  }
}

BENCHMARK(DisplayProductPageToFirstFillInTheDom)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(20);
BENCHMARK(SkuChangedToUpdatedPaymentSummaryInTheDom)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(50);

}  // namespace

int main(int argc, char** argv) {
  if (!gtk_init_check(&argc, &argv)) {
    std::cerr << "needs a display: run it under xvfb-run\n";
    return 1;
  }
  return runBenchmarksAgainstLoopback(argc, argv);
}
