#pragma once

#include <functional>

namespace zelvora::platform {

// Runs the task on one of the SDK's background workers: where replies are read and parsed, off
// both the network thread and the main queue.
void runInBackground(std::function<void()> task);

}  // namespace zelvora::platform
