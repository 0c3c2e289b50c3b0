// Picture loading: the picture-open dialog and the decoding of BMP, JPEG,
// PNG, GIF (animated too), TGA, PSD, PPM and PGM files into the bottom-up
// RGBA buffer that GameState::pixels holds. Nothing here writes a record
// until TakePictureOver is called; a failed load leaves the game untouched.
//
// Buffer layout: rows bottom-up, 4 bytes a pixel, no padding. A still
// picture is width x height x 4 bytes. An animated one holds its first frame
// so, followed by one change record for each later frame: the rectangle in
// which that frame differs from the one before, as FRAME_CHANGE_HEADER bytes
// (left, bottom, width, height; 16 bits each, low byte first) and then the
// rectangle's pixels, rows bottom-up. A frame equal to the one before has an
// empty rectangle. frameDelays gives each frame's delay in milliseconds
// (clamped to 65535).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
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
// MAX_PICTURE_SIDE is refused outright. A still picture's pixels are
// decoded straight into the buffer handed back, counted while the decoder
// writes them; once decoding ends, the picture is outside the count.
inline constexpr std::uint64_t DECODE_MEMORY_BUDGET = std::uint64_t{1} << 30;
inline constexpr int MAX_PICTURE_SIDE = 1 << 15;

// Each scan of a progressive JPEG is a pass over the whole picture; encoders
// write about ten, so a file with more than this is refused rather than let
// cheap empty scans cost minutes of work.
inline constexpr int MAX_JPEG_SCANS = 64;

inline constexpr std::size_t FRAME_CHANGE_HEADER = 8;

struct FrameChange {
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  const std::uint8_t* rgba = nullptr;
};

// Reads the change record at `at` in an animated picture's buffer and moves
// `at` past it. False, with `at` unchanged, when the record is cut short or
// its rectangle leaves the canvas.
bool ReadFrameChange(std::span<const std::uint8_t> pixels, std::size_t& at, std::int32_t canvasWidth,
                     std::int32_t canvasHeight, FrameChange& change);

// Calls `apply` with the change record of each frame after `from` up to
// `to`, in order. False when a record is damaged; those before it have been
// applied.
bool WalkFrameChanges(std::span<const std::uint8_t> pixels, std::int32_t canvasWidth,
                      std::int32_t canvasHeight, std::int32_t from, std::int32_t to,
                      const std::function<void(const FrameChange&)>& apply);

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

// Every pixel of every frame in a picture buffer has alpha 255 (false for a
// buffer too short for its first frame or with a damaged change record).
bool PictureOpaque(std::span<const std::uint8_t> pixels, std::int32_t width, std::int32_t height,
                   std::int32_t frameCount);

// Reverses the row order of one frame in place.
void FlipRows(std::int32_t height, std::int32_t width, std::uint8_t* frame);

// Moves a decoded picture into the picture fields of GameState: imagePath,
// fileTitle, imageWidth/Height, pixels, pictureOpaque, frameCount and
// frameDelays. The rest
// of Load New Image (flags, textures, title, scrolling) is the caller's.
void TakePictureOver(GameState& state, Picture&& picture);

}  // namespace puzzle
