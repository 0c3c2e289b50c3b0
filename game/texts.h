// Every text the player can read, in English and Russian, in one table.
// russianUi (GameOptions) picks the member once per use; nothing else decides
// the language. Texts are kept exactly as the game has always shown them,
// misspellings included, since players and manuals quote them.
#pragma once

namespace puzzle {

struct UiText {
  const char* en;
  const char* ru;
};

constexpr const char* Tr(const UiText& text, bool russianUi) {
  return russianUi ? text.ru : text.en;
}

namespace texts {

// Captions used by many messages, the same in both languages.
inline constexpr UiText CAPTION_ERROR{"Error", "Error"};
inline constexpr UiText CAPTION_ERROR_UPPER{"ERROR", "ERROR"};

inline constexpr UiText START_TITLE{"Puzzle - QUORVANE", "Puzzle - QUORVANE"};
inline constexpr UiText TITLE_NEW_IMAGE{"Puzzle - New Image: ", "Puzzle - Загружена картинка: "};

// Start
inline constexpr UiText RESTART_QUESTION{"Restart this game?", "Начать игру заново?"};
inline constexpr UiText RESTART_CAPTION{"Restart or not restart: that is the question...",
                                        "Начинать или нет?"};
inline constexpr UiText LOAD_IMAGE_FIRST{"First you have to load an image.",
                                         "Сначала загрузите изображение."};
inline constexpr UiText IMAGE_TOO_SMALL{"The width and the height of the image must be at least 32 pixels.",
                                        "Ширина и высота картинки должны быть по крайней мере 32px."};
// %d: the largest texture side.
inline constexpr UiText IMAGE_TOO_LARGE{
    "Too large picture.\nThe maximal length or width of a picture for this game on your computer should not "
    "exceed %d px.",
    "Слишком большая картинка.\nШирина и высота картики на Вашем компьютере не должна превышать %d px."};
inline constexpr UiText TOO_MANY_PIECES{
    "Too many of puzzles.\nNumber of puzzles should not exceed 10 000.",
    "Слишком большое число пазлов\nМаксимально число пазлов не должно превышать 10 000."};
inline constexpr UiText OUT_OF_MEMORY{"Out of memory. Too many of puzzles.",
                                      "Недостаточно памяти. Слишком большое число пазлов."};
// More columns than the picture has pixels would give cells of no width.
// %d: the picture width.
inline constexpr UiText TOO_MANY_COLUMNS{
    "Too many of puzzles.\nNumber of puzzles in horizontal edge should not exceed the width of the image (%d "
    "px).",
    "Слишком большое число пазлов\nЧисло пазлов по горизонтали не должно превышать ширину картинки (%d px)."};

// Check
// %d: errors, %d: percent.
inline constexpr UiText CHECK_ERRORS{"Total errors found: %d или %d%%.", "Всего ошибок: %d или %d%%."};
inline constexpr UiText CHECK_CAPTION{"Found out errors:", "Найдено ошибок:"};
inline constexpr UiText VICTORY{"Congratulations! \n It was a god game and you have won!",
                                "Поздравляю!\nЭто была отличная игра и Вы победили!"};
inline constexpr UiText VICTORY_CAPTION{"All right", "Всё-как-в-танке"};

// Game files
inline constexpr UiText SAVE_QUESTION{"Save current Game?", "Сохранить эту игру?"};
inline constexpr UiText SAVE_CAPTION{"To save or not to save: that is the question:", "Сохранять или нет?"};
inline constexpr UiText CANNOT_SAVE{
    "Cannot save this game.\nPlease load an image and restart the game.",
    "Эту игру сохранить нельзя.\nПожалуйста загрузите изображение и начните игру заново."};
inline constexpr UiText OPEN_FAILED{"Failed to open file.", "Ошибка загрузки файла игры."};
// The game named on the command line has a text of its own in Russian.
inline constexpr UiText COMMAND_LINE_OPEN_FAILED{"Failed to open file.", "Ошибка загрузки файла."};
inline constexpr UiText SAVE_FAILED{"Failed to save file.", "Ошибка сохранения файла."};
inline constexpr UiText GAME_FILE_FILTER{"Puzzle Game Files (*.pzz)", "Puzzle Game Files (*.pzz)"};

// Number of pieces
inline constexpr UiText COLUMNS_TOO_FEW{"Number of puzzles in horizontal edge must be more than one.",
                                        "Число пазлов по ширине должно быть больше 1."};

// Graphics
inline constexpr UiText OBSOLETE_VIDEO{
    "Obsolete video format found. Thus there is possibility of the incorrect functioning of the programm.",
    "Ваш компьютер имеет устаревший видеоформат.\nВозможна не вполне корректная работа программы!"};

// About
inline constexpr UiText ABOUT_CAPTION{"About...", "О программе..."};

}  // namespace texts
}  // namespace puzzle
