// Feeds arbitrary bytes to the game-file reader. A file the reader accepts
// must install into fresh records and save back to a file it accepts again.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "storage/game_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto contents = puzzle::ParseGameFile(std::span(data, size));
  if (!contents) return 0;
  if (contents->records.size() != static_cast<std::size_t>(contents->columns) * contents->rows) std::abort();

  puzzle::LoadedGame game{std::move(*contents), {}};
  game.picture.width = 64;
  game.picture.height = 48;
  game.picture.pixels.assign(64 * 48 * 4, 0);
  puzzle::GameState state;
  puzzle::GameOptions options;
  puzzle::InstallLoadedGame(std::move(game), "/games/fuzz.pzz", state, options);
  if (state.pieces.size() != state.pieceCount || state.homeX.size() != state.pieceCount) std::abort();

  const auto saved = puzzle::EncodeGameFile(state, options);
  if (!saved || !puzzle::ParseGameFile(*saved)) std::abort();
  return 0;
}
