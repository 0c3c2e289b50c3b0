#include "game/new_game.h"

#include <algorithm>
#include <cstdlib>
#include <new>
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

// With nothing loaded, the game is played on what the window shows.
bool CaptureScreen(GameState& state, const TableView& table, const GameOptions& options, Platform& platform,
                   GraphicsPort& graphics, WaitCursor& cursor) {
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

bool CheckAndUploadPicture(GameState& state, const GameOptions& options, Platform& platform,
                           GraphicsPort& graphics, WaitCursor& cursor) {
  if (!PictureFitsTheGame(state.imageWidth, state.imageHeight, state.maxTextureSize, platform,
                          options.russianUi)) {
    return false;
  }
  cursor.Show();
  if (graphics.UploadPictureTexture(state)) return true;
  Tell(platform, Tr(texts::TEXTURE_FAILED, options.russianUi), texts::CAPTION_ERROR_UPPER, MessageIcon::Stop,
       options.russianUi);
  return false;
}

// Cells about square, columns across. Nothing is written until the
// grid is accepted, so that a refused Start leaves a running game (and its
// columns x rows = pieceCount) as it was and the chosen number still pending.
bool ChooseGrid(GameState& state, GameOptions& options, Platform& platform) {
  const bool ru = options.russianUi;
  const std::uint32_t columns = options.pendingColumns != 0 ? options.pendingColumns : options.columns;
  if (columns < 2) {
    Tell(platform, Tr(texts::COLUMNS_TOO_FEW, ru), texts::CAPTION_ERROR_UPPER, MessageIcon::Stop, ru);
    return false;
  }
  const auto width = static_cast<std::uint32_t>(state.imageWidth);
  if (columns > width) {
    Tell(platform, FormatText(Tr(texts::TOO_MANY_COLUMNS, ru), state.imageWidth), texts::CAPTION_ERROR_UPPER,
         MessageIcon::Stop, ru);
    return false;
  }
  const std::uint32_t rows = GridRows(state.imageWidth, state.imageHeight, columns);
  const std::uint64_t count = static_cast<std::uint64_t>(rows) * columns;
  if (count > MAX_PIECES) {
    Tell(platform, Tr(texts::TOO_MANY_PIECES, ru), texts::CAPTION_ERROR_UPPER, MessageIcon::Stop, ru);
    return false;
  }
  options.columns = columns;
  options.pendingColumns = 0;
  state.rows = rows;
  state.pieceCount = static_cast<std::uint32_t>(count);
  if (state.selected >= static_cast<std::int32_t>(state.pieceCount)) state.selected = -1;
  return true;
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

  if (state.stillTexture != 0) {
    const Message question{Tr(texts::RESTART_QUESTION, ru), Tr(texts::RESTART_CAPTION, ru),
                           MessageButtons::YesNo, MessageIcon::Question, MessageOwner::None};
    if (platform.ShowMessage(question) != MessageAnswer::Yes) return false;
  } else if (!state.pixels.empty()) {
    if (!CheckAndUploadPicture(state, options, platform, graphics, cursor)) return false;
  } else if (!CaptureScreen(state, table, options, platform, graphics, cursor)) {
    return false;
  }

  if (!ChooseGrid(state, options, platform)) return false;
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
