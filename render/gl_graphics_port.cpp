#include "render/gl_graphics_port.h"

#include <GL/gl.h>

#include <new>
#include <vector>

#include "render/table_mesh.h"
#include "render/textures.h"
#include "storage/image_loader.h"

namespace puzzle {

bool GlGraphicsPort::UploadPictureTexture(GameState& state) {
  return puzzle::UploadPictureTexture(state);
}

bool GlGraphicsPort::MovePictureToTexture(GameState& state) {
  return puzzle::UploadPictureTexture(state, PixelsAfterUpload::GiveBack);
}

bool GlGraphicsPort::BuildPieceMeshes(GameState& state, const GameOptions& options) {
  return BuildTableMesh(mesh_, state, options);
}

void GlGraphicsPort::ReleasePictureTextures(GameState& state) {
  DeletePictureTextures(state);
}

bool GlGraphicsPort::CaptureFrame(GameState& state) {
  if (state.imageWidth < 1 || state.imageHeight < 1) return false;
  std::vector<std::uint8_t> pixels;
  try {
    pixels.resize(static_cast<std::size_t>(state.imageWidth) * static_cast<std::size_t>(state.imageHeight) *
                  4);
  } catch (const std::bad_alloc&) {
    return false;
  }
  glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glPixelStorei(GL_PACK_ROW_LENGTH, 0);
  glPixelStorei(GL_PACK_SKIP_ROWS, 0);
  glPixelStorei(GL_PACK_SKIP_PIXELS, 0);
  glReadPixels(0, 0, state.imageWidth, state.imageHeight, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
  glPopClientAttrib();
  state.pixels = std::move(pixels);
  state.pictureOpaque = PictureOpaque(state.pixels, state.imageWidth, state.imageHeight, 1);
  return true;
}

float GlGraphicsPort::ReadDepth(int x, int y) {
  GLfloat depth = 1.0f;
  glReadPixels(x, y, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
  return depth;
}

}  // namespace puzzle
