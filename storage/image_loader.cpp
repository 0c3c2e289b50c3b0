#include "storage/image_loader.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <utility>

#include "storage/atomic_file.h"
#include "storage/paths.h"

namespace puzzle {
namespace {

// The decoder's allocations while one picture decodes. The decoder takes its
// allocator as macros without a context argument, so the count of the
// decoding under way on this thread is reached through a pointer that
// DecodePicture sets for its duration and clears again.
struct DecoderAllowance {
  std::uint64_t budget = 0;
  std::uint64_t inUse = 0;
  std::uint64_t peak = 0;
  // The picture's own buffer, made (zeroed) and lent once to the decoder
  // for the first block it asks of exactly this size: its finished pixels,
  // so that they are decoded in place instead of copied beside the
  // decoder's.
  std::vector<std::uint8_t>* lendable = nullptr;
  std::size_t lendableSize = 0;
  std::uint8_t* lent = nullptr;
};
thread_local DecoderAllowance* currentAllowance = nullptr;

// Each block carries its size in front, so that freeing gives it back.
constexpr std::size_t BLOCK_HEADER = alignof(std::max_align_t);

void* DecoderAllocate(std::size_t size) {
  DecoderAllowance* allowance = currentAllowance;
  if (allowance == nullptr || size > allowance->budget - allowance->inUse) return nullptr;
  if (allowance->lendable != nullptr && size == allowance->lendableSize) {
    try {
      std::vector<std::uint8_t>* buffer = std::exchange(allowance->lendable, nullptr);
      buffer->resize(size);
      allowance->lent = buffer->data();
    } catch (const std::bad_alloc&) {
      return nullptr;
    }
    allowance->inUse += size;
    allowance->peak = std::max(allowance->peak, allowance->inUse);
    return allowance->lent;
  }
  // Zeroed, so that a pixel the decoder never writes is black, never what
  // the heap held before.
  auto* block = static_cast<unsigned char*>(std::calloc(1, BLOCK_HEADER + size));
  if (block == nullptr) return nullptr;
  std::memcpy(block, &size, sizeof size);
  allowance->inUse += size;
  allowance->peak = std::max(allowance->peak, allowance->inUse);
  return block + BLOCK_HEADER;
}

// The size of a block the decoder holds.
std::size_t BlockSize(void* pointer) {
  if (currentAllowance != nullptr && pointer == currentAllowance->lent) return currentAllowance->lendableSize;
  std::size_t size = 0;
  std::memcpy(&size, static_cast<unsigned char*>(pointer) - BLOCK_HEADER, sizeof size);
  return size;
}

void DecoderFree(void* pointer) {
  if (pointer == nullptr) return;
  if (currentAllowance != nullptr && pointer == currentAllowance->lent) {
    // The picture's buffer goes back to the picture.
    currentAllowance->lent = nullptr;
    currentAllowance->inUse -= currentAllowance->lendableSize;
    return;
  }
  auto* block = static_cast<unsigned char*>(pointer) - BLOCK_HEADER;
  std::size_t size = 0;
  std::memcpy(&size, block, sizeof size);
  if (currentAllowance != nullptr) currentAllowance->inUse -= size;
  std::free(block);
}

// The old and the new block exist together while the contents move, so both
// count.
void* DecoderReallocate(void* pointer, std::size_t size) {
  if (pointer == nullptr) return DecoderAllocate(size);
  const std::size_t oldSize = BlockSize(pointer);
  void* moved = DecoderAllocate(size);
  if (moved == nullptr) return nullptr;
  std::memcpy(moved, pointer, std::min(oldSize, size));
  DecoderFree(pointer);
  return moved;
}

}  // namespace
}  // namespace puzzle

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
#define STBI_MALLOC(size) puzzle::DecoderAllocate(size)
#define STBI_REALLOC(pointer, size) puzzle::DecoderReallocate(pointer, size)
#define STBI_FREE(pointer) puzzle::DecoderFree(pointer)
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

// Also refuses a file with more than MAX_JPEG_SCANS scans.
bool JpegSegmentsFit(std::span<const std::uint8_t> data) {
  const std::size_t size = data.size();
  std::size_t at = 0;
  while (at < size && data[at] == 0xFF) ++at;
  if (at == 0 || at >= size || data[at] != 0xD8) return true;  // not a JPEG
  ++at;
  int scans = 0;
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
    if (++scans > MAX_JPEG_SCANS) return false;
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

struct PortableMapHeader {
  std::uint64_t width = 0;
  std::uint64_t height = 0;
  std::uint64_t maximum = 0;
  std::size_t dataStart = 0;
};

// This decoder version reads the numbers of a PPM or PGM header without
// bounding them, overflowing a signed integer on a long digit run. The
// header's three numbers are read here first, with its whitespace and
// comments; nothing when a number is beyond the integer range.
std::optional<PortableMapHeader> ReadPortableMapHeader(std::span<const std::uint8_t> data) {
  const std::size_t size = data.size();
  auto space = [](std::uint8_t c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
  std::size_t at = 2;
  std::uint64_t fields[3] = {};
  for (std::uint64_t& value : fields) {
    for (;;) {
      while (at < size && space(data[at])) ++at;
      if (at >= size || data[at] != '#') break;
      while (at < size && data[at] != '\n' && data[at] != '\r') ++at;
    }
    for (; at < size && data[at] >= '0' && data[at] <= '9'; ++at) {
      value = value * 10 + static_cast<std::uint64_t>(data[at] - '0');
      if (value > static_cast<std::uint64_t>(std::numeric_limits<int>::max())) return std::nullopt;
    }
  }
  // One whitespace byte ends the header.
  return PortableMapHeader{fields[0], fields[1], fields[2], at + 1};
}

bool IsPortableMap(std::span<const std::uint8_t> data) {
  return data.size() >= 2 && data[0] == 'P' && (data[1] == '5' || data[1] == '6');
}

std::uint64_t BigEndian(std::span<const std::uint8_t> data, std::size_t at, int bytes) {
  std::uint64_t value = 0;
  for (int i = 0; i < bytes; ++i) value = value << 8 | (at + i < data.size() ? data[at + i] : 0u);
  return value;
}

std::uint64_t LittleEndian(std::span<const std::uint8_t> data, std::size_t at, int bytes) {
  std::uint64_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = value << 8 | (at + i < data.size() ? data[at + i] : 0u);
  return value;
}

// Where a PSD names its compression: after the 26-byte header and the three
// sections that each begin with their length (colour mode data, image
// resources, layers and masks).
std::uint64_t PsdCompressionAt(std::span<const std::uint8_t> data) {
  std::uint64_t at = 26;
  for (int section = 0; section < 3; ++section) at += 4 + BigEndian(data, static_cast<std::size_t>(at), 4);
  return at;
}

std::uint64_t DivideUp(std::uint64_t a, std::uint64_t b) {
  return (a + b - 1) / b;
}

// The fewest bytes a file of this format needs for a picture of width x
// height: where the decoder would read a short file's missing part as zeros
// or refuse only after allocating, such a file is refused before any pixel
// memory is taken. Each bound is what the tightest encoding could achieve,
// so no valid file falls below it. A GIF has none: its frames may cover a
// small part of a large canvas, whose allocation is counted like any other.
bool StartsWith(std::span<const std::uint8_t> data, std::initializer_list<std::uint8_t> magic) {
  return data.size() >= magic.size() && std::equal(magic.begin(), magic.end(), data.begin());
}

enum class Format { Png, Jpeg, Bmp, Psd, PortableMap, Gif, Tga };

// By the magic numbers; what has none of them is taken for a TGA, the one
// format without one.
Format Sniff(std::span<const std::uint8_t> data) {
  if (StartsWith(data, {0x89, 'P', 'N', 'G'})) return Format::Png;
  if (StartsWith(data, {0xFF, 0xD8})) return Format::Jpeg;
  if (StartsWith(data, {'B', 'M'})) return Format::Bmp;
  if (StartsWith(data, {'8', 'B', 'P', 'S'})) return Format::Psd;
  if (IsPortableMap(data)) return Format::PortableMap;
  if (StartsWith(data, {'G', 'I', 'F'})) return Format::Gif;
  return Format::Tga;
}

std::uint64_t SmallestFileFor(std::span<const std::uint8_t> data, std::uint64_t width, std::uint64_t height) {
  const Format format = Sniff(data);
  if (format == Format::Png) {
    // Deflate expands a stream by at most 1032 times.
    static constexpr std::uint64_t CHANNELS[] = {1, 0, 3, 1, 2, 0, 4};
    const std::uint64_t type = data.size() > 25 ? data[25] : 0;
    const std::uint64_t bits = (type < 7 ? CHANNELS[type] : 1) * (data.size() > 24 ? data[24] : 1);
    return height * (1 + DivideUp(width * bits, 8)) / 1032;
  }
  if (format == Format::Jpeg) {
    // At least one Huffman-coded bit for each 8 x 8 block of the first
    // component, even in a progressive file (the first DC scan).
    return DivideUp(DivideUp(width, 8) * DivideUp(height, 8), 8);
  }
  if (format == Format::Bmp) {
    const std::uint64_t headerSize = LittleEndian(data, 14, 4);
    const std::uint64_t bits = LittleEndian(data, headerSize == 12 ? 24 : 28, 2);
    const std::uint64_t rowBytes = DivideUp(width * bits, 32) * 4;
    // The last row's padding may be missing.
    return 14 + headerSize + rowBytes * (height - 1) + DivideUp(width * bits, 8);
  }
  if (format == Format::Psd) {
    const std::uint64_t channels = BigEndian(data, 12, 2);
    const std::uint64_t depth = BigEndian(data, 22, 2);
    std::uint64_t at = PsdCompressionAt(data);
    const std::uint64_t compression = BigEndian(data, static_cast<std::size_t>(at), 2);
    at += 2;
    const std::uint64_t planes = std::min<std::uint64_t>(channels, 4);
    if (compression == 0) return at + width * height * planes * depth / 8;
    // A table of row lengths, then at least two bytes for each run of up to
    // 128 samples.
    return at + height * channels * 2 + height * planes * DivideUp(width, 128) * 2;
  }
  if (format == Format::PortableMap) {
    const auto header = ReadPortableMapHeader(data);
    const std::uint64_t channels = data[1] == '6' ? 3 : 1;
    return header->dataStart + width * height * channels * (header->maximum > 255 ? 2 : 1);
  }
  if (format == Format::Gif) return 0;
  // What remains is a TGA: header, identifier, colour map, then the pixels,
  // run-length packets holding up to 128 pixels.
  const std::uint64_t entryBytes = DivideUp(LittleEndian(data, 7, 1), 8);
  const std::uint64_t header = 18 + LittleEndian(data, 0, 1) +
                               (data.size() > 1 && data[1] != 0 ? LittleEndian(data, 5, 2) * entryBytes : 0);
  const std::uint64_t pixelBytes = DivideUp(LittleEndian(data, 16, 1), 8);
  if (data.size() > 2 && data[2] >= 8) return header + DivideUp(width * height, 128) * (1 + pixelBytes);
  return header + width * height * pixelBytes;
}

// This decoder version copies a PNG's first image-data chunk into a buffer
// it has not made yet when that chunk is empty. Empty chunks are legal but
// no encoder starts the data with one; such a file is refused.
bool PngDataStartsEmpty(std::span<const std::uint8_t> data) {
  static constexpr std::uint8_t SIGNATURE[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (data.size() < 8 || !std::equal(SIGNATURE, SIGNATURE + 8, data.begin())) return false;
  for (std::uint64_t at = 8; at + 8 <= data.size();) {
    const std::uint64_t length = BigEndian(data, static_cast<std::size_t>(at), 4);
    if (std::equal(data.begin() + static_cast<std::ptrdiff_t>(at + 4),
                   data.begin() + static_cast<std::ptrdiff_t>(at + 8), "IDAT")) {
      return length == 0;
    }
    at += 12 + length;
  }
  return false;
}

// This decoder version reads the run-length samples of a 16-bit PSD as if
// they had 8 bits, which gives a garbled picture; such a file is refused.
bool IsDeepRunLengthPsd(std::span<const std::uint8_t> data) {
  if (data.size() < 26 || !std::equal(data.begin(), data.begin() + 4, "8BPS")) return false;
  const std::uint64_t at = PsdCompressionAt(data);
  return BigEndian(data, 22, 2) == 16 && at < data.size() &&
         BigEndian(data, static_cast<std::size_t>(at), 2) == 1;
}

// A BMP whose rows run top-down stores its height negated; the decoder's
// header query passes it on unsigned. Such a height is given as it is meant.
int BmpHeight(std::span<const std::uint8_t> data, int height) {
  if (data.size() < 26 || data[0] != 'B' || data[1] != 'M' || LittleEndian(data, 14, 4) == 12) return height;
  const std::int64_t stored = static_cast<std::int32_t>(LittleEndian(data, 22, 4));
  return static_cast<int>(std::min<std::int64_t>(std::abs(stored), std::numeric_limits<int>::max()));
}

// The frames a GIF holds, counted by walking its blocks without decoding
// them, so that the whole animation is known to fit before any frame is
// decoded. The walk stops where the reader would: at the trailer or at a
// block it does not know.
std::uint64_t GifFrameCount(std::span<const std::uint8_t> data) {
  const std::size_t size = data.size();
  if (size < 13) return 0;
  std::size_t at = 13;
  if ((data[10] & 0x80) != 0) at += std::size_t{3} << ((data[10] & 7) + 1);
  auto skipSubBlocks = [&] {
    while (at < size && data[at] != 0) at += 1u + data[at];
    ++at;
  };
  std::uint64_t frames = 0;
  while (at < size) {
    const std::uint8_t block = data[at++];
    if (block == 0x2C) {
      const std::uint8_t flags = at + 8 < size ? data[at + 8] : 0;
      at += 9;
      if ((flags & 0x80) != 0) at += std::size_t{3} << ((flags & 7) + 1);
      ++at;  // the LZW code size
      skipSubBlocks();
      ++frames;
    } else if (block == 0x21) {
      ++at;  // the extension's label
      skipSubBlocks();
    } else {
      break;
    }
  }
  return frames;
}

// Counts blocks the decoder holds for the picture handed back, so that they
// weigh against the budget like the decoder's own.
struct Held {
  DecoderAllowance& allowance;
  std::uint64_t bytes = 0;
  explicit Held(DecoderAllowance& a) : allowance(a) {}
  ~Held() { allowance.inUse -= bytes; }
  Held(const Held&) = delete;
  Held& operator=(const Held&) = delete;
  // False, with nothing changed, when `more` bytes would pass the budget.
  bool Take(std::uint64_t more) {
    if (more > allowance.budget - allowance.inUse) return false;
    bytes += more;
    allowance.inUse += more;
    allowance.peak = std::max(allowance.peak, allowance.inUse);
    return true;
  }
  void Give(std::uint64_t fewer) {
    bytes -= fewer;
    allowance.inUse -= fewer;
  }
};

// Makes room for `more` bytes at the end of the block, counted: while the
// block moves, the old and the new one both count.
bool GrowCounted(std::vector<std::uint8_t>& block, std::size_t more, Held& held) {
  const std::size_t needed = block.size() + more;
  if (needed <= block.capacity()) return true;
  const std::size_t old = block.capacity();
  std::size_t wanted = std::max(needed, old * 2);
  if (!held.Take(wanted)) {
    wanted = needed;
    if (!held.Take(wanted)) return false;
  }
  try {
    block.reserve(wanted);
  } catch (const std::bad_alloc&) {
    held.Give(wanted);
    return false;
  }
  held.Give(old);
  return true;
}

void PutSide(std::uint8_t* at, std::size_t value) {
  at[0] = static_cast<std::uint8_t>(value & 0xFF);
  at[1] = static_cast<std::uint8_t>(value >> 8);
}

// Appends how `frame` differs from `before` (both full canvases, top row
// first) as a change record: the smallest rectangle holding every changed
// pixel, rows bottom-up like the rest of the block.
bool AppendFrameChange(const std::uint8_t* before, const std::uint8_t* frame, std::size_t width,
                       std::size_t height, std::vector<std::uint8_t>& block, Held& held) {
  const std::size_t row = width * 4;
  std::size_t top = 0, bottom = height, left = width, right = 0;
  while (top < height && std::memcmp(before + top * row, frame + top * row, row) == 0) ++top;
  while (bottom > top && std::memcmp(before + (bottom - 1) * row, frame + (bottom - 1) * row, row) == 0)
    --bottom;
  for (std::size_t y = top; y < bottom; ++y) {
    const std::uint8_t* a = before + y * row;
    const std::uint8_t* b = frame + y * row;
    // Compared a pixel's bytes at a time: the canvases are byte buffers
    // with no promise of alignment.
    auto same = [&](std::size_t x) { return std::memcmp(a + x * 4, b + x * 4, 4) == 0; };
    std::size_t x = 0;
    while (x < left && same(x)) ++x;
    left = std::min(left, x);
    x = width;
    while (x > right && same(x - 1)) --x;
    right = std::max(right, x);
  }
  const std::size_t w = top < bottom ? right - left : 0;
  const std::size_t h = top < bottom ? bottom - top : 0;
  if (!GrowCounted(block, FRAME_CHANGE_HEADER + w * h * 4, held)) return false;
  const std::size_t at = block.size();
  block.resize(at + FRAME_CHANGE_HEADER + w * h * 4);
  std::uint8_t* out = block.data() + at;
  PutSide(out, w > 0 ? left : 0);
  PutSide(out + 2, h > 0 ? height - bottom : 0);
  PutSide(out + 4, w);
  PutSide(out + 6, h);
  out += FRAME_CHANGE_HEADER;
  for (std::size_t y = bottom; y > top; --y, out += w * 4)
    std::memcpy(out, frame + (y - 1) * row + left * 4, w * 4);
  return true;
}

// Spreads `count` RGB pixels at the start of `rows` to RGBA, opaque, in
// place: from the last pixel back, so that none is overwritten unread. The
// capacity is already there.
void SpreadToRgba(std::vector<std::uint8_t>& rows, std::size_t count) {
  rows.resize(count * 4);
  std::uint8_t* const at = rows.data();
  for (std::size_t i = count; i-- > 0;) {
    const std::uint8_t r = at[i * 3], g = at[i * 3 + 1], b = at[i * 3 + 2];
    at[i * 4] = r;
    at[i * 4 + 1] = g;
    at[i * 4 + 2] = b;
    at[i * 4 + 3] = 255;
  }
}

// The first frame is kept whole and each later one as its change from the
// frame before (see image_loader.h), so that an animation moving a few
// pixels holds little more than one canvas. Each frame still costs the
// reader passes over the whole canvas, so a GIF whose frames, counted by
// walking its blocks, would not fit the budget as whole canvases is refused
// before any is decoded: that bounds the work as well as the memory. The
// reader needs the frame two back for "restore to previous", so the last
// two frames are kept whole beside the block, counted with the reader's
// canvas buffers (four bytes a pixel for the canvas and its background, one
// for its history).
std::optional<Picture> DecodeGif(stbi__context& context, std::span<const std::uint8_t> data,
                                 DecoderAllowance& allowance) {
  const std::uint64_t width = LittleEndian(data, 6, 2);
  const std::uint64_t height = LittleEndian(data, 8, 2);
  const std::uint64_t frames = std::min<std::uint64_t>(GifFrameCount(data), MAX_FRAMES);
  const std::uint64_t frameBytes = width * height * 4;
  if (frames == 0 || width == 0 || height == 0 ||
      frames * frameBytes + width * height * 9 > allowance.budget - allowance.inUse) {
    return std::nullopt;
  }
  Held held(allowance);
  Picture picture;
  std::vector<std::uint8_t> last, twoBack;
  try {
    if (!held.Take(std::min<std::uint64_t>(frames, 3) * frameBytes)) return std::nullopt;
    picture.pixels.reserve(static_cast<std::size_t>(frameBytes));
    last.resize(frames > 1 ? static_cast<std::size_t>(frameBytes) : 0);
    twoBack.resize(frames > 2 ? static_cast<std::size_t>(frameBytes) : 0);
    picture.frameDelays.reserve(static_cast<std::size_t>(frames));
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }

  auto reader = std::make_unique<GifReader>();
  std::uint64_t decoded = 0;
  int channels = 0;
  const auto row = static_cast<std::size_t>(width) * 4;
  while (decoded < frames) {
    stbi_uc* frame =
        stbi__gif_load_next(&context, &reader->gif, &channels, 4, decoded >= 2 ? twoBack.data() : nullptr);
    if (frame == nullptr || frame == reinterpret_cast<stbi_uc*>(&context)) break;
    // The canvas is the one the header gave; a reader that disagrees has
    // met a damaged file.
    if (static_cast<std::uint64_t>(reader->gif.w) != width ||
        static_cast<std::uint64_t>(reader->gif.h) != height)
      return std::nullopt;
    if (decoded == 0) {
      picture.pixels.resize(static_cast<std::size_t>(frameBytes));
      for (std::size_t y = 0; y < height; ++y)
        std::memcpy(picture.pixels.data() + (height - 1 - y) * row, frame + y * row, row);
    } else if (!AppendFrameChange(last.data(), frame, width, height, picture.pixels, held)) {
      return std::nullopt;
    }
    if (decoded + 1 < frames) {
      if (!twoBack.empty()) last.swap(twoBack);
      std::memcpy(last.data(), frame, static_cast<std::size_t>(frameBytes));
    }
    // This version of the reader keeps delays in milliseconds, read from
    // hundredths of a second, so the division is exact.
    const int hundredths = std::clamp(reader->gif.delay / 10, 0, 0xFFFF);
    picture.frameDelays.push_back(static_cast<std::uint16_t>(std::min(hundredths * 10, 0xFFFF)));
    ++decoded;
  }
  if (decoded == 0) return std::nullopt;
  picture.width = static_cast<std::int32_t>(width);
  picture.height = static_cast<std::int32_t>(height);
  picture.frameCount = static_cast<std::int32_t>(decoded);
  // One frame left of an animation is a still picture.
  if (decoded == 1) picture.frameDelays.clear();
  return picture;
}

// The orientation tag of the first IFD of a TIFF block (EXIF's own
// layout), 1 to 8; 1 (rows as stored) when there is none or it is damaged.
int TiffOrientation(std::span<const std::uint8_t> tiff) {
  const bool little = StartsWith(tiff, {'I', 'I'});
  if (!little && !StartsWith(tiff, {'M', 'M'})) return 1;
  auto read = [&](std::uint64_t at, int bytes) {
    if (at > tiff.size()) return std::uint64_t{0};
    const auto from = static_cast<std::size_t>(at);
    return little ? LittleEndian(tiff, from, bytes) : BigEndian(tiff, from, bytes);
  };
  if (read(2, 2) != 42) return 1;
  const std::uint64_t ifd = read(4, 4);
  const std::uint64_t entries = read(ifd, 2);
  for (std::uint64_t e = 0; e < entries && ifd + 2 + 12 * (e + 1) <= tiff.size(); ++e) {
    const std::uint64_t entry = ifd + 2 + 12 * e;
    constexpr std::uint64_t ORIENTATION = 0x0112, SHORT = 3;
    if (read(entry, 2) == ORIENTATION && read(entry + 2, 2) == SHORT) {
      const std::uint64_t value = read(entry + 8, 2);
      return value >= 1 && value <= 8 ? static_cast<int>(value) : 1;
    }
  }
  return 1;
}

// How the stored rows must be turned or mirrored to show the picture as it
// was meant, as an EXIF orientation: a phone keeps a photo taken upright
// sideways with this tag, and a TGA may store its rows right to left.
int StoredOrientation(std::span<const std::uint8_t> data, Format format) {
  if (format == Format::Tga) return data.size() > 17 && (data[17] & 0x10) != 0 ? 2 : 1;
  if (format != Format::Jpeg) return 1;
  // The EXIF block is an APP1 segment before the first scan.
  std::size_t at = 2;
  while (at + 4 <= data.size() && data[at] == 0xFF) {
    const int marker = data[at + 1];
    if (marker == 0xFF) {
      ++at;
      continue;
    }
    if (marker == 0xDA || marker == 0xD9) break;
    const auto length = static_cast<std::size_t>(BigEndian(data, at + 2, 2));
    if (length < 2) break;
    static constexpr std::uint8_t EXIF[] = {'E', 'x', 'i', 'f', 0, 0};
    const std::size_t payload = at + 4;
    if (marker == 0xE1 && length >= 8 && payload + 6 <= data.size() &&
        std::equal(EXIF, EXIF + 6, data.begin() + static_cast<std::ptrdiff_t>(payload))) {
      const std::size_t tiff = payload + 6;
      return TiffOrientation(data.subspan(tiff, std::min(length - 8, data.size() - tiff)));
    }
    at += 2 + length;
  }
  return 1;
}

// A colour-mapped TGA's pixels index its map from the map's first index on;
// this decoder version takes that index for bytes to skip before the map.
// Such a file is given to it with the map starting at index 0, the entries
// below the first black. Empty when the file needs no change; nothing when
// the map would outgrow its 16-bit length.
std::optional<std::vector<std::uint8_t>> TgaMapFromZero(std::span<const std::uint8_t> data) {
  if (data.size() < 18 || data[1] != 1) return std::vector<std::uint8_t>{};
  const std::uint64_t first = LittleEndian(data, 3, 2);
  const std::uint64_t entries = LittleEndian(data, 5, 2);
  if (first == 0) return std::vector<std::uint8_t>{};
  if (first + entries > 0xFFFF) return std::nullopt;
  const std::size_t mapAt = std::min<std::size_t>(18 + data[0], data.size());
  const std::size_t padding = static_cast<std::size_t>(first * DivideUp(data[7], 8));
  std::vector<std::uint8_t> patched;
  patched.reserve(data.size() + padding);
  patched.insert(patched.end(), data.begin(), data.begin() + static_cast<std::ptrdiff_t>(mapAt));
  patched.insert(patched.end(), padding, 0);
  patched.insert(patched.end(), data.begin() + static_cast<std::ptrdiff_t>(mapAt), data.end());
  const std::uint64_t length = first + entries;
  patched[3] = patched[4] = 0;
  patched[5] = static_cast<std::uint8_t>(length & 0xFF);
  patched[6] = static_cast<std::uint8_t>(length >> 8);
  return patched;
}

// A PPM or PGM sample runs from 0 to the header's maximum value, which is
// shown as full intensity; samples above it are taken as the maximum.
std::uint8_t ScaledSample(std::uint64_t sample, std::uint64_t maximum) {
  return static_cast<std::uint8_t>((std::min(sample, maximum) * 255 + maximum / 2) / maximum);
}

// Lays the decoder's rows (top row first) out bottom-up as the game holds
// them, turned or mirrored by an EXIF orientation on the way. Rows as
// stored are flipped in place; only a turned or mirrored picture is copied.
// `maximum` scales the samples of an 8-bit map (a 16-bit one is handled
// apart).
bool LayOut(std::vector<std::uint8_t>& rows, int width, int height, int orientation, std::uint64_t maximum,
            Picture& picture) {
  const bool turned = orientation >= 5;
  picture.width = turned ? height : width;
  picture.height = turned ? width : height;
  if (orientation == 1) {
    FlipRows(height, width, rows.data());
    picture.pixels = std::move(rows);
  } else {
    const std::uint8_t* source = rows.data();
    const auto shownWidth = static_cast<std::size_t>(picture.width);
    const auto sourceWidth = static_cast<std::size_t>(width);
    try {
      picture.pixels.resize(shownWidth * static_cast<std::size_t>(picture.height) * 4);
    } catch (const std::bad_alloc&) {
      return false;
    }
    // x, y: a pixel of the picture as shown, from its top left.
    for (int y = 0; y < picture.height; ++y) {
      std::uint8_t* out =
          picture.pixels.data() + static_cast<std::size_t>(picture.height - 1 - y) * shownWidth * 4;
      if (orientation == 4) {
        std::memcpy(out, source + static_cast<std::size_t>(height - 1 - y) * sourceWidth * 4,
                    sourceWidth * 4);
        continue;
      }
      for (int x = 0; x < picture.width; ++x) {
        int sx = x, sy = y;
        switch (orientation) {
          case 2: sx = width - 1 - x; break;
          case 3: sx = width - 1 - x, sy = height - 1 - y; break;
          case 5: sx = y, sy = x; break;
          case 6: sx = y, sy = height - 1 - x; break;
          case 7: sx = width - 1 - y, sy = height - 1 - x; break;
          default: sx = width - 1 - y, sy = x; break;
        }
        std::memcpy(out + static_cast<std::size_t>(x) * 4,
                    source + (static_cast<std::size_t>(sy) * sourceWidth + static_cast<std::size_t>(sx)) * 4,
                    4);
      }
    }
  }
  if (maximum != 255) {
    std::array<std::uint8_t, 256> levels{};
    for (std::uint64_t v = 0; v < 256; ++v) levels[v] = ScaledSample(v, maximum);
    for (std::size_t i = 0; i < picture.pixels.size(); ++i) {
      if (i % 4 != 3) picture.pixels[i] = levels[picture.pixels[i]];
    }
  }
  return true;
}

std::optional<Picture> DecodeDeepPortableMap(std::span<const std::uint8_t> data, std::uint64_t pixelCount,
                                             std::uint64_t maximum) {
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
  auto sample = [&](int channel) {
    const std::uint8_t* at = bytes + (channels == 1 ? 0 : 2 * channel);
    return ScaledSample(static_cast<std::uint64_t>(at[0]) << 8 | at[1], maximum);
  };
  Picture picture;
  picture.width = width;
  picture.height = height;
  picture.pixels.resize(pixelCount * 4);
  for (std::uint64_t p = 0; p < pixelCount; ++p, bytes += step) {
    std::uint8_t* rgba = picture.pixels.data() + p * 4;
    rgba[0] = sample(0);
    rgba[1] = sample(1);
    rgba[2] = sample(2);
    rgba[3] = 255;
  }
  FlipRows(height, width, picture.pixels.data());
  return picture;
}

// `owned`, when not empty, holds the bytes `data` shows; it is let go once
// the decoder has read them, before the picture is laid out.
std::optional<Picture> DecodeCounted(std::span<const std::uint8_t> data, std::vector<std::uint8_t> owned,
                                     DecoderAllowance& allowance) {
  if (data.empty() || data.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
    return std::nullopt;
  }
  const Format format = Sniff(data);
  if (format == Format::Tga) {
    auto patched = TgaMapFromZero(data);
    if (!patched) return std::nullopt;
    if (!patched->empty()) {
      owned = std::move(*patched);
      data = owned;
    }
  }
  const int length = static_cast<int>(data.size());
  int width = 0;
  int height = 0;
  int channels = 0;
  std::uint64_t maximum = 255;
  if (format == Format::PortableMap) {
    const auto header = ReadPortableMapHeader(data);
    if (!header || header->maximum == 0) return std::nullopt;
    maximum = header->maximum;
  }
  if (!JpegSegmentsFit(data) || IsDeepRunLengthPsd(data) || PngDataStartsEmpty(data)) return std::nullopt;
  // The header alone tells the size, so an oversized picture, or one the
  // file is too short to hold, is refused before any pixel memory is taken.
  if (!stbi_info_from_memory(data.data(), length, &width, &height, &channels)) return std::nullopt;
  height = BmpHeight(data, height);
  if (width <= 0 || height <= 0 || width > MAX_PICTURE_SIDE || height > MAX_PICTURE_SIDE) return std::nullopt;
  const std::uint64_t pixelCount = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
  // 16-bit pictures are decoded at full depth before being narrowed.
  const std::uint64_t decodeBytes = pixelCount * (stbi_is_16_bit_from_memory(data.data(), length) ? 8 : 4);
  if (decodeBytes > allowance.budget || data.size() < SmallestFileFor(data, static_cast<std::uint64_t>(width),
                                                                      static_cast<std::uint64_t>(height))) {
    return std::nullopt;
  }

  stbi__context context;
  stbi__start_mem(&context, data.data(), length);
  if (stbi__gif_test(&context)) {
    return DecodeGif(context, data, allowance);
  }
  // This decoder version mishandles 16-bit PPM and PGM files: it converts
  // their channels as if they had 8 bits (reading past its buffer) and
  // keeps their big-endian samples unswapped. Such files are taken raw.
  if (stbi__pnm_test(&context) && stbi__pnm_is16(&context))
    return DecodeDeepPortableMap(data, pixelCount, maximum);
  const int orientation = StoredOrientation(data, format);
  // A picture without alpha is decoded three bytes a pixel into the start
  // of its buffer and spread to four in place once the decoder's own blocks
  // are gone, so that the buffer's last quarter is not taken while they are
  // held (a PNG's inflated rows are as large as the picture).
  const int wanted = channels == 3 ? 3 : 4;
  std::vector<std::uint8_t> rows;
  try {
    rows.reserve(static_cast<std::size_t>(pixelCount) * 4);
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
  allowance.lendable = &rows;
  allowance.lendableSize = static_cast<std::size_t>(pixelCount) * static_cast<std::size_t>(wanted);
  StbPixels pixels(stbi_load_from_memory(data.data(), length, &width, &height, &channels, wanted));
  allowance.lendable = nullptr;
  std::vector<std::uint8_t>().swap(owned);
  if (!pixels || width <= 0 || height <= 0 ||
      static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) != pixelCount) {
    return std::nullopt;
  }
  // Where the decoder made its pixels elsewhere, they are copied over.
  if (pixels.get() != rows.data()) {
    try {
      rows.assign(pixels.get(), pixels.get() + allowance.lendableSize);
    } catch (const std::bad_alloc&) {
      return std::nullopt;
    }
  }
  pixels.reset();
  if (wanted == 3) SpreadToRgba(rows, static_cast<std::size_t>(pixelCount));
  Picture picture;
  if (!LayOut(rows, width, height, orientation, maximum, picture)) return std::nullopt;
  return picture;
}

}  // namespace

bool ReadFrameChange(std::span<const std::uint8_t> pixels, std::size_t& at, std::int32_t canvasWidth,
                     std::int32_t canvasHeight, FrameChange& change) {
  if (at > pixels.size() || pixels.size() - at < FRAME_CHANGE_HEADER) return false;
  auto side = [&](std::size_t k) { return static_cast<std::int32_t>(LittleEndian(pixels, at + k, 2)); };
  const FrameChange read{side(0), side(2), side(4), side(6), pixels.data() + at + FRAME_CHANGE_HEADER};
  const std::size_t bytes = static_cast<std::size_t>(read.width) * static_cast<std::size_t>(read.height) * 4;
  if (read.x + read.width > canvasWidth || read.y + read.height > canvasHeight ||
      pixels.size() - at - FRAME_CHANGE_HEADER < bytes) {
    return false;
  }
  change = read;
  at += FRAME_CHANGE_HEADER + bytes;
  return true;
}

bool WalkFrameChanges(std::span<const std::uint8_t> pixels, std::int32_t canvasWidth,
                      std::int32_t canvasHeight, std::int32_t from, std::int32_t to,
                      const std::function<void(const FrameChange&)>& apply) {
  std::size_t at = static_cast<std::size_t>(canvasWidth) * static_cast<std::size_t>(canvasHeight) * 4;
  FrameChange change;
  for (std::int32_t f = 1; f <= to; ++f) {
    if (!ReadFrameChange(pixels, at, canvasWidth, canvasHeight, change)) return false;
    if (f > from) apply(change);
  }
  return true;
}

void FlipRows(std::int32_t height, std::int32_t width, std::uint8_t* frame) {
  const std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
  for (std::int32_t r = 0; r < height / 2; ++r) {
    std::swap_ranges(frame + r * rowBytes, frame + (r + 1) * rowBytes, frame + (height - 1 - r) * rowBytes);
  }
}

namespace {

std::optional<Picture> DecodeWithin(std::span<const std::uint8_t> data, std::vector<std::uint8_t> owned,
                                    std::uint64_t budget, std::uint64_t* peakBytes) {
  DecoderAllowance allowance{budget};
  struct Counting {
    DecoderAllowance* previous;
    explicit Counting(DecoderAllowance& now) : previous(currentAllowance) { currentAllowance = &now; }
    ~Counting() { currentAllowance = previous; }
    Counting(const Counting&) = delete;
    Counting& operator=(const Counting&) = delete;
  } counting(allowance);
  auto picture = DecodeCounted(data, std::move(owned), allowance);
  if (peakBytes != nullptr) *peakBytes = allowance.peak;
  return picture;
}

}  // namespace

std::optional<Picture> DecodePicture(std::span<const std::uint8_t> data, std::uint64_t budget,
                                     std::uint64_t* peakBytes) {
  return DecodeWithin(data, {}, budget, peakBytes);
}

std::optional<Picture> DecodePictureFile(const std::string& path) {
  // A compressed file larger than the budget cannot decode within it.
  auto bytes = ReadWholeFile(path, DECODE_MEMORY_BUDGET);
  if (!bytes) return std::nullopt;
  // The file's bytes go as soon as they are decoded, before the picture is
  // laid out beside the decoder's pixels.
  const std::span<const std::uint8_t> data(*bytes);
  auto picture = DecodeWithin(data, std::move(*bytes), DECODE_MEMORY_BUDGET, nullptr);
  if (!picture) return std::nullopt;
  picture->path = path;
  RememberFileTitle(path, picture->fileTitle);
  return picture;
}

bool PictureOpaque(std::span<const std::uint8_t> pixels, std::int32_t width, std::int32_t height,
                   std::int32_t frameCount) {
  const std::size_t frameBytes =
      static_cast<std::size_t>(std::max(width, 0)) * static_cast<std::size_t>(std::max(height, 0)) * 4;
  if (frameBytes == 0 || pixels.size() < frameBytes) return false;
  auto opaque = [](const std::uint8_t* rgba, std::size_t bytes) {
    for (std::size_t at = 3; at < bytes; at += 4) {
      if (rgba[at] != 255) return false;
    }
    return true;
  };
  bool all = opaque(pixels.data(), frameBytes);
  const bool whole =
      WalkFrameChanges(pixels, width, height, 0, std::max(frameCount, 1) - 1, [&](const FrameChange& change) {
        all = all && opaque(change.rgba, static_cast<std::size_t>(change.width) *
                                             static_cast<std::size_t>(change.height) * 4);
      });
  return all && whole;
}

void TakePictureOver(GameState& state, Picture&& picture) {
  state.imagePath = std::move(picture.path);
  state.fileTitle = std::move(picture.fileTitle);
  state.imageWidth = picture.width;
  state.imageHeight = picture.height;
  state.frameCount = picture.frameCount;
  state.pixels = std::move(picture.pixels);
  state.pictureOpaque = PictureOpaque(state.pixels, state.imageWidth, state.imageHeight, state.frameCount);
  state.frameDelays = std::move(picture.frameDelays);
  state.shownFrame.clear();
  state.shownFrameIndex = -1;
}

}  // namespace puzzle
