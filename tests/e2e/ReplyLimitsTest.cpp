// Replies the transport will not wait for or hold without end: too large, even when they arrive
// small and inflate, too slow in trickling in, or silent. Each ends its call once, with an error.
#include "CoreNetworking/Networking.hpp"
#include "support/PlatformFixture.hpp"

#include <curl/curl.h>
#include <zlib.h>

#include <fstream>
#include <iostream>
#include <string>

namespace zelvora::test {
namespace {

// How far the process's peak resident memory rose since construction. The kernel's peak is reset
// first where it allows, so earlier peaks of the process do not hide this one.
class ResidentPeakGrowth {
 public:
  ResidentPeakGrowth() {
    std::ofstream("/proc/self/clear_refs") << "5";
    start_ = peakKilobytes();
  }
  long long megabytes() const { return (peakKilobytes() - start_) / 1024; }

 private:
  static long long peakKilobytes() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
      if (line.rfind("VmHWM:", 0) == 0) {
        return std::stoll(line.substr(6));
      }
    }
    return 0;
  }
  long long start_ = 0;
};

// Deflates `size` zero bytes with a full flush, which leaves the compressor as it began: the
// output can be repeated to form a longer stream of zeros.
std::string deflatedZeros(z_stream& stream, std::size_t size) {
  const std::string zeros(size, '\0');
  std::string out(size / 500 + 64, '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(zeros.data()));
  stream.avail_in = static_cast<uInt>(zeros.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  deflate(&stream, Z_FULL_FLUSH);
  out.resize(out.size() - stream.avail_out);
  return out;
}

// A gzip stream of zeros: a few megabytes that inflate to `gibibytes` GiB. It has no end, which
// the transport must never reach.
fake::StreamedBody gzipBomb(std::size_t gibibytes) {
  constexpr std::size_t kPiece = 1024 * 1024;
  z_stream stream{};
  deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 9, Z_DEFAULT_STRATEGY);
  const std::string gzipHeader("\x1f\x8b\x08\x00\x00\x00\x00\x00\x02\x03", 10);
  fake::StreamedBody body{gzipHeader + deflatedZeros(stream, kPiece), deflatedZeros(stream, kPiece),
                          gibibytes * 1024 - 1};
  deflateEnd(&stream);
  return body;
}

using ReplyLimits = PlatformTest;

TEST_F(ReplyLimits, AReplyLargerThan32MiBEndsInAnErrorWithoutHoldingIt) {
  const struct {
    std::string name;
    fake::StreamedBody body;
    std::map<std::string, std::string> headers;
  } cases[] = {
      {"100 MB plain", {"", std::string(1024 * 1024, 'x'), 100}, {}},
      {"3 GiB gzip bomb", gzipBomb(3), {{"Content-Encoding", "gzip"}}},
  };
  for (const auto& c : cases) {
    platform_->script("GET", kShopperPath,
                      {.status = 200, .streamedBody = c.body, .headers = c.headers});
    const ResidentPeakGrowth growth;
    const auto outcome = lookUpShopper();
    std::cout << c.name << " (" << c.body.size() / 1024 << " KiB sent): peak memory grew by "
              << growth.megabytes() << " MB\n";
    expectError(outcome, Error::curlDomain, CURLE_FILESIZE_EXCEEDED);
    EXPECT_LT(growth.megabytes(), 200) << c.name;
  }
}

TEST_F(ReplyLimits, ATrickleEndsAtTheCallsTimeLimitAndSilenceAtTheIdleTimeout) {
  using namespace std::chrono_literals;
  using Clock = std::chrono::steady_clock;
  const struct {
    std::string name;
    fake::ScriptedReply reply;
    std::chrono::milliseconds idleTimeout;
    std::chrono::milliseconds callTimeLimit;
  } cases[] = {
      {"2 bytes/s",
       {.status = 200, .streamedBody = fake::StreamedBody{"", "x", 600, 500ms}},
       60s,
       1500ms},
      {"silence", {.noReply = true}, 1000ms, 5min},
  };
  for (const auto& c : cases) {
    Networking::sharedManager().setIdleTimeoutForTesting(c.idleTimeout);
    Networking::sharedManager().setCallTimeLimitForTesting(c.callTimeLimit);
    platform_->script("GET", kShopperPath, c.reply);
    const auto start = Clock::now();
    const auto outcome = lookUpShopper();
    const auto elapsed = Clock::now() - start;
    expectError(outcome, Error::curlDomain, CURLE_OPERATION_TIMEDOUT);
    const auto limit = std::min(c.idleTimeout, c.callTimeLimit);
    EXPECT_GE(elapsed, limit) << c.name;
    EXPECT_LT(elapsed, limit + 1s) << c.name;
  }
}

}  // namespace
}  // namespace zelvora::test
