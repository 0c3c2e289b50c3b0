#include "render/textures.h"

#include <GL/gl.h>

#include <algorithm>
#include <tuple>

#include "support/headless_gl.h"

namespace puzzle {
namespace {

using Rgba = std::array<std::uint8_t, 4>;

class TexturesTest : public testing::HeadlessGlTest {
 protected:
  void SetUp() override { OpenView(64, 64); }
  void TearDown() override { DeletePictureTextures(state); }

  // A picture whose every byte tells where it came from: red and green are
  // the column and row (mod 256), blue the frame, alpha 255. Frame f of an
  // animation changes the rectangle from (f, f) to the far corner.
  void MakePicture(int width, int height, int frames = 1) {
    state.imageWidth = width;
    state.imageHeight = height;
    state.frameCount = frames;
    state.pixels.clear();
    for (int f = 0; f < frames; ++f) {
      if (f > 0) {
        for (int side : {f, f, width - f, height - f})
          state.pixels.insert(state.pixels.end(),
                              {static_cast<std::uint8_t>(side), static_cast<std::uint8_t>(side >> 8)});
      }
      for (int y = f; y < height; ++y) {
        for (int x = f; x < width; ++x) {
          state.pixels.insert(state.pixels.end(), {static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y),
                                                   static_cast<std::uint8_t>(f), 255});
        }
      }
    }
  }

  struct Texels {
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgba;
    Rgba At(int x, int y) const { return PixelAt(rgba, width, x, y); }
  };

  static Texels ReadTexture(std::uint32_t name) {
    Texels t;
    glBindTexture(GL_TEXTURE_2D, name);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &t.width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &t.height);
    t.rgba.resize(static_cast<std::size_t>(t.width) * static_cast<std::size_t>(t.height) * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, t.rgba.data());
    return t;
  }
};

// Given back, the picture is written from its temporary file a band of
// rows at a time: every band lands where it belongs.
TEST_F(TexturesTest, PictureSitsBottomLeftOfAPowerOfTwoInTransparentBlack) {
  constexpr auto KEEP = PixelsAfterUpload::Keep, GIVE = PixelsAfterUpload::GiveBack;
  const struct {
    int width, height, textureWidth, textureHeight;
    float maxS, maxT;
    PixelsAfterUpload after;
  } cases[] = {{256, 256, 256, 256, 1.0f, 1.0f, KEEP},
               {300, 200, 512, 256, 0.5859375f, 0.78125f, KEEP},
               {32, 32, 64, 64, 0.5f, 0.5f, KEEP},
               {1500, 1000, 2048, 1024, 0.732421875f, 0.9765625f, GIVE},
               {1024, 1100, 1024, 2048, 1.0f, 0.537109375f, GIVE}};
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.width << " x " << c.height);
    MakePicture(c.width, c.height);
    const std::vector<std::uint8_t> picture = state.pixels;
    ASSERT_TRUE(UploadPictureTexture(state, c.after));
    EXPECT_EQ(state.pixels.empty(), c.after == GIVE);
    EXPECT_EQ(std::tie(state.textureWidth, state.textureHeight, state.texMaxS, state.texMaxT),
              std::tie(c.textureWidth, c.textureHeight, c.maxS, c.maxT));
    const Texels t = ReadTexture(state.stillTexture);
    ASSERT_EQ(std::pair(t.width, t.height), std::pair(c.textureWidth, c.textureHeight));
    const int w = c.width, h = c.height;
    EXPECT_EQ(t.At(0, 0), (Rgba{0, 0, 0, 255}));
    EXPECT_EQ(t.At(w - 1, h - 1),
              (Rgba{static_cast<std::uint8_t>(w - 1), static_cast<std::uint8_t>(h - 1), 0, 255}));
    const std::size_t row = static_cast<std::size_t>(w) * 4;
    for (int y = 0; y < h; ++y) {
      ASSERT_TRUE(
          std::equal(picture.begin() + static_cast<std::ptrdiff_t>(y * row),
                     picture.begin() + static_cast<std::ptrdiff_t>((y + 1) * row),
                     t.rgba.begin() + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(y) * t.width * 4)))
          << "row " << y;
    }
    if (w == t.width) continue;
    EXPECT_EQ(std::tuple(t.At(w, 0), t.At(0, h), t.At(t.width - 1, t.height - 1)),
              std::tuple(Rgba{}, Rgba{}, Rgba{}));
  }
}

TEST_F(TexturesTest, AnAnimationShowsItsFramesInOneTextureAndANewPictureReplacesIt) {
  MakePicture(100, 70, 5);
  ASSERT_TRUE(UploadPictureTexture(state));
  const std::uint32_t name = state.stillTexture;
  for (std::uint8_t f : {std::uint8_t{0}, std::uint8_t{3}, std::uint8_t{4}, std::uint8_t{1}}) {
    ShowPictureFrame(state, f);
    EXPECT_EQ(state.stillTexture, name);
    const Texels t = ReadTexture(name);
    const auto upTo2 = std::min(f, std::uint8_t{2});
    EXPECT_EQ(std::tuple(t.At(0, 0), t.At(2, 2), t.At(99, 69), t.At(100, 0)),
              std::tuple(Rgba{0, 0, 0, 255}, Rgba{2, 2, upTo2, 255}, Rgba{99, 69, f, 255}, Rgba{}))
        << "frame " << int{f};
  }

  MakePicture(100, 70);
  ASSERT_TRUE(UploadPictureTexture(state));
  EXPECT_TRUE(glIsTexture(state.stillTexture));
  if (name != state.stillTexture) {
    EXPECT_FALSE(glIsTexture(name));
  }
}

// Pixels cut short, or a picture beyond the largest texture the GL makes:
// no texture, and the one shown before stays with its measures.
TEST_F(TexturesTest, ATextureThatCannotBeMadeLeavesThePreviousOne) {
  MakePicture(300, 200);
  ASSERT_TRUE(UploadPictureTexture(state));
  const GameState before = state;
  GLint largest = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
  for (int width : {300, largest + 1}) {
    SCOPED_TRACE(width);
    MakePicture(width, 40, width == 300 ? 3 : 1);
    if (width == 300) state.pixels.resize(300 * 40 * 4 - 100);
    const std::vector<std::uint8_t> pixels = state.pixels;
    EXPECT_FALSE(UploadPictureTexture(state, PixelsAfterUpload::GiveBack));
    EXPECT_EQ(state.pixels, pixels);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(state.stillTexture, before.stillTexture);
    EXPECT_TRUE(glIsTexture(state.stillTexture));
    EXPECT_EQ(std::pair(state.textureWidth, state.textureHeight), std::pair(512, 256));
    EXPECT_EQ(std::pair(state.texMaxS, state.texMaxT), std::pair(before.texMaxS, before.texMaxT));
  }
}

}  // namespace
}  // namespace puzzle
