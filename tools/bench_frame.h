// The "frame" section of puzzle-bench: the frame rate of a running
// 10 000-piece game of forms 1 and 4 at 800 x 600 during the scatter, while
// a piece is dragged and while one turns, drawn by the game's own renderer
// on the headless context. Prints the figures; returns 0, or 1 when
// no headless GL context can be had or the game cannot be started.
#pragma once

namespace puzzle {

int BenchFrame();

// The "zoom" section: a 4096 x 4096 picture in about 10 000 pieces at home,
// every piece drawn again each frame (as when the table scrolls), at 100 %
// and at the whole table's zoom, 800 x 600.
int BenchZoom();

}  // namespace puzzle
