#include "game/file_commands.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>
#include <utility>

#include "game/check.h"
#include "game/commands.h"
#include "game/new_game.h"
#include "model/texts.h"
#include "storage/atomic_file.h"
#include "storage/game_file.h"
#include "storage/image_loader.h"
#include "storage/paths.h"
#include "storage/settings.h"

namespace puzzle {
namespace {

void ShowError(Platform& platform, const UiText& text, bool russianUi, MessageOwner owner) {
  platform.ShowMessage({Tr(text, russianUi), Tr(texts::CAPTION_ERROR, russianUi), MessageButtons::Ok,
                        MessageIcon::Exclamation, owner});
}

FileDialogRequest GameFileRequest(const FileCommandRecords& records) {
  FileDialogRequest request;
  request.filters.push_back({Tr(texts::GAME_FILE_FILTER, records.options.russianUi), {"*.pzz"}});
  request.startDirectory = records.options.gameDirectory;
  request.initialPath = records.state.gameFilePath;
  request.defaultExtension = GAME_FILE_EXTENSION;
  return request;
}

void ScrollBarsChanged(FileCommandRecords& records) {
  UpdateScrollBars(records.state, records.table, records.bars, records.shell.cursorX, records.shell.cursorY,
                   records.edges);
}

// A game file name always ends in .pzz, so that a typed name of a picture
// (or of any other file) can never have a game written over it.
std::string WithGameExtension(std::string path) {
  const std::string extension = std::string(".") + GAME_FILE_EXTENSION;
  const bool ends =
      path.size() >= extension.size() &&
      std::equal(extension.rbegin(), extension.rend(), path.rbegin(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
      });
  if (!ends) path += extension;
  return path;
}

// The save dialog until the player settles on a game file name. An existing
// file is replaced only after Yes; No goes back to the dialog.
std::optional<std::string> ChooseGameFileToSave(const FileCommandRecords& records, Platform& platform) {
  const bool ru = records.options.russianUi;
  FileDialogRequest request = GameFileRequest(records);
  for (;;) {
    const auto chosen = platform.ChooseSaveFile(request);
    if (!chosen) return std::nullopt;
    std::string path = WithGameExtension(*chosen);
    if (!PathExists(path)) return path;
    const MessageAnswer answer = platform.ShowMessage(
        {FormatText(Tr(texts::REPLACE_QUESTION, ru), path.c_str()), Tr(texts::REPLACE_CAPTION, ru),
         MessageButtons::YesNo, MessageIcon::Exclamation, MessageOwner::MainWindow});
    if (answer == MessageAnswer::Yes) return path;
    request.initialPath = path;
  }
}

// Writes the game to path; on success the file becomes the game's own.
bool SaveTo(FileCommandRecords& records, const std::string& path) {
  if (!WriteGameFile(path, records.state, records.options, records.table.viewOffsetX,
                     records.table.viewOffsetY)) {
    return false;
  }
  records.state.gameFilePath = path;
  RememberDirectory(path, records.options.gameDirectory);
  RememberRecentGame(records.options.recentGames, path);
  records.state.gameChanged = false;
  return true;
}

// Save to the game's own file, or through the dialog when it has none. A
// failed write is reported here; a cancelled dialog returns nothing.
std::optional<bool> SaveToOwnFileOrAsk(FileCommandRecords& records, Platform& platform) {
  if (records.state.gameFilePath.empty()) {
    const auto path = ChooseGameFileToSave(records, platform);
    if (!path) return std::nullopt;
    if (SaveTo(records, *path)) return true;
  } else if (SaveTo(records, records.state.gameFilePath)) {
    return true;
  }
  ShowError(platform, texts::SAVE_FAILED, records.options.russianUi, MessageOwner::MainWindow);
  return false;
}

}  // namespace

void ShowOpenFailed(Platform& platform, bool russianUi) {
  ShowError(platform, texts::OPEN_FAILED, russianUi, MessageOwner::MainWindow);
}

std::vector<FileFilter> PictureFileFilters(bool russianUi) {
  struct Entry {
    const UiText& label;
    std::vector<std::string> patterns;
  };
  const Entry entries[] = {
      {texts::FILTER_ALL_IMAGES,
       {"*.bmp", "*.jpg", "*.jpe", "*.jpeg", "*.png", "*.gif", "*.tga", "*.psd", "*.pgm", "*.ppm"}},
      {texts::FILTER_BMP, {"*.bmp"}},
      {texts::FILTER_JPG, {"*.jpg", "*.jpe", "*.jpeg"}},
      {texts::FILTER_PNG, {"*.png"}},
      {texts::FILTER_GIF, {"*.gif"}},
      {texts::FILTER_TGA, {"*.tga"}},
      {texts::FILTER_PSD, {"*.psd"}},
      {texts::FILTER_PPM, {"*.ppm"}},
      {texts::FILTER_PGM, {"*.pgm"}},
  };
  std::vector<FileFilter> filters;
  for (const Entry& entry : entries) filters.push_back({Tr(entry.label, russianUi), entry.patterns});
  return filters;
}

FileDialogRequest PictureDialogRequest(const GameOptions& options) {
  FileDialogRequest request;
  request.filters = PictureFileFilters(options.russianUi);
  request.selectedFilter = 0;
  request.startDirectory = options.imageDirectory;
  return request;
}

std::optional<Picture> ChooseAndDecodePicture(Platform& platform, const GameOptions& options) {
  const auto path = platform.ChooseOpenFile(PictureDialogRequest(options));
  if (!path) return std::nullopt;
  auto picture = DecodePictureFile(*path);
  if (!picture) {
    const bool ru = options.russianUi;
    platform.ShowMessage({FormatText(Tr(texts::CANNOT_OPEN_IMAGE, ru), path->c_str()),
                          Tr(texts::CANNOT_OPEN_IMAGE_CAPTION, ru), MessageButtons::Ok, MessageIcon::Stop,
                          MessageOwner::MainWindow});
  }
  return picture;
}

namespace {

bool FileExists(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(FileSystemPath(path), error);
}

// The game read, or nothing after telling the player which picture could not
// be had: "Incorrect path or Image's name." for a path too short to name one,
// "Cannot open image file %s" for one that does not read or decode. A file
// that is unreadable or refused shows nothing here (the caller says "Failed
// to open file.").
std::optional<LoadedGame> TellPictureFailure(Platform& platform, GameReadResult read, bool russianUi) {
  if (read.game) return std::move(read.game);
  if (read.failure == GameReadFailure::PicturePath) {
    platform.ShowMessage({Tr(texts::INCORRECT_IMAGE_PATH, russianUi),
                          Tr(texts::CAPTION_ERROR_UPPER, russianUi), MessageButtons::Ok, MessageIcon::Stop,
                          MessageOwner::None});
  }
  if (read.failure != GameReadFailure::File) {
    platform.ShowMessage({FormatText(Tr(texts::CANNOT_OPEN_IMAGE, russianUi), read.imagePath.c_str()),
                          Tr(texts::CANNOT_OPEN_IMAGE_CAPTION, russianUi), MessageButtons::Ok,
                          MessageIcon::Stop, MessageOwner::None});
  }
  return std::nullopt;
}

// A game whose picture is no longer where it was stored: the picture of the
// same name beside the game file, else the one the player locates. Nothing
// when the player declines or cancels; a picture found but unreadable is
// reported by the caller as any other.
std::optional<GameReadResult> ReadWithMovedPicture(Platform& platform, const std::string& path,
                                                   std::span<const std::uint8_t> bytes,
                                                   const GameReadResult& first, const GameOptions& options) {
  const std::string beside = PictureBesideGameFile(path, first.imagePath);
  if (FileExists(beside)) return DecodeGameFile(bytes, beside);
  const bool ru = options.russianUi;
  const MessageAnswer answer =
      platform.ShowMessage({FormatText(Tr(texts::PICTURE_MISSING, ru), first.imagePath.c_str()),
                            Tr(texts::PICTURE_MISSING_CAPTION, ru), MessageButtons::YesNo,
                            MessageIcon::Question, MessageOwner::MainWindow});
  if (answer != MessageAnswer::Yes) return std::nullopt;
  const auto located = platform.ChooseOpenFile(PictureDialogRequest(options));
  if (!located) return std::nullopt;
  return DecodeGameFile(bytes, *located);
}

}  // namespace

std::optional<LoadedGame> ReadGameLocatingPicture(Platform& platform, const std::string& path,
                                                  std::span<const std::uint8_t> bytes,
                                                  const GameOptions& options, bool& declined) {
  declined = false;
  GameReadResult read = DecodeGameFile(bytes);
  if (!read.game && read.failure == GameReadFailure::Picture && !FileExists(read.imagePath)) {
    auto moved = ReadWithMovedPicture(platform, path, bytes, read, options);
    if (!moved) {
      declined = true;
      return std::nullopt;
    }
    read = std::move(*moved);
  }
  return TellPictureFailure(platform, std::move(read), options.russianUi);
}

bool PromptForSave(FileCommandRecords& records, Platform& platform, SaveAsker asker) {
  GameState& state = records.state;
  if (!state.gameChanged || state.capturedImage) return true;
  const bool ru = records.options.russianUi;
  const bool exiting = asker == SaveAsker::Exit;
  const MessageAnswer answer =
      platform.ShowMessage({Tr(texts::SAVE_QUESTION, ru), Tr(texts::SAVE_CAPTION, ru),
                            exiting ? MessageButtons::YesNoCancel : MessageButtons::YesNo,
                            MessageIcon::Question, MessageOwner::None});
  switch (answer) {
    case MessageAnswer::Yes: {
      const std::optional<bool> saved = SaveToOwnFileOrAsk(records, platform);
      // Cancelling the dialog keeps the window open at Exit; the other
      // commands go on without saving, as the player chose not to pick a file.
      if (!saved) return !exiting;
      return *saved;
    }
    case MessageAnswer::No:
      if (exiting) state.gameChanged = false;
      return true;
    default: return false;
  }
}

bool SaveGameWithDialog(FileCommandRecords& records, Platform& platform) {
  const auto path = ChooseGameFileToSave(records, platform);
  if (!path) return false;
  if (SaveTo(records, *path)) return true;
  ShowError(platform, texts::SAVE_FAILED, records.options.russianUi, MessageOwner::MainWindow);
  return false;
}

LoadResult LoadGame(FileCommandRecords& records, Platform& platform, GraphicsPort& graphics,
                    const std::string& path) {
  const auto bytes = ReadWholeFile(path, MAX_GAME_FILE_SIZE);
  if (!bytes) return LoadResult::Failed;
  bool declined = false;
  auto loaded = ReadGameLocatingPicture(platform, path, *bytes, records.options, declined);
  if (!loaded) return declined ? LoadResult::Declined : LoadResult::Failed;
  if (!StartLoadedGame(records, platform, graphics, std::move(*loaded), path)) return LoadResult::Failed;
  records.state.gameFilePath = path;
  RememberDirectory(path, records.options.gameDirectory);
  RememberRecentGame(records.options.recentGames, path);
  return LoadResult::Loaded;
}

bool StartLoadedGame(FileCommandRecords& records, Platform& platform, GraphicsPort& graphics,
                     LoadedGame&& loaded, const std::string& path) {
  GameState& state = records.state;
  // A picture Start would refuse is refused here too, before anything of the
  // running game is replaced.
  if (!PictureFitsTheGame(loaded.picture.width, loaded.picture.height, state.maxTextureSize, platform,
                          records.options.russianUi)) {
    return false;
  }
  // The new game is put together beside the running one, with textures of
  // its own, so that a failure leaves the running game whole.
  std::vector<std::uint8_t> runningPixels = std::move(state.pixels);
  GameState next = state;
  state.pixels = std::move(runningPixels);
  next.stillTexture = 0;
  GameOptions nextOptions = records.options;
  InstallLoadedGame(std::move(loaded), path, next, nextOptions);
  if (!graphics.MovePictureToTexture(next)) return false;
  if (!graphics.BuildPieceMeshes(next, nextOptions)) {
    graphics.ReleasePictureTextures(next);
    // The failed build left no meshes; the running game's are made again.
    if (state.pieceCount > 0) graphics.BuildPieceMeshes(state, records.options);
    return false;
  }
  graphics.ReleasePictureTextures(state);
  state = std::move(next);
  records.options = std::move(nextOptions);
  ResetTableView(records.table);
  // The game opens on the assembled picture, which then fades as after Prompt.
  ShowPrompt(state, records.framesPerSecond);
  platform.SetCursor(CursorShape::Arrow);
  state.gameRunning = true;
  DropStillPicture(state);
  records.title = Tr(texts::TITLE_LOADED_GAME, records.options.russianUi) + state.fileTitle;
  state.capturedImage = false;
  state.gameChanged = false;
  // A game saved finished was congratulated when it was finished; opening
  // it is no new finish, so it says nothing until it is seen unfinished.
  state.finishAnnounced = AllPiecesInPlace(state);
  ClearHistories(records.history, platform);
  // Pieces may lie anywhere the game left them: make the table reach them.
  RecomputeScrollRoom(records.table, state, records.options, CurrentClient(records.table),
                      records.bars.scrollBarThickness);
  ScrollBarsChanged(records);
  return true;
}

bool OpenGameWithDialog(FileCommandRecords& records, Platform& platform, GraphicsPort& graphics) {
  FileDialogRequest request = GameFileRequest(records);
  const auto path = platform.ChooseOpenFile(request);
  if (!path) return false;
  const LoadResult result = LoadGame(records, platform, graphics, *path);
  if (result == LoadResult::Failed) ShowOpenFailed(platform, records.options.russianUi);
  return result == LoadResult::Loaded;
}

bool LoadNewImage(FileCommandRecords& records, Platform& platform,
                  const std::function<void(GameState&)>& deletePictureTextures) {
  if (!PromptForSave(records, platform, SaveAsker::LoadNewImage)) return false;
  GameState& state = records.state;
  GameOptions& options = records.options;
  auto picture = ChooseAndDecodePicture(platform, options);
  if (!picture) {
    if (!state.gameRunning && state.pixels.empty()) {
      records.title = Tr(texts::START_TITLE, options.russianUi);
      state.imageFresh = false;
      records.bars.vertical.zone = false;
      records.bars.horizontal.zone = false;
      state.imageWidth = state.imageHeight = 0;
      ResetTableView(records.table);
    }
    return true;
  }
  RememberDirectory(picture->path, options.imageDirectory);
  // The old textures first: they are counted by the old picture's frames.
  deletePictureTextures(state);
  TakePictureOver(state, std::move(*picture));
  ClearHistories(records.history, platform);
  state.imageFresh = true;
  state.gameRunning = false;
  records.title = NewImageTitle(options.russianUi, state.fileTitle, state.imageWidth, state.imageHeight);
  state.halfCellW = state.halfCellH = 0;
  ResetTableView(records.table);
  SetUpPreviewThumbs(records.table, state, records.bars.scrollBarThickness);
  // The preview starts unscrolled, centred on the new picture.
  ScrollBarsChanged(records);
  state.gameChanged = false;
  state.capturedImage = false;
  state.gameFilePath.clear();
  return true;
}

void OpenCommand(FileCommandRecords& records, Platform& platform, GraphicsPort& graphics) {
  if (!PromptForSave(records, platform, SaveAsker::Open)) return;
  OpenGameWithDialog(records, platform, graphics);
}

void OpenRecentGame(FileCommandRecords& records, Platform& platform, GraphicsPort& graphics,
                    const std::string& path) {
  if (!PromptForSave(records, platform, SaveAsker::Open)) return;
  if (LoadGame(records, platform, graphics, path) == LoadResult::Failed)
    ShowOpenFailed(platform, records.options.russianUi);
}

void SaveCommand(FileCommandRecords& records, Platform& platform, bool alwaysAsk) {
  const bool ru = records.options.russianUi;
  if (records.state.capturedImage) {
    platform.ShowMessage({Tr(texts::CANNOT_SAVE, ru), Tr(texts::CAPTION_ERROR_UPPER, ru), MessageButtons::Ok,
                          MessageIcon::Information, MessageOwner::None});
    return;
  }
  if (alwaysAsk) {
    SaveGameWithDialog(records, platform);
    return;
  }
  SaveToOwnFileOrAsk(records, platform);
}

void OpenCommandLineGame(FileCommandRecords& records, Platform& platform, GraphicsPort& graphics) {
  const std::string path = records.state.gameFilePath;
  const LoadResult result = LoadGame(records, platform, graphics, path);
  if (result == LoadResult::Failed)
    ShowError(platform, texts::COMMAND_LINE_OPEN_FAILED, records.options.russianUi, MessageOwner::MainWindow);
  if (result != LoadResult::Loaded) records.state.gameFilePath.clear();
  ScrollBarsChanged(records);
}

}  // namespace puzzle
