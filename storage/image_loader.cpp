#include "storage/image_loader.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>

#include "storage/atomic_file.h"
#include "storage/paths.h"

// The one place the decoder is compiled: only the formats the game offers,
// no stdio (files are read here), and the side limit of the game. Its
// internal (stbi__) functions are called in this file alone: the public
// interface decodes a GIF only whole, all frames at once, while the game
// takes the frames one by one within its memory budget, and it cannot tell a
// 16-bit PNM before decoding it.
#define STB_IMAGE_IMPLEMENTATION
#define STBI_NO_STDIO
#define STBI_ONLY_BMP
#define STBI_ONLY_JPEG
#define STBI_ONLY_PNG
#define STBI_ONLY_GIF
#define STBI_ONLY_TGA
#define STBI_ONLY_PSD
#define STBI_ONLY_PNM
#define STBI_MAX_DIMENSIONS (1 << 15)
#include <stb/stb_image.h>

namespace puzzle {

static_assert(STBI_MAX_DIMENSIONS == MAX_PICTURE_SIDE);

namespace {

struct StbFree {
  void operator()(stbi_uc* pixels) const { stbi_image_free(pixels); }
};
using StbPixels = std::unique_ptr<stbi_uc, StbFree>;

// The GIF reader's state with the canvas buffers it allocates.
struct GifReader {
  stbi__gif gif;
  GifReader() { std::memset(&gif, 0, sizeof gif); }
  ~GifReader() {
    STBI_FREE(gif.out);
    STBI_FREE(gif.history);
    STBI_FREE(gif.background);
  }
  GifReader(const GifReader&) = delete;
  GifReader& operator=(const GifReader&) = delete;
};

void FlipAllFrames(Picture& picture) {
  const std::size_t frameBytes = static_cast<std::size_t>(picture.width) * picture.height * 4;
  const std::size_t step = picture.frameCount > 1 ? frameBytes + 2 : frameBytes;
  for (std::int32_t f = 0; f < picture.frameCount; ++f) {
    FlipRows(picture.height, picture.width, picture.pixels.data() + f * step);
  }
}

// Every frame comes back as the full canvas. The reader needs the frame two
// back for "restore to previous", so frames are kept apart until the end and
// then laid out with their delay bytes, one frame freed after the other.
std::optional<Picture> DecodeGif(stbi__context& context, std::uint64_t budget) {
  auto reader = std::make_unique<GifReader>();
  std::vector<std::vector<std::uint8_t>> frames;
  std::vector<std::uint16_t> hundredths;
  std::size_t frameBytes = 0;
  int channels = 0;
  while (frames.size() < static_cast<std::size_t>(MAX_FRAMES)) {
    stbi_uc* twoBack = frames.size() >= 2 ? frames[frames.size() - 2].data() : nullptr;
    stbi_uc* frame = stbi__gif_load_next(&context, &reader->gif, &channels, 4, twoBack);
    if (frame == nullptr || frame == reinterpret_cast<stbi_uc*>(&context)) break;
    if (frames.empty()) {
      if (reader->gif.w <= 0 || reader->gif.h <= 0) return std::nullopt;
      frameBytes = static_cast<std::size_t>(reader->gif.w) * static_cast<std::size_t>(reader->gif.h) * 4;
    }
    if ((frames.size() + 1) * (frameBytes + 2) > budget) return std::nullopt;
    frames.emplace_back(frame, frame + frameBytes);
    // This version of the reader keeps delays in milliseconds, read from
    // hundredths of a second, so the division is exact.
    hundredths.push_back(static_cast<std::uint16_t>(std::clamp(reader->gif.delay / 10, 0, 0xFFFF)));
  }
  if (frames.empty()) return std::nullopt;

  Picture picture;
  picture.width = reader->gif.w;
  picture.height = reader->gif.h;
  picture.frameCount = static_cast<std::int32_t>(frames.size());
  reader.reset();
  if (frames.size() == 1) {
    picture.pixels = std::move(frames.front());
  } else {
    picture.pixels.resize(frames.size() * (frameBytes + 2));
    std::uint8_t* out = picture.pixels.data();
    for (std::size_t f = 0; f < frames.size(); ++f) {
      std::memcpy(out, frames[f].data(), frameBytes);
      std::vector<std::uint8_t>().swap(frames[f]);
      out += frameBytes;
      *out++ = static_cast<std::uint8_t>(hundredths[f] & 0xFF);
      *out++ = static_cast<std::uint8_t>(hundredths[f] >> 8);
      picture.frameDelays.push_back(static_cast<std::uint16_t>(std::min(hundredths[f] * 10, 0xFFFF)));
    }
  }
  return picture;
}

// This decoder version builds a JPEG Huffman table without checking that
// the code counts of a DHT segment sum to at most 256, and then writes past
// the table. Before the decoder sees a JPEG, every DHT segment it could
// reach is checked here, walking the markers as it does: segments by their
// lengths, padding between them byte by byte, entropy-coded data up to the
// next 0xFF that is neither stuffing nor a restart marker. The walk goes on
// where the decoder would stop with an error, so it checks at least what the
// decoder would read.
bool HuffmanSegmentFits(std::span<const std::uint8_t> data, std::size_t at, std::int64_t remaining) {
  // The decoder reads zeros past the end of its input.
  auto byte = [&data](std::size_t position) -> int { return position < data.size() ? data[position] : 0; };
  while (remaining > 0) {
    const int q = byte(at++);
    if ((q >> 4) > 1 || (q & 15) > 3) return true;  // refused by the decoder
    int count = 0;
    for (int i = 0; i < 16; ++i) count += byte(at++);
    if (count > 256) return false;
    at += static_cast<std::size_t>(count);
    remaining -= 17 + count;
  }
  return true;
}

bool JpegHuffmanTablesFit(std::span<const std::uint8_t> data) {
  const std::size_t size = data.size();
  std::size_t at = 0;
  while (at < size && data[at] == 0xFF) ++at;
  if (at == 0 || at >= size || data[at] != 0xD8) return true;  // not a JPEG
  ++at;
  while (at < size) {
    // Bytes between segments are skipped, as the decoder does before the
    // frame header (after it, the decoder stops there).
    if (data[at] != 0xFF) {
      ++at;
      continue;
    }
    while (at < size && data[at] == 0xFF) ++at;
    if (at >= size) return true;
    const int marker = data[at++];
    if (marker == 0xD9) return true;
    if (marker == 0x00 || marker == 0x01 || marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7)) continue;
    if (at + 2 > size) return true;
    const std::size_t length = static_cast<std::size_t>(data[at]) << 8 | data[at + 1];
    if (length < 2) return true;
    if (marker == 0xC4 && !HuffmanSegmentFits(data, at + 2, static_cast<std::int64_t>(length) - 2))
      return false;
    at += length;
    if (marker != 0xDA) continue;
    // Entropy-coded data: stuffed 0xFF 0x00 and restart markers belong to it.
    while (at < size) {
      if (data[at] != 0xFF) {
        ++at;
        continue;
      }
      std::size_t next = at + 1;
      while (next < size && data[next] == 0xFF) ++next;
      if (next < size && data[next] != 0x00 && !(data[next] >= 0xD0 && data[next] <= 0xD7)) {
        at = next - 1;
        break;
      }
      at = next + 1;
    }
  }
  return true;
}

// This decoder version reads the numbers of a PPM or PGM header without
// bounding them, overflowing a signed integer on a long digit run. The
// header's three numbers are read here first, with its whitespace and
// comments, and a file with a number beyond the integer range is refused.
bool PortableMapHeaderFits(std::span<const std::uint8_t> data) {
  const std::size_t size = data.size();
  if (size < 2 || data[0] != 'P' || (data[1] != '5' && data[1] != '6')) return true;
  auto space = [](std::uint8_t c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
  std::size_t at = 2;
  for (int field = 0; field < 3; ++field) {
    for (;;) {
      while (at < size && space(data[at])) ++at;
      if (at >= size || data[at] != '#') break;
      while (at < size && data[at] != '\n' && data[at] != '\r') ++at;
    }
    std::int64_t value = 0;
    for (; at < size && data[at] >= '0' && data[at] <= '9'; ++at) {
      value = value * 10 + (data[at] - '0');
      if (value > std::numeric_limits<int>::max()) return false;
    }
  }
  return true;
}

std::optional<Picture> DecodeDeepPortableMap(std::span<const std::uint8_t> data, std::uint64_t pixelCount) {
  int width = 0;
  int height = 0;
  int channels = 0;
  std::unique_ptr<stbi_us, void (*)(void*)> samples(
      stbi_load_16_from_memory(data.data(), static_cast<int>(data.size()), &width, &height, &channels, 0),
      stbi_image_free);
  if (!samples || width <= 0 || height <= 0 || (channels != 1 && channels != 3) ||
      static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) != pixelCount) {
    return std::nullopt;
  }
  // The samples are still in the file's byte order: high byte first.
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(samples.get());
  const std::size_t step = static_cast<std::size_t>(channels) * 2;
  Picture picture;
  picture.width = width;
  picture.height = height;
  picture.pixels.resize(pixelCount * 4);
  for (std::uint64_t p = 0; p < pixelCount; ++p, bytes += step) {
    std::uint8_t* rgba = picture.pixels.data() + p * 4;
    rgba[0] = bytes[0];
    rgba[1] = channels == 1 ? bytes[0] : bytes[2];
    rgba[2] = channels == 1 ? bytes[0] : bytes[4];
    rgba[3] = 255;
  }
  return picture;
}

}  // namespace

void FlipRows(std::int32_t height, std::int32_t width, std::uint8_t* frame) {
  const std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
  for (std::int32_t r = 0; r < height / 2; ++r) {
    std::swap_ranges(frame + r * rowBytes, frame + (r + 1) * rowBytes, frame + (height - 1 - r) * rowBytes);
  }
}

std::optional<Picture> DecodePicture(std::span<const std::uint8_t> data, std::uint64_t budget) {
  if (data.empty() || data.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
    return std::nullopt;
  }
  const int length = static_cast<int>(data.size());
  int width = 0;
  int height = 0;
  int channels = 0;
  if (!JpegHuffmanTablesFit(data) || !PortableMapHeaderFits(data)) return std::nullopt;
  // The header alone tells the size, so an oversized picture is refused
  // before any pixel memory is taken.
  if (!stbi_info_from_memory(data.data(), length, &width, &height, &channels)) return std::nullopt;
  if (width <= 0 || height <= 0 || width > MAX_PICTURE_SIDE || height > MAX_PICTURE_SIDE) return std::nullopt;
  const std::uint64_t pixelCount = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
  // 16-bit pictures are decoded at full depth before being narrowed.
  const std::uint64_t decodeBytes = pixelCount * (stbi_is_16_bit_from_memory(data.data(), length) ? 8 : 4);
  if (decodeBytes > budget) return std::nullopt;

  stbi__context context;
  stbi__start_mem(&context, data.data(), length);
  std::optional<Picture> picture;
  if (stbi__gif_test(&context)) {
    picture = DecodeGif(context, budget);
  } else {
    // This decoder version mishandles 16-bit PPM and PGM files: it converts
    // their channels as if they had 8 bits (reading past its buffer) and
    // keeps their big-endian samples unswapped. Such files are taken raw
    // and narrowed here to the high byte of each sample.
    if (stbi__pnm_test(&context) && stbi__pnm_is16(&context)) {
      picture = DecodeDeepPortableMap(data, pixelCount);
    } else {
      StbPixels pixels(stbi_load_from_memory(data.data(), length, &width, &height, &channels, 4));
      if (!pixels || width <= 0 || height <= 0 ||
          static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) != pixelCount) {
        return std::nullopt;
      }
      picture.emplace();
      picture->width = width;
      picture->height = height;
      picture->pixels.assign(pixels.get(), pixels.get() + pixelCount * 4);
    }
  }
  if (picture) FlipAllFrames(*picture);
  return picture;
}

std::optional<Picture> DecodePictureFile(const std::string& path) {
  // A compressed file larger than the budget cannot decode within it.
  auto bytes = ReadWholeFile(path, DECODE_MEMORY_BUDGET);
  if (!bytes) return std::nullopt;
  auto picture = DecodePicture(*bytes);
  if (!picture) return std::nullopt;
  picture->path = path;
  RememberFileTitle(path, picture->fileTitle);
  return picture;
}

void TakePictureOver(GameState& state, Picture&& picture) {
  state.imagePath = std::move(picture.path);
  state.fileTitle = std::move(picture.fileTitle);
  state.imageWidth = picture.width;
  state.imageHeight = picture.height;
  state.frameCount = picture.frameCount;
  state.pixels = std::move(picture.pixels);
  state.frameDelays = std::move(picture.frameDelays);
}

}  // namespace puzzle
