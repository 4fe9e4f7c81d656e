// Counts every heap allocation of the benchmark process, so a benchmark can
// report allocations per tick once its lists have grown to size.
#pragma once

long HeapAllocations();
