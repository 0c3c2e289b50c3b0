#include "render/textures.h"

#include <GL/gl.h>

#include "support/headless_gl.h"

namespace puzzle {
namespace {

class TexturesTest : public testing::HeadlessGlTest {
 protected:
  void SetUp() override { OpenView(64, 64); }
  void TearDown() override { DeletePictureTextures(state); }

  // A picture whose every byte tells where it came from: red and green are
  // the column and row (mod 256), blue the frame, alpha 255. Animated
  // pictures carry two delay bytes behind each frame.
  void MakePicture(int width, int height, int frames = 1) {
    state.imageWidth = width;
    state.imageHeight = height;
    state.frameCount = frames;
    state.pixels.clear();
    for (int f = 0; f < frames; ++f) {
      for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
          state.pixels.insert(state.pixels.end(), {static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y),
                                                   static_cast<std::uint8_t>(f), 255});
        }
      }
      if (frames > 1) state.pixels.insert(state.pixels.end(), {0xEE, 0xEE});
    }
  }

  struct Texels {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;
    std::array<std::uint8_t, 4> At(int x, int y) const { return PixelAt(rgba, width, x, y); }
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

TEST_F(TexturesTest, PowerOfTwoPictureIsCopiedUnchanged) {
  MakePicture(256, 256);
  ASSERT_TRUE(UploadPictureTexture(state));
  EXPECT_EQ(state.textureWidth, 256);
  EXPECT_EQ(state.textureHeight, 256);
  EXPECT_EQ(state.texMaxS, 1.0f);
  EXPECT_EQ(state.texMaxT, 1.0f);
  const Texels t = ReadTexture(state.stillTexture);
  ASSERT_EQ(t.width, 256);
  EXPECT_EQ(t.rgba, state.pixels);
  GLint levels = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 8, GL_TEXTURE_WIDTH, &levels);
  EXPECT_EQ(levels, 1) << "the mipmap chain reaches 1 x 1";
}

TEST_F(TexturesTest, OddPictureSitsBottomLeftInTransparentBlack) {
  MakePicture(300, 200);
  ASSERT_TRUE(UploadPictureTexture(state));
  EXPECT_EQ(state.textureWidth, 512);
  EXPECT_EQ(state.textureHeight, 256);
  EXPECT_EQ(state.texMaxS, 0.5859375f);
  EXPECT_EQ(state.texMaxT, 0.78125f);
  const Texels t = ReadTexture(state.stillTexture);
  ASSERT_EQ(t.width, 512);
  ASSERT_EQ(t.height, 256);
  EXPECT_EQ(t.At(0, 0), (std::array<std::uint8_t, 4>{0, 0, 0, 255}));
  EXPECT_EQ(t.At(299, 199), (std::array<std::uint8_t, 4>{299 % 256, 199, 0, 255}));
  EXPECT_EQ(t.At(300, 0), (std::array<std::uint8_t, 4>{0, 0, 0, 0}));
  EXPECT_EQ(t.At(0, 200), (std::array<std::uint8_t, 4>{0, 0, 0, 0}));
  EXPECT_EQ(t.At(511, 255), (std::array<std::uint8_t, 4>{0, 0, 0, 0}));
}

TEST_F(TexturesTest, SmallPowerOfTwoPictureIsPaddedToSixtyFour) {
  MakePicture(32, 32);
  ASSERT_TRUE(UploadPictureTexture(state));
  EXPECT_EQ(state.textureWidth, 64);
  EXPECT_EQ(state.textureHeight, 64);
  EXPECT_EQ(state.texMaxS, 0.5f);
  const Texels t = ReadTexture(state.stillTexture);
  EXPECT_EQ(t.At(31, 31), (std::array<std::uint8_t, 4>{31, 31, 0, 255}));
  EXPECT_EQ(t.At(32, 31)[3], 0);
  EXPECT_EQ(t.At(31, 32)[3], 0);
}

TEST_F(TexturesTest, EveryFrameGetsItsOwnTextureAndDelayBytesAreSkipped) {
  MakePicture(100, 70, 5);
  ASSERT_TRUE(UploadPictureTexture(state));
  EXPECT_EQ(state.stillTexture, 0u);
  ASSERT_EQ(state.frameTextures.size(), 5u);
  EXPECT_EQ(state.texturesToDelete, 5);
  for (std::uint8_t f = 0; f < 5; ++f) {
    const Texels t = ReadTexture(state.frameTextures[f]);
    EXPECT_EQ(t.At(0, 0), (std::array<std::uint8_t, 4>{0, 0, f, 255})) << "frame " << int{f};
    EXPECT_EQ(t.At(99, 69), (std::array<std::uint8_t, 4>{99, 69, f, 255})) << "frame " << int{f};
    EXPECT_EQ(PictureTexture(state, f), state.frameTextures[f]);
  }
}

TEST_F(TexturesTest, NewPictureReplacesTheOldTextures) {
  MakePicture(64, 64, 3);
  ASSERT_TRUE(UploadPictureTexture(state));
  const std::vector<std::uint32_t> old = state.frameTextures;
  MakePicture(64, 64);
  ASSERT_TRUE(UploadPictureTexture(state));
  EXPECT_TRUE(state.frameTextures.empty());
  EXPECT_TRUE(glIsTexture(state.stillTexture));
  for (std::uint32_t name : old) {
    if (name != state.stillTexture) {
      EXPECT_FALSE(glIsTexture(name)) << name;
    }
  }
  EXPECT_EQ(PictureTexture(state, 2), state.stillTexture);
  DeletePictureTextures(state);
  EXPECT_EQ(state.stillTexture, 0u);
}

TEST_F(TexturesTest, TruncatedPixelsMakeNoTexture) {
  MakePicture(100, 70, 3);
  state.pixels.resize(state.pixels.size() - 100);
  EXPECT_FALSE(UploadPictureTexture(state));
  EXPECT_TRUE(state.frameTextures.empty());
  EXPECT_EQ(state.stillTexture, 0u);
}

}  // namespace
}  // namespace puzzle
