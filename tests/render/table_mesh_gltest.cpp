#include "render/table_mesh.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <random>

#include "game/home_layout.h"
#include "game/picking.h"
#include "model/geometry.h"
#include "model/orientation.h"
#include "render/gl_view.h"
#include "render/textures.h"
#include "support/headless_gl.h"

namespace puzzle {
namespace {

constexpr int VIEW = 256;

// Equal but for the rounding of texture filtering.
bool SameRgb(const std::array<std::uint8_t, 4>& a, const std::array<std::uint8_t, 4>& b) {
  return std::abs(a[0] - b[0]) <= 3 && std::abs(a[1] - b[1]) <= 3 && std::abs(a[2] - b[2]) <= 3;
}

class TableMeshTest : public testing::HeadlessGlTest {
 protected:
  void SetUp() override { OpenView(VIEW, VIEW); }
  TableMesh mesh;

  void TearDown() override { DeletePictureTextures(state); }

  // Noise, so that a piece showing the wrong part of the picture, or a gap
  // showing the table, cannot pass unnoticed.
  void LoadNoisePicture(int width, int height) {
    std::mt19937 random(7);
    state.imageWidth = width;
    state.imageHeight = height;
    state.frameCount = 1;
    state.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
    for (std::size_t k = 0; k < state.pixels.size(); ++k) {
      state.pixels[k] = k % 4 == 3 ? 255 : static_cast<std::uint8_t>(random() & 0xFF);
    }
    state.pictureOpaque = true;
    ASSERT_TRUE(UploadPictureTexture(state));
  }

  bool StartOnHomes(std::uint8_t form, float bulge, std::uint32_t columns, bool edges) {
    options.form = form;
    options.bulge = bulge;
    options.columns = columns;
    options.showEdges = edges;
    return LayOutOnHomes(state, options) && BuildTableMesh(mesh, state, options);
  }

  // The pieces as the frame renderer draws them, over a table coloured so
  // that it differs from any picture texel it shows through.
  std::vector<std::uint8_t> DrawTable(const Frustum* shown = nullptr) {
    glClearColor(1.0f, 0.0f, 1.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glBindTexture(GL_TEXTURE_2D, state.stillTexture);
    UpdateTableMesh(mesh, state.pieces);
    DrawTableMesh(mesh, state.pieceCount, -1, {}, -1, shown);
    return context.ReadPixels();
  }

  // Pixels of the picture's area that differ from the picture. Where a pixel
  // centre lies exactly on an edge two pieces share, each piece's own matrix
  // place rounds the edge a little differently and the pixel may fall to neither;
  // such a pixel is forgiven when it stands alone. A seam that opens is a
  // run of pixels.
  int CountWrongPixels(const std::vector<std::uint8_t>& frame) const {
    const int left = (VIEW - state.imageWidth) / 2, bottom = (VIEW - state.imageHeight) / 2;
    std::vector<std::pair<int, int>> wrong;
    for (int y = 0; y < state.imageHeight; ++y) {
      for (int x = 0; x < state.imageWidth; ++x) {
        if (!SameRgb(PixelAt(frame, VIEW, left + x, bottom + y),
                     PixelAt(state.pixels, state.imageWidth, x, y))) {
          wrong.emplace_back(x, y);
        }
      }
    }
    int unforgiven = 0;
    for (const auto& [x, y] : wrong) {
      const bool alone = std::none_of(wrong.begin(), wrong.end(), [&](const auto& other) {
        return other != std::pair{x, y} && std::abs(other.first - x) <= 1 && std::abs(other.second - y) <= 1;
      });
      if (!alone || wrong.size() > 3) ++unforgiven;
    }
    return unforgiven;
  }
};

TEST_F(TableMeshTest, AssembledPuzzleIsThePictureInEveryForm) {
  // Even margins put every picture pixel on a screen pixel at home. Three
  // columns of the nearly square picture give cells much taller than wide.
  const struct {
    int width, height;
    std::vector<std::uint32_t> columns;
  } pictures[] = {{200, 150, {2, 3, 7, 16}}, {202, 190, {3}}};
  for (const auto& [width, height, grids] : pictures) {
    LoadNoisePicture(width, height);
    for (std::uint8_t form = 1; form <= 4; ++form) {
      for (float bulge : {0.21f, 0.33f, 0.45f}) {
        for (std::uint32_t columns : grids) {
          ASSERT_TRUE(StartOnHomes(form, bulge, columns, false));
          EXPECT_EQ(CountWrongPixels(DrawTable()), 0) << width << " x " << height << " form " << int{form}
                                                      << ", bulge " << bulge << ", " << columns << " columns";
          // Whatever the drawing switched on for the faces, it switched off again.
          EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
          EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
          EXPECT_FALSE(glIsEnabled(GL_TEXTURE_COORD_ARRAY));
        }
      }
    }
  }
}

// Which vertices belong to which piece is seen in the references, where
// moved and turned pieces keep their shapes; here a piece put back where it
// was must be placed exactly as before, with no drift from the turns between.
TEST_F(TableMeshTest, APiecePutBackIsPlacedExactlyAsBefore) {
  LoadNoisePicture(200, 150);
  ASSERT_TRUE(StartOnHomes(3, 0.33f, 4, true));
  const std::vector<float> faces = mesh.facePositions, edges = mesh.edgePositions;
  const PiecePose home = state.pieces[5];
  state.pieces[5].x += 0.25f;
  RotatePose(state.pieces[5], 0, 0, 1, 0.5f);
  UpdateTableMesh(mesh, state.pieces);
  ASSERT_NE(mesh.facePositions, faces);
  state.pieces[5] = home;
  UpdateTableMesh(mesh, state.pieces);
  EXPECT_EQ(std::pair(mesh.facePositions, mesh.edgePositions), std::pair(faces, edges));

  // A change of any piece but the moving one is seen, at either end and on
  // either side of it; a pose made again is seen as unchanged, a sign of
  // zero too, so that the kept table is not drawn again on every frame.
  const auto last = static_cast<std::int32_t>(state.pieces.size()) - 1;
  struct Change {
    std::int32_t piece, except;
    bool seen;
  };
  for (const Change c : {Change{0, -1, true},
                         {last, -1, true},
                         {0, 0, false},
                         {last, last, false},
                         {4, 5, true},
                         {6, 5, true},
                         {5, 5, false},
                         {0, 5, true},
                         {last, 5, true}}) {
    PiecePose& pose = state.pieces[static_cast<std::size_t>(c.piece)];
    pose.x = pose.x == 0.0f ? -pose.x : 0.0f;
    EXPECT_EQ(PosesChangedExcept(mesh, state.pieces, c.except), c.seen) << c.piece << " beside " << c.except;
    UpdateTableMesh(mesh, state.pieces);
    EXPECT_FALSE(PosesChangedExcept(mesh, state.pieces, c.except)) << c.piece << " beside " << c.except;
  }

  // A form outside the four leaves nothing to draw.
  options.form = 7;
  EXPECT_FALSE(BuildTableMesh(mesh, state, options));
  EXPECT_TRUE(mesh.spans.empty() && mesh.facePositions.empty());
}

// Pieces out of view are left undrawn: zoomed in and slid, with pieces
// across every edge of the view, raised and tilted towards the eye, the
// frame is the one every piece makes.
TEST_F(TableMeshTest, PiecesOutOfViewLeftOutChangeNoPixel) {
  LoadNoisePicture(200, 150);
  const double pixel = 2 * HalfPixelOnTable(state.pixelScale);
  const struct {
    double zoom;
    float slideX, slideY;  // picture pixels
  } views[] = {{2.0, 0, 0}, {3.0, 37.5f, -21.25f}, {4.0, -80, 55}, {0.5, 300, 0}};
  for (const std::uint8_t form : {std::uint8_t{1}, std::uint8_t{4}}) {
    ASSERT_TRUE(StartOnHomes(form, 0.45f, 16, true));
    const std::vector<PiecePose> homes = state.pieces;
    for (const auto& v : views) {
      state.pieces = homes;
      for (PiecePose& pose : state.pieces) {
        pose.x += static_cast<float>(v.slideX * pixel);
        pose.y += static_cast<float>(v.slideY * pixel);
      }
      // Raised pieces, one turned about an axis in the table's plane.
      for (const std::size_t k : {std::size_t{0}, state.pieces.size() / 2, state.pieces.size() - 1}) {
        state.pieces[k].z = static_cast<float>(RAISE_DEPTH_PICK) - TABLE_DEPTH;
      }
      RotatePose(state.pieces[0], 0, 1, 0, 1.0f);
      table.zoom = v.zoom;
      LoadTableProjection(view, table);
      const Frustum shown = TableFrustum(view, table);
      EXPECT_EQ(DrawTable(&shown), DrawTable()) << "form " << int{form} << " at " << v.zoom;
    }
  }
}

// Picking reads the depth under the pointer: where pieces overlap it must
// be that of the lower index, as if that piece lay there alone.
TEST_F(TableMeshTest, OverlappingPiecesShowTheLowerIndexAtItsOwnDepth) {
  LoadNoisePicture(200, 150);
  for (const std::uint8_t form : {std::uint8_t{1}, std::uint8_t{4}}) {
    ASSERT_TRUE(StartOnHomes(form, 0.33f, 4, true));
    const PiecePose home1 = state.pieces[1], home6 = state.pieces[6];
    // Piece 6 put down exactly over piece 1.
    state.pieces[6].x = home1.x;
    state.pieces[6].y = home1.y;
    auto depthAt = [&](const PiecePose& where) {
      DrawTable();
      const double pixel = 2 * HalfPixelOnTable(state.pixelScale);
      const int x = VIEW / 2 + static_cast<int>(std::lround(where.x / pixel));
      const int y = VIEW / 2 + static_cast<int>(std::lround(where.y / pixel));
      float depth = 1.0f;
      glReadPixels(x, y, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
      return depth;
    };
    const float both = depthAt(home1);
    state.pieces[1].x += 1.0f;  // away, off the view
    const float sixAlone = depthAt(home1);
    state.pieces[1] = home1;
    state.pieces[6] = home6;
    const float oneAlone = depthAt(home1);
    EXPECT_EQ(both, oneAlone) << "form " << int{form};
    EXPECT_LT(both, sixAlone) << "form " << int{form};
    EXPECT_LT(sixAlone, 1.0f) << "form " << int{form};
  }
}

}  // namespace
}  // namespace puzzle
