#include "game/recovery.h"

#include <cstring>
#include <ctime>
#include <utility>

#include "game/commands.h"
#include "model/texts.h"
#include "storage/game_file.h"
#include "storage/paths.h"

namespace puzzle {
namespace {

// z is left out: the file does not keep it, and raising a piece is no change.
bool PoseMoved(const PiecePose& a, const PiecePose& b) {
  return a.orient != b.orient || a.x != b.x || a.y != b.y;
}

// Brings seen up to poses and says whether a piece moved or turned. While a
// piece is held or turns, the others are seen unchanged as two runs of bytes,
// and only that piece is compared and copied.
bool LookAtPoses(std::vector<PiecePose>& seen, const std::vector<PiecePose>& poses, std::int32_t selected) {
  const std::size_t count = poses.size();
  if (seen.size() == count && SamePoseBytesExcept(seen.data(), poses.data(), count, selected)) {
    if (selected < 0 || static_cast<std::size_t>(selected) >= count) return false;
    const auto k = static_cast<std::size_t>(selected);
    const bool moved = PoseMoved(seen[k], poses[k]);
    seen[k] = poses[k];
    return moved;
  }
  bool moved = seen.size() != count;
  for (std::size_t k = 0; !moved && k < count; ++k) moved = PoseMoved(seen[k], poses[k]);
  seen = poses;
  return moved;
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
  // Only a game with changes no file holds needs a copy: a game just opened
  // has none until the player changes it.
  const bool changed = LookAtPoses(keeper.seen, state.pieces, state.selected) && state.gameRunning &&
                       state.gameChanged && !state.capturedImage && !state.scatterRunning &&
                       !state.settleRunning;
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

namespace {

// What became of one offered copy: the game is back, the player has dealt
// with it (or it cannot be had) and the next copy may be offered, or "not
// now" and nothing more is offered.
enum class Offer { Restored, Next, NotNow };

Offer OfferCopy(FileCommandRecords& records, Platform& platform, GraphicsPort& graphics,
                const RecoveryCopy& copy) {
  const bool ru = records.options.russianUi;
  int error = 0;
  const auto bytes = ReadRecoveryFile(copy.path, error);
  GameReadResult read;
  if (bytes) read = DecodeGameFile(*bytes);
  if (!bytes || (!read.game && read.failure == GameReadFailure::File)) {
    const std::string reason = bytes ? Tr(texts::RECOVERY_NOT_A_GAME, ru) : std::strerror(error);
    platform.ShowMessage({FormatText(Tr(texts::RECOVERY_UNREADABLE, ru), copy.path.c_str(), reason.c_str()),
                          Tr(texts::RECOVERY_CAPTION, ru), MessageButtons::Ok, MessageIcon::Exclamation,
                          MessageOwner::MainWindow});
    return Offer::Next;
  }
  const MessageAnswer answer = platform.ShowMessage(
      {RecoveryQuestion(ru, read.imagePath, copy.changedSeconds), Tr(texts::RECOVERY_CAPTION, ru),
       MessageButtons::YesNoCancel, MessageIcon::Question, MessageOwner::MainWindow});
  if (answer == MessageAnswer::No) {
    RemoveRecoveryFile(copy.path);
    return Offer::Next;
  }
  if (answer != MessageAnswer::Yes) return Offer::NotNow;
  // A picture that is not where the copy says is looked for as Open looks.
  // A game that still cannot be had keeps its copy.
  std::optional<LoadedGame> loaded = std::move(read.game);
  if (!loaded) {
    bool declined = false;
    loaded = ReadGameLocatingPicture(platform, copy.path, *bytes, records.options, declined);
    if (!loaded) {
      if (!declined) ShowOpenFailed(platform, ru);
      return Offer::Next;
    }
  }
  GameState& state = records.state;
  std::string pictureTitle;
  RememberFileTitle(loaded->contents.imagePath, pictureTitle);
  if (!StartLoadedGame(records, platform, graphics, std::move(*loaded), copy.path)) {
    ShowOpenFailed(platform, ru);
    return Offer::Next;
  }
  state.gameFilePath.clear();
  state.fileTitle = pictureTitle;
  records.title = Tr(texts::TITLE_LOADED_GAME, ru) + state.fileTitle;
  // Not in any game file: Exit asks, and Save asks for a file.
  state.gameChanged = true;
  return Offer::Restored;
}

}  // namespace

bool OfferRecoveredGame(FileCommandRecords& records, Platform& platform, GraphicsPort& graphics,
                        RecoveryKeeper& keeper, std::int64_t ownProcessId) {
  if (keeper.path.empty()) return false;
  std::string folder;
  RememberDirectory(keeper.path, folder);
  // This run has written nothing yet, so a copy under its own id was left by
  // an earlier run that had the same id.
  const auto copies = LostRecoveryCopies(folder, [ownProcessId](std::int64_t processId) {
    return processId != ownProcessId && GameProcessRunning(processId);
  });
  for (const RecoveryCopy& copy : copies) {
    const Offer offer = OfferCopy(records, platform, graphics, copy);
    if (offer == Offer::NotNow) return false;
    if (offer == Offer::Restored) {
      if (copy.path != keeper.path) AdoptRecoveryFile(copy.path, keeper.path);
      keeper.seen = records.state.pieces;
      keeper.cadence = {};
      return true;
    }
  }
  return false;
}

}  // namespace puzzle
