// The sections of puzzle-bench, by name. A section is a function that prints
// its own figures and returns 0, or non-zero when it could not measure; it
// reads from the command line's options what it needs. A new section adds
// its file to puzzle-bench in CMakeLists.txt and one line here.
#pragma once

#include <string>

#include "tools/bench_frame.h"
#include "tools/bench_idle.h"
#include "tools/bench_memory.h"
#include "tools/bench_meshes.h"
#include "tools/bench_storage.h"

namespace puzzle {

struct BenchOptions {
  // idle: how long each window is left alone, and the game program (empty:
  // the one built beside the bench).
  double idleSeconds = 30;
  std::string game;
};

struct BenchSection {
  const char* name;
  int (*run)(const BenchOptions&);
};

inline constexpr BenchSection BENCH_SECTIONS[] = {
    {"storage", [](const BenchOptions&) { return BenchStorage(); }},
    {"meshes", [](const BenchOptions&) { return BenchMeshes(); }},
    {"frame", [](const BenchOptions&) { return BenchFrame(); }},
    {"zoom", [](const BenchOptions&) { return BenchZoom(); }},
    {"memory", [](const BenchOptions&) { return BenchMemory(); }},
    {"idle", [](const BenchOptions& o) { return BenchIdle(o.idleSeconds, o.game); }},
};

}  // namespace puzzle
