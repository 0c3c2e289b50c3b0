#include "storage/game_file.h"

#include <bit>
#include <cmath>
#include <cstring>

#include "model/geometry.h"
#include "model/orientation.h"
#include "storage/atomic_file.h"
#include "storage/paths.h"
#include "storage/settings.h"

namespace puzzle {
namespace {

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void PutFloat(std::vector<std::uint8_t>& out, float value) {
  PutU32(out, std::bit_cast<std::uint32_t>(value));
}

std::uint32_t GetU32(const std::uint8_t* in) {
  return static_cast<std::uint32_t>(in[0]) | static_cast<std::uint32_t>(in[1]) << 8 |
         static_cast<std::uint32_t>(in[2]) << 16 | static_cast<std::uint32_t>(in[3]) << 24;
}

float GetFloat(const std::uint8_t* in) {
  return std::bit_cast<float>(GetU32(in));
}

}  // namespace

std::optional<std::vector<std::uint8_t>> EncodeGameFile(const GameState& state, const GameOptions& options,
                                                        float viewOffsetX, float viewOffsetY) {
  const std::uint64_t count = static_cast<std::uint64_t>(options.columns) * state.rows;
  // A path that would not fit the reader's 260 bytes, or that holds a zero
  // byte, could be written but never read back.
  if (count == 0 || count != state.pieces.size() || state.imagePath.size() >= PATH_CAPACITY ||
      state.imagePath.find('\0') != std::string::npos) {
    return std::nullopt;
  }
  std::vector<std::uint8_t> out;
  out.reserve(state.imagePath.size() + GAME_FILE_HEADER_SIZE + GAME_FILE_RECORD_SIZE * count);
  out.insert(out.end(), state.imagePath.begin(), state.imagePath.end());
  out.push_back(0);
  out.push_back(options.form);
  PutFloat(out, options.bulge);
  PutU32(out, options.columns);
  PutU32(out, state.rows);
  out.push_back(options.gameRotate ? 1 : 0);
  out.push_back(options.game3D ? 1 : 0);
  for (const PiecePose& pose : state.pieces) {
    for (float value : pose.orient) PutFloat(out, value);
    PutFloat(out, static_cast<float>((static_cast<double>(pose.x) + viewOffsetX) / state.pixelScale));
    PutFloat(out, static_cast<float>((static_cast<double>(pose.y) + viewOffsetY) / state.pixelScale));
  }
  return out;
}

bool WriteGameFile(const std::string& path, const GameState& state, const GameOptions& options,
                   float viewOffsetX, float viewOffsetY) {
  const auto bytes = EncodeGameFile(state, options, viewOffsetX, viewOffsetY);
  if (!bytes || path.empty()) return false;
  // The new game replaces the old one only once it is complete on disk, so
  // a failed save never destroys the previous game.
  return WriteFileAtomically(path, *bytes);
}

std::optional<GameFileContents> ParseGameFile(std::span<const std::uint8_t> bytes) {
  if (bytes.empty()) return std::nullopt;
  const std::size_t searched = std::min(bytes.size(), PATH_CAPACITY);
  const void* terminator = std::memchr(bytes.data(), 0, searched);
  if (terminator == nullptr) return std::nullopt;
  const std::size_t n = static_cast<std::size_t>(static_cast<const std::uint8_t*>(terminator) - bytes.data());
  if (bytes.size() < n + GAME_FILE_HEADER_SIZE) return std::nullopt;

  const std::uint8_t* header = bytes.data() + n;
  GameFileContents contents;
  contents.imagePath.assign(reinterpret_cast<const char*>(bytes.data()), n);
  contents.form = header[1];
  contents.bulge = GetFloat(header + 2);
  contents.columns = GetU32(header + 6);
  contents.rows = GetU32(header + 10);
  contents.gameRotate = header[14] != 0;
  contents.game3D = header[15] != 0;

  if (!RangeOf("PuzzleForm").Holds(contents.form)) return std::nullopt;
  if (contents.columns < 2 || contents.rows < 2) return std::nullopt;
  const std::uint64_t count = static_cast<std::uint64_t>(contents.columns) * contents.rows;
  if (count > MAX_PIECES) return std::nullopt;
  if (!std::isfinite(contents.bulge) || !RangeOf("Bulge").Holds(contents.bulge)) return std::nullopt;
  if (bytes.size() != n + GAME_FILE_HEADER_SIZE + GAME_FILE_RECORD_SIZE * count) return std::nullopt;

  contents.records.resize(count);
  const std::uint8_t* in = header + GAME_FILE_HEADER_SIZE;
  for (PieceRecord& record : contents.records) {
    for (float& value : record) {
      value = GetFloat(in);
      if (!std::isfinite(value)) return std::nullopt;
      in += 4;
    }
    if (!IsRotation(std::span<const float, 9>(record.data(), 9))) return std::nullopt;
  }
  return contents;
}

GameReadResult ReadGameFile(const std::string& path, const std::optional<std::string>& pictureInstead) {
  const auto bytes = ReadWholeFile(path, MAX_GAME_FILE_SIZE);
  if (!bytes) return {};
  return DecodeGameFile(*bytes, pictureInstead);
}

GameReadResult DecodeGameFile(std::span<const std::uint8_t> bytes,
                              const std::optional<std::string>& pictureInstead) {
  GameReadResult result;
  auto contents = ParseGameFile(bytes);
  if (!contents) return result;
  if (pictureInstead) contents->imagePath = *pictureInstead;
  result.imagePath = contents->imagePath;
  if (contents->imagePath.size() < 4) {
    result.failure = GameReadFailure::PicturePath;
    return result;
  }
  auto picture = DecodePictureFile(contents->imagePath);
  if (!picture) {
    result.failure = GameReadFailure::Picture;
    return result;
  }
  // Start makes no cell narrower or lower than a pixel of the picture.
  if (contents->columns > static_cast<std::uint32_t>(picture->width) ||
      contents->rows > static_cast<std::uint32_t>(picture->height)) {
    return result;
  }
  result.game = LoadedGame{std::move(*contents), std::move(*picture)};
  return result;
}

void InstallLoadedGame(LoadedGame&& game, const std::string& gameFilePath, GameState& state,
                       GameOptions& options) {
  GameFileContents& contents = game.contents;
  options.form = contents.form;
  options.bulge = contents.bulge;
  options.columns = contents.columns;
  options.gameRotate = contents.gameRotate;
  options.game3D = contents.game3D;

  state.gameRunning = false;
  state.rows = contents.rows;
  state.pieceCount = contents.columns * contents.rows;
  if (state.selected >= 0 && static_cast<std::uint32_t>(state.selected) >= state.pieceCount)
    state.selected = -1;

  game.picture.path = contents.imagePath;
  TakePictureOver(state, std::move(game.picture));
  state.imageFresh = false;

  // A loaded game opens unscrolled; its positions are relative to the
  // picture's centre.
  ComputePictureHalfSizes(state);
  ComputeCellsAndHomes(state, options);

  state.pieces.assign(state.pieceCount, PiecePose{});
  for (std::uint32_t k = 0; k < state.pieceCount; ++k) {
    const PieceRecord& record = contents.records[k];
    PiecePose& pose = state.pieces[k];
    std::copy(record.begin(), record.begin() + 9, pose.orient.begin());
    pose.x = static_cast<float>(record[9] * state.pixelScale);
    pose.y = static_cast<float>(record[10] * state.pixelScale);
    pose.z = RestingDepth(k);
  }
  RememberFileTitle(gameFilePath, state.fileTitle);
}

}  // namespace puzzle
