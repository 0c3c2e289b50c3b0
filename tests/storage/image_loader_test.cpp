#include "storage/image_loader.h"

#include <gtest/gtest.h>

#include "game/texts.h"
#include "storage/paths.h"
#include "support/picture_files.h"
#include "support/scripted_platform.h"
#include "support/temp_folder.h"

namespace puzzle {
namespace {

using testing::EncodeGif;
using testing::EncodePnm;
using testing::EncodeWithStb;
using testing::GifFrame;
using testing::StbFormat;

constexpr std::uint8_t RED[4] = {255, 0, 0, 255};
constexpr std::uint8_t BLUE[4] = {0, 0, 255, 255};

void ExpectPixel(const std::vector<std::uint8_t>& pixels, std::size_t at, const std::uint8_t (&rgba)[4]) {
  for (int c = 0; c < 4; ++c) EXPECT_EQ(pixels[at + c], rgba[c]) << "byte " << at + c;
}

// 3 x 2, red on top, blue below, top row first as files store it.
std::vector<std::uint8_t> RedOverBlue(int channels) {
  std::vector<std::uint8_t> rgb;
  for (const auto* colour : {RED, RED, RED, BLUE, BLUE, BLUE})
    rgb.insert(rgb.end(), colour, colour + channels);
  return rgb;
}

// A raw RGB PSD, planes one after the other.
std::vector<std::uint8_t> EncodePsd(int width, int height, const std::vector<std::uint8_t>& rgb) {
  std::vector<std::uint8_t> out{'8', 'B', 'P', 'S', 0, 1, 0, 0, 0, 0, 0, 0, 0, 3};
  auto put32 = [&out](int value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
  };
  put32(height);
  put32(width);
  out.insert(out.end(), {0, 8, 0, 3});
  put32(0);
  put32(0);
  put32(0);
  out.insert(out.end(), {0, 0});
  for (int c = 0; c < 3; ++c) {
    for (int p = 0; p < width * height; ++p) out.push_back(rgb[static_cast<std::size_t>(p * 3 + c)]);
  }
  return out;
}

TEST(ImageDecoding, EveryLosslessFormatGivesBottomUpRgba) {
  const auto rgb = RedOverBlue(3);
  const auto rgba = RedOverBlue(4);
  const std::vector<std::pair<const char*, std::vector<std::uint8_t>>> files = {
      {"png", EncodeWithStb(StbFormat::Png, 3, 2, 3, rgb.data())},
      {"png with alpha", EncodeWithStb(StbFormat::Png, 3, 2, 4, rgba.data())},
      {"bmp", EncodeWithStb(StbFormat::Bmp, 3, 2, 3, rgb.data())},
      {"tga", EncodeWithStb(StbFormat::Tga, 3, 2, 3, rgb.data())},
      {"ppm", EncodePnm(3, 2, 3, rgb.data())},
      {"psd", EncodePsd(3, 2, rgb)},
      {"gif", EncodeGif(3, 2, {{255, 0, 0}, {0, 0, 255}}, {GifFrame{{0, 0, 0, 1, 1, 1}, 0}})},
  };
  for (const auto& [name, bytes] : files) {
    SCOPED_TRACE(name);
    const auto picture = DecodePicture(bytes);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->width, 3);
    EXPECT_EQ(picture->height, 2);
    EXPECT_EQ(picture->frameCount, 1);
    EXPECT_TRUE(picture->frameDelays.empty());
    ASSERT_EQ(picture->pixels.size(), 24u);
    for (std::size_t p = 0; p < 3; ++p) ExpectPixel(picture->pixels, p * 4, BLUE);
    for (std::size_t p = 3; p < 6; ++p) ExpectPixel(picture->pixels, p * 4, RED);
  }
}

TEST(ImageDecoding, GreyPicturesAreExpandedToOpaqueRgba) {
  const std::vector<std::uint8_t> grey{10, 20, 30, 40, 50, 60};
  for (const auto& bytes :
       {EncodeWithStb(StbFormat::Png, 3, 2, 1, grey.data()), EncodePnm(3, 2, 1, grey.data())}) {
    const auto picture = DecodePicture(bytes);
    ASSERT_TRUE(picture);
    ASSERT_EQ(picture->pixels.size(), 24u);
    // Bottom row (40, 50, 60) comes first.
    const std::uint8_t expected[6] = {40, 50, 60, 10, 20, 30};
    for (std::size_t p = 0; p < 6; ++p) {
      EXPECT_EQ(picture->pixels[p * 4], expected[p]);
      EXPECT_EQ(picture->pixels[p * 4 + 1], expected[p]);
      EXPECT_EQ(picture->pixels[p * 4 + 2], expected[p]);
      EXPECT_EQ(picture->pixels[p * 4 + 3], 255);
    }
  }
}

// Deep PPM and PGM files are narrowed to 8 bits; the decoder's own channel
// conversion of these reads past its buffer.
TEST(ImageDecoding, SixteenBitPortableMapsAreNarrowed) {
  auto deep = [](const char* magic, int channels, const std::vector<std::uint16_t>& samples) {
    std::string header = std::string(magic) + "\n3 2\n65535\n";
    std::vector<std::uint8_t> bytes(header.begin(), header.end());
    for (std::uint16_t sample : samples) {
      bytes.push_back(static_cast<std::uint8_t>(sample >> 8));
      bytes.push_back(static_cast<std::uint8_t>(sample & 0xFF));
    }
    EXPECT_EQ(samples.size(), static_cast<std::size_t>(3 * 2 * channels));
    return bytes;
  };
  std::vector<std::uint16_t> rgb;
  constexpr std::uint16_t FULL = 0xFFFF;
  constexpr std::uint16_t NONE = 0;
  for (int p = 0; p < 6; ++p) rgb.insert(rgb.end(), {p < 3 ? FULL : NONE, NONE, p < 3 ? NONE : FULL});
  const auto colour = DecodePicture(deep("P6", 3, rgb));
  ASSERT_TRUE(colour);
  ASSERT_EQ(colour->pixels.size(), 24u);
  ExpectPixel(colour->pixels, 0, BLUE);
  ExpectPixel(colour->pixels, 20, RED);

  const auto grey = DecodePicture(deep("P5", 1, {0x1000, 0x2000, 0x3000, 0xFFFF, 0x8000, 0}));
  ASSERT_TRUE(grey);
  ASSERT_EQ(grey->pixels.size(), 24u);
  const std::uint8_t bottomLeft[4] = {255, 255, 255, 255};
  ExpectPixel(grey->pixels, 0, bottomLeft);
  EXPECT_EQ(grey->pixels[12], 0x10);
  EXPECT_EQ(grey->pixels[15], 255);
}

TEST(ImageDecoding, JpegIsDecodedAndFlipped) {
  std::vector<std::uint8_t> rgb;
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      const auto* colour = y < 8 ? RED : BLUE;
      rgb.insert(rgb.end(), colour, colour + 3);
    }
  }
  const auto picture = DecodePicture(EncodeWithStb(StbFormat::Jpg, 16, 16, 3, rgb.data()));
  ASSERT_TRUE(picture);
  ASSERT_EQ(picture->pixels.size(), 16u * 16 * 4);
  EXPECT_GT(picture->pixels[2], 200);            // first row is the blue bottom
  EXPECT_GT(picture->pixels[15 * 64 + 0], 200);  // last row is the red top
  EXPECT_EQ(picture->pixels[3], 255);
}

// The decoder would write past its Huffman table for a DHT segment whose
// code counts exceed 256; such a file is refused before it gets there.
TEST(ImageDecoding, JpegWithOversizedHuffmanTableIsRefused) {
  std::vector<std::uint8_t> rgb(16 * 16 * 3, 90);
  const auto jpeg = EncodeWithStb(StbFormat::Jpg, 16, 16, 3, rgb.data());
  ASSERT_TRUE(DecodePicture(jpeg));

  // An APP segment whose payload looks like a bad DHT marker is only payload.
  std::vector<std::uint8_t> withComment(jpeg.begin(), jpeg.begin() + 2);
  withComment.insert(withComment.end(), {0xFF, 0xE5, 0x00, 0x16, 0xFF, 0xC4, 0x00, 0x20, 0x00});
  withComment.insert(withComment.end(), 15, 0xFF);
  withComment.insert(withComment.end(), jpeg.begin() + 2, jpeg.end());
  EXPECT_TRUE(DecodePicture(withComment));

  auto hostile = jpeg;
  std::size_t dht = 0;
  for (std::size_t i = 2; i + 1 < hostile.size(); ++i) {
    if (hostile[i] == 0xFF && hostile[i + 1] == 0xC4) {
      dht = i;
      break;
    }
  }
  ASSERT_NE(dht, 0u);
  // Counts of the first table: 255 codes of length 16 on top of its own.
  hostile[dht + 5 + 15] = 255;
  EXPECT_FALSE(DecodePicture(hostile));
}

TEST(ImageDecoding, AnimatedGifKeepsEveryFrameWithItsDelayBytes) {
  // Frame f has its top row in palette colour f + 1 and the rest in 0.
  std::vector<GifFrame> frames;
  const std::uint16_t delays[3] = {5, 10, 300};
  for (std::uint8_t f = 0; f < 3; ++f) {
    GifFrame frame{std::vector<std::uint8_t>(100, 0), delays[f]};
    std::fill(frame.indices.begin(), frame.indices.begin() + 10, static_cast<std::uint8_t>(f + 1));
    frames.push_back(frame);
  }
  const auto picture =
      DecodePicture(EncodeGif(10, 10, {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}}, frames));
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->frameCount, 3);
  ASSERT_EQ(picture->pixels.size(), 1206u);
  EXPECT_EQ(picture->pixels[400], 5);
  EXPECT_EQ(picture->pixels[401], 0);
  EXPECT_EQ(picture->pixels[802], 10);
  EXPECT_EQ(picture->pixels[1204], 300 & 0xFF);
  EXPECT_EQ(picture->pixels[1205], 300 >> 8);
  EXPECT_EQ(picture->frameDelays, (std::vector<std::uint16_t>{50, 100, 3000}));
  // Each frame is flipped on its own: its top row is its last 40 bytes.
  for (std::size_t f = 0; f < 3; ++f) {
    const std::size_t frame = f * 402;
    EXPECT_EQ(picture->pixels[frame + 0], 0) << f;
    EXPECT_EQ(picture->pixels[frame + 360 + f], 255) << f;
  }
}

TEST(ImageDecoding, LongDelaysAreClampedInMillisecondsOnly) {
  const GifFrame frame{std::vector<std::uint8_t>(4, 0), 7000};
  const auto picture = DecodePicture(EncodeGif(2, 2, {{1, 2, 3}}, {frame, frame}));
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->frameDelays, (std::vector<std::uint16_t>{65535, 65535}));
  EXPECT_EQ(picture->pixels[16] | picture->pixels[17] << 8, 7000);
}

TEST(ImageDecoding, AnimationKeepsAtMostTheFrameLimit) {
  const std::vector<GifFrame> frames(static_cast<std::size_t>(MAX_FRAMES) + 5, GifFrame{{0}, 1});
  const auto picture = DecodePicture(EncodeGif(1, 1, {{9, 9, 9}}, frames));
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->frameCount, MAX_FRAMES);
  EXPECT_EQ(picture->pixels.size(), static_cast<std::size_t>(MAX_FRAMES) * 6);
  EXPECT_EQ(picture->frameDelays.size(), static_cast<std::size_t>(MAX_FRAMES));
}

TEST(ImageDecoding, PicturesBeyondTheBudgetOrDamagedAreRefused) {
  const std::vector<std::uint8_t> grey(64 * 64, 7);
  const auto png = EncodeWithStb(StbFormat::Png, 64, 64, 1, grey.data());
  EXPECT_TRUE(DecodePicture(png, 64 * 64 * 4));
  EXPECT_FALSE(DecodePicture(png, 64 * 64 * 4 - 1));

  // The animation as a whole counts: two frames and their delay bytes.
  const GifFrame frame{std::vector<std::uint8_t>(64, 0), 1};
  const auto gif = EncodeGif(8, 8, {{1, 1, 1}}, {frame, frame});
  EXPECT_TRUE(DecodePicture(gif, 2 * (256 + 2)));
  EXPECT_FALSE(DecodePicture(gif, 2 * (256 + 2) - 1));

  // A header that claims a huge picture with no data behind it.
  auto huge = EncodeWithStb(StbFormat::Bmp, 2, 2, 3, grey.data());
  huge[18] = 0x40;
  huge[19] = 0x9C;  // width 40000
  EXPECT_FALSE(DecodePicture(huge));
  EXPECT_FALSE(DecodePicture({}));
  const std::vector<std::uint8_t> garbage(100, 0xAB);
  EXPECT_FALSE(DecodePicture(garbage));
  EXPECT_FALSE(DecodePicture(std::span(png).first(png.size() / 2)));
  EXPECT_FALSE(DecodePicture(std::span(gif).first(20)));
}

TEST(ImageDecoding, FlipKeepsTheMiddleRowOfAnOddHeight) {
  std::vector<std::uint8_t> frame{1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3};
  FlipRows(3, 1, frame.data());
  EXPECT_EQ(frame, (std::vector<std::uint8_t>{3, 3, 3, 3, 2, 2, 2, 2, 1, 1, 1, 1}));
}

TEST(PicturePaths, FolderAndNameAreSplitAtTheLastSeparator) {
  std::string folder = "kept";
  std::string title;
  RememberDirectory("/home/anna/Pictures/cat.png", folder);
  RememberFileTitle("/home/anna/Pictures/cat.png", title);
  EXPECT_EQ(folder, "/home/anna/Pictures");
  EXPECT_EQ(title, "cat.png");

  RememberDirectory("cat.png", folder);
  RememberFileTitle("cat.png", title);
  EXPECT_EQ(folder, "/home/anna/Pictures");
  EXPECT_EQ(title, "cat.png");

  RememberDirectory("/cat.png", folder);
  EXPECT_EQ(folder, "/");
}

class PictureDialog : public ::testing::Test {
 protected:
  testing::ScriptedPlatform platform;
  testing::TempFolder folder;
  GameOptions options;
};

TEST_F(PictureDialog, OffersTheNineFiltersFromTheImageFolder) {
  options.imageDirectory = "/pictures";
  EXPECT_FALSE(ChooseAndDecodePicture(platform, options));
  ASSERT_EQ(platform.fileRequests.size(), 1u);
  const FileDialogRequest& request = platform.fileRequests[0];
  EXPECT_EQ(request.startDirectory, "/pictures");
  EXPECT_EQ(request.selectedFilter, 0u);
  ASSERT_EQ(request.filters.size(), 9u);
  EXPECT_EQ(request.filters[0].label, "All Suported Image Files");
  EXPECT_EQ(request.filters[0].patterns.size(), 10u);
  EXPECT_EQ(request.filters[2].label, "JPG Image Files (*.jpg)(*.jpe)(*.jpeg)");
  EXPECT_EQ(request.filters[2].patterns, (std::vector<std::string>{"*.jpg", "*.jpe", "*.jpeg"}));
  EXPECT_EQ(request.filters[8].patterns, (std::vector<std::string>{"*.pgm"}));
}

TEST_F(PictureDialog, ChosenPictureIsTakenOverWhileAFailedOneChangesNothing) {
  const std::string good = folder.File("red over blue.ppm");
  const auto rgb = RedOverBlue(3);
  ASSERT_TRUE(testing::WriteBytes(good, EncodePnm(3, 2, 3, rgb.data())));
  const std::string bad = folder.File("broken.png");
  ASSERT_TRUE(testing::WriteBytes(bad, std::vector<std::uint8_t>(40, 1)));

  platform.openResults = {bad, good};
  EXPECT_FALSE(ChooseAndDecodePicture(platform, options));
  auto picture = ChooseAndDecodePicture(platform, options);
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->path, good);
  EXPECT_EQ(picture->fileTitle, "red over blue.ppm");

  GameState state;
  state.frameDelays = {1, 2};
  TakePictureOver(state, std::move(*picture));
  EXPECT_EQ(state.imagePath, good);
  EXPECT_EQ(state.fileTitle, "red over blue.ppm");
  EXPECT_EQ(state.imageWidth, 3);
  EXPECT_EQ(state.imageHeight, 2);
  EXPECT_EQ(state.frameCount, 1);
  EXPECT_EQ(state.pixels.size(), 24u);
  EXPECT_TRUE(state.frameDelays.empty());
  EXPECT_TRUE(platform.shown.empty());
}

TEST_F(PictureDialog, StoredPathShorterThanFourIsReported) {
  EXPECT_FALSE(DecodeStoredPath(platform, "a.b", false));
  ASSERT_EQ(platform.shown.size(), 1u);
  EXPECT_EQ(platform.shown[0].text, "Incorrect path or Image's name.");
  EXPECT_EQ(platform.shown[0].caption, "ERROR");
  EXPECT_EQ(platform.shown[0].icon, MessageIcon::Stop);
  // A missing file of a plausible name is the game-file reader's to report.
  EXPECT_FALSE(DecodeStoredPath(platform, folder.File("gone.png"), false));
  EXPECT_EQ(platform.shown.size(), 1u);
}

}  // namespace
}  // namespace puzzle
