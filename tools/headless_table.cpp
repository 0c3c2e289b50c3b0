#include "tools/headless_table.h"

#include <GL/gl.h>

#include "render/frame_renderer.h"
#include "render/gl_view.h"
#include "render/table_mesh.h"
#include "render/textures.h"

namespace puzzle {

HeadlessTable::~HeadlessTable() {
  if (context_.Width() == 0) return;
  ClearTableMesh(mesh);
  ReleaseKeptLayer(layer);
  DeletePictureTextures(state);
  DeleteFonts(fonts);
}

bool HeadlessTable::Open(int width, int height) {
  if (!context_.Open(width, height)) return false;
  view.creationWidth = width;
  view.creationHeight = height;
  SetClientSize(table, width, height);
  GLint maxTexture = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTexture);
  state.maxTextureSize = maxTexture;
  InitGL(state, table, options, view);
  ResizeGL(state, table, view);
  BuildFonts(fonts, state.pixelScale);
  // The pointer rests in the middle, away from the scroll-bar zones.
  shell.cursorX = static_cast<std::uint16_t>(width / 2);
  shell.cursorY = static_cast<std::uint16_t>(height / 2);
  return true;
}

bool HeadlessTable::PrepareGame(PixelsAfterUpload after) {
  if (!UploadPictureTexture(state, after) || !BuildTableMesh(mesh, state, options)) return false;
  state.gameRunning = true;
  state.scatterRunning = false;
  state.settleRunning = false;
  state.imageFresh = false;
  return true;
}

void HeadlessTable::DrawFrame(std::uint32_t tickMs) {
  options.brandedBackground = false;
  timing.pointerMovedAt = tickMs;
  SetClearColour(options);
  FrameRecords records{state, options, view, table, bars, shell, edges, timing};
  AdvanceFrame(records, tickMs);
  ShowPictureFrame(state, timing.frameIndex);
  DrawFrameKept(DrawingInputs(records, fonts, mesh), layer);
  FinishFrame(records, tickMs);
  glFinish();
}

std::vector<std::uint8_t> HeadlessTable::ReadRgbTopDown() const {
  const std::vector<std::uint8_t> rgba = context_.ReadPixels();
  const auto width = static_cast<std::size_t>(context_.Width());
  const auto height = static_cast<std::size_t>(context_.Height());
  std::vector<std::uint8_t> rgb(width * height * 3);
  for (std::size_t y = 0; y < height; ++y) {
    const std::uint8_t* source = rgba.data() + (height - 1 - y) * width * 4;
    std::uint8_t* target = rgb.data() + y * width * 3;
    for (std::size_t x = 0; x < width; ++x) {
      target[3 * x] = source[4 * x];
      target[3 * x + 1] = source[4 * x + 1];
      target[3 * x + 2] = source[4 * x + 2];
    }
  }
  return rgb;
}

}  // namespace puzzle
