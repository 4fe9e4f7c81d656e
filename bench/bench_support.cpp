// The counting global operator new of the benchmark program, and the
// frame report.
#include "bench/bench_support.h"

#include <benchmark/benchmark.h>

#include <time.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>

#include "platform/render.h"

// Every heap allocation of the process is counted (malloc and free pair up
// here, which the compiler cannot see).
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
static std::atomic<long> allocations{0};

void* operator new(std::size_t size) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  allocations.fetch_add(1, std::memory_order_relaxed);
  return std::malloc(size ? size : 1);
}
void* operator new[](std::size_t size, const std::nothrow_t& t) noexcept { return operator new(size, t); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

// Allocations made so far by the whole process.
long HeapAllocations() { return allocations.load(std::memory_order_relaxed); }

double ProcessCpuSeconds() {
  timespec t;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return (double)t.tv_sec + (double)t.tv_nsec * 1e-9;
}

// Puts the last presented frame's counts and the CPU time a frame beside the timing.
void ReportAllocationsPerTick(benchmark::State& state, long before) {
  state.counters["allocs_per_tick"] =
      benchmark::Counter((double)(HeapAllocations() - before) / (double)state.iterations());
}

void ReportFrameStats(benchmark::State& state, double cpustart) {
  double cpu = ProcessCpuSeconds() - cpustart;
  RenderStats s = LastFrameRenderStats();
  state.SetItemsProcessed(state.iterations());
  state.counters["draw_calls"] = (double)s.flushes;
  state.counters["quads"] = (double)s.quads;
  state.counters["lines"] = (double)s.lines;
  state.counters["offscreen"] = (double)s.offscreen;
  state.counters["edge"] = (double)s.edge;
  state.counters["nearest"] = (double)s.nearest;
  state.counters["glow_screens"] = (double)s.additivearea / (800.0 * 600.0);
  state.counters["halved_screens"] = (double)s.halvedarea / (800.0 * 600.0);
  state.counters["cpu_all_ms"] = cpu * 1000 / (double)std::max<int64_t>(1, state.iterations());
}
