#pragma once

#include <chrono>
#include <functional>

namespace zelvora::test {

// Iterates the GLib default main context (the SDK's main queue) on the calling thread until done()
// holds or the deadline passes; returns done(). done() is checked at least every few milliseconds,
// so it may also watch what other threads do.
bool runMainLoopUntil(std::function<bool()> done,
                      std::chrono::milliseconds deadline = std::chrono::seconds(10));

// Iterates the default main context for the whole duration.
void runMainLoopFor(std::chrono::milliseconds duration);

}  // namespace zelvora::test
