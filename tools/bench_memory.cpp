#include "tools/bench_memory.h"

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

extern char** environ;

namespace puzzle {
namespace {

// A run-length TGA of side x side, 32 bits a pixel, written a row at a
// time: runs of 128 pixels in changing colours, so that the file stays
// small while the decoded picture is full size.
bool WriteSquareTga(const std::filesystem::path& path, int side) {
  std::ofstream out(path, std::ios::binary);
  const unsigned char header[18] = {0,
                                    0,
                                    10,
                                    0,
                                    0,
                                    0,
                                    0,
                                    0,
                                    0,
                                    0,
                                    0,
                                    0,
                                    static_cast<unsigned char>(side & 0xFF),
                                    static_cast<unsigned char>(side >> 8),
                                    static_cast<unsigned char>(side & 0xFF),
                                    static_cast<unsigned char>(side >> 8),
                                    32,
                                    0x28};
  out.write(reinterpret_cast<const char*>(header), sizeof header);
  std::vector<char> row;
  for (int y = 0; y < side; ++y) {
    row.clear();
    for (int run = 0; run < side / 128; ++run) {
      row.insert(row.end(), {static_cast<char>(0xFF), static_cast<char>(run * 37), static_cast<char>(y >> 6),
                             static_cast<char>(run * 11), static_cast<char>(0xFF)});
    }
    out.write(row.data(), static_cast<std::streamsize>(row.size()));
  }
  return static_cast<bool>(out);
}

struct RunFigures {
  double peakMb = 0;
  double cpuSeconds = 0;
};

bool RunRender(const std::filesystem::path& render, const std::filesystem::path& picture,
               const std::filesystem::path& output, RunFigures& figures) {
  std::vector<std::string> args{render.string(), "--picture", picture.string(), "--columns",    "99",
                                "--size",        "800x600",   "--out",          output.string()};
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  pid_t child = 0;
  if (posix_spawn(&child, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return false;
  int status = 0;
  rusage usage{};
  if (wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
    return false;
  figures.peakMb = static_cast<double>(usage.ru_maxrss) / 1024.0;
  figures.cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                       static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  return true;
}

}  // namespace

int BenchMemory() {
  const std::filesystem::path render =
      std::filesystem::read_symlink("/proc/self/exe").parent_path() / "puzzle-render";
  char folderName[] = "/tmp/puzzle-bench-memory-XXXXXX";
  if (mkdtemp(folderName) == nullptr) return 1;
  const std::filesystem::path folder(folderName);
  int result = 0;
  std::printf("%-14s %12s %14s %10s\n", "picture", "decoded MB", "peak RSS MB", "CPU s");
  for (int side : {4096, 8192, 16384}) {
    const auto picture = folder / ("square-" + std::to_string(side) + ".tga");
    RunFigures figures;
    if (!WriteSquareTga(picture, side) || !RunRender(render, picture, folder / "table.png", figures)) {
      std::printf("%5d x %-5d  failed\n", side, side);
      result = 1;
    } else {
      std::printf("%5d x %-5d  %12.0f %14.0f %10.2f\n", side, side, side * 4.0 * side / 1e6,
                  figures.peakMb * 1.048576, figures.cpuSeconds);
    }
    std::filesystem::remove(picture);
    std::fflush(stdout);
  }
  std::filesystem::remove_all(folder);
  return result;
}

}  // namespace puzzle
