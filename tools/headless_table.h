// The game's table without a window: a headless GL context of a chosen size
// set up as the game window sets up its own (InitGL, ResizeGL, fonts), the
// records one frame reads, and the frame itself drawn by the game's own
// renderer. puzzle-render and puzzle-bench own one each.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "game/frame_steps.h"
#include "game/picking.h"
#include "model/records.h"
#include "platform/platform.h"
#include "render/fonts.h"
#include "render/headless_context.h"
#include "render/kept_layer.h"
#include "render/table_mesh.h"
#include "render/textures.h"
#include "view/scrollbars.h"
#include "view/table_view.h"
#include "view/view.h"

namespace puzzle {

class HeadlessTable {
 public:
  GameState state;
  GameOptions options;
  ViewSetup view;
  TableView table;
  ScrollBars bars;
  ShellInput shell;
  EdgeScrollFlags edges;
  Fonts fonts;
  FrameTiming timing;
  TableMesh mesh;
  KeptLayer layer;

  HeadlessTable() = default;
  ~HeadlessTable();
  HeadlessTable(const HeadlessTable&) = delete;
  HeadlessTable& operator=(const HeadlessTable&) = delete;

  // Makes the context and sets up the view for a client of width x height.
  bool Open(int width, int height);
  const std::string& Error() const { return context_.Error(); }

  // Uploads the picture held in state and builds the piece mesh of the game
  // laid out in state; the game then runs, its scatter not started. With
  // GiveBack the picture is then held only in its texture, as in the game.
  bool PrepareGame(PixelsAfterUpload after = PixelsAfterUpload::Keep);

  // One frame by the game's renderer (from the kept layer, as the window
  // draws it), finished; no background star and no caption, so that only the
  // table and its pieces show.
  void DrawFrame(std::uint32_t tickMs);

  // The frame as RGB rows, top row first, as image files hold them.
  std::vector<std::uint8_t> ReadRgbTopDown() const;

 private:
  HeadlessContext context_;
};

// The platform of a tool without a window: every dialog is cancelled, no
// page opens, the cursor shape is only remembered. Each tool says where its
// messages go and what clock it keeps.
class WindowlessPlatform : public Platform {
 public:
  std::optional<std::string> ChooseOpenFile(const FileDialogRequest&) override { return std::nullopt; }
  std::optional<std::string> ChooseSaveFile(const FileDialogRequest&) override { return std::nullopt; }
  std::optional<Rgb> ChooseColour(Rgb, std::array<Rgb, 16>&) override { return std::nullopt; }
  CursorShape Cursor() const override { return cursor_; }
  void SetCursor(CursorShape shape) override { cursor_ = shape; }
  void ConfineCursor(bool) override {}
  void SetMenuItemEnabled(int, bool) override {}
  bool OpenPage(const std::string&) override { return false; }

 private:
  CursorShape cursor_ = CursorShape::Arrow;
};

}  // namespace puzzle
