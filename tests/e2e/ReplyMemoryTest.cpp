// What a big reply costs in memory on its way from the wire to the app's models. The SDK runs in a
// child process of its own, so that its peak resident size counts neither the fake platform's
// copies of the reply nor anything an earlier test left behind.
#include "APIs/Generated/ClientAPI.hpp"
#include "fake_platform/FakePlatform.hpp"
#include "support/MainLoop.hpp"

#include <zelvora/ZelvoraAPI.hpp>
#include <zelvora/models/Models.hpp>

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>

namespace zelvora {
namespace {

const fake::Credentials kCredentials{"merchant-memory", "key-memory", "secret-memory"};

// About 30 MB of products, each with a description of about three kilobytes.
std::string productList() {
  std::string description;
  while (description.size() < 3000) {
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
  ZelvoraAPI api;
  api.initialize(kCredentials.merchantId, kCredentials.apiKey, kCredentials.apiSecret,
                 {{"host", "http://platform.test:" + std::to_string(port)}}, [](bool, auto) {});
  Figures figures;
  figures.baselineKilobytes = maxResidentKilobytes();
  bool done = false;
  ClientAPI::getSkusForProduct("m-1", "p-1", [&](auto list, auto error) {
    figures.products = !error && list ? static_cast<long>(list->size()) : -1;
    done = true;
  });
  test::runMainLoopUntil([&] { return done; }, std::chrono::seconds(60));
  figures.peakKilobytes = maxResidentKilobytes();
  _exit(write(figuresPipe, &figures, sizeof figures) == sizeof figures ? 0 : 3);
}

TEST(ReplyMemory, ABigListPeaksUnderThreeTimesItsSize) {
  const std::filesystem::directory_iterator threads("/proc/self/task");
  if (std::distance(begin(threads), end(threads)) != 1) {
    GTEST_SKIP() << "forks the SDK: run it in a process of its own, as ctest does";
  }
  int toChild[2];
  int fromChild[2];
  ASSERT_EQ(pipe(toChild), 0);
  ASSERT_EQ(pipe(fromChild), 0);
  const pid_t child = fork();  // before the platform starts a thread
  ASSERT_NE(child, -1);
  if (child == 0) {
    fetchInChild(toChild[0], fromChild[1]);
  }
  close(fromChild[1]);  // so that a child that dies ends the read below

  const std::string body = productList();
  fake::FakePlatform platform(kCredentials);
  platform.script("GET", "/api/client/pos/skus/merchant/m-1/product/p-1",
                  {.status = 200, .body = body});
  const int port = platform.port();
  ASSERT_EQ(write(toChild[1], &port, sizeof port), static_cast<ssize_t>(sizeof port));
  Figures figures;
  const auto received = read(fromChild[0], &figures, sizeof figures);
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_EQ(received, static_cast<ssize_t>(sizeof figures)) << "child status " << status;

  EXPECT_GT(figures.products, 9000);
  const double growth = (figures.peakKilobytes - figures.baselineKilobytes) * 1024.0;
  const double times = growth / static_cast<double>(body.size());
  std::cout << "A " << body.size() / 1'000'000 << " MB reply of " << figures.products
            << " products raised the peak resident size by " << growth / 1e6 << " MB: " << times
            << " times its size\n";
#if !defined(__SANITIZE_ADDRESS__)
  EXPECT_LT(times, 3.0);
#endif
}

}  // namespace
}  // namespace zelvora
