// The program's icon resources, numbered once for puzzle.rc and the window
// code. The ".pzz" association names the game-file icon by its place among
// the program's icons ("puzzle.exe,1"); the linker keeps resources in id
// order, so the window's icon must keep the lower number and stay first.
#pragma once

#define PUZZLE_WINDOW_ICON 1500
#define PUZZLE_GAME_FILE_ICON 1501
