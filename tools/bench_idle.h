// The "idle" section of puzzle-bench: the processor time the game's own
// window takes while nobody plays, with no picture and with a 10 000-piece
// game at rest, the branded background off and on, at two window sizes, and
// the frames it draws meanwhile. The game runs as a child process on the
// current display, with a home, settings and game file of the bench's own in
// a temporary folder, and prints a line for each frame it draws
// (PUZZLE_PRINT_FRAMES); the count starts 3 s after its first frame, 20 s
// with a game, once it is at rest. Returns 0, or 1 when a case could not be
// measured.
#pragma once

#include <string>

namespace puzzle {

// seconds: how long each window is left alone; game: the game program, or
// empty for the one built beside the bench.
int BenchIdle(double seconds, const std::string& game);

}  // namespace puzzle
