// What a big reply costs in memory on its way from the wire to the app's models. The SDK runs in
// child processes of its own, so that their peak resident size counts neither the fake platform's
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
#include <functional>
#include <iostream>

namespace zelvora {
namespace {

const fake::Credentials kCredentials{"merchant-memory", "key-memory", "secret-memory"};
constexpr std::size_t kReplyBytes = 30'000'000;

// A JSON array of the objects `element(i)` writes, up to the size asked for.
std::string listOf(const std::function<std::string(int)>& element) {
  std::string list = "[";
  for (int i = 0; list.size() < kReplyBytes; ++i) {
    list.append(i == 0 ? "" : ",").append(element(i));
  }
  list += "]";
  return list;
}

// Products with a description of about three kilobytes: the texts dominate.
std::string product(int i) {
  static const std::string description = [] {
    std::string text;
    while (text.size() < 3000) {
      text += "Soft organic cotton &amp; a relaxed fit, made to last for years of trail use. ";
    }
    return text;
  }();
  char head[160];
  std::snprintf(head, sizeof head,
                R"({"id":"p-%07d","sku":"sku-%07d","merchant-id":"m-1","price":19.99,"name":)"
                R"("Trail tee %d","description":")",
                i, i, i);
  return std::string(head).append(description).append("\"}");
}

// Baskets of two short line items: the document's per-value overhead dominates.
std::string basket(int i) {
  char text[320];
  std::snprintf(
      text, sizeof text,
      R"({"id":"basket-%07d","state":"update-basket","tags":["reserve-collect"],"items":[)"
      R"({"sku":"sku-%07d-a","qty":2,"price":19.99,"name":"Trail tee, medium, forest green"},)"
      R"({"sku":"sku-%07d-b","qty":1,"price":5.5,"name":"Socks, wool, pair of two"}]})",
      i, i, i);
  return text;
}

long maxResidentKilobytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

std::size_t threadCount() {
  const std::filesystem::directory_iterator tasks("/proc/self/task");
  return static_cast<std::size_t>(std::distance(begin(tasks), end(tasks)));
}

struct Figures {
  long baselineKilobytes = 0;
  long peakKilobytes = 0;
  long models = -1;  // -1: the call failed
};

template <class M>
void fetch(const std::function<void(Completion<ModelList<M>>)>& call, Figures& figures) {
  bool done = false;
  call([&](auto list, auto error) {
    figures.models = !error && list ? static_cast<long>(list->size()) : -1;
    done = true;
  });
  test::runMainLoopUntil([&] { return done; }, std::chrono::seconds(60));
}

struct Shape {
  std::string name;
  std::string path;
  std::function<std::string(int)> element;
  std::function<void(Figures&)> fetch;  // the call, made in the child
  double bound;                         // peak growth at most this many times the reply's size
};

// The child's side: waits for the platform's port, makes the call once, reports its peak.
[[noreturn]] void runChild(const Shape& shape, int portPipe, int figuresPipe) {
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
  shape.fetch(figures);
  figures.peakKilobytes = maxResidentKilobytes();
  _exit(write(figuresPipe, &figures, sizeof figures) == sizeof figures ? 0 : 3);
}

struct Child {
  pid_t pid;
  int portPipe;
  int figuresPipe;
};

Child startChild(const Shape& shape) {
  int toChild[2];
  int fromChild[2];
  if (pipe(toChild) != 0 || pipe(fromChild) != 0) {
    return {-1, -1, -1};
  }
  const pid_t pid = fork();
  if (pid == 0) {
    runChild(shape, toChild[0], fromChild[1]);
  }
  // Only the child may hold these ends: a child that dies then ends the parent's read.
  close(toChild[0]);
  close(fromChild[1]);
  return {pid, toChild[1], fromChild[0]};
}

TEST(ReplyMemory, ABigListPeaksAtAFewTimesItsSize) {
  if (threadCount() != 1) {
    GTEST_SKIP() << "forks the SDK: run it in a process of its own, as ctest does";
  }
  const Shape shapes[] = {
      {"products with long descriptions", "/api/client/pos/skus/merchant/m-1/product/p-1", product,
       [](Figures& figures) {
         fetch<Product>(
             [](auto done) { ClientAPI::getSkusForProduct("m-1", "p-1", std::move(done)); },
             figures);
       },
       3.0},
      {"baskets of short fields", "/api/client/basket/list-active/session/s-1", basket,
       [](Figures& figures) {
         fetch<Basket>([](auto done) { ClientAPI::getActiveBaskets("s-1", std::move(done)); },
                       figures);
       },
       13.0},
  };
  // Every child is forked before the platform starts a thread.
  std::vector<Child> children;
  for (const auto& shape : shapes) {
    children.push_back(startChild(shape));
    ASSERT_GT(children.back().pid, 0);
  }
  fake::FakePlatform platform(kCredentials);
  const int port = platform.port();
  for (std::size_t i = 0; i < children.size(); ++i) {
    const auto& [pid, portPipe, figuresPipe] = children[i];
    const std::string body = listOf(shapes[i].element);
    platform.script("GET", shapes[i].path, {.status = 200, .body = body});
    ASSERT_EQ(write(portPipe, &port, sizeof port), static_cast<ssize_t>(sizeof port));
    Figures figures;
    const auto received = read(figuresPipe, &figures, sizeof figures);
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_EQ(received, static_cast<ssize_t>(sizeof figures)) << "child status " << status;
    platform.clearScripts();

    EXPECT_GT(figures.models, 5000) << shapes[i].name;
    const double growth = (figures.peakKilobytes - figures.baselineKilobytes) * 1024.0;
    const double times = growth / static_cast<double>(body.size());
    std::cout << "A " << body.size() / 1'000'000 << " MB reply of " << figures.models << " "
              << shapes[i].name << " raised the peak resident size by " << growth / 1e6
              << " MB: " << times << " times its size\n";
#if !defined(__SANITIZE_ADDRESS__)
    EXPECT_LT(times, shapes[i].bound) << shapes[i].name;
#endif
  }
}

}  // namespace
}  // namespace zelvora
