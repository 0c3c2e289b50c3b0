// The folder part and the name part of a full path, split at the platform's
// separators ('/' here; '\\' and '/' on Windows). Used by image loading, the
// game-file commands and the window title. The caller names the record field
// that receives the result (imageDirectory or gameDirectory of GameOptions,
// fileTitle of GameState).
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace puzzle {

// Paths are UTF-8 text throughout the game. These two convert at the file
// system, which on Windows takes UTF-16: a plain std::string there would be
// read in the ANSI code page and lose every letter outside it.
std::filesystem::path FileSystemPath(std::string_view utf8);
std::string Utf8Path(const std::filesystem::path& path);

// Stores the text before the last separator in destination. A path without
// a separator has no folder, and destination keeps its value. The root
// folder of "/cat.png" is "/", so that it stays a usable start folder.
void RememberDirectory(std::string_view path, std::string& destination);

// Whether something (a file, a folder) is already there.
bool PathExists(const std::string& path);

// Stores the text after the last separator (the whole path when there is
// none) in fileTitle.
void RememberFileTitle(std::string_view path, std::string& fileTitle);

// Where a moved picture is looked for: its name (taken after the last '/' or
// '\\', so that a game saved on another system is found too) in the game
// file's folder.
std::string PictureBesideGameFile(std::string_view gameFilePath, std::string_view picturePath);

}  // namespace puzzle
