#include "render/application_commands.h"

#include <GL/gl.h>

#include "game/check.h"
#include "game/commands.h"
#include "game/new_game.h"
#include "game/rotation.h"
#include "game/scatter.h"
#include "render/fonts.h"
#include "render/frame_renderer.h"
#include "render/gl_view.h"
#include "render/textures.h"
#include "storage/atomic_file.h"
#include "storage/recovery_files.h"

namespace puzzle {
namespace {

// After a save or an open: a game that is all in its file needs no copy.
void DropRecoveryOfSavedGame(RecoveryKeeper& keeper, const GameState& state) {
  if (!state.gameChanged && !state.gameFilePath.empty()) DropRecovery(keeper, state);
}

}  // namespace

void StartApplication(Application& app, const SettingsStore& settings) {
  if (const std::string folder = RecoveryFolder(); !folder.empty()) {
    app.recovery.path = RecoveryFilePath(folder, CurrentProcessId());
    RemoveStaleTemporaries(folder, STALE_TEMPORARY_AGE);
  }
  ReadSettings(settings, app.options);
  app.options.angleStepRad = AngleStepToRadians(app.options.angleStep);
  if (!app.shell.commandLineGamePending) app.state.gameFilePath.clear();
}

FileCommandRecords FileRecordsOf(Application& app) {
  return {app.state,         app.options,     app.history,
          app.table,         app.bars,        app.input,
          app.picking.edges, app.shell.title, app.timing.framesPerSecond};
}

PointerRecords PointerRecordsOf(Application& app) {
  return {app.state, app.options, app.view, app.table, app.input, app.picking, app.bars, app.history};
}

bool RunCommand(Application& app, Platform& platform, GraphicsPort& graphics, int commandId,
                const std::function<void()>& makeCurrent) {
  GameState& state = app.state;
  GameOptions& options = app.options;
  const bool ru = options.russianUi;
  if (const auto turn = TurnForCommand(commandId)) {
    RotateSelected(state, app.history, platform, turn->angle, turn->axisCode);
    return true;
  }
  auto records = FileRecordsOf(app);
  switch (commandId) {
    case CMD_START:
      if (StartCommand(state, app.table, options, platform, graphics, app.bars, app.input, app.history))
        DropRecovery(app.recovery, state);
      break;
    case CMD_PROMPT: ShowPrompt(state, app.timing.framesPerSecond); break;
    case CMD_CHECK:
      if (state.gameRunning && !state.scatterRunning && !state.settleRunning)
        CheckCommand(state, app.table, app.bars, app.input, options, platform);
      break;
    // A move taken back or again may finish the picture at once; a turn does
    // when it ends.
    case CMD_UNDO:
      if (Undo(state, app.view, app.history, platform)) AnnounceIfFinished(state, options, platform);
      break;
    case CMD_REDO:
      if (Redo(state, app.view, app.history, platform)) AnnounceIfFinished(state, options, platform);
      break;
    case piece_menu::ALIGN:
      if (state.gameRunning && state.selected >= 0 && AlignSelected(state, app.history, platform))
        AnnounceIfFinished(state, options, platform);
      break;
    case CMD_LOAD_IMAGE:
      if (Busy(state)) break;
      // Once the save question is answered the game is saved or given up.
      if (LoadNewImage(records, platform, [&makeCurrent](GameState& s) {
            makeCurrent();
            DeletePictureTextures(s);
          }))
        DropRecovery(app.recovery, state);
      break;
    case CMD_OPEN:
      if (!Busy(state)) OpenCommand(records, platform, graphics);
      break;
    case CMD_SAVE:
    case CMD_SAVE_AS:
      if (!Busy(state) && state.gameRunning) SaveCommand(records, platform, commandId == CMD_SAVE_AS);
      break;
    case CMD_ABOUT: ShowAbout(platform, ru, app.shell.glVersion, state.maxTextureSize); break;
    case CMD_ZOOM_IN:
    case CMD_ZOOM_OUT:
    case CMD_ZOOM_ACTUAL:
    case CMD_WHOLE_TABLE:
      // The keys and items zoom about the window's centre.
      if (ZoomTable(app.table, state, options, app.bars.scrollBarThickness, commandId,
                    app.table.clientWidth / 2.0, app.table.clientHeight / 2.0,
                    app.input.leftButtonDown && app.picking.pieceUnderPointer))
        UpdateScrollBars(state, app.table, app.bars, app.input.cursorX, app.input.cursorY, app.picking.edges);
      break;
    default: return false;
  }
  if (commandId == CMD_OPEN || commandId == CMD_SAVE || commandId == CMD_SAVE_AS)
    DropRecoveryOfSavedGame(app.recovery, state);
  return true;
}

void WheelOnTable(Application& app, int deltaX, int deltaY, bool ctrl, bool shift, double x, double y,
                  const std::function<void(int)>& runCommand) {
  const bool pieceHeld = app.input.leftButtonDown && app.state.selected >= 0 && app.picking.pieceUnderPointer;
  if (ctrl) {
    app.input.wheelZoomDelta += deltaY;
    while (const auto notch = TakeWheelNotch(app.input.wheelZoomDelta)) {
      // Each step starts from where the last one slid the table.
      if (ZoomTable(app.table, app.state, app.options, app.bars.scrollBarThickness,
                    *notch > 0 ? CMD_ZOOM_IN : CMD_ZOOM_OUT, x, y, pieceHeld))
        UpdateScrollBars(app.state, app.table, app.bars, app.input.cursorX, app.input.cursorY,
                         app.picking.edges);
    }
    return;
  }
  if (pieceHeld) {
    app.input.wheelTurnDelta += deltaY;
    while (const auto turn = TakeWheelTurn(app.options, app.input.wheelTurnDelta)) runCommand(*turn);
    return;
  }
  ApplyWheel(app.table, app.state, deltaX, deltaY, shift);
  UpdateScrollBars(app.state, app.table, app.bars, app.input.cursorX, app.input.cursorY, app.picking.edges);
}

void OpenRecent(Application& app, Platform& platform, GraphicsPort& graphics, const std::string& path) {
  if (Busy(app.state)) return;
  auto records = FileRecordsOf(app);
  OpenRecentGame(records, platform, graphics, path);
  DropRecoveryOfSavedGame(app.recovery, app.state);
}

void AfterFirstFrame(Application& app, Platform& platform, GraphicsPort& graphics) {
  auto records = FileRecordsOf(app);
  // A game named on the command line wins; any recovery copy waits for a
  // later start.
  if (app.shell.commandLineGamePending) {
    app.shell.commandLineGamePending = false;
    OpenCommandLineGame(records, platform, graphics);
  } else {
    OfferRecoveredGame(records, platform, graphics, app.recovery, CurrentProcessId());
  }
}

bool LeaveGame(Application& app, Platform& platform, SettingsStore& settings) {
  // Leaving does not wait for the scatter: it ends where it is.
  EndScatterNow(app.state, app.options);
  if (app.state.gameRunning) {
    auto records = FileRecordsOf(app);
    if (Busy(app.state) || !PromptForSave(records, platform, SaveAsker::Exit)) return false;
  }
  // The save question is answered (or was not needed): nothing to recover.
  DropRecovery(app.recovery, app.state);
  WriteSettings(settings, app.options);
  return true;
}

void ApplyOptionsOnTable(GameState& state, const TableView& table, GameOptions& options, GameOptions& applied,
                         GraphicsPort& port) {
  SetClearColour(options);
  // No message was ever defined for a failed rebuild; the next Apply or
  // Start builds the meshes again.
  ApplyOptionsToGame(state, table, options, port);
  MarkGameFileOptionsChange(state, applied, options);
  applied = options;
}

void StartTableGl(Application& app, int clientWidth, int clientHeight, double pixelRatio) {
  TableView& table = app.table;
  SetClientSize(table, clientWidth, clientHeight);
  // The first context fixes the scale of a pixel for the whole run: a
  // context made again (the widget moved to another window) at another size
  // must not change the size of everything on the table.
  if (!app.view.creationFixed) {
    app.view.creationWidth = table.clientWidth;
    app.view.creationHeight = table.clientHeight;
    app.view.creationFixed = true;
  }
  GLint maxTexture = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTexture);
  app.state.maxTextureSize = maxTexture;
  const auto* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
  app.shell.glVersion = version != nullptr ? version : "";
  InitGL(app.state, table, app.options, app.view);
  app.view.pixelRatio = pixelRatio;
  BuildFonts(app.fonts, app.state.pixelScale, pixelRatio);
}

void FollowPixelRatio(Application& app, double pixelRatio) {
  if (pixelRatio == app.view.pixelRatio) return;
  app.view.pixelRatio = pixelRatio;
  BuildFonts(app.fonts, app.state.pixelScale, pixelRatio);
}

void TableResized(Application& app, Platform& platform, const PreviousClient& previous) {
  app.bars.vertical.zone = false;
  app.bars.horizontal.zone = false;
  RecomputeScrollRoom(app.table, app.state, app.options, previous, app.bars.scrollBarThickness);
  UpdateScrollBars(app.state, app.table, app.bars, app.input.cursorX, app.input.cursorY, app.picking.edges);
  PickFanScheme(app.view, platform.TickMs());
}

std::optional<std::uint32_t> DrawTableFrame(Application& app, std::uint32_t tick, double nowMs,
                                            bool& turnFinished) {
  FrameRecords records{app.state, app.options, app.view,          app.table,
                       app.bars,  app.input,   app.picking.edges, app.timing};
  FrameDrawn(app.pacer, nowMs);
  const bool turning = app.state.rotationLeft != 0;
  AdvanceFrame(records, tick);
  turnFinished = turning && app.state.rotationLeft == 0;
  ShowPictureFrame(app.state, app.timing.frameIndex);
  FilterPictureForZoom(app.state, app.table.zoom);
  DrawFrameKept(DrawingInputs(records, app.fonts, app.mesh), app.layer);
  FinishFrame(records, tick);
  return NextFrameDelay(records, tick);
}

}  // namespace puzzle
