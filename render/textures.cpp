#include "render/textures.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "render/framebuffer_calls.h"
#include "storage/image_loader.h"

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

std::size_t FrameBytes(const GameState& state) {
  return static_cast<std::size_t>(state.imageWidth) * static_cast<std::size_t>(state.imageHeight) * 4;
}

// An error left by an earlier call is not this upload's.
void ForgetGlErrors() {
  for (int k = 0; k < 16 && glGetError() != GL_NO_ERROR; ++k) {
  }
}

// Rows of the picture are whole RGBA pixels, read from the start of their
// block.
struct UnpackRows {
  UnpackRows() {
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
  }
  ~UnpackRows() { glPopClientAttrib(); }
  UnpackRows(const UnpackRows&) = delete;
  UnpackRows& operator=(const UnpackRows&) = delete;
};

// The texels beside and above the picture are written transparent black,
// from a block of zeros of at most a megabyte whatever the texture's size.
bool ClearAroundPicture(const TextureSize& size, std::int32_t width, std::int32_t height) {
  if (size.exact) return true;
  const std::size_t row = static_cast<std::size_t>(size.width) * 4;
  const auto rowsAtOnce = static_cast<std::int32_t>(std::max<std::size_t>(1, (1u << 20) / row));
  std::vector<std::uint8_t> zeros;
  try {
    zeros.assign(row * static_cast<std::size_t>(std::min(rowsAtOnce, size.height)), 0);
  } catch (const std::bad_alloc&) {
    return false;
  }
  auto clear = [&](std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h) {
    // A side the picture fills exactly leaves nothing beside it.
    if (w <= 0 || h <= 0) return;
    const std::int32_t step = static_cast<std::int32_t>(zeros.size() / (static_cast<std::size_t>(w) * 4));
    for (std::int32_t from = y; w > 0 && from < y + h; from += step) {
      glTexSubImage2D(GL_TEXTURE_2D, 0, x, from, w, std::min(step, y + h - from), GL_RGBA, GL_UNSIGNED_BYTE,
                      zeros.data());
    }
  };
  clear(width, 0, size.width - width, height);
  clear(0, height, size.width, size.height - height);
  return true;
}

// An empty texture of the size, bound; 0 when the GL cannot make it.
GLuint MakeTexture(const TextureSize& size) {
  GLint largest = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
  if (size.width > largest || size.height > largest) return 0;
  ForgetGlErrors();
  glTexImage2D(GL_PROXY_TEXTURE_2D, 0, GL_RGBA8, size.width, size.height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
               nullptr);
  GLint proxyWidth = 0;
  glGetTexLevelParameteriv(GL_PROXY_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &proxyWidth);
  if (proxyWidth == 0) return 0;
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, size.width, size.height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
  if (glGetError() != GL_NO_ERROR) {
    glDeleteTextures(1, &name);
    return 0;
  }
  return name;
}

// A still picture that is to live only in its texture waits in a
// temporary file while the texture is made: the software GL fills a new
// texture's memory as it makes it, so the picture and its texture would
// otherwise both be whole in memory. The texture is then written from the
// file a band of rows at a time.
struct CloseFile {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using SpillFile = std::unique_ptr<std::FILE, CloseFile>;

// The picture's first frame moved into a temporary file, `pixels` emptied;
// nothing (and `pixels` untouched) when the file cannot be written.
SpillFile SpillPixels(GameState& state) {
  SpillFile file(std::tmpfile());
  if (!file) return nullptr;
  const std::size_t bytes = FrameBytes(state);
  if (std::fwrite(state.pixels.data(), 1, bytes, file.get()) != bytes || std::fflush(file.get()) != 0)
    return nullptr;
  state.pixels.clear();
  state.pixels.shrink_to_fit();
  return file;
}

// The spilled picture back in `pixels`; false (and `pixels` empty) when the
// memory or the file fails.
bool UnspillPixels(GameState& state, std::FILE* file) {
  try {
    state.pixels.resize(FrameBytes(state));
  } catch (const std::bad_alloc&) {
    return false;
  }
  std::rewind(file);
  if (std::fread(state.pixels.data(), 1, state.pixels.size(), file) == state.pixels.size()) return true;
  state.pixels.clear();
  state.pixels.shrink_to_fit();
  return false;
}

// Writes the spilled picture into the bound texture in bands of about 4 MB.
bool WriteFromSpill(const GameState& state, std::FILE* file) {
  const std::size_t row = static_cast<std::size_t>(state.imageWidth) * 4;
  const std::int32_t band = static_cast<std::int32_t>(std::max<std::size_t>(1, (std::size_t{1} << 22) / row));
  std::vector<std::uint8_t> rows;
  try {
    rows.resize(row * static_cast<std::size_t>(std::min(band, state.imageHeight)));
  } catch (const std::bad_alloc&) {
    return false;
  }
  std::rewind(file);
  for (std::int32_t y = 0; y < state.imageHeight; y += band) {
    const std::int32_t count = std::min(band, state.imageHeight - y);
    const std::size_t bytes = row * static_cast<std::size_t>(count);
    if (std::fread(rows.data(), 1, bytes, file) != bytes) return false;
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, y, state.imageWidth, count, GL_RGBA, GL_UNSIGNED_BYTE, rows.data());
  }
  return true;
}

void WriteFirstFrame(const GameState& state) {
  glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, state.imageWidth, state.imageHeight, GL_RGBA, GL_UNSIGNED_BYTE,
                  state.pixels.data());
}

// Writes the changes of the frames after `from` up to `last` into the bound
// texture; false when a record is damaged.
bool WriteChanges(const GameState& state, std::int32_t from, std::int32_t last) {
  return WalkFrameChanges(state.pixels, state.imageWidth, state.imageHeight, from, last,
                          [](const FrameChange& change) {
                            if (change.width > 0 && change.height > 0) {
                              glTexSubImage2D(GL_TEXTURE_2D, 0, change.x, change.y, change.width,
                                              change.height, GL_RGBA, GL_UNSIGNED_BYTE, change.rgba);
                            }
                          });
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

void FilterPictureForZoom(GameState& state, double zoom) {
  if (state.stillTexture == 0) return;
  glBindTexture(GL_TEXTURE_2D, state.stillTexture);
  // An animated picture's texture is written anew at every frame shown.
  const bool minified = zoom < 1.0 && state.frameCount <= 1;
  if (minified && !state.textureMipmapped) {
    const auto calls = FetchFramebufferCalls();
    if (!calls) return;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 1000);
    calls->generateMipmap(GL_TEXTURE_2D);
    state.textureMipmapped = true;
  }
  if (!state.textureMipmapped) return;
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, minified ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, minified ? 1000 : 0);
}

bool UploadPictureTexture(GameState& state, PixelsAfterUpload after) {
  if (state.imageWidth < 1 || state.imageHeight < 1 || state.pixels.size() < FrameBytes(state)) return false;
  const bool giveBack = after == PixelsAfterUpload::GiveBack && state.frameCount <= 1;
  const TextureSize size = ChooseTextureSize(state.imageWidth, state.imageHeight);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
  // Without a temporary file the texture is written from memory.
  const SpillFile spill = giveBack ? SpillPixels(state) : nullptr;
  const GLuint name = MakeTexture(size);
  bool written = false;
  if (name != 0) {
    UnpackRows rows;
    written = ClearAroundPicture(size, state.imageWidth, state.imageHeight);
    if (written && spill) {
      written = WriteFromSpill(state, spill.get());
    } else if (written) {
      WriteFirstFrame(state);
    }
    written = written && glGetError() == GL_NO_ERROR;
  }
  if (!written) {
    if (name != 0) glDeleteTextures(1, &name);
    if (spill) UnspillPixels(state, spill.get());
    return false;
  }
  if (giveBack) {
    state.pixels.clear();
    state.pixels.shrink_to_fit();
  }
  // The texture still named here would otherwise be lost with its name.
  DeletePictureTextures(state);
  state.stillTexture = name;
  state.textureFrame = 0;
  state.textureMipmapped = false;
  state.textureWidth = size.width;
  state.textureHeight = size.height;
  state.texMaxS = static_cast<float>(static_cast<double>(state.imageWidth) / size.width);
  state.texMaxT = static_cast<float>(static_cast<double>(state.imageHeight) / size.height);
  return true;
}

void ShowPictureFrame(GameState& state, std::int32_t frame) {
  if (state.frameCount <= 1 || state.stillTexture == 0 || frame == state.textureFrame || frame < 0 ||
      frame >= state.frameCount || state.pixels.size() < FrameBytes(state)) {
    return;
  }
  glBindTexture(GL_TEXTURE_2D, state.stillTexture);
  UnpackRows rows;
  // Changes apply forward only: an earlier frame starts again from the
  // first.
  std::int32_t from = state.textureFrame;
  if (frame < from) {
    WriteFirstFrame(state);
    from = 0;
  }
  // A buffer with a damaged record shows its first frame.
  state.textureFrame = WriteChanges(state, from, frame) ? frame : 0;
  if (state.textureFrame == 0) WriteFirstFrame(state);
}

void DeletePictureTextures(GameState& state) {
  if (state.stillTexture != 0 && glIsTexture(state.stillTexture)) glDeleteTextures(1, &state.stillTexture);
  state.stillTexture = 0;
  state.textureMipmapped = false;
}

}  // namespace puzzle
