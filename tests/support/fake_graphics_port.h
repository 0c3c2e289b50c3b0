// A GraphicsPort without GL for the rules' tests: it counts its calls, fails
// a mesh build on request, hands out texture names, fills a capture with one grey, and
// answers depth reads from a function the test supplies.
#pragma once

#include <functional>
#include <vector>

#include "model/graphics_port.h"
#include "platform/platform.h"

namespace puzzle::testing {

class FakeGraphicsPort : public GraphicsPort {
 public:
  int uploads = 0;
  int builds = 0;
  int captures = 0;
  int depthReads = 0;
  std::vector<std::uint32_t> releasedTextures;  // still textures, in release order
  // What the meshes were last built from.
  std::uint8_t builtForm = 0;
  std::vector<float> builtHomeX;
  bool buildSucceeds = true;
  bool uploadSucceeds = true;
  // The cursor shown while the texture was made, when a platform is watched.
  const Platform* watchedPlatform = nullptr;
  CursorShape cursorDuringUpload = CursorShape::Arrow;
  // Window depth at client pixel (x, y from the bottom row); the background
  // everywhere unless the test says otherwise.
  std::function<float(int, int)> depthAt = [](int, int) { return 1.0f; };

  bool UploadPictureTexture(GameState& state) override {
    ++uploads;
    if (watchedPlatform != nullptr) cursorDuringUpload = watchedPlatform->Cursor();
    if (!uploadSucceeds) return false;
    state.stillTexture = static_cast<std::uint32_t>(uploads);
    return true;
  }
  bool MovePictureToTexture(GameState& state) override {
    if (!UploadPictureTexture(state)) return false;
    if (state.frameCount <= 1) state.pixels.clear();
    return true;
  }
  bool BuildPieceMeshes(GameState& state, const GameOptions& options) override {
    ++builds;
    builtForm = options.form;
    builtHomeX = state.homeX;
    return buildSucceeds;
  }
  void ReleasePictureTextures(GameState& state) override {
    if (state.stillTexture != 0) releasedTextures.push_back(state.stillTexture);
    state.stillTexture = 0;
  }
  bool CaptureFrame(GameState& state) override {
    ++captures;
    state.pixels.assign(static_cast<std::size_t>(state.imageWidth) * state.imageHeight * 4, 0x80);
    return true;
  }
  float ReadDepth(int x, int y) override {
    ++depthReads;
    return depthAt(x, y);
  }
};

}  // namespace puzzle::testing
