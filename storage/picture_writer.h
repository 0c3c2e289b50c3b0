// Pictures written by the program itself: the headless renderer's PNG
// output, and the pictures the benchmark, the tests and the fuzz corpus make
// at run time (GIFs, animated too, from palette indices; the other formats
// through the stb writer, compiled here once).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace puzzle {

using Rgb24 = std::array<std::uint8_t, 3>;

struct GifFrame {
  std::vector<std::uint8_t> indices;  // width x height palette indices, top row first
  std::uint16_t delayHundredths = 0;
};

// A GIF whose frames all cover the canvas. Each pixel is sent as a clear
// code and a literal, which keeps the code width fixed: large files, but
// the simplest valid stream.
std::vector<std::uint8_t> EncodeGif(int width, int height, const std::vector<Rgb24>& palette,
                                    const std::vector<GifFrame>& frames);

enum class StbFormat { Png, Bmp, Tga, Jpg };

// pixels: width x height x channels bytes, top row first.
std::vector<std::uint8_t> EncodeWithStb(StbFormat format, int width, int height, int channels,
                                        const std::uint8_t* pixels);

// A binary PPM (channels 3) or PGM (channels 1).
std::vector<std::uint8_t> EncodePnm(int width, int height, int channels, const std::uint8_t* pixels);

bool WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);

// rgb: width x height x 3 bytes, top row first.
bool WritePng(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgb);

}  // namespace puzzle
