#pragma once

#include <chrono>
#include <cstddef>
#include <string>

namespace zelvora::fake {

// A reply body written piece by piece instead of held whole: `head`, then `chunk` `repeat` times
// with `pause` before each chunk. Serves replies of any size without the memory, and replies
// that trickle. Its Content-Length is announced up front.
struct StreamedBody {
  std::string head;
  std::string chunk;
  std::size_t repeat = 0;
  std::chrono::milliseconds pause{0};

  std::size_t size() const { return head.size() + chunk.size() * repeat; }
};

}  // namespace zelvora::fake
