// Picking against what the GL really drew: every pixel that shows piece k
// picks k, and no pixel of the Prompt hint picks anything.
#include <GL/gl.h>

#include <algorithm>

#include "game/check.h"
#include "game/home_layout.h"
#include "render/frame_renderer.h"
#include "render/textures.h"
#include "support/fake_graphics_port.h"
#include "support/headless_gl.h"
#include "support/scripted_platform.h"

namespace puzzle {
namespace {

constexpr int W = 280;
constexpr int H = 200;
constexpr int PICTURE_W = 198;
constexpr int PICTURE_H = 132;

class PickingGlTest : public testing::HeadlessGlTest {
 protected:
  TableMesh mesh;
  Fonts fonts;
  ScrollBars bars;
  ShellInput shell;
  PickingState picking;
  History history;
  testing::ScriptedPlatform platform;
  testing::FakeGraphicsPort graphics;
  std::vector<float> depths;

  void SetUp() override {
    OpenView(W, H);
    ASSERT_TRUE(BuildFonts(fonts, state.pixelScale));
  }
  void TearDown() override {
    ClearTableMesh(mesh);
    DeletePictureTextures(state);
    DeleteFonts(fonts);
  }

  void LayOut(std::uint8_t form, bool edges, std::uint32_t columns) {
    state.imageWidth = PICTURE_W;
    state.imageHeight = PICTURE_H;
    state.frameCount = 1;
    state.pixels.assign(static_cast<std::size_t>(PICTURE_W) * PICTURE_H * 4, 200);
    options.form = form;
    options.columns = columns;
    options.showEdges = edges;
    options.showFrame = false;
    options.brandedBackground = false;
    ASSERT_TRUE(LayOutOnHomes(state, options));
    ASSERT_TRUE(UploadPictureTexture(state));
    ASSERT_TRUE(BuildTableMesh(mesh, state, options));
    state.gameRunning = true;
    state.imageFresh = false;
    state.selected = -1;
  }

  // Draws the frame as the window does and keeps its depth buffer for the
  // picking to read.
  void DrawTable() {
    EdgeScrollFlags edges;
    FrameTiming timing;
    FrameRecords records{state, options, view, table, bars, shell, edges, timing};
    DrawFrame(DrawingInputs(records, fonts, mesh));
    depths.assign(static_cast<std::size_t>(W) * H, 1.0f);
    glReadPixels(0, 0, W, H, GL_DEPTH_COMPONENT, GL_FLOAT, depths.data());
    graphics.depthAt = [this](int x, int y) { return depths[static_cast<std::size_t>(y) * W + x]; };
  }

  // Which piece (index + 1, 0 for none) each pixel shows, bottom row first:
  // the same faces and edges in the same order as the frame, each piece in a
  // colour of its own.
  std::vector<std::uint32_t> DrawPieceIds() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, -TABLE_DEPTH);
    glEnableClientState(GL_VERTEX_ARRAY);
    const auto id = [](std::size_t k) {
      glColor3ub(static_cast<GLubyte>((k + 1) & 0xFF), static_cast<GLubyte>((k + 1) >> 8), 0);
    };
    glVertexPointer(3, GL_FLOAT, 0, mesh.facePositions.data());
    for (std::size_t k = 0; k < mesh.spans.size(); ++k) {
      id(k);
      glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(mesh.spans[k].faceIndexCount), GL_UNSIGNED_INT,
                     mesh.faceIndices.data() + mesh.spans[k].faceIndex);
    }
    if (mesh.edges) {
      glLineWidth(1.0f);
      glVertexPointer(3, GL_FLOAT, 0, mesh.edgePositions.data());
      for (std::size_t k = 0; k < mesh.spans.size(); ++k) {
        id(k);
        glDrawElements(GL_LINES, static_cast<GLsizei>(mesh.spans[k].edgeIndexCount), GL_UNSIGNED_INT,
                       mesh.edgeIndices.data() + mesh.spans[k].edgeIndex);
      }
    }
    glDisableClientState(GL_VERTEX_ARRAY);
    glLoadIdentity();
    const std::vector<std::uint8_t> rgba = context.ReadPixels();
    std::vector<std::uint32_t> ids(static_cast<std::size_t>(W) * H);
    for (std::size_t at = 0; at < ids.size(); ++at) ids[at] = rgba[4 * at] | (rgba[4 * at + 1] << 8);
    return ids;
  }

  // Hovers client pixel (x, y from the top) on a table where nothing is
  // selected, and puts the table back: true when the hover picked `want`
  // (-1: nothing) and raised nothing else.
  bool Picks(int x, int y, std::int32_t want) {
    const std::vector<PiecePose> before = state.pieces;
    PointerRecords records{state, options, view, table, shell, picking, bars, history};
    OnMouseMove(records, platform, graphics, x, y);
    const bool right = state.selected == want && (want >= 0 || state.pieces[0].z == before[0].z);
    state.selected = -1;
    state.pieces = before;
    return right;
  }
};

TEST_F(PickingGlTest, EveryPixelOfAPiecePicksItAndTheHintPicksNothingAtEveryZoom) {
  // 3 columns make pieces of 66 pixels, 15 of about 13: at 50 % about 6
  // screen pixels, at 200 % the picture reaches past the window.
  const struct {
    double zoom;
    std::uint32_t columns;
  } cases[] = {{1.0, 3}, {1.0, 15}, {0.5, 15}, {2.0, 3}};
  for (std::uint8_t form = 1; form <= 4; ++form) {
    for (bool edges : {false, true}) {
      for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "form " << int{form} << (edges ? " with" : " without")
                                          << " edges, " << c.columns << " columns at " << c.zoom);
        table.zoom = c.zoom;
        LayOut(form, edges, c.columns);
        DrawTable();
        const std::vector<std::uint32_t> ids = DrawPieceIds();
        int shown = 0;
        int wrong = 0;
        for (int y = 0; y < H; ++y) {
          for (int x = 0; x < W; ++x) {
            const std::uint32_t id = ids[static_cast<std::size_t>(H - 1 - y) * W + x];
            if (id == 0) continue;
            ++shown;
            if (!Picks(x, y, static_cast<std::int32_t>(id) - 1)) ++wrong;
          }
        }
        EXPECT_EQ(wrong, 0) << "of " << shown << " pixels showing a piece";

        // The hint covers the picture's place; its pixels pick nothing, and
        // no piece is raised through it.
        ASSERT_TRUE(ShowPrompt(state, 60.0f));
        DrawTable();
        const int halfW = std::min(W / 2, static_cast<int>(PICTURE_W * c.zoom / 2));
        const int halfH = std::min(H / 2, static_cast<int>(PICTURE_H * c.zoom / 2));
        int pierced = 0;
        for (int y = H / 2 - halfH + 1; y < H / 2 + halfH - 1; ++y) {
          for (int x = W / 2 - halfW + 1; x < W / 2 + halfW - 1; ++x) pierced += !Picks(x, y, -1);
        }
        EXPECT_EQ(pierced, 0);
        state.promptShowing = false;
      }
    }
  }
}

}  // namespace
}  // namespace puzzle
