#include "game/new_game.h"

#include <algorithm>
#include <cstdlib>
#include <new>
#include <optional>
#include <string>

#include "model/geometry.h"
#include "model/texts.h"

namespace puzzle {
namespace {

constexpr std::int32_t MIN_PICTURE_SIDE = 32;

void Tell(Platform& platform, const std::string& text, const UiText& caption, MessageIcon icon,
          bool russianUi) {
  platform.ShowMessage(Message{text, Tr(caption, russianUi), MessageButtons::Ok, icon, MessageOwner::None});
}

// The texture upload shows the wait cursor; whatever the outcome of Start, the
// player gets the previous cursor back.
class WaitCursor {
 public:
  explicit WaitCursor(Platform& platform) : platform_(platform) {}
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
  ~WaitCursor() {
    if (shown_) platform_.SetCursor(previous_);
  }
  void Show() {
    if (shown_) return;
    previous_ = platform_.Cursor();
    platform_.SetCursor(CursorShape::Wait);
    shown_ = true;
  }

 private:
  Platform& platform_;
  CursorShape previous_ = CursorShape::Arrow;
  bool shown_ = false;
};

struct Grid {
  std::uint32_t columns = 0;
  std::uint32_t rows = 0;
};

// Cells about square, columns across, for a picture of width x height.
// Nothing is written here, so that a refused Start leaves a running game
// (and its columns x rows = pieceCount) as it was, the chosen number still
// pending, and a fresh picture still held for its preview.
std::optional<Grid> ChooseGrid(std::int32_t width, std::int32_t height, const GameOptions& options,
                               Platform& platform) {
  const bool ru = options.russianUi;
  const std::uint32_t columns = options.pendingColumns != 0 ? options.pendingColumns : options.columns;
  if (columns < 2) {
    Tell(platform, Tr(texts::COLUMNS_TOO_FEW, ru), texts::CAPTION_ERROR_UPPER, MessageIcon::Stop, ru);
    return std::nullopt;
  }
  if (columns > static_cast<std::uint32_t>(width)) {
    Tell(platform, FormatText(Tr(texts::TOO_MANY_COLUMNS, ru), width), texts::CAPTION_ERROR_UPPER,
         MessageIcon::Stop, ru);
    return std::nullopt;
  }
  const std::uint32_t rows = GridRows(width, height, columns);
  if (static_cast<std::uint64_t>(rows) * columns > MAX_PIECES) {
    Tell(platform, Tr(texts::TOO_MANY_PIECES, ru), texts::CAPTION_ERROR_UPPER, MessageIcon::Stop, ru);
    return std::nullopt;
  }
  return Grid{columns, rows};
}

void TakeGrid(GameState& state, GameOptions& options, const Grid& grid) {
  options.columns = grid.columns;
  options.pendingColumns = 0;
  state.rows = grid.rows;
  state.pieceCount = grid.rows * grid.columns;
  if (state.selected >= static_cast<std::int32_t>(state.pieceCount)) state.selected = -1;
}

// With nothing loaded, the game is played on what the window shows.
bool CaptureScreen(GameState& state, const TableView& table, const GameOptions& options, Platform& platform,
                   GraphicsPort& graphics, WaitCursor& cursor, std::optional<Grid>& grid) {
  if (!options.brandedBackground) {
    Tell(platform, Tr(texts::LOAD_IMAGE_FIRST, options.russianUi), texts::CAPTION_ERROR, MessageIcon::None,
         options.russianUi);
    return false;
  }
  const std::int32_t w = table.clientWidth;
  const std::int32_t h = table.clientHeight;
  if (!(MIN_PICTURE_SIDE < w && w < state.maxTextureSize && MIN_PICTURE_SIDE < h &&
        h < state.maxTextureSize)) {
    return false;
  }
  if (!(grid = ChooseGrid(w, h, options, platform))) return false;
  const std::int32_t oldWidth = state.imageWidth;
  const std::int32_t oldHeight = state.imageHeight;
  state.imageWidth = w;
  state.imageHeight = h;
  bool ok = graphics.CaptureFrame(state);
  if (ok) {
    cursor.Show();
    ok = graphics.UploadPictureTexture(state);
  }
  if (!ok) {
    // Nothing was loaded before, and nothing is now.
    state.imageWidth = oldWidth;
    state.imageHeight = oldHeight;
    state.pixels.clear();
    state.pixels.shrink_to_fit();
    return false;
  }
  state.capturedImage = true;
  return true;
}

// The game keeps its picture only in the texture, so the pixels go there
// rather than being copied.
bool MovePictureOrTell(GameState& state, const GameOptions& options, Platform& platform,
                       GraphicsPort& graphics, WaitCursor& cursor) {
  cursor.Show();
  if (graphics.MovePictureToTexture(state)) return true;
  Tell(platform, Tr(texts::TEXTURE_FAILED, options.russianUi), texts::CAPTION_ERROR_UPPER, MessageIcon::Stop,
       options.russianUi);
  return false;
}

// The new game is seen unscrolled, with scroll room around a picture larger
// than the window.
void SetUpView(GameState& state, TableView& table, const GameOptions& options, ScrollBars& bars,
               const ShellInput& shell) {
  ResetTableView(table);
  SetUpGameScrollRoom(table, state, options, bars.scrollBarThickness);
  if (state.imageWidth + table.scrollMarginX > table.clientWidth ||
      state.imageHeight + table.scrollMarginY > table.clientHeight) {
    // Nothing is being dragged while a menu command runs.
    UpdateScrollBars(state, table, bars, shell.cursorX, shell.cursorY, EdgeScrollFlags{});
  }
}

// A game that failed half-way must not be drawn or played from its
// incomplete arrays.
bool Abandon(GameState& state) {
  state.gameRunning = false;
  return false;
}

}  // namespace

bool PictureFitsTheGame(std::int32_t width, std::int32_t height, std::int32_t maxTextureSize,
                        Platform& platform, bool russianUi) {
  if (width < MIN_PICTURE_SIDE || height < MIN_PICTURE_SIDE) {
    Tell(platform, Tr(texts::IMAGE_TOO_SMALL, russianUi), texts::CAPTION_ERROR, MessageIcon::None, russianUi);
    return false;
  }
  if (height > maxTextureSize || width > maxTextureSize) {
    Tell(platform, FormatText(Tr(texts::IMAGE_TOO_LARGE, russianUi), maxTextureSize),
         texts::CAPTION_ERROR_UPPER, MessageIcon::None, russianUi);
    return false;
  }
  return true;
}

void DropStillPicture(GameState& state) {
  if (state.frameCount > 1) return;
  state.pixels.clear();
  state.pixels.shrink_to_fit();
}

float ScatterSpeed(int draw) {
  const int v = draw < 15 ? draw + 15 : draw;
  const double speed = v * 0.00015;
  return static_cast<float>(v % 2 == 0 ? speed : -speed);
}

bool StartGame(GameState& state, TableView& table, GameOptions& options, Platform& platform,
               GraphicsPort& graphics, ScrollBars& bars, const ShellInput& shell) {
  const bool ru = options.russianUi;
  WaitCursor cursor(platform);

  // The grid is checked against the picture before its texture is made.
  std::optional<Grid> grid;
  if (state.stillTexture != 0) {
    const Message question{Tr(texts::RESTART_QUESTION, ru), Tr(texts::RESTART_CAPTION, ru),
                           MessageButtons::YesNo, MessageIcon::Question, MessageOwner::None};
    if (platform.ShowMessage(question) != MessageAnswer::Yes) return false;
    if (!(grid = ChooseGrid(state.imageWidth, state.imageHeight, options, platform))) return false;
  } else if (!state.pixels.empty()) {
    if (!PictureFitsTheGame(state.imageWidth, state.imageHeight, state.maxTextureSize, platform, ru) ||
        !(grid = ChooseGrid(state.imageWidth, state.imageHeight, options, platform)) ||
        !MovePictureOrTell(state, options, platform, graphics, cursor)) {
      return false;
    }
  } else if (!CaptureScreen(state, table, options, platform, graphics, cursor, grid)) {
    return false;
  }

  TakeGrid(state, options, *grid);
  ComputePictureHalfSizes(state);

  try {
    state.pieces.assign(state.pieceCount, PiecePose{});
    state.homeX.assign(state.pieceCount, 0.0f);
    state.homeY.assign(state.pieceCount, 0.0f);
  } catch (const std::bad_alloc&) {
    Tell(platform, Tr(texts::OUT_OF_MEMORY, ru), texts::CAPTION_ERROR_UPPER, MessageIcon::Stop, ru);
    return Abandon(state);
  }

  SetUpView(state, table, options, bars, shell);

  // The game opens on the assembled picture.
  if (!ComputeCellsAndHomes(state, options)) return Abandon(state);
  PutPiecesOnHomes(state);

  if (!graphics.BuildPieceMeshes(state, options)) {
    Tell(platform, Tr(texts::OUT_OF_MEMORY, ru), texts::CAPTION_ERROR_UPPER, MessageIcon::Stop, ru);
    return Abandon(state);
  }

  state.scatterVX.assign(state.pieceCount, 0.0f);
  state.scatterVY.assign(state.pieceCount, 0.0f);
  std::srand(platform.TickMs());
  for (std::uint32_t k = 0; k < state.pieceCount; ++k) {
    const int a = std::rand() % 100;
    const int b = std::rand() % 100;
    state.scatterVX[k] = ScatterSpeed(a);
    state.scatterVY[k] = ScatterSpeed(b);
  }
  state.angles.assign(state.pieceCount, 0.0f);

  options.angleStepRad = AngleStepToRadians(options.angleStep);
  // A turn or settle left over from the previous game would act on the new
  // pieces (or on a selection that no longer exists).
  state.rotationLeft = 0;
  state.settleRunning = false;
  state.scatterRunning = true;
  return true;
}

bool StartCommand(GameState& state, TableView& table, GameOptions& options, Platform& platform,
                  GraphicsPort& graphics, ScrollBars& bars, const ShellInput& shell, History& history) {
  if (!StartGame(state, table, options, platform, graphics, bars, shell)) return false;
  ClearHistories(history, platform);
  state.imageFresh = false;
  state.gameRunning = true;
  state.scatterClockReset = true;
  DropStillPicture(state);
  state.gameChanged = true;
  return true;
}

}  // namespace puzzle
