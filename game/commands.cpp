#include "game/commands.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "model/geometry.h"
#include "model/texts.h"

namespace puzzle {
namespace {

// The edit box hands over at most this many characters (the rest of a long
// entry is cut, as the dialog's buffer always did).
constexpr std::size_t NUMBER_TEXT_LIMIT = 63;

}  // namespace

int ReadDecimal(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' || text[i] == '\r' ||
                             text[i] == '\v' || text[i] == '\f')) {
    ++i;
  }
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    // Saturate: a long row of digits must not overflow.
    if (value <= static_cast<long long>(INT_MAX) + 1) value = value * 10 + (text[i] - '0');
  }
  if (negative) value = -value;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

std::optional<std::string> CommandLineGamePath(std::string_view commandLine) {
  const std::size_t n = commandLine.size();
  // Room for a quote, the three letters and the closing character.
  if (n < 5) return std::nullopt;
  const std::string_view ending = commandLine.substr(n - 4, 3);
  if (ending != "pzz" && ending != "PZZ") return std::nullopt;
  const std::size_t quote = commandLine.substr(0, n - 1).rfind('"');
  if (quote == std::string_view::npos) return std::nullopt;
  return std::string(commandLine.substr(quote + 1, n - 2 - quote));
}

void ApplyScrollKey(TableView& table, const GameState& state, ScrollKey key, bool modifierDown) {
  const ScrollAxis pageAxis = modifierDown ? ScrollAxis::Horizontal : ScrollAxis::Vertical;
  switch (key) {
    case ScrollKey::PageUp: MovePage(table, pageAxis, PageMove::Back); break;
    case ScrollKey::PageDown: MovePage(table, pageAxis, PageMove::Forward); break;
    case ScrollKey::Home: MovePage(table, pageAxis, PageMove::ToStart); break;
    case ScrollKey::End: MovePage(table, pageAxis, PageMove::ToEnd); break;
    case ScrollKey::Left: ScrollByScreenPixels(table, state, -1, 0); break;
    case ScrollKey::Up: ScrollByScreenPixels(table, state, 0, 1); break;
    case ScrollKey::Right: ScrollByScreenPixels(table, state, 1, 0); break;
    case ScrollKey::Down: ScrollByScreenPixels(table, state, 0, -1); break;
  }
}

void ApplyWheel(TableView& table, const GameState& state, int deltaX, int deltaY, bool shiftDown) {
  const auto steps = [](int delta) { return delta * WHEEL_NOTCH_STEPS / WHEEL_NOTCH_DELTA; };
  if (shiftDown) {
    ScrollByScreenPixels(table, state, -steps(deltaY != 0 ? deltaY : deltaX), 0);
    return;
  }
  ScrollByScreenPixels(table, state, -steps(deltaX), steps(deltaY));
}

std::optional<int> TakeWheelNotch(int& pendingDelta) {
  if (pendingDelta >= WHEEL_NOTCH_DELTA) {
    pendingDelta -= WHEEL_NOTCH_DELTA;
    return 1;
  }
  if (pendingDelta <= -WHEEL_NOTCH_DELTA) {
    pendingDelta += WHEEL_NOTCH_DELTA;
    return -1;
  }
  return std::nullopt;
}

std::optional<int> TakeWheelTurn(const GameOptions& options, int& pendingDelta) {
  if (!options.gameRotate) pendingDelta = 0;
  const auto notch = TakeWheelNotch(pendingDelta);
  if (!notch) return std::nullopt;
  return *notch > 0 ? 45 : 46;  // the piece menu's "+45" and "-45"
}

bool ZoomTable(TableView& table, const GameState& state, const GameOptions& options, std::int32_t thickness,
               int commandId, double x, double y, bool pieceHeld) {
  if (!state.gameRunning || pieceHeld) return false;
  const double whole = WholeTableZoom(state, table);
  const double centreX = table.clientWidth / 2.0;
  const double centreY = table.clientHeight / 2.0;
  double zoom = table.zoom;
  switch (commandId) {
    case CMD_ZOOM_IN: zoom = SteppedZoom(table.zoom, 1, whole); break;
    case CMD_ZOOM_OUT: zoom = SteppedZoom(table.zoom, -1, whole); break;
    case CMD_ZOOM_ACTUAL:
      zoom = 1.0;
      x = centreX;
      y = centreY;
      break;
    case CMD_WHOLE_TABLE:
      ZoomAbout(table, state, options, thickness, whole, centreX, centreY);
      // The scroll room is centred on the picture, as the whole table is.
      table.scrollX = table.scrollY = 0;
      return true;
    default: return false;
  }
  if (zoom == table.zoom) return false;
  ZoomAbout(table, state, options, thickness, zoom, x, y);
  return true;
}

bool TakeNumberOfPieces(GameOptions& options, Platform& platform, std::string_view text) {
  text = text.substr(0, text.find('\n'));
  text = text.substr(0, NUMBER_TEXT_LIMIT);
  const int number = ReadDecimal(text);
  if (number >= 2) {
    options.pendingColumns = static_cast<std::uint32_t>(number);
    return true;
  }
  options.pendingColumns = 0;
  platform.ShowMessage({Tr(texts::COLUMNS_TOO_FEW, options.russianUi),
                        Tr(texts::CAPTION_ERROR, options.russianUi), MessageButtons::Ok, MessageIcon::None,
                        MessageOwner::None});
  return false;
}

std::string AboutText(bool russianUi, std::string_view glVersion, std::int32_t maxTextureSize) {
  std::string text;
  text += Tr(texts::ABOUT_NOTICE_1, russianUi);
  text += '\n';
  text += Tr(texts::ABOUT_NOTICE_2, russianUi);
  text += "\n\n";
  text += Tr(texts::ABOUT_FREE, russianUi);
  text += '\n';
  text += Tr(texts::ABOUT_WARRANTY, russianUi);
  text += "\n\n";
  text += FormatText(Tr(texts::ABOUT_GL_VERSION, russianUi), std::string(glVersion).c_str());
  text += '\n';
  text += FormatText(Tr(texts::ABOUT_MAX_IMAGE, russianUi), maxTextureSize);
  return text;
}

void OpenManualPage(Platform& platform, bool russianUi, const std::string& location) {
  if (platform.OpenPage(location)) return;
  platform.ShowMessage({FormatText(Tr(texts::MANUAL_NOT_OPENED, russianUi), location.c_str()),
                        Tr(texts::MENU_HELP_ONLINE, russianUi), MessageButtons::Ok, MessageIcon::Exclamation,
                        MessageOwner::MainWindow});
}

void ShowAbout(Platform& platform, bool russianUi, std::string_view glVersion, std::int32_t maxTextureSize) {
  platform.ShowMessage({AboutText(russianUi, glVersion, maxTextureSize), Tr(texts::ABOUT_CAPTION, russianUi),
                        MessageButtons::Ok, MessageIcon::Information, MessageOwner::None});
}

std::string NewImageTitle(bool russianUi, std::string_view fileTitle, std::int32_t width,
                          std::int32_t height) {
  std::string title = Tr(texts::TITLE_NEW_IMAGE, russianUi);
  title += fileTitle;
  title += ' ' + std::to_string(width) + " x " + std::to_string(height);
  return title;
}

}  // namespace puzzle
