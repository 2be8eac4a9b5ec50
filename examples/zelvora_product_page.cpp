// The product page in a GTK app: a window that signs a shopper in against a fake platform started
// on loopback, opens the SDK's product page for a scanned code and lets a person pick a size, use
// the loyalty points and buy.
//
//   zelvora_product_page                   the window; press "Open product page"
//   zelvora_product_page --snapshots DIR   drives the same flow by itself, writes
//                                          DIR/product-page.png and DIR/receipt-page.png, and exits
//   --code CODE                            the scanned code (default QR-TRAIL-TEE)
//
// The page is as wide as the screen and 60 pixels less high: for a phone-sized picture run it on a
// phone-sized display, e.g. xvfb-run -s "-screen 0 390x904x24" zelvora_product_page --snapshots .
#include "PlatformProcess.hpp"

#include <zelvora/ZelvoraAPI.hpp>
#include <zelvora/models/Models.hpp>

#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace zelvora;
using Done = std::function<void(std::optional<Error>)>;
using Step = std::function<void(Done)>;

constexpr const char* kPlatformName = "platform.test";

// A facade call as a step that reports only whether it failed.
template <class T>
Step step(std::function<void(Completion<T>)> call) {
  return [call](Done done) {
    call([done](std::shared_ptr<T>, std::optional<Error> error) { done(std::move(error)); });
  };
}

// Runs the steps one after the other; `done` gets the first failure, or nothing after the last.
void runSteps(std::shared_ptr<std::vector<Step>> steps, std::size_t next, Done done) {
  if (next == steps->size())
    return done(std::nullopt);
  (*steps)[next]([steps, next, done](std::optional<Error> error) {
    if (error)
      return done(std::move(error));
    runSteps(steps, next + 1, done);
  });
}

class App {
 public:
  App(std::string code, std::optional<std::filesystem::path> snapshots)
      : code_(std::move(code)), snapshots_(std::move(snapshots)) {}

  bool start(std::uint16_t port) {
    bool initialized = false;
    api_.initialize("demo-merchant", "demo-api-key", "demo-api-secret",
                    {{"host", "http://" + std::string(kPlatformName) + ":" + std::to_string(port)},
                     {"merchantName", std::string("Harbour Outfitters")}},
                    [&](bool ok, std::optional<Error>) { initialized = ok; });
    if (!initialized)
      return false;
    buildWindow();
    status("Signing in…");
    api_.authenticateShopper("demo-shopper", "demo-auth-token",
                             [this](std::shared_ptr<Session>, std::optional<Error> error) {
                               if (error)
                                 return fail("sign-in", *error);
                               status("Signed in. Scan a code and open its page.");
                               gtk_widget_set_sensitive(openButton_, TRUE);
                               if (snapshots_)
                                 openPage();
                             });
    return true;
  }

  int exitCode() const { return exitCode_; }

 private:
  void buildWindow() {
    window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(window_), "Zelvora product page");
    g_signal_connect(window_, "destroy", G_CALLBACK(gtk_main_quit), nullptr);
    GtkWidget* column = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    GtkWidget* bar = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 8);
    gtk_container_set_border_width(GTK_CONTAINER(bar), 8);
    codeEntry_ = gtk_entry_new();
    gtk_entry_set_text(GTK_ENTRY(codeEntry_), code_.c_str());
    openButton_ = gtk_button_new_with_label("Open product page");
    gtk_widget_set_sensitive(openButton_, FALSE);
    g_signal_connect_swapped(openButton_, "clicked", G_CALLBACK(+[](App* app) { app->openPage(); }),
                             this);
    statusLabel_ = gtk_label_new("");
    gtk_box_pack_start(GTK_BOX(bar), codeEntry_, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(bar), openButton_, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(bar), statusLabel_, FALSE, FALSE, 0);
    pageArea_ = gtk_fixed_new();
    gtk_box_pack_start(GTK_BOX(column), bar, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(column), pageArea_, TRUE, TRUE, 0);
    gtk_container_add(GTK_CONTAINER(window_), column);
    gtk_widget_show_all(window_);
  }

  // A page needs a basket and, after each purchase, the wallet, points and profile again.
  void openPage() {
    gtk_widget_set_sensitive(openButton_, FALSE);
    status("Opening…");
    auto steps = std::make_shared<std::vector<Step>>(std::vector<Step>{
        step<Basket>([this](auto done) { api_.createBasket(done); }),
        step<ModelList<PaymentInstrumentOffer>>(
            [this](auto done) { api_.getPaymentInstruments(done); }),
        step<ShopperLoyalty>([this](auto done) { api_.getLoyalty(done); }),
        step<ShopperProfile>([this](auto done) { api_.getShopperProfile(done); }),
    });
    runSteps(steps, 0, [this](std::optional<Error> error) {
      if (error)
        return fail("preparing the page", *error);
      // The SDK adds a page on each opening; this app shows only the newest.
      gtk_container_foreach(
          GTK_CONTAINER(pageArea_), [](GtkWidget* page, gpointer) { gtk_widget_destroy(page); },
          nullptr);
      const std::string code = gtk_entry_get_text(GTK_ENTRY(codeEntry_));
      api_.displayProductPage(pageArea_, code, {}, [this](std::optional<Error> opened) {
        gtk_widget_set_sensitive(openButton_, TRUE);
        if (opened)
          return fail("opening the page", *opened);
        status("The page is open.");
        if (snapshots_)
          waitForText("summary-payable", "", [this] { snapshotProductPage(); });
      });
    });
  }

  WebKitWebView* page() const {
    GList* children = gtk_container_get_children(GTK_CONTAINER(pageArea_));
    GList* last = g_list_last(children);
    WebKitWebView* view = last ? WEBKIT_WEB_VIEW(last->data) : nullptr;
    g_list_free(children);
    return view;
  }

  // Asks the page every 100 ms for the element's text until it differs from `unlike`.
  void waitForText(std::string id, std::string unlike, std::function<void()> then,
                   int attemptsLeft = 300) {
    if (attemptsLeft == 0)
      return quit(1, "the page never showed #" + id);
    struct Poll {
      App* app;
      std::string id, unlike;
      std::function<void()> then;
      int attemptsLeft;
    };
    const std::string script = "(document.getElementById('" + id + "') || {}).textContent";
    webkit_web_view_evaluate_javascript(
        page(), script.c_str(), -1, nullptr, nullptr, nullptr,
        [](GObject* view, GAsyncResult* result, gpointer data) {
          std::unique_ptr<Poll> poll(static_cast<Poll*>(data));
          std::string text;
          if (JSCValue* value = webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(view),
                                                                           result, nullptr)) {
            gchar* chars = jsc_value_to_string(value);
            text = chars;
            g_free(chars);
            g_object_unref(value);
          }
          if (text != poll->unlike && text != "undefined")
            return poll->then();
          g_timeout_add(
              100,
              [](gpointer again) -> gboolean {
                std::unique_ptr<Poll> next(static_cast<Poll*>(again));
                next->app->waitForText(next->id, next->unlike, next->then, next->attemptsLeft - 1);
                return G_SOURCE_REMOVE;
              },
              poll.release());
        },
        new Poll{this, std::move(id), std::move(unlike), std::move(then), attemptsLeft});
  }

  void snapshotProductPage() {
    snapshot("product-page.png", [this] {
      webkit_web_view_evaluate_javascript(page(), "document.getElementById('buy-button').click()",
                                          -1, nullptr, nullptr, nullptr, nullptr, nullptr);
      waitForText("receipt-final-amount", "", [this] {
        snapshot("receipt-page.png", [this] { quit(0, "Snapshots written."); });
      });
    });
  }

  void snapshot(const std::string& name, std::function<void()> then) {
    struct Shot {
      std::filesystem::path file;
      std::function<void()> then;
      App* app;
    };
    webkit_web_view_get_snapshot(
        page(), WEBKIT_SNAPSHOT_REGION_FULL_DOCUMENT, WEBKIT_SNAPSHOT_OPTIONS_NONE, nullptr,
        [](GObject* view, GAsyncResult* result, gpointer data) {
          std::unique_ptr<Shot> shot(static_cast<Shot*>(data));
          cairo_surface_t* surface =
              webkit_web_view_get_snapshot_finish(WEBKIT_WEB_VIEW(view), result, nullptr);
          if (!surface ||
              cairo_surface_write_to_png(surface, shot->file.c_str()) != CAIRO_STATUS_SUCCESS)
            return shot->app->quit(1, "could not write " + shot->file.string());
          cairo_surface_destroy(surface);
          std::cout << "wrote " << shot->file.string() << "\n";
          shot->then();
        },
        new Shot{*snapshots_ / name, std::move(then), this});
  }

  void status(const std::string& text) {
    gtk_label_set_text(GTK_LABEL(statusLabel_), text.c_str());
  }

  void fail(const std::string& what, const Error& error) {
    status(what + " failed: " + error.localizedDescription());
    if (snapshots_)
      quit(1, what + " failed: " + error.localizedDescription());
  }

  void quit(int code, const std::string& message) {
    std::cout << message << "\n";
    exitCode_ = code;
    gtk_main_quit();
  }

  ZelvoraAPI api_;
  std::string code_;
  std::optional<std::filesystem::path> snapshots_;
  int exitCode_ = 0;
  GtkWidget* window_ = nullptr;
  GtkWidget* codeEntry_ = nullptr;
  GtkWidget* openButton_ = nullptr;
  GtkWidget* statusLabel_ = nullptr;
  GtkWidget* pageArea_ = nullptr;
};

}  // namespace

int main(int argc, char** argv) {
  if (!gtk_init_check(&argc, &argv)) {
    std::cerr << "needs a display (or run it under xvfb-run)\n";
    return 1;
  }
  const auto usage = [&] {
    std::cerr << "usage: " << argv[0] << " [--code CODE] [--snapshots DIR]\n";
    return 2;
  };
  std::string code = "QR-TRAIL-TEE";
  std::optional<std::filesystem::path> snapshots;
  for (int i = 1; i < argc; i += 2) {
    const std::string option = argv[i];
    if (i + 1 == argc)
      return usage();
    if (option == "--code") {
      code = argv[i + 1];
    } else if (option == "--snapshots") {
      snapshots = std::filesystem::absolute(argv[i + 1]);
      std::error_code error;
      std::filesystem::create_directories(*snapshots, error);
    } else {
      return usage();
    }
  }
  const auto platform = PlatformProcess::start(ZELVORA_FAKE_PLATFORM_PROGRAM);
  if (!platform) {
    std::cerr << "could not start " << ZELVORA_FAKE_PLATFORM_PROGRAM << "\n";
    return 1;
  }
  // The SDK accepts only host names; this one leads to the fake platform on loopback.
  setenv("ZELVORA_RESOLVE", (std::string(kPlatformName) + "=127.0.0.1").c_str(), 1);
  App app(code, snapshots);
  if (!app.start(platform->port()))
    return 1;
  gtk_main();
  return app.exitCode();
}
