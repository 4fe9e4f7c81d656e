// Shared pieces of the benchmark program: the heap allocation counter and
// the report of a painted frame's renderer counts.
#pragma once

namespace benchmark {
class State;
}

// Allocations made so far by the whole process (every operator new counts),
// so a benchmark can report allocations per tick once its lists have grown.
long HeapAllocations();
// Frames per second (items/s) and the last presented frame's GL draw calls,
// quads and lines.
void ReportFrameStats(benchmark::State& state);
