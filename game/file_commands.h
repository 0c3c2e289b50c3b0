// The picture and game-file commands of the File menu and the save question
// in front of them: Load New Image, Open, Save, Save As, the game named on
// the command line, and the question Exit asks. They talk to the player only
// through the platform and leave the previous game untouched whenever they
// give up.
//
// They write the picture and game fields of GameState, the TableView (through
// its rules), the options a game file carries, the two folders, both histories and the window title of
// the records below; the window shows the title afterwards.
#pragma once

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "game/history.h"
#include "game/picking.h"
#include "model/graphics_port.h"
#include "model/records.h"
#include "platform/platform.h"
#include "storage/game_file.h"
#include "storage/image_loader.h"
#include "view/scrollbars.h"
#include "view/table_view.h"

namespace puzzle {

inline constexpr const char* GAME_FILE_EXTENSION = "pzz";

struct FileCommandRecords {
  GameState& state;
  GameOptions& options;
  History& history;
  TableView& table;
  ScrollBars& bars;
  // The pointer position and drag flags for the scroll update.
  const ShellInput& shell;
  const EdgeScrollFlags& edges;
  // The window title as last set.
  std::string& title;
  // The frame rate the whole-picture hint of a loaded game holds for.
  float framesPerSecond = 60.0f;
};

// Which command asks: Exit offers Cancel and may not lose the game behind a
// cancelled save dialog.
enum class SaveAsker { LoadNewImage, Open, Exit };

// The save question, asked when the game has changed and is not played on a
// screen capture. Returns whether the asking command goes on. A save that
// fails after Yes shows "Failed to save file." and stops the command, so an
// unsaved game is never dropped behind a failed save.
bool PromptForSave(FileCommandRecords& records, Platform& platform, SaveAsker asker);

// The game-file dialogs with the filter "Puzzle Game Files (*.pzz)". Save mode
// writes the game to the chosen file (gameFilePath then names it); a name not
// ending in .pzz gets it before the player is asked whether an existing file
// may be replaced (No returns to the dialog). Open mode
// reads and installs the chosen game. Both report a failure to the player
// and return false; a cancelled dialog returns false silently.
bool SaveGameWithDialog(FileCommandRecords& records, Platform& platform);
bool OpenGameWithDialog(FileCommandRecords& records, Platform& platform, GraphicsPort& graphics);

// Reads the game file at path and makes it the running game: pieces where the
// file has them, the picture re-read, the whole-picture hint started, both
// histories emptied, the title naming the game, the file first among the
// recent games. Nothing changes when the file or its picture cannot be read
// (Failed; the picture's trouble is told, see ReadGameLocatingPicture) or
// the player declines to locate a moved picture (Declined); the callers say
// "Failed to open file." only for the first.
enum class LoadResult { Loaded, Failed, Declined };
LoadResult LoadGame(FileCommandRecords& records, Platform& platform, GraphicsPort& graphics,
                    const std::string& path);
// The part of LoadGame after reading, for a game read from path: it leaves
// gameFilePath, the game folder and the recent games to the caller.
bool StartLoadedGame(FileCommandRecords& records, Platform& platform, GraphicsPort& graphics,
                     LoadedGame&& loaded, const std::string& path);
// "Failed to open file." (caption "Error"): what every game that does not
// open ends with, from a dialog, the recent games or a recovery copy.
void ShowOpenFailed(Platform& platform, bool russianUi);

// The nine filters of the picture-open dialog, all supported formats first.
std::vector<FileFilter> PictureFileFilters(bool russianUi);
FileDialogRequest PictureDialogRequest(const GameOptions& options);

// The picture-open dialog (starting in imageDirectory), then decoding.
// Nothing when the player cancels or the file does not decode; a file that
// does not decode is named in "Cannot open image file %s". On success the caller passes the picture to
// TakePictureOver and remembers imageDirectory from picture.path.
std::optional<Picture> ChooseAndDecodePicture(Platform& platform, const GameOptions& options);

// Decodes the bytes of the game file at path. When its picture cannot be had
// the player learns which: "Incorrect path or Image's name." for a path too
// short to name one, "Cannot open image file %s" for one that does not read
// or decode. Bytes refused by the checks show nothing here (the caller says "Failed to open
// file."). A picture no longer at its stored path is first looked for under
// its name beside the game file, and failing that the player is asked to
// locate it with the picture dialog; the picture found becomes the game's
// picture path, stored by the next save. Declining or cancelling gives
// nothing, shows nothing more and sets declined.
std::optional<LoadedGame> ReadGameLocatingPicture(Platform& platform, const std::string& path,
                                                  std::span<const std::uint8_t> bytes,
                                                  const GameOptions& options, bool& declined);

// Load New Image. deletePictureTextures drops the textures of the previous
// picture once a new one is taken (the context must be current). Returns
// whether the save question let it go on to the picture dialog: the game
// on the table is then saved or given up, whatever the dialog brings.
bool LoadNewImage(FileCommandRecords& records, Platform& platform,
                  const std::function<void(GameState&)>& deletePictureTextures);
// Open.
void OpenCommand(FileCommandRecords& records, Platform& platform, GraphicsPort& graphics);
// A game chosen from File > Recent games: Open on that file, save question
// included.
void OpenRecentGame(FileCommandRecords& records, Platform& platform, GraphicsPort& graphics,
                    const std::string& path);
// Save and Save As: Save writes to gameFilePath when there is one, Save
// As always asks for a file. A game on a screen capture cannot be saved.
void SaveCommand(FileCommandRecords& records, Platform& platform, bool alwaysAsk);
// The game named on the command line, opened by the first frame; the failure
// message is shown once and the path forgotten.
void OpenCommandLineGame(FileCommandRecords& records, Platform& platform, GraphicsPort& graphics);

}  // namespace puzzle
