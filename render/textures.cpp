#include "render/textures.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace puzzle {
namespace {

constexpr std::int32_t MIN_TEXTURE_SIDE = 64;

// Doubling from 2 while below the side; exact when it lands on the side.
std::int32_t PowerOfTwoAtLeast(std::int32_t side, bool& exact) {
  std::int32_t size = 2;
  while (size < side) size *= 2;
  exact = size == side;
  return std::max(size, MIN_TEXTURE_SIDE);
}

std::size_t FrameStride(const GameState& state) {
  const std::size_t frameBytes =
      static_cast<std::size_t>(state.imageWidth) * static_cast<std::size_t>(state.imageHeight) * 4;
  return state.frameCount > 1 ? frameBytes + 2 : frameBytes;
}

GLuint MakeTexture(const TextureSize& size, const std::uint8_t* pixels) {
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  gluBuild2DMipmaps(GL_TEXTURE_2D, 4, size.width, size.height, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
  return name;
}

}  // namespace

TextureSize ChooseTextureSize(std::int32_t imageWidth, std::int32_t imageHeight) {
  TextureSize size;
  bool exactWidth = false, exactHeight = false;
  size.width = PowerOfTwoAtLeast(imageWidth, exactWidth);
  size.height = PowerOfTwoAtLeast(imageHeight, exactHeight);
  // Below 64 texels the padding is needed even on an exact power of two.
  size.exact = exactWidth && exactHeight && imageWidth >= MIN_TEXTURE_SIDE && imageHeight >= MIN_TEXTURE_SIDE;
  return size;
}

void StageFrame(const GameState& state, const TextureSize& size, std::int32_t frame, std::uint8_t* staging) {
  const std::uint8_t* source = state.pixels.data() + static_cast<std::size_t>(frame) * FrameStride(state);
  const std::size_t textureRow = static_cast<std::size_t>(size.width) * 4;
  const std::size_t textureBytes = textureRow * static_cast<std::size_t>(size.height);
  if (size.exact) {
    std::memcpy(staging, source, textureBytes);
    return;
  }
  const std::size_t imageRow = static_cast<std::size_t>(state.imageWidth) * 4;
  std::memset(staging, 0, textureBytes);
  for (std::int32_t r = 0; r < state.imageHeight; ++r) {
    std::memcpy(staging + static_cast<std::size_t>(r) * textureRow,
                source + static_cast<std::size_t>(r) * imageRow, imageRow);
  }
}

bool UploadPictureTexture(GameState& state) {
  const TextureSize size = ChooseTextureSize(state.imageWidth, state.imageHeight);
  state.textureWidth = size.width;
  state.textureHeight = size.height;
  state.texMaxS = static_cast<float>(static_cast<double>(state.imageWidth) / size.width);
  state.texMaxT = static_cast<float>(static_cast<double>(state.imageHeight) / size.height);

  // The last frame needs no delay bytes behind it, so a still picture's
  // pixels are exactly one frame.
  const std::int32_t frames = std::max(state.frameCount, 1);
  const std::size_t frameBytes =
      static_cast<std::size_t>(state.imageWidth) * static_cast<std::size_t>(state.imageHeight) * 4;
  if (state.imageWidth < 1 || state.imageHeight < 1 ||
      state.pixels.size() < (static_cast<std::size_t>(frames) - 1) * FrameStride(state) + frameBytes) {
    return false;
  }
  const std::size_t textureBytes =
      static_cast<std::size_t>(size.width) * static_cast<std::size_t>(size.height) * 4;
  // One frame at a time: the staging block of an animated picture would
  // otherwise grow with its frame count.
  std::unique_ptr<std::uint8_t[]> staging(new (std::nothrow) std::uint8_t[textureBytes]);
  if (!staging) return false;

  // Textures still named here would otherwise be lost with their names.
  DeletePictureTextures(state);
  glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
  glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
  if (frames > 1) {
    state.frameTextures.reserve(static_cast<std::size_t>(frames));
    for (std::int32_t k = 0; k < frames; ++k) {
      StageFrame(state, size, k, staging.get());
      state.frameTextures.push_back(MakeTexture(size, staging.get()));
    }
  } else {
    StageFrame(state, size, 0, staging.get());
    state.stillTexture = MakeTexture(size, staging.get());
  }
  glPopClientAttrib();
  return true;
}

bool ReadBackPictureTextures(GameState& state) {
  std::vector<std::uint32_t> names = state.frameTextures;
  if (names.empty() && state.stillTexture != 0) names.push_back(state.stillTexture);
  if (names.empty() || state.imageWidth < 1 || state.imageHeight < 1 ||
      state.textureWidth < state.imageWidth || state.textureHeight < state.imageHeight) {
    return false;
  }
  const std::size_t textureRow = static_cast<std::size_t>(state.textureWidth) * 4;
  const std::size_t imageRow = static_cast<std::size_t>(state.imageWidth) * 4;
  const std::size_t stride = names.size() > 1 ? FrameStride(state) : imageRow * state.imageHeight;
  std::vector<std::uint8_t> staging;
  std::vector<std::uint8_t> pixels;
  try {
    staging.resize(textureRow * static_cast<std::size_t>(state.textureHeight));
    pixels.resize((names.size() - 1) * stride + imageRow * static_cast<std::size_t>(state.imageHeight));
  } catch (const std::bad_alloc&) {
    return false;
  }
  glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glPixelStorei(GL_PACK_ROW_LENGTH, 0);
  for (std::size_t k = 0; k < names.size(); ++k) {
    glBindTexture(GL_TEXTURE_2D, names[k]);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, staging.data());
    for (std::int32_t r = 0; r < state.imageHeight; ++r) {
      std::memcpy(pixels.data() + k * stride + static_cast<std::size_t>(r) * imageRow,
                  staging.data() + static_cast<std::size_t>(r) * textureRow, imageRow);
    }
  }
  glPopClientAttrib();
  state.pixels = std::move(pixels);
  return true;
}

void DeletePictureTextures(GameState& state) {
  if (state.stillTexture != 0 && glIsTexture(state.stillTexture)) glDeleteTextures(1, &state.stillTexture);
  state.stillTexture = 0;
  if (!state.frameTextures.empty()) {
    glDeleteTextures(static_cast<GLsizei>(state.frameTextures.size()), state.frameTextures.data());
  }
  state.frameTextures.clear();
}

}  // namespace puzzle
