// Applying a new form to a running game with the real mesh builder: the
// pieces stay where they lie, their meshes take the new outlines, and going
// back to the old options gives the old pieces again, pixel for pixel.
#include <GL/gl.h>

#include <array>
#include <random>

#include "options/options_rules.h"
#include "render/orientation.h"
#include "render/textures.h"
#include "shapes/home_layout.h"
#include "shapes/piece_lists.h"
#include "support/headless_gl.h"

namespace puzzle {
namespace {

constexpr int VIEW = 320;

// The mesh operation of the game's port on the headless context.
class MeshPort : public GraphicsPort {
 public:
  int builds = 0;
  bool UploadPictureTexture(GameState&) override { return false; }
  bool BuildPieceLists(GameState& state, const GameOptions& options) override {
    ++builds;
    return puzzle::BuildPieceLists(state, options);
  }
  bool CaptureFrame(GameState&) override { return false; }
  float ReadDepth(int, int) override { return 1; }
};

class ApplyOptionsGlTest : public testing::HeadlessGlTest {
 protected:
  void SetUp() override { OpenView(VIEW, VIEW); }
  void TearDown() override {
    DeletePieceLists(state);
    DeletePictureTextures(state);
  }

  void LoadNoisePicture(int width, int height) {
    std::mt19937 random(11);
    state.imageWidth = width;
    state.imageHeight = height;
    state.frameCount = 1;
    state.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
    for (std::size_t k = 0; k < state.pixels.size(); ++k) {
      state.pixels[k] = k % 4 == 3 ? 255 : static_cast<std::uint8_t>(random() & 0xFF);
    }
    ASSERT_TRUE(UploadPictureTexture(state));
  }

  std::vector<std::uint8_t> DrawPieces() {
    glClearColor(1.0f, 0.0f, 1.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glBindTexture(GL_TEXTURE_2D, state.stillTexture);
    std::array<float, 16> matrix{};
    for (std::uint32_t k = 0; k < state.pieceCount; ++k) {
      glPushMatrix();
      PoseToMatrix(state.pieces[k], matrix);
      glLoadMatrixf(matrix.data());
      glCallList(state.pieceListBase + k);
      glPopMatrix();
    }
    return context.ReadPixels();
  }

  static int CountTablePixels(const std::vector<std::uint8_t>& frame) {
    int table = 0;
    for (std::size_t at = 0; at < frame.size(); at += 4) {
      table += frame[at] == 255 && frame[at + 1] == 0 && frame[at + 2] == 255;
    }
    return table;
  }

  static int CountDifferent(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
    int different = 0;
    for (std::size_t at = 0; at + 3 < a.size(); at += 4) {
      different += a[at] != b[at] || a[at + 1] != b[at + 1] || a[at + 2] != b[at + 2];
    }
    return different;
  }
};

TEST_F(ApplyOptionsGlTest, ANewFormReshapesThePiecesWhereTheyLie) {
  LoadNoisePicture(160, 120);
  options.form = 1;
  options.columns = 4;
  options.showEdges = false;
  ASSERT_TRUE(LayOutOnHomes(state, options));
  ASSERT_TRUE(puzzle::BuildPieceLists(state, options));
  // Spread the pieces apart so that every outline stands against the table.
  for (PiecePose& pose : state.pieces) {
    pose.x *= 1.8f;
    pose.y *= 1.8f;
  }
  state.gameRunning = true;
  const std::vector<PiecePose> poses = state.pieces;
  const auto square = DrawPieces();

  MeshPort port;
  options.form = 3;
  options.bulge = 0.45f;
  ASSERT_TRUE(ApplyOptionsToGame(state, options, port));
  EXPECT_EQ(port.builds, 1);
  const auto round = DrawPieces();
  for (std::size_t k = 0; k < poses.size(); ++k) {
    EXPECT_EQ(state.pieces[k].x, poses[k].x);
    EXPECT_EQ(state.pieces[k].y, poses[k].y);
    EXPECT_EQ(state.pieces[k].orient, poses[k].orient);
  }
  // Form 3 pieces span a lattice cell plus knobs: the outlines change a lot.
  EXPECT_GT(CountDifferent(square, round), 2000);
  EXPECT_NE(CountTablePixels(square), CountTablePixels(round));

  options.form = 1;
  options.bulge = 0.33f;
  ASSERT_TRUE(ApplyOptionsToGame(state, options, port));
  EXPECT_EQ(CountDifferent(square, DrawPieces()), 0);
}

}  // namespace
}  // namespace puzzle
