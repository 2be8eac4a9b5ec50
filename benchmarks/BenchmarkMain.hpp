#pragma once

#include <benchmark/benchmark.h>

#include <cstdlib>

// Runs the program's benchmarks with the SDK reaching "platform.test" on loopback, where each
// benchmark starts its fake platform.
inline int runBenchmarksAgainstLoopback(int argc, char** argv) {
  setenv("ZELVORA_RESOLVE", "platform.test=127.0.0.1", 1);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
