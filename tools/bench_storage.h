// The "storage" section of puzzle-bench: writing and reading a 10 000-piece
// game file, decoding a 4096 x 4096 PNG and a 100-frame animated GIF. The
// inputs are made at run time in a temporary folder. Returns 0, or 1 when a
// step fails.
#pragma once

namespace puzzle {

int BenchStorage();

}  // namespace puzzle
