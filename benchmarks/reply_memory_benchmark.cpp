// What a big reply costs in memory on its way from the wire to the app's models: the peak resident
// size that one ClientAPI call of a 30 MB list adds, as a multiple of the reply's size. The SDK
// runs in a child forked before any thread exists, so that its peak counts neither the fake
// platform's copies of the reply nor anything else of this process.
#include "APIs/Generated/ClientAPI.hpp"
#include "fake_platform/FakePlatform.hpp"

#include <zelvora/ZelvoraAPI.hpp>
#include <zelvora/models/Models.hpp>

#include <glib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

const zelvora::fake::Credentials kCredentials{"merchant-memory", "key-memory", "secret-memory"};
constexpr const char* kPath = "/api/client/pos/skus/merchant/m-1/product/p-1";

// About 30 MB of products. Long descriptions are the common case; `descriptionLength` 0 gives the
// worst case, a list of many small objects, where the parsed document outweighs the text.
std::string productList(std::size_t descriptionLength) {
  std::string description;
  while (description.size() < descriptionLength) {
    description += "Soft organic cotton &amp; a relaxed fit, made to last for years of trail use. ";
  }
  std::string list = "[";
  for (int i = 0; list.size() < 30'000'000; ++i) {
    char head[160];
    std::snprintf(head, sizeof head,
                  R"(%s{"id":"p-%07d","sku":"sku-%07d","merchant-id":"m-1","price":19.99,)"
                  R"("name":"Trail tee %d","description":")",
                  i == 0 ? "" : ",", i, i, i);
    list.append(head).append(description).append("\"}");
  }
  list += "]";
  return list;
}

long maxResidentKilobytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

struct Figures {
  long baselineKilobytes = 0;
  long peakKilobytes = 0;
  long products = -1;  // -1: the call failed
};

// The child's side: waits for the platform's port, fetches the list once, reports its peak.
[[noreturn]] void fetchInChild(int portPipe, int figuresPipe) {
  int port = 0;
  if (read(portPipe, &port, sizeof port) != sizeof port) {
    _exit(2);
  }
  setenv("ZELVORA_RESOLVE", "platform.test=127.0.0.1", 1);
  zelvora::ZelvoraAPI api;
  api.initialize(kCredentials.merchantId, kCredentials.apiKey, kCredentials.apiSecret,
                 {{"host", "http://platform.test:" + std::to_string(port)}}, [](bool, auto) {});
  Figures figures;
  figures.baselineKilobytes = maxResidentKilobytes();
  bool done = false;
  zelvora::ClientAPI::getSkusForProduct("m-1", "p-1", [&](auto list, auto error) {
    figures.products = !error && list ? static_cast<long>(list->size()) : -1;
    done = true;
  });
  while (!done) {
    g_main_context_iteration(nullptr, TRUE);
  }
  figures.peakKilobytes = maxResidentKilobytes();
  _exit(write(figuresPipe, &figures, sizeof figures) == sizeof figures ? 0 : 3);
}

// Forks the SDK's process, serves it `body`, and prints the peak it reached.
bool measure(const char* shape, const std::string& body) {
  int toChild[2];
  int fromChild[2];
  if (pipe(toChild) != 0 || pipe(fromChild) != 0) {
    return false;
  }
  const pid_t child = fork();
  if (child == -1) {
    return false;
  }
  if (child == 0) {
    fetchInChild(toChild[0], fromChild[1]);
  }
  close(fromChild[1]);  // so that a child that dies ends the read below
  zelvora::fake::FakePlatform platform(kCredentials);
  platform.script("GET", kPath, {.status = 200, .body = body});
  const int port = platform.port();
  Figures figures;
  const bool sent = write(toChild[1], &port, sizeof port) == sizeof port;
  const bool received = sent && read(fromChild[0], &figures, sizeof figures) == sizeof figures;
  waitpid(child, nullptr, 0);
  close(toChild[0]);
  close(toChild[1]);
  close(fromChild[0]);
  if (!received || figures.products < 0) {
    std::printf("%s: the call failed\n", shape);
    return false;
  }
  const double growth = (figures.peakKilobytes - figures.baselineKilobytes) * 1024.0;
  std::printf("%-40s %4zu MB, %7ld products: peak +%6.1f MB = %.2f x the reply\n", shape,
              body.size() / 1'000'000, figures.products, growth / 1e6,
              growth / static_cast<double>(body.size()));
  return true;
}

}  // namespace

int main() {
  // Forks happen before the fake platform of each measurement starts its thread.
  const bool ok = measure("products with 3 KB descriptions", productList(3000)) &&
                  measure("products without descriptions", productList(0));
  return ok ? 0 : 1;
}
