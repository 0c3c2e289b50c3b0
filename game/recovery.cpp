#include "game/recovery.h"

#include <ctime>
#include <utility>

#include "game/commands.h"
#include "model/texts.h"
#include "storage/game_file.h"
#include "storage/paths.h"

namespace puzzle {
namespace {

// z is left out: the file does not keep it, and raising a piece is no change.
bool SamePoses(const std::vector<PiecePose>& a, const std::vector<PiecePose>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t k = 0; k < a.size(); ++k) {
    if (a[k].orient != b[k].orient || a[k].x != b[k].x || a[k].y != b[k].y) return false;
  }
  return true;
}

std::string LocalTimeText(std::int64_t seconds) {
  const auto time = static_cast<std::time_t>(seconds);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &time);
#else
  localtime_r(&time, &local);
#endif
  char text[32];
  if (std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &local) == 0) return {};
  return text;
}

}  // namespace

bool RecoveryWriteDue(RecoveryCadence& cadence, bool changed, std::uint32_t now) {
  if (changed) {
    if (!cadence.pending) cadence.pendingSince = now;
    cadence.pending = true;
    cadence.lastChange = now;
  }
  if (!cadence.pending) return false;
  if (now - cadence.lastChange < RECOVERY_QUIET_MS && now - cadence.pendingSince < RECOVERY_INTERVAL_MS)
    return false;
  cadence.pending = false;
  return true;
}

void KeepRecovery(RecoveryKeeper& keeper, const GameState& state, const GameOptions& options,
                  const TableView& table, std::uint32_t now) {
  if (keeper.path.empty()) return;
  bool changed = false;
  if (!SamePoses(keeper.seen, state.pieces)) {
    keeper.seen = state.pieces;
    changed = state.gameRunning && !state.capturedImage && !state.scatterRunning && !state.settleRunning;
  }
  if (!RecoveryWriteDue(keeper.cadence, changed, now)) return;
  if (const auto bytes = EncodeGameFile(state, options, table.viewOffsetX, table.viewOffsetY))
    WriteRecoveryFile(keeper.path, *bytes);
}

void DropRecovery(RecoveryKeeper& keeper, const GameState& state) {
  if (keeper.path.empty()) return;
  RemoveRecoveryFile(keeper.path);
  keeper.seen = state.pieces;
  keeper.cadence = {};
}

std::string RecoveryQuestion(bool russianUi, const std::string& imagePath, std::int64_t changedSeconds) {
  std::string pictureName;
  RememberFileTitle(imagePath, pictureName);
  return FormatText(Tr(texts::RECOVERY_QUESTION, russianUi), pictureName.c_str(),
                    LocalTimeText(changedSeconds).c_str());
}

bool OfferRecoveredGame(FileCommandRecords& records, Platform& platform, GraphicsPort& graphics,
                        RecoveryKeeper& keeper, std::int64_t ownProcessId) {
  if (keeper.path.empty()) return false;
  std::string folder;
  RememberDirectory(keeper.path, folder);
  // This run has written nothing yet, so a copy under its own id was left by
  // an earlier run that had the same id.
  const auto copy = TakeRecoveryCopy(folder, [ownProcessId](std::int64_t processId) {
    return processId != ownProcessId && GameProcessRunning(processId);
  });
  if (!copy) return false;
  const bool ru = records.options.russianUi;
  GameReadResult read = ReadGameFile(copy->path);
  if (!read.game && read.failure == GameReadFailure::File) {
    ShowOpenFailed(platform, ru);
    RemoveRecoveryFile(copy->path);
    return false;
  }
  const MessageAnswer answer = platform.ShowMessage(
      {RecoveryQuestion(ru, read.imagePath, copy->changedSeconds), Tr(texts::RECOVERY_CAPTION, ru),
       MessageButtons::YesNo, MessageIcon::Question, MessageOwner::MainWindow});
  if (answer != MessageAnswer::Yes) {
    RemoveRecoveryFile(copy->path);
    return false;
  }
  // A picture that is not where the copy says is looked for as Open looks.
  std::optional<LoadedGame> loaded = std::move(read.game);
  if (!loaded) {
    bool declined = false;
    loaded = ReadGameLocatingPicture(platform, copy->path, records.options, declined);
    if (!loaded) {
      if (!declined) ShowOpenFailed(platform, ru);
      RemoveRecoveryFile(copy->path);
      return false;
    }
  }
  GameState& state = records.state;
  const std::string pictureTitle = [&] {
    std::string title;
    RememberFileTitle(loaded->contents.imagePath, title);
    return title;
  }();
  if (!StartLoadedGame(records, platform, graphics, std::move(*loaded), copy->path)) {
    ShowOpenFailed(platform, ru);
    return false;
  }
  state.gameFilePath.clear();
  state.fileTitle = pictureTitle;
  records.title = Tr(texts::TITLE_LOADED_GAME, ru) + state.fileTitle;
  // Not in any game file: Exit asks, and Save asks for a file.
  state.gameChanged = true;
  if (copy->path != keeper.path) AdoptRecoveryFile(copy->path, keeper.path);
  keeper.seen = state.pieces;
  keeper.cadence = {};
  return true;
}

}  // namespace puzzle
