// The few GL operations the rules need, behind an interface so that game/
// stays free of GL and its tests can count and fail the calls. render/
// implements them on the real context (render/gl_graphics_port.h).
#pragma once

#include "model/records.h"

namespace puzzle {

class GraphicsPort {
 public:
  virtual ~GraphicsPort() = default;
  // Makes stillTexture from pixels (the first frame of an animated
  // picture), and sets textureWidth/Height and texMaxS/T; false, with the
  // state untouched, when the GL cannot make it.
  virtual bool UploadPictureTexture(GameState& state) = 0;
  // The same for a game about to start, which keeps its picture only in the
  // texture: a still picture's pixels are given up before the texture is
  // made (the picture and its texture are never both whole in memory), and
  // on success `pixels` is empty.
  // False, with the state untouched, when the texture cannot be made.
  virtual bool MovePictureToTexture(GameState& state) = 0;
  // The drawing geometry of every piece from the homes and cell measures;
  // false when it cannot be made (nothing is drawn then).
  virtual bool BuildPieceMeshes(GameState& state, const GameOptions& options) = 0;
  // Deletes the picture textures the state names and forgets them.
  virtual void ReleasePictureTextures(GameState& state) = 0;
  // Fills pixels (bottom row first, RGBA) with imageWidth x imageHeight
  // pixels of the last drawn frame.
  virtual bool CaptureFrame(GameState& state) = 0;
  // The window depth (0 near .. 1 far) of the last drawn frame at the client
  // pixel (x, y), y counted from the bottom row.
  virtual float ReadDepth(int x, int y) = 0;
};

}  // namespace puzzle
