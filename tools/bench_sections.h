// The sections of puzzle-bench, by name. A section is a function that prints
// its own figures and returns 0, or non-zero when it could not measure. A
// new section adds its file to puzzle-bench in CMakeLists.txt and one line
// here.
#pragma once

#include "tools/bench_frame.h"
#include "tools/bench_memory.h"
#include "tools/bench_meshes.h"
#include "tools/bench_storage.h"

namespace puzzle {

struct BenchSection {
  const char* name;
  int (*run)();
};

inline constexpr BenchSection BENCH_SECTIONS[] = {
    {"storage", BenchStorage},
    {"meshes", BenchMeshes},
    {"frame", BenchFrame},
    {"memory", BenchMemory},
};

}  // namespace puzzle
