#include "storage/image_loader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "storage/paths.h"
#include "storage/picture_writer.h"

namespace puzzle {
namespace {

using namespace testing;

using Rgba = std::array<std::uint8_t, 4>;
constexpr Rgba RED{255, 0, 0, 255};
constexpr Rgba BLUE{0, 0, 255, 255};

// 3 x 2 pixels (or samples), top row first as files store it.
template <typename T = std::uint8_t>
std::vector<T> Rows(const std::vector<T>& top, const std::vector<T>& bottom) {
  std::vector<T> out;
  for (int p = 0; p < 6; ++p)
    out.insert(out.end(), (p < 3 ? top : bottom).begin(), (p < 3 ? top : bottom).end());
  return out;
}

// A PPM or PGM of 3 x 2 with the given maximum value; 16-bit samples (high
// byte first) above 255.
std::vector<std::uint8_t> Map(const char* magic, int maximum, const std::vector<std::uint16_t>& samples) {
  const std::string header = std::string(magic) + "\n3 2\n" + std::to_string(maximum) + "\n";
  std::vector<std::uint8_t> bytes(header.begin(), header.end());
  for (std::uint16_t s : samples) {
    if (maximum > 255) bytes.push_back(std::uint8_t(s >> 8));
    bytes.push_back(std::uint8_t(s));
  }
  return bytes;
}

// An uncompressed TGA of 3 x 2: true colour (BGR), or colour-mapped from
// mapFirst with `map` (BGR entries) when the map is not empty.
std::vector<std::uint8_t> Tga(std::uint8_t descriptor, const std::vector<std::uint8_t>& pixels,
                              std::uint8_t mapFirst = 0, const std::vector<std::uint8_t>& map = {}) {
  const std::uint8_t m = map.empty() ? 0 : 1, entries = static_cast<std::uint8_t>(map.size() / 3);
  std::vector<std::uint8_t> out{
      0, m, std::uint8_t(2 - m),       mapFirst,  0, entries, 0, std::uint8_t(24 * m), 0, 0, 0, 0, 3, 0,
      2, 0, std::uint8_t(24 - 16 * m), descriptor};
  out.insert(out.end(), map.begin(), map.end());
  out.insert(out.end(), pixels.begin(), pixels.end());
  return out;
}

// A JPEG of 64 x 32 in four flat quadrants, red and green on top, blue and
// white below, with an EXIF orientation tag.
std::vector<std::uint8_t> PhonePhoto(int orientation) {
  std::vector<std::uint8_t> rgb;
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 64; ++x) {
      const int quadrant = (y >= 16) * 2 + (x >= 32);
      static constexpr std::uint8_t COLOURS[4][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
      rgb.insert(rgb.end(), COLOURS[quadrant], COLOURS[quadrant] + 3);
    }
  }
  auto jpeg = EncodeWithStb(StbFormat::Jpg, 64, 32, 3, rgb.data());
  const std::vector<std::uint8_t> exif{0xFF, 0xE1, 0, 34, 'E', 'x', 'i', 'f', 0, 0,
                                       'M',  'M',  0, 42, 0,   0,   0,   8,   0, 1,
                                       0x01, 0x12, 0, 3,  0,   0,   0,   1,   0, std::uint8_t(orientation),
                                       0,    0,    0, 0,  0,   0};
  jpeg.insert(jpeg.begin() + 2, exif.begin(), exif.end());
  return jpeg;
}

// A raw RGB PSD of 3 x 2, planes one after the other.
std::vector<std::uint8_t> EncodePsd(const std::vector<std::uint8_t>& rgb) {
  std::vector<std::uint8_t> out{'8', 'B', 'P', 'S', 0, 1, 0, 0, 0, 0, 0, 0, 0,
                                3,   0,   0,   0,   2, 0, 0, 0, 3, 0, 8, 0, 3};
  out.resize(out.size() + 14);  // no colour data, resources or layers; not compressed
  for (std::size_t c = 0; c < 3; ++c) {
    for (std::size_t p = 0; p < 6; ++p) out.push_back(rgb[p * 3 + c]);
  }
  return out;
}

TEST(ImageDecoding, EveryFormatGivesBottomUpRgba) {
  const auto rgb = Rows({255, 0, 0}, {0, 0, 255});
  const auto rgba = Rows({255, 0, 0, 255}, {0, 0, 255, 255});
  const auto grey = Rows({200}, {100});
  const Rgba light{200, 200, 200, 255}, dark{100, 100, 100, 255};
  struct Case {
    const char* name;
    std::vector<std::uint8_t> bytes;
    Rgba top, bottom;
  };
  const Case cases[] = {
      {"png", EncodeWithStb(StbFormat::Png, 3, 2, 3, rgb.data()), RED, BLUE},
      {"png with alpha", EncodeWithStb(StbFormat::Png, 3, 2, 4, rgba.data()), RED, BLUE},
      {"grey png", EncodeWithStb(StbFormat::Png, 3, 2, 1, grey.data()), light, dark},
      {"bmp", EncodeWithStb(StbFormat::Bmp, 3, 2, 3, rgb.data()), RED, BLUE},
      {"tga", EncodeWithStb(StbFormat::Tga, 3, 2, 3, rgb.data()), RED, BLUE},
      {"ppm", EncodePnm(3, 2, 3, rgb.data()), RED, BLUE},
      {"pgm", EncodePnm(3, 2, 1, grey.data()), light, dark},
      {"psd", EncodePsd(rgb), RED, BLUE},
      {"single-frame gif", EncodeGif(3, 2, {{255, 0, 0}, {0, 0, 255}}, {GifFrame{{0, 0, 0, 1, 1, 1}, 0}}),
       RED, BLUE},
  };
  for (const auto& [name, bytes, top, bottom] : cases) {
    SCOPED_TRACE(name);
    const auto picture = DecodePicture(bytes);
    ASSERT_TRUE(picture);
    EXPECT_EQ(std::tuple(picture->width, picture->height, picture->frameCount, picture->frameDelays.size()),
              std::tuple(3, 2, 1, 0u));
    EXPECT_EQ(picture->pixels,
              Rows({bottom.begin(), bottom.end()}, {top.begin(), top.end()}));  // no delay bytes
  }
}

// Corners as shown, from the top left: top left, top right, bottom left,
// bottom right.
using Corners = std::array<Rgba, 4>;

TEST(ImageDecoding, PicturesStandAndShowAsTheirFilesMeanThem) {
  constexpr Rgba R{255, 0, 0, 255}, G{0, 255, 0, 255}, B{0, 0, 255, 255}, W{255, 255, 255, 255},
      K{0, 0, 0, 255}, ORANGE{255, 119, 0, 255}, GREY{128, 128, 128, 255}, NEAR_RED{255, 1, 0, 255},
      LIGHT{254, 254, 254, 255}, DARK{17, 17, 17, 255};
  const std::vector<std::uint8_t> bgr{0, 0, 255, 0,   255, 0,   255, 0, 0,   // red green blue
                                      0, 0, 0,   255, 255, 255, 0,   0, 0};  // black white black
  struct Case {
    const char* name;
    std::vector<std::uint8_t> bytes;
    Corners corners;
    int width = 3, height = 2, tolerance = 0;
  };
  const Case cases[] = {
      {"pgm of maximum 1", Map("P5", 1, {1, 0, 0, 0, 0, 1}), {W, K, K, W}},
      {"ppm of maximum 15",
       Map("P6", 15, Rows<std::uint16_t>({15, 7, 0}, {0, 0, 20})),
       {ORANGE, ORANGE, B, B}},
      {"pgm of maximum 256", Map("P5", 256, {256, 0, 0, 128, 0, 0}), {W, K, GREY, K}},
      // High byte first, and every bit of it counts.
      {"16-bit ppm",
       Map("P6", 65535, Rows<std::uint16_t>({0xFFFF, 0x00FF, 0}, {0, 0, 0xFFFF})),
       {NEAR_RED, NEAR_RED, B, B}},
      {"16-bit pgm", Map("P5", 65535, Rows<std::uint16_t>({0xFF00}, {0x10FF})), {LIGHT, LIGHT, DARK, DARK}},
      {"tga from the top", Tga(0x20, bgr), {R, B, K, K}},
      {"tga from the bottom", Tga(0x00, bgr), {K, K, R, B}},
      {"tga from the top, right to left", Tga(0x30, bgr), {B, R, K, K}},
      {"tga from the bottom, right to left", Tga(0x10, bgr), {K, K, B, R}},
      {"tga whose map starts at 10",
       Tga(0x20, {10, 11, 11, 11, 11, 10}, 10, {0, 0, 255, 255, 0, 0}),
       {R, B, B, R}},
      {"jpeg 1", PhonePhoto(1), {R, G, B, W}, 64, 32, 48},
      {"jpeg 2: mirrored", PhonePhoto(2), {G, R, W, B}, 64, 32, 48},
      {"jpeg 3: upside down", PhonePhoto(3), {W, B, G, R}, 64, 32, 48},
      {"jpeg 4: flipped", PhonePhoto(4), {B, W, R, G}, 64, 32, 48},
      {"jpeg 5: transposed", PhonePhoto(5), {R, B, G, W}, 32, 64, 48},
      {"jpeg 6: turned right", PhonePhoto(6), {B, R, W, G}, 32, 64, 48},
      {"jpeg 7: transversed", PhonePhoto(7), {W, G, B, R}, 32, 64, 48},
      {"jpeg 8: turned left", PhonePhoto(8), {G, W, R, B}, 32, 64, 48},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto picture = DecodePicture(c.bytes);
    ASSERT_TRUE(picture);
    ASSERT_EQ(std::pair(picture->width, picture->height), std::pair(c.width, c.height));
    const int w = c.width, h = c.height;
    // Rows are held bottom-up.
    const std::pair<int, int> at[] = {{0, h - 1}, {w - 1, h - 1}, {0, 0}, {w - 1, 0}};
    for (int k = 0; k < 4; ++k) {
      const std::uint8_t* pixel = picture->pixels.data() + (at[k].second * w + at[k].first) * 4;
      for (int i = 0; i < 4; ++i) EXPECT_NEAR(pixel[i], c.corners[k][i], c.tolerance) << "corner " << k;
    }
  }
  EXPECT_FALSE(DecodePicture(Map("P5", 0, {0, 0, 0, 0, 0, 0})));
}

// The decoder would write past its Huffman table for a DHT segment whose
// code counts exceed 256; such a file is refused before it gets there.
TEST(ImageDecoding, JpegIsDecodedUnlessAHuffmanTableOverflows) {
  const std::vector<std::uint8_t> rgb(16 * 16 * 3, 90);
  const auto jpeg = EncodeWithStb(StbFormat::Jpg, 16, 16, 3, rgb.data());
  const auto picture = DecodePicture(jpeg);
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->pixels.size(), 16u * 16 * 4);

  // An APP segment whose payload looks like a bad DHT marker is only payload.
  std::vector<std::uint8_t> withComment(jpeg.begin(), jpeg.begin() + 2);
  withComment.insert(withComment.end(), {0xFF, 0xE5, 0x00, 0x16, 0xFF, 0xC4, 0x00, 0x20, 0x00});
  withComment.insert(withComment.end(), 15, 0xFF);
  withComment.insert(withComment.end(), jpeg.begin() + 2, jpeg.end());
  EXPECT_TRUE(DecodePicture(withComment));

  // Counts of the first table: 255 codes of length 16 on top of its own.
  auto hostile = jpeg;
  const std::uint8_t dhtMarker[] = {0xFF, 0xC4};
  const auto dht = std::search(hostile.begin() + 2, hostile.end(), dhtMarker, dhtMarker + 2);
  ASSERT_NE(dht, hostile.end());
  dht[5 + 15] = 255;
  EXPECT_FALSE(DecodePicture(hostile));
}

TEST(ImageDecoding, AnimatedGifKeepsItsFirstFrameAndEachChangeWithItsDelays) {
  // Frame f has its top row in palette colour f + 1 and the rest in 0.
  std::vector<GifFrame> frames;
  for (int delay : {5, 10, 300}) {
    frames.push_back({std::vector<std::uint8_t>(100, 0), static_cast<std::uint16_t>(delay)});
    std::fill_n(frames.back().indices.begin(), 10, static_cast<std::uint8_t>(frames.size()));
  }
  const auto picture =
      DecodePicture(EncodeGif(10, 10, {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}}, frames));
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->frameCount, 3);
  EXPECT_EQ(picture->frameDelays, (std::vector<std::uint16_t>{50, 100, 3000}));
  // The first frame whole and flipped: its top row is its last 40 bytes.
  ASSERT_EQ(picture->pixels.size(), 400u + 2 * (FRAME_CHANGE_HEADER + 40));
  EXPECT_EQ(std::vector<int>(picture->pixels.begin() + 360, picture->pixels.begin() + 364),
            (std::vector<int>{255, 0, 0, 255}));
  // Each later frame changes the top row alone.
  std::size_t at = 400;
  for (std::uint8_t f = 1; f < 3; ++f) {
    FrameChange change;
    ASSERT_TRUE(ReadFrameChange(picture->pixels, at, 10, 10, change));
    EXPECT_EQ(std::tuple(change.x, change.y, change.width, change.height), std::tuple(0, 9, 10, 1));
    EXPECT_EQ(std::vector<int>(change.rgba, change.rgba + 4),
              (std::vector<int>{0, f == 1 ? 255 : 0, f == 2 ? 255 : 0, 255}));
  }
  EXPECT_EQ(at, picture->pixels.size());
  // A record cut short or leaving the canvas is refused, and not passed.
  FrameChange change;
  at = 400;
  EXPECT_FALSE(ReadFrameChange(std::span(picture->pixels).first(447), at, 10, 10, change));
  EXPECT_FALSE(ReadFrameChange(picture->pixels, at, 10, 9, change));
  EXPECT_EQ(at, 400u);
}

TEST(ImageDecoding, AnimationKeepsTheFrameLimitAndClampsLongDelaysInMillisecondsOnly) {
  const GifFrame slow{std::vector<std::uint8_t>(4, 0), 7000};
  const auto clamped = DecodePicture(EncodeGif(2, 2, {{1, 2, 3}}, {slow, slow}));
  ASSERT_TRUE(clamped);
  EXPECT_EQ(clamped->frameDelays, (std::vector<std::uint16_t>{65535, 65535}));

  const std::vector<GifFrame> frames(static_cast<std::size_t>(MAX_FRAMES) + 5, GifFrame{{0}, 1});
  const auto picture = DecodePicture(EncodeGif(1, 1, {{9, 9, 9}}, frames));
  ASSERT_TRUE(picture);
  const auto most = static_cast<std::size_t>(MAX_FRAMES);
  EXPECT_EQ(std::tuple(picture->frameCount, picture->pixels.size(), picture->frameDelays.size()),
            std::tuple(MAX_FRAMES, 4 + (most - 1) * FRAME_CHANGE_HEADER, most));
}

TEST(ImageDecoding, PicturesBeyondTheBudgetOrDamagedAreRefused) {
  // The budget bounds everything the decoder holds at once.
  const std::vector<std::uint8_t> grey(64 * 64, 7);
  const auto png = EncodeWithStb(StbFormat::Png, 64, 64, 1, grey.data());
  std::uint64_t peak = 0;
  ASSERT_TRUE(DecodePicture(png, DECODE_MEMORY_BUDGET, &peak));
  EXPECT_GE(peak, 64u * 64 * 4);
  EXPECT_TRUE(DecodePicture(png, peak));
  EXPECT_FALSE(DecodePicture(png, peak - 1));

  // An animation is refused before any frame is decoded unless its frames
  // would fit as whole canvases with the reader's: each costs passes over
  // the canvas. What it holds is its first frame and the changes.
  const auto gif =
      EncodeGif(8, 8, {{1, 1, 1}}, std::vector(2000, GifFrame{std::vector<std::uint8_t>(64, 0), 1}));
  constexpr std::uint64_t WORK = 2000 * 256 + 8 * 8 * 9;
  ASSERT_TRUE(DecodePicture(gif, WORK, &peak));
  EXPECT_LT(peak, 2000u * 256 / 8);
  EXPECT_FALSE(DecodePicture(gif, WORK - 1, &peak));
  EXPECT_LT(peak, 2000u * 256 / 8);  // the header read, no frame

  // A header that claims a huge picture with no data behind it.
  auto huge = EncodeWithStb(StbFormat::Bmp, 2, 2, 3, grey.data());
  huge[18] = 0x40, huge[19] = 0x9C;  // width 40000
  EXPECT_FALSE(DecodePicture(huge));
  // A header number beyond the integer range, which would wrap to 3.
  const std::string wraps = "P6\n4294967299 2\n255\n" + std::string(18, 'x');
  EXPECT_FALSE(DecodePicture(std::vector<std::uint8_t>(wraps.begin(), wraps.end())));
  EXPECT_FALSE(DecodePicture({}));
  EXPECT_FALSE(DecodePicture(std::vector<std::uint8_t>(100, 0xAB)));
  EXPECT_FALSE(DecodePicture(std::span(png).first(png.size() / 2)));
  EXPECT_FALSE(DecodePicture(std::span(gif).first(20)));
  // Image data that starts with an empty chunk.
  auto emptyData = png;
  const std::uint8_t idat[] = {'I', 'D', 'A', 'T'};
  const auto chunk = std::search(emptyData.begin(), emptyData.end(), idat, idat + 4);
  ASSERT_NE(chunk, emptyData.end());
  const std::uint8_t empty[] = {0, 0, 0, 0, 'I', 'D', 'A', 'T', 0, 0, 0, 0};
  emptyData.insert(chunk - 4, empty, empty + 12);
  EXPECT_FALSE(DecodePicture(emptyData));
}

std::vector<std::uint8_t> Bytes(const std::string& text) {
  return {text.begin(), text.end()};
}

void PutLittle(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value, int count) {
  for (int i = 0; i < count; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

void PutBig(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value, int count) {
  for (int i = 0; i < count; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * (count - 1 - i)));
}

// A grey JPEG whose every block is flat: with one-bit codes for "no
// difference" and "end of block", zero bytes are valid scan data.
std::vector<std::uint8_t> FlatJpeg(int width, int height, bool progressive, int scans,
                                   std::size_t scanBytes) {
  std::vector<std::uint8_t> out{0xFF, 0xD8, 0xFF, 0xDB, 0, 67, 0};
  out.insert(out.end(), 64, 1);
  out.insert(out.end(), {0xFF, std::uint8_t(progressive ? 0xC2 : 0xC0), 0, 11, 8, 0, 0, 0, 0, 1, 1, 0x11, 0});
  PutBig(out, out.size() - 8, static_cast<std::uint32_t>(height), 2);
  PutBig(out, out.size() - 6, static_cast<std::uint32_t>(width), 2);
  for (int table : {0x00, 0x10}) {
    out.insert(out.end(), {0xFF, 0xC4, 0, 20, std::uint8_t(table), 1});
    out.insert(out.end(), 16, 0);
  }
  for (int s = 0; s < scans; ++s) {
    out.insert(out.end(), {0xFF, 0xDA, 0, 8, 1, 1, 0, 0, std::uint8_t(progressive ? 0 : 63), 0});
    out.insert(out.end(), scanBytes, 0);
  }
  out.insert(out.end(), {0xFF, 0xD9});
  return out;
}

// Headers that claim 16384 x 16384 with (almost) nothing behind them, and
// files cut short: each is refused before the decoder allocates the picture.
TEST(HostilePictures, FilesTooShortForTheirClaimAreRefusedBeforeAnyPixelMemory) {
  constexpr std::uint32_t SIDE = 16384;
  std::vector<std::uint8_t> tga(18, 0);
  tga[2] = 2, tga[16] = 32;
  PutLittle(tga, 12, SIDE, 2), PutLittle(tga, 14, SIDE, 2);
  std::vector<std::uint8_t> bmp(54, 0);
  bmp[0] = 'B', bmp[1] = 'M', bmp[10] = 54, bmp[14] = 40, bmp[26] = 1, bmp[28] = 24;
  PutLittle(bmp, 18, SIDE, 4), PutLittle(bmp, 22, SIDE, 4);
  std::vector<std::uint8_t> psd = Bytes("8BPS");
  psd.resize(40);
  psd[5] = 1, psd[13] = 3, psd[23] = 8, psd[25] = 3;
  PutBig(psd, 14, SIDE, 4), PutBig(psd, 18, SIDE, 4);

  const std::vector<std::uint8_t> rgb(5 * 4 * 3, 77);
  auto flatTga = tga;  // not run-length coded
  PutLittle(flatTga, 12, 5, 2), PutLittle(flatTga, 14, 4, 2);
  flatTga[16] = 24;
  flatTga.insert(flatTga.end(), rgb.begin(), rgb.end());
  auto cut = [](std::vector<std::uint8_t> bytes) {
    bytes.pop_back();
    return bytes;
  };
  struct Case {
    const char* name;
    std::vector<std::uint8_t> bytes;
  };
  const Case cases[] = {
      {"tga", tga},
      {"ppm", Bytes("P6\n16384 16384\n255\n")},
      {"16-bit pgm", Bytes("P5 16384 16384 65535 " + std::string(1 << 20, '\0'))},
      {"psd", psd},
      {"bmp", bmp},
      {"jpeg", FlatJpeg(16000, 16000, false, 1, 8000)},
      {"progressive jpeg", FlatJpeg(16000, 16000, true, 1, 8000)},
      {"cut ppm", cut(EncodePnm(5, 4, 3, rgb.data()))},
      {"cut pgm", cut(EncodePnm(5, 4, 1, rgb.data()))},
      {"cut tga", cut(flatTga)},
      {"cut psd", cut(EncodePsd(Rows({1, 2, 3}, {4, 5, 6})))},
      {"cut bmp", cut(cut(cut(cut(EncodeWithStb(StbFormat::Bmp, 5, 4, 3, rgb.data())))))},
  };
  for (const auto& [name, bytes] : cases) {
    SCOPED_TRACE(name);
    std::uint64_t peak = 0;
    EXPECT_FALSE(DecodePicture(bytes, DECODE_MEMORY_BUDGET, &peak));
    EXPECT_LT(peak, 64u << 10);  // at most the decoder's header state
  }
  // The files they were cut from are whole.
  EXPECT_TRUE(DecodePicture(EncodePnm(5, 4, 3, rgb.data())));
  EXPECT_TRUE(DecodePicture(flatTga));
  EXPECT_TRUE(DecodePicture(FlatJpeg(16, 16, true, 1, 4)));
}

TEST(HostilePictures, ExpansionAndScanBombsStayWithinTheirBounds) {
  // Compressed data that inflates far beyond the 32 x 32 its header says.
  const std::vector<std::uint8_t> zeros(2048 * 2048, 0);
  auto png = EncodeWithStb(StbFormat::Png, 2048, 2048, 1, zeros.data());
  PutBig(png, 16, 32, 4), PutBig(png, 20, 32, 4);
  constexpr std::uint64_t BUDGET = 1 << 20;
  std::uint64_t peak = 0;
  EXPECT_FALSE(DecodePicture(png, BUDGET, &peak));
  EXPECT_LE(peak, BUDGET);
  EXPECT_GT(peak, BUDGET / 2);  // it did run into the budget

  // A large claim the file is long enough for still meets the budget.
  EXPECT_FALSE(DecodePicture(FlatJpeg(4096, 4096, false, 1, 40000), 16 << 20, &peak));
  EXPECT_LE(peak, 16u << 20);

  // Each scan is a pass over the picture: one more than encoders write is refused.
  EXPECT_TRUE(DecodePicture(FlatJpeg(64, 64, true, MAX_JPEG_SCANS, 8)));
  EXPECT_FALSE(DecodePicture(FlatJpeg(64, 64, true, MAX_JPEG_SCANS + 1, 8)));
}

TEST(HostilePictures, TopDownBmpOpensAndDeepRunLengthPsdIsRefused) {
  const auto rgb = Rows({255, 0, 0}, {0, 0, 255});
  auto bmp = EncodeWithStb(StbFormat::Bmp, 3, 2, 3, rgb.data());
  // Negated height, rows swapped into top-down order (12 bytes a row).
  PutLittle(bmp, 22, static_cast<std::uint32_t>(-2), 4);
  const std::size_t rows = bmp.size() - 24;
  std::swap_ranges(bmp.begin() + static_cast<std::ptrdiff_t>(rows),
                   bmp.begin() + static_cast<std::ptrdiff_t>(rows + 12),
                   bmp.begin() + static_cast<std::ptrdiff_t>(rows + 12));
  const auto picture = DecodePicture(bmp);
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->pixels, Rows({0, 0, 255, 255}, {255, 0, 0, 255}));

  // 16-bit samples, run-length coded: two-byte runs of each row's samples.
  std::vector<std::uint8_t> psd = EncodePsd(rgb);
  psd.resize(40);
  psd[23] = 16, psd[39] = 1;
  psd.insert(psd.end(), 3 * 2 * 2, 0);
  for (int r = 0; r < 3 * 2; ++r) psd[40 + 2 * r + 1] = 7;
  for (int r = 0; r < 3 * 2; ++r) psd.insert(psd.end(), {5, 0xFF, 0, 0xFF, 0, 0xFF, 0});
  EXPECT_FALSE(DecodePicture(psd));
  psd[23] = 8;  // the same runs read as 8-bit samples make a picture
  EXPECT_TRUE(DecodePicture(psd));
}

// Taking a chosen picture over, with its folder and name, is the game's
// Load New Image; what it rests on is checked here.
TEST(PicturePaths, WithoutASeparatorTheFolderIsKeptAndTheRootStaysUsable) {
  std::string folder = "kept";
  std::string title;
  RememberDirectory("cat.png", folder);
  RememberFileTitle("cat.png", title);
  EXPECT_EQ(std::tie(folder, title), std::tuple("kept", "cat.png"));
  RememberDirectory("/cat.png", folder);
  EXPECT_EQ(folder, "/");
}

// A moved picture is looked for by its name in the game file's folder,
// whichever system's separators its stored path has.
TEST(PicturePaths, AMovedPictureIsLookedForBesideTheGameFile) {
  const std::array<std::array<const char*, 3>, 4> cases{{
      {"/home/me/games/a.pzz", "/old/pictures/cat.png", "/home/me/games/cat.png"},
      {"/home/me/games/a.pzz", "C:\\Pictures\\cat.png", "/home/me/games/cat.png"},
      {"a.pzz", "/old/cat.png", "cat.png"},
      {"/a.pzz", "cat.png", "/cat.png"},
  }};
  for (const auto& [game, picture, expected] : cases)
    EXPECT_EQ(PictureBesideGameFile(game, picture), expected) << picture;
}

}  // namespace
}  // namespace puzzle
