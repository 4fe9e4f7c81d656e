// Shared pieces of the benchmark program: the heap allocation counter and
// its report, and the report of a painted frame's renderer counts.
#pragma once

namespace benchmark {
class State;
}

// Allocations made so far by the whole process (every operator new counts),
// so a benchmark can report allocations per tick once its lists have grown.
long HeapAllocations();
// Reports the allocations since before (HeapAllocations() taken before the
// loop) per iteration, as "allocs_per_tick".
void ReportAllocationsPerTick(benchmark::State& state, long before);
// CPU time the whole process has used so far, every thread counted (the
// software rasterizer's threads too), in seconds.
double ProcessCpuSeconds();
// Frames per second (items/s); the last presented frame's GL draw calls,
// quads and lines (and of those, how many lay off the picture and how many
// crossed its edge); and the CPU time of all threads per frame since cpustart
// (ProcessCpuSeconds() taken before the loop), which timing on a busy
// machine hides.
void ReportFrameStats(benchmark::State& state, double cpustart);
