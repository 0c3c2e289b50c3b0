// puzzle-bench [section...]: runs the named sections of the benchmark, or
// all of them, and prints their figures. The exit code is 0 when every
// section measured, 1 when one failed, 2 for an unknown section name.
#include <cstdio>
#include <cstring>

#include "tools/bench_sections.h"

int main(int argc, char** argv) {
  using puzzle::BENCH_SECTIONS;
  for (int i = 1; i < argc; ++i) {
    bool known = false;
    for (const auto& section : BENCH_SECTIONS) known = known || std::strcmp(argv[i], section.name) == 0;
    if (!known) {
      std::fprintf(stderr, "puzzle-bench: unknown section \"%s\"; sections:", argv[i]);
      for (const auto& section : BENCH_SECTIONS) std::fprintf(stderr, " %s", section.name);
      std::fprintf(stderr, "\n");
      return 2;
    }
  }
  int result = 0;
  for (const auto& section : BENCH_SECTIONS) {
    bool wanted = argc == 1;
    for (int i = 1; i < argc; ++i) wanted = wanted || std::strcmp(argv[i], section.name) == 0;
    if (!wanted) continue;
    std::printf("== %s\n", section.name);
    std::fflush(stdout);
    if (section.run() != 0) result = 1;
  }
  return result;
}
