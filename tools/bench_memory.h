// The "memory" section of puzzle-bench: the peak resident memory and the
// processor time of puzzle-render cutting a 4096, 8192 and 16384 pixel
// square picture into 99 columns (9 801 pieces), each run a process of its own so that
// its peak is its own. Returns 0, or 1 when a run fails.
#pragma once

namespace puzzle {

int BenchMemory();

}  // namespace puzzle
