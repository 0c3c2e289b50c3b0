// The game file (".pzz"): the picture's path, the options that shape the
// pieces, the grid and the pose of every piece. Little-endian, no header:
//
//   path bytes, 0 | form u8 | bulge f32 | columns u32 | rows u32 |
//   rotations u8 | 3D u8 | columns x rows records of 11 f32
//
// A record holds the 9 orientation floats unchanged, then x and y plus the
// view offsets, divided by pixelScale, so that a game lands in the same place
// relative to the picture on any screen. z is not stored: it is rebuilt from
// the piece index.
//
// Writing reads GameState and GameOptions only. Reading is split so that a
// failed open changes nothing: ReadGameFile checks the whole file and decodes
// the picture into a LoadedGame; only InstallLoadedGame writes the records.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "model/records.h"
#include "storage/image_loader.h"

namespace puzzle {

inline constexpr std::size_t GAME_FILE_HEADER_SIZE = 16;  // after the path and its terminator
inline constexpr std::size_t GAME_FILE_RECORD_SIZE = 44;
// The largest file the reader can accept: the longest path, the header and
// MAX_PIECES records. Anything longer is refused before it is read.
inline constexpr std::size_t MAX_GAME_FILE_SIZE =
    PATH_CAPACITY + GAME_FILE_HEADER_SIZE - 1 + GAME_FILE_RECORD_SIZE * MAX_PIECES;

// The file's contents as stored: orientation and normalised position.
using PieceRecord = std::array<float, 11>;

struct GameFileContents {
  std::string imagePath;
  std::uint8_t form = 1;
  float bulge = 0.33f;
  std::uint32_t columns = 0;
  std::uint32_t rows = 0;
  bool gameRotate = false;
  bool game3D = false;
  std::vector<PieceRecord> records;  // columns x rows, piece index order
};

struct LoadedGame {
  GameFileContents contents;
  Picture picture;
};

// Why a game file could not be opened, for the message the caller shows.
enum class GameReadFailure {
  // Not readable, or refused by the checks below.
  File,
  // The stored picture path is too short to name a picture.
  PicturePath,
  // The picture it names cannot be read or decoded.
  Picture,
};

struct GameReadResult {
  std::optional<LoadedGame> game;
  GameReadFailure failure = GameReadFailure::File;  // when game is empty
  std::string imagePath;                            // the picture it names, once parsed
};

// The file's bytes for the running game, whose table has slid by the given
// view offsets under the window. Nothing for a game without pieces or with a
// picture path that would not fit the 260-byte path field.
std::optional<std::vector<std::uint8_t>> EncodeGameFile(const GameState& state, const GameOptions& options,
                                                        float viewOffsetX = 0, float viewOffsetY = 0);

// Writes the file atomically: a temporary file in the same folder, flushed,
// then renamed over path. On false the previous file at path is unchanged.
bool WriteGameFile(const std::string& path, const GameState& state, const GameOptions& options,
                   float viewOffsetX = 0, float viewOffsetY = 0);

// Checks every field: the size is exactly N + 16 + 44 x columns x rows, the
// path ends within 260 bytes, form is 1-4, columns and rows at least 2 with
// at most MAX_PIECES pieces, bulge finite and within 0.21-0.45, every float
// finite, every orientation a turn (IsRotation). Flags other than 0 are read
// as set.
std::optional<GameFileContents> ParseGameFile(std::span<const std::uint8_t> bytes);

// Reads and checks the file, then decodes the picture it names (a path of
// fewer than 4 bytes names none); a grid with more columns or rows than the
// picture has pixels is refused as the file's fault. Shows nothing: the result says what failed.
// pictureInstead, when given, is decoded in place of the stored picture (one
// that has moved) and becomes the loaded game's picture path.
GameReadResult ReadGameFile(const std::string& path, const std::optional<std::string>& pictureInstead = {});
// The same for a game file's bytes already read.
GameReadResult DecodeGameFile(std::span<const std::uint8_t> bytes,
                              const std::optional<std::string>& pictureInstead = {});

// Puts a loaded game into the records: the file's form, bulge, columns,
// rotations and 3D replace the options; the picture replaces the picture
// fields (imageFresh cleared); rows, pieceCount, poses and homes are made
// anew by the geometry rule for an unscrolled table (the caller resets its
// view); piece k lies at
// z = RestingDepth(k); a selected piece beyond the new count is dropped.
// gameRunning is left cleared. fileTitle is set from the game file's path.
//
// The caller installs into a copy of the records that names no textures yet
// and uploads the picture for it (UploadPictureTexture), then builds the
// piece meshes (BuildPieceMeshes) from the copy; when that fails it releases
// the copy's textures, builds the meshes of the running game again and the
// open has failed, with the running game as it was. Otherwise it releases
// the running game's textures and takes the copy over; if a texture exists,
// starts the whole-picture hint as Prompt does (piece 0 raised, promptHold =
// frames per second); makes the cursor an arrow; sets gameRunning and
// releases pixels; sets the window title to TITLE_LOADED_GAME + fileTitle;
// clears capturedImage and gameChanged, sets gameFilePath, remembers
// gameDirectory and empties both histories.
void InstallLoadedGame(LoadedGame&& game, const std::string& gameFilePath, GameState& state,
                       GameOptions& options);

}  // namespace puzzle
