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

#include "storage/picture_writer.h"

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

// The same picture as a PNG without alpha, as photos and drawings mostly
// come.
bool WriteSquarePng(const std::filesystem::path& path, int side) {
  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(side) * static_cast<std::size_t>(side) * 3);
  for (std::size_t at = 0; at < rgb.size(); at += 3) {
    const std::size_t x = at / 3 % static_cast<std::size_t>(side),
                      y = at / 3 / static_cast<std::size_t>(side);
    const std::size_t run = x / 128;
    rgb[at] = static_cast<std::uint8_t>(run * 11);
    rgb[at + 1] = static_cast<std::uint8_t>(y >> 6);
    rgb[at + 2] = static_cast<std::uint8_t>(run * 37);
  }
  const std::vector<std::uint8_t> png = EncodeWithStb(StbFormat::Png, side, side, 3, rgb.data());
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
  return !png.empty() && static_cast<bool>(out);
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
  std::printf("%-18s %12s %14s %10s\n", "picture", "decoded MB", "peak RSS MB", "CPU s");
  // A PNG of 16 384 a side needs its inflated rows beside the picture,
  // beyond what the decoder may take; it is refused.
  const struct {
    int side;
    const char* kind;
  } cases[] = {{4096, "png"}, {4096, "tga"}, {8192, "png"}, {8192, "tga"}, {16384, "tga"}};
  for (const auto& c : cases) {
    const auto picture = folder / ("square-" + std::to_string(c.side) + "." + c.kind);
    const bool png = std::string(c.kind) == "png";
    RunFigures figures;
    const bool written = png ? WriteSquarePng(picture, c.side) : WriteSquareTga(picture, c.side);
    if (!written || !RunRender(render, picture, folder / "table.png", figures)) {
      std::printf("%5d x %-5d %s  failed\n", c.side, c.side, c.kind);
      result = 1;
    } else {
      std::printf("%5d x %-5d %s  %12.0f %14.0f %10.2f\n", c.side, c.side, c.kind,
                  c.side * 4.0 * c.side / 1e6, figures.peakMb * 1.048576, figures.cpuSeconds);
    }
    std::filesystem::remove(picture);
    std::fflush(stdout);
  }
  std::filesystem::remove_all(folder);
  return result;
}

}  // namespace puzzle
