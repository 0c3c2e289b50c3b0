// puzzle-render: draws what the table shows into a PNG file, without a
// window or an X server, so that shapes and pictures can be checked by eye
// and by script.
//
//   puzzle-render --picture FILE [--columns N] [--form 1-4] [--bulge B]
//                 [--edges 0|1] [--frame 0|1] [--centres 0|1] [--size WxH]
//                 --out OUT.png
//   puzzle-render --game FILE.pzz [--size WxH] --out OUT.png
//   puzzle-render --make-picture [--size WxH] --out OUT.png
//
// A picture gives a fresh game with every piece on its home, as right after
// Start and before the scatter; a game file shows its pieces where they were
// saved. The third form writes the project's own test picture (gradients and
// rings, so that a misplaced piece or knob shows at once). Exit status: 0 written, 1 a file could not be read
// or written, 2 bad arguments.

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>

#include "game/home_layout.h"
#include "storage/game_file.h"
#include "storage/image_loader.h"
#include "storage/picture_writer.h"
#include "tools/headless_table.h"

namespace puzzle {
namespace {

constexpr const char* USAGE =
    "usage: puzzle-render --picture FILE [--columns N] [--form 1-4] [--bulge B]\n"
    "                     [--edges 0|1] [--frame 0|1] [--centres 0|1] [--size WxH] --out OUT.png\n"
    "       puzzle-render --game FILE.pzz [--size WxH] --out OUT.png\n"
    "       puzzle-render --make-picture [--size WxH] --out OUT.png\n";

struct Arguments {
  std::string picture;
  std::string game;
  std::string out;
  bool makePicture = false;
  std::uint32_t columns = 12;
  std::uint8_t form = 1;
  float bulge = 0.33f;
  bool edges = true;
  bool frame = true;
  bool centres = false;
  int width = 800;
  int height = 600;
};

int Fail(const std::string& text, int status) {
  std::fprintf(stderr, "puzzle-render: %s\n", text.c_str());
  if (status == 2) std::fputs(USAGE, stderr);
  return status;
}

std::optional<long> WholeNumber(const std::string& text, long low, long high) {
  if (text.empty()) return std::nullopt;
  char* end = nullptr;
  errno = 0;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || value < low || value > high) return std::nullopt;
  return value;
}

std::optional<bool> Flag(const std::string& text) {
  if (text == "0") return false;
  if (text == "1") return true;
  return std::nullopt;
}

// Parses the command line; an error text when it is not usable.
std::optional<std::string> Parse(int argc, char** argv, Arguments& args) {
  std::map<std::string, std::string> given;
  for (int k = 1; k < argc; k += 2) {
    const std::string name = argv[k];
    if (name.rfind("--", 0) != 0) return "unexpected argument '" + name + "'";
    if (name == "--make-picture") {
      args.makePicture = true;
      --k;
      continue;
    }
    if (k + 1 >= argc) return "missing value for " + name;
    if (!given.emplace(name, argv[k + 1]).second) return name + " given twice";
  }
  for (const auto& [name, value] : given) {
    if (name == "--picture") {
      args.picture = value;
    } else if (name == "--game") {
      args.game = value;
    } else if (name == "--out") {
      args.out = value;
    } else if (name == "--columns") {
      const auto n = WholeNumber(value, 2, static_cast<long>(MAX_PIECES));
      if (!n) return "--columns must be a whole number from 2 to 10000";
      args.columns = static_cast<std::uint32_t>(*n);
    } else if (name == "--form") {
      const auto n = WholeNumber(value, 1, 4);
      if (!n) return "--form must be 1, 2, 3 or 4";
      args.form = static_cast<std::uint8_t>(*n);
    } else if (name == "--bulge") {
      char* end = nullptr;
      const float b = std::strtof(value.c_str(), &end);
      if (value.empty() || *end != '\0' || !(b >= 0.21f && b <= 0.45f))
        return "--bulge must lie from 0.21 to 0.45";
      args.bulge = b;
    } else if (name == "--edges" || name == "--frame" || name == "--centres") {
      const auto f = Flag(value);
      if (!f) return name + " must be 0 or 1";
      (name == "--edges" ? args.edges : name == "--frame" ? args.frame : args.centres) = *f;
    } else if (name == "--size") {
      const auto x = value.find('x');
      const auto w = x == std::string::npos ? std::nullopt : WholeNumber(value.substr(0, x), 32, 8192);
      const auto h = x == std::string::npos ? std::nullopt : WholeNumber(value.substr(x + 1), 32, 8192);
      if (!w || !h) return "--size must be WxH, each from 32 to 8192";
      args.width = static_cast<int>(*w);
      args.height = static_cast<int>(*h);
    } else {
      return "unknown option " + name;
    }
  }
  if (args.out.empty()) return "--out is required";
  if (args.makePicture) {
    if (given.size() != (given.count("--size") + 1)) return "--make-picture takes only --size and --out";
    return std::nullopt;
  }
  if (args.picture.empty() == args.game.empty()) return "give either --picture or --game";
  if (!args.game.empty()) {
    for (const char* shaping : {"--columns", "--form", "--bulge", "--edges", "--frame", "--centres"}) {
      if (given.count(shaping) != 0) return std::string(shaping) + " does not go with --game";
    }
  }
  return std::nullopt;
}

// Red grows to the right, green upwards, blue rings round the centre.
std::vector<std::uint8_t> TestPicture(int width, int height) {
  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
  std::size_t at = 0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const double dx = x - width / 2.0, dy = y - height / 2.0;
      rgb[at++] = static_cast<std::uint8_t>(255 * x / std::max(1, width - 1));
      rgb[at++] = static_cast<std::uint8_t>(255 * (height - 1 - y) / std::max(1, height - 1));
      rgb[at++] = static_cast<std::uint8_t>(128 + 127 * std::sin(std::sqrt(dx * dx + dy * dy) / 6.0));
    }
  }
  return rgb;
}

int Run(int argc, char** argv) {
  Arguments args;
  if (const auto error = Parse(argc, argv, args)) return Fail(*error, 2);
  if (args.makePicture) {
    if (!WritePng(args.out, args.width, args.height, TestPicture(args.width, args.height))) {
      return Fail("cannot write " + args.out, 1);
    }
    return 0;
  }

  HeadlessTable table;
  if (!table.Open(args.width, args.height)) return Fail("no headless OpenGL: " + table.Error(), 1);
  GameState& state = table.state;
  GameOptions& options = table.options;
  options.showEdges = args.edges;
  options.showFrame = args.frame;
  options.showCentres = args.centres;

  if (!args.picture.empty()) {
    auto picture = DecodePictureFile(args.picture);
    if (!picture) return Fail("cannot read the picture " + args.picture, 1);
    TakePictureOver(state, std::move(*picture));
    if (state.imageWidth < 32 || state.imageHeight < 32) {
      return Fail("the picture must be at least 32 pixels wide and high", 1);
    }
    if (state.imageWidth > state.maxTextureSize || state.imageHeight > state.maxTextureSize) {
      return Fail(
          "the picture is larger than the GL's textures (" + std::to_string(state.maxTextureSize) + " px)",
          1);
    }
    options.form = args.form;
    options.bulge = args.bulge;
    options.columns = args.columns;
    if (!LayOutOnHomes(state, options)) {
      return Fail("the picture cannot be cut into " + std::to_string(args.columns) +
                      " columns (at most 10 000 pieces, at least one pixel a cell)",
                  1);
    }
  } else {
    GameReadResult read = ReadGameFile(args.game);
    if (!read.game) {
      return Fail(read.failure == GameReadFailure::File ? "cannot open the game " + args.game
                                                        : "cannot open its picture " + read.imagePath,
                  1);
    }
    InstallLoadedGame(std::move(*read.game), args.game, state, options);
  }
  if (!table.PrepareGame(PixelsAfterUpload::GiveBack))
    return Fail("cannot build the textures or the piece mesh", 1);

  table.DrawFrame(1000);
  if (!WritePng(args.out, args.width, args.height, table.ReadRgbTopDown())) {
    return Fail("cannot write " + args.out, 1);
  }
  return 0;
}

}  // namespace
}  // namespace puzzle

int main(int argc, char** argv) {
  return puzzle::Run(argc, argv);
}
