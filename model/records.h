// The shared records of the one current game: where each piece lies
// (PiecePose), the game itself (GameState) and the user's options
// (GameOptions), plus the fixed scene constants.
//
// One instance of each lives in the application object for the whole run;
// every function takes the records it touches by reference. Writers by field
// group: picture fields by image loading, Start and the game-file reader;
// grid, pieces and scatter fields by Start and the reader; the scales by the
// GL view set-up; run flags by the command dispatch and the
// animation; options by the settings reader, the Options dialog and the
// Number-of-pieces dialog. The GL names held here are plain numbers so that
// the rules never need a GL header.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace puzzle {

// The camera sits at the origin looking down -z; the table lies at -TABLE_DEPTH.
inline constexpr double NEAR_PLANE = 4.704630109478455;
inline constexpr double FAR_PLANE = 6.704630109478455;
inline constexpr float TABLE_DEPTH = 5.70463f;

inline constexpr std::uint32_t MAX_PIECES = 10000;
inline constexpr int MAX_FRAMES = 24000;
// Paths are held as in the game file: at most 259 bytes and a terminator.
inline constexpr std::size_t PATH_CAPACITY = 260;

// Twelve floats: the piece's own x, y and z axes in table coordinates (the
// columns of its rotation), then its centre.
struct PiecePose {
  std::array<float, 9> orient{1, 0, 0, 0, 1, 0, 0, 0, 1};
  float x = 0;
  float y = 0;
  float z = 0;
};

// Whether the first `count` poses of a and b are the same bytes, pose
// `except` left out (none when negative). Compared as two runs either side of
// it: the check runs on every frame of a drag, where pose by pose it cost as
// much as drawing the frame.
static_assert(sizeof(PiecePose) == 12 * sizeof(float), "a pose has no padding to compare");
inline bool SamePoseBytesExcept(const PiecePose* a, const PiecePose* b, std::size_t count,
                                std::int32_t except) {
  const std::size_t skipped = except >= 0 ? std::min(static_cast<std::size_t>(except), count) : count;
  const std::size_t after = std::min(skipped + 1, count);
  return std::memcmp(a, b, skipped * sizeof(PiecePose)) == 0 &&
         std::memcmp(a + after, b + after, (count - after) * sizeof(PiecePose)) == 0;
}

inline constexpr std::array<float, 9> IDENTITY_ORIENT{1, 0, 0, 0, 1, 0, 0, 0, 1};

// A piece's edge loops lie this far in front of and behind its face, so that
// a piece lying face down shows its outline too.
inline constexpr float EDGE_OFFSET = 5e-7f;

// Resting depth of piece k: lower indices lie on top.
inline float RestingDepth(std::uint32_t k) {
  return static_cast<float>(-(static_cast<double>(TABLE_DEPTH) + k * 0.000001));
}

struct GameState {
  // Picture
  std::string imagePath;
  std::string fileTitle;
  std::int32_t imageWidth = 0;
  std::int32_t imageHeight = 0;
  // RGBA, rows bottom-up; an animated picture holds its first frame and then
  // the change of each later one (storage/image_loader.h). Empty when no
  // decoded picture is held.
  std::vector<std::uint8_t> pixels;
  // Every pixel of every frame has alpha 255; worked out when the picture
  // is taken, since a running game keeps its picture only in the texture.
  bool pictureOpaque = false;
  std::int32_t frameCount = 1;
  std::vector<std::uint16_t> frameDelays;  // milliseconds, one per frame
  // While a fresh animated picture is previewed: its frame shownFrameIndex
  // whole, composed from the first frame and the changes after it.
  std::vector<std::uint8_t> shownFrame;
  std::int32_t shownFrameIndex = -1;
  // The picture's one texture; for an animated picture it holds frame
  // textureFrame, written again when another frame is shown.
  std::uint32_t stillTexture = 0;
  std::int32_t textureFrame = 0;
  // The GL has made the texture's mipmaps (for a table shown below 100 %).
  bool textureMipmapped = false;
  std::int32_t textureWidth = 0;
  std::int32_t textureHeight = 0;
  float texMaxS = 0;
  float texMaxT = 0;
  bool capturedImage = false;
  bool imageFresh = false;

  // Grid and pieces
  std::uint32_t rows = 0;
  std::uint32_t pieceCount = 0;
  std::vector<PiecePose> pieces;
  std::vector<float> homeX;
  std::vector<float> homeY;
  std::vector<float> angles;
  std::int32_t selected = -1;
  float halfPicW = 0;
  float halfPicH = 0;
  float backHalfPicW = 0;
  float backHalfPicH = 0;
  float halfCellW = 0;
  float halfCellH = 0;
  float halfCellDiag = 0;
  float bulgeSpanX = 0;
  float bulgeHalfY = 0;
  float bulgeSpanY = 0;
  float bulgeHalfX = 0;
  // The form and bulge the cells above were laid out with. The options may
  // already hold others (an Options dialog still open); the pieces on the
  // table keep these until they are built again.
  std::uint8_t pieceForm = 1;
  float pieceBulge = 0.33f;

  // Scatter and run state
  std::vector<float> scatterVX;
  std::vector<float> scatterVY;
  bool gameRunning = false;
  bool scatterRunning = false;
  bool settleRunning = false;
  bool scatterClockReset = false;
  std::uint32_t scatterStartTick = 0;
  float rotationLeft = 0;
  bool turnInPlane = false;
  bool flipAboutVertical = false;
  bool flipAboutHorizontal = false;
  bool gameChanged = false;
  // The finished picture has announced itself and the table has not been
  // seen unfinished since: the congratulation comes once per finish.
  bool finishAnnounced = false;
  bool promptShowing = false;
  float promptAlpha = 0;
  float promptHold = 0;
  std::string gameFilePath;

  // pixelScale is fixed when the GL view is first set up; where the window
  // looks at the table is TableView's (view/table_view.h).
  double pixelScale = 1.0 / 600.0;
  float backPixelScale = 0;
  std::int32_t maxTextureSize = 0;
};

// The pieces the rules may touch. Start and the game reader make the
// per-piece arrays together, but a Start that failed half-way can leave them
// shorter than pieceCount, so every loop and index is bounded by this one
// count.
inline std::size_t HeldPieces(const GameState& state) {
  return std::min({static_cast<std::size_t>(state.pieceCount), state.pieces.size(), state.homeX.size(),
                   state.homeY.size()});
}

// Background, frame and centres colours, R, G, B each.
inline constexpr std::array<float, 9> DEFAULT_COLORS{0, 0, 0.75f, 1, 0, 0, 1, 1, 0};

// The nine speeds of a turn, degrees per frame; each divides 45 exactly.
inline constexpr std::array<float, 9> ANGLE_STEPS{0.25f, 0.5f, 1, 1.5f, 3, 5, 9, 15, 45};

constexpr float AngleStepToRadians(float angleStep) {
  return static_cast<float>(angleStep * 0.017453292519943295);
}

struct GameOptions {
  std::uint8_t form = 1;
  float bulge = 0.33f;
  float angleStep = 3.0f;
  float angleStepRad = AngleStepToRadians(3.0f);
  std::int32_t scatterSeconds = 15;
  bool showEdges = true;
  bool showFrame = true;
  bool showCentres = false;
  std::array<float, 9> colors = DEFAULT_COLORS;
  bool brandedBackground = true;
  bool gameRotate = true;
  bool game3D = false;
  std::uint32_t columns = 12;
  std::uint32_t pendingColumns = 0;
  std::string gameDirectory;
  std::string imageDirectory;
  // Game files last opened or saved, the latest first (File > Recent games).
  std::vector<std::string> recentGames;
  std::array<std::int32_t, 4> windowRect{0, 0, 770, 570};
  bool firstRun = false;
  bool russianUi = false;
};

}  // namespace puzzle
