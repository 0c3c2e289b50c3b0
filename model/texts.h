// Every text the player can read, in English and Russian, in one table.
// russianUi (GameOptions) picks the member once per use; nothing else decides
// the language. Texts are kept exactly as the game has always shown them,
// misspellings included, since players and manuals quote them.
#pragma once

#include <cstdio>
#include <string>

namespace puzzle {

struct UiText {
  const char* en;
  const char* ru;
};

constexpr const char* Tr(const UiText& text, bool russianUi) {
  return russianUi ? text.ru : text.en;
}

// Some texts carry their own printf conversions (%d, %s, %% for a percent
// sign); this fills them in.
template <typename... Values>
std::string FormatText(const char* pattern, Values... values) {
  const int size = std::snprintf(nullptr, 0, pattern, values...);
  if (size <= 0) return pattern;
  std::string result(static_cast<std::size_t>(size), '\0');
  std::snprintf(result.data(), result.size() + 1, pattern, values...);
  return result;
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
// The graphics driver could not make the picture's texture.
inline constexpr UiText TEXTURE_FAILED{"Not enough graphics memory for this picture.",
                                       "Недостаточно графической памяти для этой картинки."};
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
inline constexpr UiText CHECK_ERRORS{"Total errors found: %d or %d%%.", "Всего ошибок: %d или %d%%."};
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
// A game left unfinished by a run that ended without the save question.
// Cancel (or Esc, or the close box) is "not now": the copy waits for the
// next start.
inline constexpr UiText RECOVERY_QUESTION{
    "The game with the picture %s was not finished (last changed %s).\nRestore it?\n\n"
    "No deletes this copy of it; Cancel keeps it for the next start.",
    "Игра с картинкой %s не была закончена (последнее изменение %s).\nВосстановить её?\n\n"
    "«Нет» удалит эту копию, «Отмена» сохранит её до следующего запуска."};
inline constexpr UiText RECOVERY_CAPTION{"Unfinished game", "Незаконченная игра"};
// A copy that cannot be read stays where it is; %s: its path, then the reason.
inline constexpr UiText RECOVERY_UNREADABLE{
    "The unfinished game kept in %s cannot be read: %s.\nThe file is left as it is.",
    "Незаконченную игру из %s прочитать не удалось: %s.\nФайл оставлен как есть."};
inline constexpr UiText RECOVERY_NOT_A_GAME{"it is not a complete game file", "это не полный файл игры"};
inline constexpr UiText SAVE_FAILED{"Failed to save file.", "Ошибка сохранения файла."};
// Asked before a game file takes the place of an existing file; %s: its path.
inline constexpr UiText REPLACE_QUESTION{"%s already exists.\nDo you want to replace it?",
                                         "%s уже существует.\nЗаменить его?"};
inline constexpr UiText REPLACE_CAPTION{"Confirm Save As", "Подтверждение сохранения"};
inline constexpr UiText GAME_FILE_FILTER{"Puzzle Game Files (*.pzz)", "Puzzle Game Files (*.pzz)"};

// Pictures and game files (storage)
inline constexpr UiText INCORRECT_IMAGE_PATH{"Incorrect path or Image's name.",
                                             "Incorrect path or Image's name."};
// %s: the picture path named in the game file.
inline constexpr UiText CANNOT_OPEN_IMAGE{"Cannot open image file %s", "Программа не смогла открыть файл %s"};
// A saved game whose picture is neither where it was nor beside the game file.
inline constexpr UiText PICTURE_MISSING{
    "The picture of this game was not found:\n%s\n\nDo you want to locate it?",
    "Изображение этой игры не найдено:\n%s\n\nУказать, где оно?"};
inline constexpr UiText PICTURE_MISSING_CAPTION{"Picture not found", "Изображение не найдено"};
inline constexpr UiText CANNOT_OPEN_IMAGE_CAPTION{"ERROR.", "ERROR. Ошибка открытия файла изображения."};
// The window title of a loaded game has only this one text, in both languages.
inline constexpr UiText TITLE_LOADED_GAME{"Puzzle - Загружена Игра: ", "Puzzle - Загружена Игра: "};
inline constexpr UiText FILTER_ALL_IMAGES{"All Suported Image Files", "All Suported Image Files"};
inline constexpr UiText FILTER_BMP{"Bitmap Files (*.bmp)", "Bitmap Files (*.bmp)"};
inline constexpr UiText FILTER_JPG{"JPG Image Files (*.jpg)(*.jpe)(*.jpeg)",
                                   "JPG Image Files (*.jpg)(*.jpe)(*.jpeg)"};
inline constexpr UiText FILTER_PNG{"PNG Image Files (*.png)", "PNG Image Files (*.png)"};
inline constexpr UiText FILTER_GIF{"GIF Image Files (*.gif)", "GIF Image Files (*.gif)"};
inline constexpr UiText FILTER_TGA{"TGA Image Files (*.tga)", "TGA Image Files (*.tga)"};
inline constexpr UiText FILTER_PSD{"PSD Image Files (*.psd)", "PSD Image Files (*.psd)"};
inline constexpr UiText FILTER_PPM{"PPM Image Files (*.ppm)", "PPM Image Files (*.ppm)"};
inline constexpr UiText FILTER_PGM{"PGM Image Files (*.pgm)", "PGM Image Files (*.pgm)"};

// Number of pieces
inline constexpr UiText COLUMNS_TOO_FEW{"Number of puzzles in horizontal edge must be more than one.",
                                        "Число пазлов по ширине должно быть больше 1."};

// Graphics
inline constexpr UiText OBSOLETE_VIDEO{
    "Obsolete video format found. Thus there is possibility of the incorrect functioning of the programm.",
    "Ваш компьютер имеет устаревший видеоформат.\nВозможна не вполне корректная работа программы!"};

// About
inline constexpr UiText ABOUT_CAPTION{"About...", "О программе..."};
// No browser opened the manual; %s: where the page lies.
inline constexpr UiText MANUAL_NOT_OPENED{
    "Cannot open the manual in a browser.\nYou will find it here:\n%s",
    "Не удалось открыть руководство в браузере.\nОно находится здесь:\n%s"};

// Menus
inline constexpr UiText MENU_FILE{"&File", "&Файл"};
inline constexpr UiText MENU_CHANGE{"&Change", "&Изменить"};
inline constexpr UiText MENU_HELP{"&Help", "&Помощь"};
inline constexpr UiText MENU_GAME{"Game", "Игра"};
inline constexpr UiText MENU_LOAD_IMAGE{"Load New Image", "Загрузить новое изображение"};
inline constexpr UiText MENU_OPEN{"Open...", "Открыть"};
inline constexpr UiText MENU_SAVE{"Save", "Сохранить"};
inline constexpr UiText MENU_SAVE_AS{"Save As...", "Сохранить как..."};
inline constexpr UiText MENU_EXIT{"Exit", "Выход"};
inline constexpr UiText MENU_RECENT_GAMES{"Recent games", "Последние игры"};
inline constexpr UiText MENU_NO_RECENT_GAMES{"(none)", "(нет)"};
inline constexpr UiText MENU_NUMBER_OF_PIECES{"Number of pieces", "Число пазлов"};
inline constexpr UiText MENU_OPTIONS{"Options", "Опции"};
inline constexpr UiText MENU_HELP_ITEM{"Help", "Помощь"};
inline constexpr UiText MENU_HELP_ONLINE{"Help On-Line", "Помощь On-Line"};
inline constexpr UiText MENU_ABOUT{"About...", "О программе..."};
inline constexpr UiText MENU_START{"Start", "Начать"};
inline constexpr UiText MENU_PROMPT{"Prompt", "Подсказка"};
inline constexpr UiText MENU_CHECK{"Check", "Проверка"};
inline constexpr UiText MENU_VIEW{"&View", "&Вид"};
inline constexpr UiText MENU_ZOOM_IN{"Zoom in", "Крупнее"};
inline constexpr UiText MENU_ZOOM_OUT{"Zoom out", "Мельче"};
inline constexpr UiText MENU_ZOOM_ACTUAL{"Actual size (100 %)", "Настоящий размер (100 %)"};
inline constexpr UiText MENU_WHOLE_TABLE{"Whole table", "Весь стол"};
inline constexpr UiText MENU_UNDO{"&Undo", "&Отменить"};
inline constexpr UiText MENU_REDO{"&Redo", "&Вернуть"};

// Shell dialogs: Number of pieces, Quick help, About
inline constexpr UiText PIECES_TITLE{"New Game", "Новая игра"};
inline constexpr UiText PIECES_GROUP{"New number of pieces in horizontal edge",
                                     "Новое число пазлов по горизонтали"};
inline constexpr UiText BUTTON_OK{"OK", "OK"};
inline constexpr UiText BUTTON_CANCEL{"Cansel", "Cansel"};
inline constexpr UiText QUICK_HELP_TITLE{"Quick help", "Quick help"};
inline constexpr UiText QUICK_START_GROUP{"Quick start", "Быстрый старт"};
inline constexpr UiText QUICK_START_1{"1. Click File -> Load New Image.",
                                      "1. Выберите Файл ->Загрузить новое изображение."};
inline constexpr UiText QUICK_START_2{"2. Load selected image in the programm.",
                                      "2. Загрузите в программу выбранное вами изображение."};
inline constexpr UiText QUICK_START_3{"3. Click Game -> Start.", "3. Щёлкните Игра ->Начать."};
inline constexpr UiText QUICK_START_4{"4. Happy gaming!", ".… и получайте удовольствие от игры."};
inline constexpr UiText HOW_TO_PLAY_GROUP{"How to play", "Как играть"};
inline constexpr UiText HOW_TO_PLAY_1{"Select, drag and drop pieces in their source places by mouse.",
                                      "Перетаскивайте выбранные пазлы на их исходные места."};
inline constexpr UiText HOW_TO_PLAY_2{"Right-click and select Rotate+ or Rotate- menu item and choose",
                                      "Вращайте выделенный пазл, щёлкнув по нему правой кнопкой"};
inline constexpr UiText HOW_TO_PLAY_3{"suitable angle of the rotation if you have to rotate selected piece.",
                                      "мыши и выбрав нужный угол поворота из всплывающего меню"};
inline constexpr UiText HOW_TO_PLAY_4{"Click File -> Save and save current game if you want.",
                                      "Выберите Файл -> Сохранить для сохранения игры."};
inline constexpr UiText CHANGE_OPTIONS_GROUP{"Change Options", "Изменение Опций"};
inline constexpr UiText CHANGE_OPTIONS_1{"Click Edit-> Number of pieces to change",
                                         "Щёлкните Изменить  -> Число пазлов чтобы, изменить"};
inline constexpr UiText CHANGE_OPTIONS_2{"number of pieces in the horizontal edge of image.",
                                         "число пазлов по горизонтали."};
inline constexpr UiText CHANGE_OPTIONS_3{"Click Edit-> Options to change the form of Puzzle pieces,",
                                         "Щёлкните Изменить  -> Опции для изменения формы пазлов,"};
inline constexpr UiText CHANGE_OPTIONS_4{"time of scatter, colors and other options.",
                                         "времени перемешивания, цветов и других опций."};
inline constexpr UiText MORE_DETAILS_GROUP{"For more details please go to:",
                                           "Для получения более полной информации перейдите:"};
// The About box, line by line; %s: the GL version string, %d: maxTextureSize.
inline constexpr UiText ABOUT_NOTICE_1{"Puzzle, a jigsaw game by QUORVANE.",
                                       "Puzzle, игра-головоломка от QUORVANE."};
inline constexpr UiText ABOUT_NOTICE_2{"Pictures, pieces and patience are yours.",
                                       "Картинки, пазлы и терпение - ваши."};
inline constexpr UiText ABOUT_FREE{"100 % free", "100 % free"};
inline constexpr UiText ABOUT_WARRANTY{"0 % warranty", "0 % warranty"};
inline constexpr UiText ABOUT_GL_VERSION{"OpenGL version on your computer:  %s",
                                         "На Вашем компьютере установлена версия OpenGL %s"};
inline constexpr UiText ABOUT_MAX_IMAGE{"Maximal width (height) of the image for the game: %d px.",
                                        "Максимальная ширина (высота) картинки для игры: %d px."};

// Piece menu. The dash of the negative turns is an em dash; the degree sign
// follows the number.
inline constexpr UiText PIECE_ALIGN{"&Align", "&Выровнять"};
inline constexpr UiText PIECE_ROTATE_PLUS{"Rotate +", "Поворот +"};
inline constexpr UiText PIECE_ROTATE_MINUS{"Rotate —", "Поворот —"};
inline constexpr UiText PIECE_ROTATE_3D{"Rotate 3D", "Поворот 3D"};
inline constexpr UiText PIECE_PLUS_45{"45°", "45°"};
inline constexpr UiText PIECE_PLUS_90{"90°", "90°"};
inline constexpr UiText PIECE_PLUS_135{"135°", "135°"};
inline constexpr UiText PIECE_PLUS_180{"180°", "180°"};
inline constexpr UiText PIECE_MINUS_45{"—45°", "—45°"};
inline constexpr UiText PIECE_MINUS_90{"—90°", "—90°"};
inline constexpr UiText PIECE_MINUS_135{"—135°", "—135°"};
inline constexpr UiText PIECE_MINUS_180{"—180°", "—180°"};
inline constexpr UiText PIECE_VERTICAL_AXIS{"About Vertical axis", "Вертикальная ось"};
inline constexpr UiText PIECE_HORIZONTAL_AXIS{"About Horizontal axis", "Горизонтальная ось"};
inline constexpr UiText PIECE_NEW_IMAGE{"&New Image", "&Новое изображение"};
inline constexpr UiText PIECE_SAVE{"&Save", "&Сохранить"};
inline constexpr UiText PIECE_EXIT{"&Exit", "&Выход"};

// Options dialog
inline constexpr UiText OPTIONS_TITLE{"Options", "Опции"};
inline constexpr UiText OPTIONS_FORM_GROUP{"Please select piece's form", "Выберите форму пазлов"};
inline constexpr UiText OPTIONS_FORM_1{" - form 1", " - form 1"};
inline constexpr UiText OPTIONS_FORM_2{" - form 2", " - form 2"};
inline constexpr UiText OPTIONS_FORM_3{" - form 3", " - form 3"};
inline constexpr UiText OPTIONS_FORM_4{" - form 4", " - form 4"};
inline constexpr UiText OPTIONS_BULGE_GROUP{"Less  <--  You can change the bulge of pieces  -->  More",
                                            "Меньше <-- Измените размер выступа пазла --> Больше"};
inline constexpr UiText OPTIONS_SPEED_GROUP{
    "Slow      <-- Acceleration of the rotation of pieces -->      Fast",
    "Медленнее <-- Ускорение вращения пазлов --> Быстрее"};
inline constexpr UiText OPTIONS_SCATTER_GROUP{"The time of the scatter of pieces.(Must be at least 10 sec.)",
                                              "Время перемешивания пазлов.(Минимум 10 сек.)"};
inline constexpr UiText OPTIONS_DISPLAY_GROUP{"Display:", "Отображать:"};
inline constexpr UiText OPTIONS_EDGES{"Edges of pieces", "Границы пазла"};
inline constexpr UiText OPTIONS_FRAME{"Picture's frame", "Рамку рисунка"};
inline constexpr UiText OPTIONS_CENTRES{"Centres of cells", "Центры ячеек"};
inline constexpr UiText OPTIONS_COLOURS_GROUP{"Change colors:", "Измените цвета:"};
inline constexpr UiText OPTIONS_BACKGROUND_COLOUR{"Background", "Фона"};
inline constexpr UiText OPTIONS_FRAME_COLOUR{"Picture's frame", "Рамки рисунка"};
inline constexpr UiText OPTIONS_CENTRES_COLOUR{"Centres of cells", "Центров ячеек"};
inline constexpr UiText OPTIONS_RED{"R =", "R ="};
inline constexpr UiText OPTIONS_GREEN{"G =", "G ="};
inline constexpr UiText OPTIONS_BLUE{"B =", "B ="};
inline constexpr UiText OPTIONS_SELECT{"Select", "Выбрать"};
inline constexpr UiText OPTIONS_BRANDED{"Use background from QUORVANE", "Использовать фирменный фон"};
inline constexpr UiText OPTIONS_ROTATIONS_GROUP{"Use rotations:", "Использование вращениий:"};
inline constexpr UiText OPTIONS_GAME_ROTATE{"Game with rotations", "Игра с вращениями"};
inline constexpr UiText OPTIONS_GAME_3D{"3D Game", "Трёхмерная игра"};
inline constexpr UiText OPTIONS_OK{"OK", "OK"};
inline constexpr UiText OPTIONS_CANCEL{"Cansel", "Отмена"};
inline constexpr UiText OPTIONS_APPLY_NOW{"Apply Now", "Применить"};
inline constexpr UiText OPTIONS_RESTORE_DEFAULT{"Restore default", "По умолчанию..."};

// Scroll bars: the key-help captions name the keys printed on the keyboard,
// the same in both interfaces; the bitmap font holds only ASCII.
inline constexpr UiText KEY_UP_ARROW{"Up Arrow", "Up Arrow"};
inline constexpr UiText KEY_HOME{"Home", "Home"};
inline constexpr UiText KEY_PAGE_UP{"Page Up", "Page Up"};
inline constexpr UiText KEY_PAGE_DOWN{"Page Down", "Page Down"};
inline constexpr UiText KEY_END{"End", "End"};
inline constexpr UiText KEY_DOWN_ARROW{"Down Arrow", "Down Arrow"};
inline constexpr UiText KEY_LEFT_ARROW{"Left Arrow", "Left Arrow"};
inline constexpr UiText KEY_CTRL_HOME{"Ctrl(Alt)+Home", "Ctrl(Alt)+Home"};
inline constexpr UiText KEY_CTRL_PAGE_UP{"Ctrl(Alt)+Page Up", "Ctrl(Alt)+Page Up"};
inline constexpr UiText KEY_CTRL_PAGE_DOWN{"Ctrl(Alt)+Page Down", "Ctrl(Alt)+Page Down"};
inline constexpr UiText KEY_CTRL_END{"Ctrl(Alt)+End", "Ctrl(Alt)+End"};
inline constexpr UiText KEY_RIGHT_ARROW{"Right Arrow", "Right Arrow"};

}  // namespace texts
}  // namespace puzzle
