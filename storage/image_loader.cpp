#include "storage/image_loader.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>

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
};
thread_local DecoderAllowance* currentAllowance = nullptr;

// Each block carries its size in front, so that freeing gives it back.
constexpr std::size_t BLOCK_HEADER = alignof(std::max_align_t);

void* DecoderAllocate(std::size_t size) {
  DecoderAllowance* allowance = currentAllowance;
  if (allowance == nullptr || size > allowance->budget - allowance->inUse) return nullptr;
  // Zeroed, so that a pixel the decoder never writes is black, never what
  // the heap held before.
  auto* block = static_cast<unsigned char*>(std::calloc(1, BLOCK_HEADER + size));
  if (block == nullptr) return nullptr;
  std::memcpy(block, &size, sizeof size);
  allowance->inUse += size;
  allowance->peak = std::max(allowance->peak, allowance->inUse);
  return block + BLOCK_HEADER;
}

void DecoderFree(void* pointer) {
  if (pointer == nullptr) return;
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
  std::size_t oldSize = 0;
  std::memcpy(&oldSize, static_cast<unsigned char*>(pointer) - BLOCK_HEADER, sizeof oldSize);
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
std::optional<Picture> DecodeGif(stbi__context& context, const DecoderAllowance& allowance) {
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
    // The frames kept so far count with the reader's own buffers.
    if (allowance.inUse + (frames.size() + 1) * (frameBytes + 2) > allowance.budget) return std::nullopt;
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
std::uint64_t SmallestFileFor(std::span<const std::uint8_t> data, std::uint64_t width, std::uint64_t height) {
  const std::size_t size = data.size();
  auto starts = [&](std::initializer_list<std::uint8_t> magic) {
    return size >= magic.size() && std::equal(magic.begin(), magic.end(), data.begin());
  };
  if (starts({0x89, 'P', 'N', 'G'})) {
    // Deflate expands a stream by at most 1032 times.
    static constexpr std::uint64_t CHANNELS[] = {1, 0, 3, 1, 2, 0, 4};
    const std::uint64_t type = data.size() > 25 ? data[25] : 0;
    const std::uint64_t bits = (type < 7 ? CHANNELS[type] : 1) * (data.size() > 24 ? data[24] : 1);
    return height * (1 + DivideUp(width * bits, 8)) / 1032;
  }
  if (starts({0xFF, 0xD8})) {
    // At least one Huffman-coded bit for each 8 x 8 block of the first
    // component, even in a progressive file (the first DC scan).
    return DivideUp(DivideUp(width, 8) * DivideUp(height, 8), 8);
  }
  if (starts({'B', 'M'})) {
    const std::uint64_t headerSize = LittleEndian(data, 14, 4);
    const std::uint64_t bits = LittleEndian(data, headerSize == 12 ? 24 : 28, 2);
    const std::uint64_t rowBytes = DivideUp(width * bits, 32) * 4;
    // The last row's padding may be missing.
    return 14 + headerSize + rowBytes * (height - 1) + DivideUp(width * bits, 8);
  }
  if (starts({'8', 'B', 'P', 'S'})) {
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
  if (IsPortableMap(data)) {
    const auto header = ReadPortableMapHeader(data);
    const std::uint64_t channels = data[1] == '6' ? 3 : 1;
    return header->dataStart + width * height * channels * (header->maximum > 255 ? 2 : 1);
  }
  if (starts({'G', 'I', 'F'})) return 0;
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

std::optional<Picture> DecodeCounted(std::span<const std::uint8_t> data, DecoderAllowance& allowance) {
  if (data.empty() || data.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
    return std::nullopt;
  }
  const int length = static_cast<int>(data.size());
  int width = 0;
  int height = 0;
  int channels = 0;
  if (!JpegSegmentsFit(data) || (IsPortableMap(data) && !ReadPortableMapHeader(data)) ||
      IsDeepRunLengthPsd(data) || PngDataStartsEmpty(data)) {
    return std::nullopt;
  }
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
  std::optional<Picture> picture;
  if (stbi__gif_test(&context)) {
    picture = DecodeGif(context, allowance);
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

}  // namespace

void FlipRows(std::int32_t height, std::int32_t width, std::uint8_t* frame) {
  const std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
  for (std::int32_t r = 0; r < height / 2; ++r) {
    std::swap_ranges(frame + r * rowBytes, frame + (r + 1) * rowBytes, frame + (height - 1 - r) * rowBytes);
  }
}

std::optional<Picture> DecodePicture(std::span<const std::uint8_t> data, std::uint64_t budget,
                                     std::uint64_t* peakBytes) {
  DecoderAllowance allowance{budget};
  struct Counting {
    DecoderAllowance* previous;
    explicit Counting(DecoderAllowance& now) : previous(currentAllowance) { currentAllowance = &now; }
    ~Counting() { currentAllowance = previous; }
    Counting(const Counting&) = delete;
    Counting& operator=(const Counting&) = delete;
  } counting(allowance);
  auto picture = DecodeCounted(data, allowance);
  if (peakBytes != nullptr) *peakBytes = allowance.peak;
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
