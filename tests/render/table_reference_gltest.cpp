// The table as the renderer draws it, compared with small reference images in
// tests/render/ref/: every form and bulge, edges on and off, the picture frame
// and cell centres, the selected and held colours, turned, flipped and
// half-turned pieces, overlapping pieces, the scatter, an animated picture and
// the Prompt overlay. PUZZLE_WRITE_TABLE_REFERENCES=1 writes them anew.
#include <GL/gl.h>

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <numbers>
#include <ostream>
#include <string>

#include "game/frame_steps.h"
#include "game/home_layout.h"
#include "game/picking.h"
#include "model/orientation.h"
#include "render/fonts.h"
#include "render/frame_renderer.h"
#include "render/gl_graphics_port.h"
#include "render/kept_layer.h"
#include "render/textures.h"
#include "storage/image_loader.h"
#include "support/headless_gl.h"
#include "view/view.h"

namespace puzzle {
namespace {

constexpr int W = 240;
constexpr int H = 180;
constexpr int PICTURE_W = 150;
constexpr int PICTURE_H = 110;
// 25-pixel cells: four rows, 24 pieces.
constexpr std::uint32_t COLUMNS = 6;
constexpr std::uint32_t PIECES = 24;
constexpr float PI = std::numbers::pi_v<float>;

// Red grows to the right, green upwards, blue rings round the centre; the
// second frame of an animated picture has its colours turned round, so a
// piece showing the wrong frame stands out.
void AppendFrame(std::vector<std::uint8_t>& pixels, bool inverted) {
  for (int y = 0; y < PICTURE_H; ++y) {
    for (int x = 0; x < PICTURE_W; ++x) {
      const double dx = x - PICTURE_W / 2.0, dy = y - PICTURE_H / 2.0;
      const auto r = static_cast<std::uint8_t>(255 * x / (PICTURE_W - 1));
      const auto g = static_cast<std::uint8_t>(255 * y / (PICTURE_H - 1));
      const auto b = static_cast<std::uint8_t>(128 + 127 * std::sin(std::sqrt(dx * dx + dy * dy) / 5.0));
      if (inverted) {
        pixels.insert(pixels.end(), {b, r, g, 255});
      } else {
        pixels.insert(pixels.end(), {r, g, b, 255});
      }
    }
  }
}

struct Records {
  ScrollBars bars;
  ShellInput shell;
  EdgeScrollFlags edges;
  Fonts fonts;
  FrameTiming timing;
};

// One look of the table: the options it is cut with, and what happens to the
// pieces on their homes before the frame is drawn.
struct Scene {
  const char* name;
  std::uint8_t form;
  float bulge;
  bool edges;
  bool frame;
  bool centres;
  int frames;  // 2: an animated picture showing its second frame
  std::function<void(GameState&, Records&)> arrange;
};

// Moves piece k by (cx, cy) cells.
void Shift(GameState& state, std::size_t k, float cx, float cy) {
  state.pieces[k].x += cx * 2 * state.halfCellW;
  state.pieces[k].y += cy * 2 * state.halfCellH;
}

// Overlaps, turns in the plane, a flipped piece, two pieces half way through a
// 3D turn, a piece off the picture, and the selected piece.
void Mixed(GameState& state, Records&) {
  Shift(state, 0, 0.55f, 0.35f);
  Shift(state, 6, -0.3f, -0.45f);
  RotatePose(state.pieces[7], 0, 0, 1, PI / 4);
  RotatePose(state.pieces[8], 0, 1, 0, PI);
  SnapOrientation(state.pieces[8]);
  RotatePose(state.pieces[11], 1, 0, 0, PI / 3);
  RotatePose(state.pieces[13], 0, 1, 0, 2.2f);
  RotatePose(state.pieces[19], 0, 0, 1, -3 * PI / 4);
  Shift(state, 19, 1.4f, 0.2f);
  state.selected = 12;
}

void Held(GameState& state, Records& r) {
  Mixed(state, r);
  state.selected = 9;
  Shift(state, 9, -0.6f, 0.3f);
  state.pieces[9].z = RestingDepth(0) + 0.001f;
  r.shell.leftButtonDown = true;
}

// Every piece somewhere else at its own angle, as in the middle of the scatter.
void Scattered(GameState& state, Records&) {
  for (std::size_t k = 0; k < state.pieces.size(); ++k) {
    const auto f = static_cast<float>(k);
    RotatePose(state.pieces[k], 0, 0, 1, 0.7f * f);
    state.pieces[k].x = 0.9f * std::sin(1.3f * f) * state.halfPicW;
    state.pieces[k].y = 0.9f * std::cos(2.1f * f) * state.halfPicH;
  }
}

void Prompted(GameState& state, Records& r) {
  Scattered(state, r);
  state.promptShowing = true;
  state.promptAlpha = 0.5f;
}

void AnimatedSecondFrame(GameState& state, Records& r) {
  Mixed(state, r);
  r.timing.frameIndex = 1;
}

void OnHomes(GameState&, Records&) {}

// clang-format off
const Scene SCENES[] = {
    {"form1",            1, 0.33f, true,  true,  true,  1, Mixed},
    {"form2",            2, 0.33f, true,  true,  true,  1, Mixed},
    {"form3",            3, 0.33f, true,  true,  true,  1, Mixed},
    {"form4",            4, 0.33f, true,  true,  true,  1, Mixed},
    {"form2_bulge45",    2, 0.45f, true,  false, false, 1, Held},
    {"form3_bulge21",    3, 0.21f, true,  true,  false, 1, Held},
    {"form4_bulge45",    4, 0.45f, false, true,  true,  1, Mixed},
    {"form1_no_edges",   1, 0.33f, false, false, true,  1, Held},
    {"form3_no_edges",   3, 0.40f, false, true,  false, 1, OnHomes},
    {"form4_scattered",  4, 0.30f, true,  true,  false, 1, Scattered},
    {"form2_scattered",  2, 0.25f, true,  false, false, 1, Scattered},
    {"form1_prompt",     1, 0.33f, true,  true,  false, 1, Prompted},
    {"form2_animated",   2, 0.33f, true,  true,  false, 2, AnimatedSecondFrame},
};
// clang-format on

// A failing scene is named by its name, not by its bytes.
void PrintTo(const Scene& scene, std::ostream* out) {
  *out << scene.name;
}

std::string ReferencePath(const Scene& scene) {
  return std::string(PUZZLE_TEST_SOURCE_DIR) + "/render/ref/table_" + scene.name + ".png";
}

using Rgb = std::array<int, 3>;

Rgb At(const std::vector<std::uint8_t>& rgb, int x, int y) {
  const std::size_t at = (static_cast<std::size_t>(y) * W + static_cast<std::size_t>(x)) * 3;
  return {rgb[at], rgb[at + 1], rgb[at + 2]};
}

bool Near(const Rgb& a, const Rgb& b) {
  constexpr int TOLERANCE = 8;
  return std::abs(a[0] - b[0]) <= TOLERANCE && std::abs(a[1] - b[1]) <= TOLERANCE &&
         std::abs(a[2] - b[2]) <= TOLERANCE;
}

// Whether colour c shows within one pixel of (x, y) in image rgb.
bool ShowsNearby(const std::vector<std::uint8_t>& rgb, int x, int y, const Rgb& c) {
  for (int dy = -1; dy <= 1; ++dy) {
    for (int dx = -1; dx <= 1; ++dx) {
      const int nx = x + dx, ny = y + dy;
      if (nx >= 0 && nx < W && ny >= 0 && ny < H && Near(At(rgb, nx, ny), c)) return true;
    }
  }
  return false;
}

class TableReferenceTest : public testing::HeadlessGlTest, public ::testing::WithParamInterface<Scene> {
 protected:
  Records records;
  TableMesh mesh;
  GlGraphicsPort port{mesh};

  void SetUp() override { OpenView(W, H); }
  void TearDown() override { DeletePictureTextures(state); }

  // The frame, top row first, as image files hold it.
  std::vector<std::uint8_t> Draw(const Scene& scene) {
    state.imageWidth = PICTURE_W;
    state.imageHeight = PICTURE_H;
    state.frameCount = scene.frames;
    state.pixels.clear();
    AppendFrame(state.pixels, false);
    if (scene.frames == 2) {
      // The second frame changes the whole picture.
      state.pixels.insert(state.pixels.end(),
                          {0, 0, 0, 0, PICTURE_W & 0xFF, PICTURE_W >> 8, PICTURE_H & 0xFF, PICTURE_H >> 8});
      AppendFrame(state.pixels, true);
    }
    state.pictureOpaque = PictureOpaque(state.pixels, PICTURE_W, PICTURE_H, scene.frames);
    // Long enough that the frame shown stays for the one frame drawn.
    state.frameDelays.assign(static_cast<std::size_t>(scene.frames), 30000);
    state.imageFresh = true;
    options.form = scene.form;
    options.bulge = scene.bulge;
    options.columns = COLUMNS;
    options.showEdges = scene.edges;
    options.showFrame = scene.frame;
    options.showCentres = scene.centres;
    options.brandedBackground = false;
    SetClearColour(options);
    EXPECT_TRUE(LayOutOnHomes(state, options));
    EXPECT_EQ(state.pieceCount, PIECES);
    if (state.pieces.size() != PIECES) return {};
    EXPECT_TRUE(port.UploadPictureTexture(state));
    EXPECT_TRUE(port.BuildPieceMeshes(state, options));
    // The picture is cut: the whole picture no longer shows beneath.
    state.imageFresh = false;
    state.gameRunning = true;
    records.timing.pointerMovedAt = 1000;
    scene.arrange(state, records);
    FrameRecords frame{state,        options,       view,          table,
                       records.bars, records.shell, records.edges, records.timing};
    AdvanceFrame(frame, 1000);
    ShowPictureFrame(state, records.timing.frameIndex);
    DrawFrame(DrawingInputs(frame, records.fonts, mesh));
    const std::vector<std::uint8_t> rgba = context.ReadPixels();
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(W) * H * 3);
    for (std::size_t y = 0; y < H; ++y) {
      for (std::size_t x = 0; x < W; ++x) {
        for (std::size_t c = 0; c < 3; ++c) rgb[(y * W + x) * 3 + c] = rgba[((H - 1 - y) * W + x) * 4 + c];
      }
    }
    return rgb;
  }
};

// Each channel may differ by 8 (texture filtering may round differently on
// another GL), and a few pixels more where a line or outline passes one pixel
// further on: such a pixel's colour must show within one pixel in the
// reference, and the reference's colour within one pixel in the frame, and
// there may be at most one in a thousand. A missing or recoloured edge line,
// a wrong texture or a piece out of place fails that at once. On the
// headless Mesa context of the tests the table matches its references
// exactly.
TEST_P(TableReferenceTest, TableLooksAsInItsReferenceImage) {
  const Scene& scene = GetParam();
  const std::vector<std::uint8_t> drawn = Draw(scene);
  ASSERT_FALSE(drawn.empty());
  const std::string path = ReferencePath(scene);
  if (std::getenv("PUZZLE_WRITE_TABLE_REFERENCES") != nullptr) {
    ASSERT_NE(stbi_write_png(path.c_str(), W, H, 3, drawn.data(), W * 3), 0) << path;
    return;
  }
  int width = 0, height = 0, channels = 0;
  stbi_uc* loaded = stbi_load(path.c_str(), &width, &height, &channels, 3);
  ASSERT_NE(loaded, nullptr) << "cannot read " << path;
  const std::vector<std::uint8_t> reference(loaded, loaded + static_cast<std::size_t>(W) * H * 3);
  stbi_image_free(loaded);
  ASSERT_EQ(width, W);
  ASSERT_EQ(height, H);

  int differing = 0, unexplained = 0;
  for (int y = 0; y < H; ++y) {
    for (int x = 0; x < W; ++x) {
      const Rgb got = At(drawn, x, y), want = At(reference, x, y);
      if (Near(got, want)) continue;
      ++differing;
      if (!ShowsNearby(reference, x, y, got) || !ShowsNearby(drawn, x, y, want)) {
        if (++unexplained <= 5) ADD_FAILURE() << "pixel (" << x << ", " << y << ") from the top";
      }
    }
  }
  EXPECT_EQ(unexplained, 0);
  // Shifted edge pixels stay few.
  EXPECT_LE(differing, W * H / 1000) << differing << " pixels differ";
}

// A drag or a turn drawn over the kept layer shows the very pixels of the
// whole table: the piece held above the others (edges on and off, selected
// colours, every form), beneath them, turning in the plane, and a piece on the
// picture's edge, where the layer is not used.
TEST_P(TableReferenceTest, KeptLayerFramesMatchTheWholeTable) {
  const Scene& scene = GetParam();
  ASSERT_FALSE(Draw(scene).empty());
  FrameRecords frame{state, options, view, table, records.bars, records.shell, records.edges, records.timing};
  const FrameInputs inputs = DrawingInputs(frame, records.fonts, mesh);
  KeptLayer layer;
  struct Move {
    const char* name;
    std::size_t piece;
    float z;  // 0: raised as a selected piece
    float turn;
    bool layered;
  };
  const float raised = static_cast<float>(RAISE_DEPTH_PICK) - TABLE_DEPTH;
  const Move moves[] = {{"held over others", 14, raised, 0, !state.promptShowing},
                        {"turning", 15, raised, 90, !state.promptShowing},
                        {"held beneath others", 9, RestingDepth(PIECES) - 0.001f, 0, false},
                        {"held on the edge", 0, raised, 0, false}};
  for (const Move& move : moves) {
    SCOPED_TRACE(move.name);
    state.selected = static_cast<std::int32_t>(move.piece);
    state.pieces[move.piece].z = move.z;
    records.shell.leftButtonDown = move.turn == 0;
    state.rotationLeft = move.turn;
    state.turnInPlane = move.turn != 0;
    for (int step = 0; step < 3; ++step) {
      Shift(state, move.piece, 0.4f, -0.25f);
      RotatePose(state.pieces[move.piece], 0, 0, 1, move.turn != 0 ? PI / 8 : 0);
      DrawFrameKept(inputs, layer);
      const std::vector<std::uint8_t> kept = context.ReadPixels();
      EXPECT_EQ(layer.valid, move.layered);
      DrawFrame(inputs);
      ASSERT_EQ(kept, context.ReadPixels()) << "step " << step;
    }
  }

  // At rest under the branded background and its caption, their colours
  // cycling: drawn over the last frame, without the copy, a frame has the
  // pixels and depth of the layer copied under them, where pieces cover the
  // caption and where it shows.
  state.selected = -1;
  records.shell.leftButtonDown = false;
  state.rotationLeft = 0;
  state.turnInPlane = false;
  options.brandedBackground = true;
  records.timing.captionDue = true;
  BuildFonts(records.fonts, state.pixelScale);
  layer.targetKept = true;
  const auto depth = [] {
    std::vector<float> values(static_cast<std::size_t>(W) * H);
    glReadPixels(0, 0, W, H, GL_DEPTH_COMPONENT, GL_FLOAT, values.data());
    return values;
  };
  for (int step = 0; step < 4; ++step) {
    // Then with the pieces moved aside, so that the caption shows.
    if (step == 2)
      for (PiecePose& pose : state.pieces) pose.x += 1.0f;
    for (int k = 0; k < 7; ++k) {
      TurnFanColours(view);
      StepFanColours(view);
    }
    DrawFrameKept(inputs, layer);
    const auto over = std::pair(context.ReadPixels(), depth());
    EXPECT_EQ(layer.shown, !state.promptShowing);
    layer.shown = false;
    DrawFrameKept(inputs, layer);
    ASSERT_TRUE(over == std::pair(context.ReadPixels(), depth())) << "step " << step;
  }
  DeleteFonts(records.fonts);
  ReleaseKeptLayer(layer);
}

INSTANTIATE_TEST_SUITE_P(Scenes, TableReferenceTest, ::testing::ValuesIn(SCENES),
                         [](const auto& scene) { return std::string(scene.param.name); });

}  // namespace
}  // namespace puzzle
