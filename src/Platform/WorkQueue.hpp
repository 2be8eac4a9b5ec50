#pragma once

#include <functional>

namespace zelvora::platform {

// Runs the task on one of the SDK's background workers: where replies are read and parsed, off
// both the network thread and the main queue. An exception the task lets out ends that task only.
void runInBackground(std::function<void()> task);

// Starts the workers now, if they are not running yet. Static objects that hand them work from
// their own threads call this first, so that the workers are torn down after them at exit.
void startBackgroundWorkers();

}  // namespace zelvora::platform
