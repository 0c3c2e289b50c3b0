// puzzle-bench [--seconds S] [--game PROGRAM] [section...]: runs the named
// sections of the benchmark, or all of them, and prints their figures.
// --seconds and --game are the idle section's: how long each window is left
// alone (30 s), and the game program measured (the one built beside the
// bench). The exit code is 0 when every section measured, 1 when one failed,
// 2 for an unknown section name or a bad option.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "tools/bench_sections.h"

namespace {

int Usage(const char* problem) {
  std::fprintf(stderr,
               "puzzle-bench: %s\nusage: puzzle-bench [--seconds S] [--game PROGRAM] [section...]; sections:",
               problem);
  for (const auto& section : puzzle::BENCH_SECTIONS) std::fprintf(stderr, " %s", section.name);
  std::fprintf(stderr, "\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  using puzzle::BENCH_SECTIONS;
  puzzle::BenchOptions options;
  std::vector<const char*> named;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc) {
      char* end = nullptr;
      options.idleSeconds = std::strtod(argv[++i], &end);
      if (*end != '\0' || !(options.idleSeconds > 0)) return Usage("--seconds takes a number above 0");
      continue;
    }
    if (std::strcmp(argv[i], "--game") == 0 && i + 1 < argc) {
      options.game = argv[++i];
      continue;
    }
    bool known = false;
    for (const auto& section : BENCH_SECTIONS) known = known || std::strcmp(argv[i], section.name) == 0;
    if (!known) return Usage((std::string("unknown section or option \"") + argv[i] + "\"").c_str());
    named.push_back(argv[i]);
  }
  int result = 0;
  for (const auto& section : BENCH_SECTIONS) {
    bool wanted = named.empty();
    for (const char* name : named) wanted = wanted || std::strcmp(name, section.name) == 0;
    if (!wanted) continue;
    std::printf("== %s\n", section.name);
    std::fflush(stdout);
    if (section.run(options) != 0) result = 1;
  }
  return result;
}
