// Picture loading: the picture-open dialog and the decoding of BMP, JPEG,
// PNG, GIF (animated too), TGA, PSD, PPM and PGM files into the bottom-up
// RGBA buffer that GameState::pixels holds. Nothing here writes a record
// until TakePictureOver is called; a failed load leaves the game untouched.
//
// Buffer layout: rows bottom-up, 4 bytes a pixel, no padding. A still
// picture is width x height x 4 bytes. An animated one holds every frame as
// the full canvas, each followed by two bytes of delay in hundredths of a
// second, low byte first; frameDelays then gives the same delays in
// milliseconds (clamped to 65535).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "model/records.h"

namespace puzzle {

// Everything the decoder allocates while decoding one picture is counted,
// and an allocation that would take the total above the budget fails the
// decoding: a damaged or hostile file must not exhaust memory, whatever its
// header claims or its compressed data expands to. A side above
// MAX_PICTURE_SIDE is refused outright. The decoded picture handed back is a
// copy outside the count, at most as large again.
inline constexpr std::uint64_t DECODE_MEMORY_BUDGET = std::uint64_t{1} << 30;
inline constexpr int MAX_PICTURE_SIDE = 1 << 15;

// Each scan of a progressive JPEG is a pass over the whole picture; encoders
// write about ten, so a file with more than this is refused rather than let
// cheap empty scans cost minutes of work.
inline constexpr int MAX_JPEG_SCANS = 64;

struct Picture {
  std::vector<std::uint8_t> pixels;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t frameCount = 1;
  std::vector<std::uint16_t> frameDelays;  // milliseconds; empty for a still picture
  std::string path;                        // empty when decoded from memory
  std::string fileTitle;
};

// Decodes and flips a picture held in memory. budget bounds the decoder's
// allocations (tests and the fuzzer pass a smaller one); when peakBytes is
// given it receives the most the decoder held at once. An animated GIF keeps
// its first MAX_FRAMES frames.
std::optional<Picture> DecodePicture(std::span<const std::uint8_t> data,
                                     std::uint64_t budget = DECODE_MEMORY_BUDGET,
                                     std::uint64_t* peakBytes = nullptr);

// Reads and decodes a picture file; sets path and fileTitle. Shows nothing.
std::optional<Picture> DecodePictureFile(const std::string& path);

// Reverses the row order of one frame in place.
void FlipRows(std::int32_t height, std::int32_t width, std::uint8_t* frame);

// Moves a decoded picture into the picture fields of GameState: imagePath,
// fileTitle, imageWidth/Height, pixels, frameCount and frameDelays. The rest
// of Load New Image (flags, textures, title, scrolling) is the caller's.
void TakePictureOver(GameState& state, Picture&& picture);

}  // namespace puzzle
