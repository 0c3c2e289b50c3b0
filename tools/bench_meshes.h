// The "meshes" section of puzzle-bench: piece-list build times, list memory
// and frame times against a single-vertex-buffer reference. Prints a table;
// returns 0, or 1 when no headless GL context can be had.
#pragma once

namespace puzzle {

int BenchMeshes();

}  // namespace puzzle
