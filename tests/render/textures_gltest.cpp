#include "render/textures.h"

#include <GL/gl.h>

#include "support/headless_gl.h"

namespace puzzle {
namespace {

using Rgba = std::array<std::uint8_t, 4>;

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

TEST_F(TexturesTest, PictureSitsBottomLeftOfAPowerOfTwoInTransparentBlack) {
  const struct {
    int width, height, textureWidth, textureHeight;
    float maxS, maxT;
  } cases[] = {{256, 256, 256, 256, 1.0f, 1.0f},
               {300, 200, 512, 256, 0.5859375f, 0.78125f},
               {32, 32, 64, 64, 0.5f, 0.5f}};
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.width << " x " << c.height);
    MakePicture(c.width, c.height);
    ASSERT_TRUE(UploadPictureTexture(state));
    EXPECT_EQ(state.textureWidth, c.textureWidth);
    EXPECT_EQ(state.textureHeight, c.textureHeight);
    EXPECT_EQ(state.texMaxS, c.maxS);
    EXPECT_EQ(state.texMaxT, c.maxT);
    const Texels t = ReadTexture(state.stillTexture);
    ASSERT_EQ(t.width, c.textureWidth);
    ASSERT_EQ(t.height, c.textureHeight);
    const int w = c.width, h = c.height;
    EXPECT_EQ(t.At(0, 0), (Rgba{0, 0, 0, 255}));
    EXPECT_EQ(t.At(w - 1, h - 1),
              (Rgba{static_cast<std::uint8_t>(w - 1), static_cast<std::uint8_t>(h - 1), 0, 255}));
    if (w == t.width) {
      EXPECT_EQ(t.rgba, state.pixels) << "the exact size is copied unchanged";
      GLint levels = 0;
      glGetTexLevelParameteriv(GL_TEXTURE_2D, 8, GL_TEXTURE_WIDTH, &levels);
      EXPECT_EQ(levels, 1) << "the mipmap chain reaches 1 x 1";
      continue;
    }
    EXPECT_EQ(t.At(w, 0), (Rgba{0, 0, 0, 0}));
    EXPECT_EQ(t.At(0, h), (Rgba{0, 0, 0, 0}));
    EXPECT_EQ(t.At(t.width - 1, t.height - 1), (Rgba{0, 0, 0, 0}));
  }
}

TEST_F(TexturesTest, EveryFrameGetsItsOwnTextureAndANewPictureReplacesThem) {
  MakePicture(100, 70, 5);
  ASSERT_TRUE(UploadPictureTexture(state));
  EXPECT_EQ(state.stillTexture, 0u);
  ASSERT_EQ(state.frameTextures.size(), 5u);
  for (std::uint8_t f = 0; f < 5; ++f) {
    const Texels t = ReadTexture(state.frameTextures[f]);
    EXPECT_EQ(t.At(0, 0), (Rgba{0, 0, f, 255})) << "frame " << int{f};
    EXPECT_EQ(t.At(99, 69), (Rgba{99, 69, f, 255})) << "frame " << int{f};
  }

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

  DeletePictureTextures(state);
  EXPECT_EQ(state.stillTexture, 0u);
  // Pixels cut short make no texture.
  MakePicture(100, 70, 3);
  state.pixels.resize(state.pixels.size() - 100);
  EXPECT_FALSE(UploadPictureTexture(state));
  EXPECT_TRUE(state.frameTextures.empty());
  EXPECT_EQ(state.stillTexture, 0u);
}

}  // namespace
}  // namespace puzzle
