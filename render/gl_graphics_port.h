// The GL operations of the rules on the real context: the picture textures,
// the piece meshes, the screen capture of Start and the depth read of
// picking. The context the shell or tool made must be current on every call.
#pragma once

#include "model/graphics_port.h"
#include "render/table_mesh.h"

namespace puzzle {

class GlGraphicsPort : public GraphicsPort {
 public:
  // The mesh the pieces are built into; it outlives the port.
  explicit GlGraphicsPort(TableMesh& mesh) : mesh_(mesh) {}
  bool UploadPictureTexture(GameState& state) override;
  bool MovePictureToTexture(GameState& state) override;
  bool BuildPieceMeshes(GameState& state, const GameOptions& options) override;
  void ReleasePictureTextures(GameState& state) override;
  // Reads the frame's bottom-left imageWidth x imageHeight pixels in one
  // call; false, with pixels untouched, when the memory cannot be had.
  bool CaptureFrame(GameState& state) override;
  float ReadDepth(int x, int y) override;

 private:
  TableMesh& mesh_;
};

}  // namespace puzzle
