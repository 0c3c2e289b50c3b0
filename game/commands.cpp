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

// Where one axis of a running game reaches, in screen pixels: the farthest
// piece plus one cell.
std::int32_t ScrollMargin(std::int32_t reach, std::int32_t imageSize, std::int32_t clientSize,
                          std::int32_t lastCase) {
  if (imageSize < clientSize) return reach > clientSize / 2 ? 2 * (reach - imageSize / 2) : 0;
  return reach > imageSize / 2 ? 2 * (reach - imageSize / 2) : lastCase;
}

// One thumb after a resize; the scroll position keeps its relative place.
void RecomputeThumb(bool recompute, std::int32_t imageSize, std::int32_t margin, std::int32_t clientSize,
                    std::int32_t previousClient, std::int32_t previousThumb, std::int32_t thickness,
                    std::int32_t& thumb, std::int32_t& scroll) {
  if (!recompute) return;
  const std::int64_t room = std::int64_t{imageSize} + margin;
  thumb = std::max(thickness, static_cast<std::int32_t>(std::int64_t{clientSize} * clientSize / room));
  const std::int32_t previousRange = previousClient - previousThumb;
  if (previousRange != 0) {
    scroll = static_cast<std::int32_t>(std::int64_t{clientSize - thumb} * scroll / previousRange);
  }
}

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

void ApplyScrollKey(GameState& state, ScrollKey key, bool modifierDown) {
  switch (key) {
    case ScrollKey::PageUp:
      if (modifierDown)
        state.scrollX -= state.thumbW;
      else
        state.scrollY += state.thumbH;
      break;
    case ScrollKey::PageDown:
      if (modifierDown)
        state.scrollX += state.thumbW;
      else
        state.scrollY -= state.thumbH;
      break;
    case ScrollKey::End:
      if (modifierDown)
        state.scrollX = (state.clientWidth - state.thumbW) / 2;
      else
        state.scrollY = (state.thumbH - state.clientHeight) / 2;
      break;
    case ScrollKey::Home:
      if (modifierDown)
        state.scrollX = (state.thumbW - state.clientWidth) / 2;
      else
        state.scrollY = (state.clientHeight - state.thumbH) / 2;
      break;
    case ScrollKey::Left: state.scrollX -= 1; break;
    case ScrollKey::Up: state.scrollY += 1; break;
    case ScrollKey::Right: state.scrollX += 1; break;
    case ScrollKey::Down: state.scrollY -= 1; break;
  }
}

void RecomputeScrollRoom(GameState& state, const GameOptions& options, const PreviousClient& previous,
                         std::int32_t scrollBarThickness) {
  if (state.gameRunning && options.columns > 0 && state.rows > 0) {
    float maxX = -1;
    float maxY = -1;
    for (std::uint32_t i = 0; i < state.pieceCount && i < state.pieces.size(); ++i) {
      maxX = std::max(maxX, std::fabs(state.pieces[i].x + state.viewOffsetX));
      maxY = std::max(maxY, std::fabs(state.pieces[i].y + state.viewOffsetY));
    }
    const auto cellPxW =
        static_cast<std::int32_t>(static_cast<std::uint32_t>(state.imageWidth) / options.columns);
    const auto cellPxH =
        static_cast<std::int32_t>(static_cast<std::uint32_t>(state.imageHeight) / state.rows);
    const std::int32_t m = std::max(cellPxW, cellPxH);
    const double k = 2.0 * HalfPixelOnTable(state.pixelScale);
    const auto reachX = static_cast<std::int32_t>(maxX / k + m);
    const auto reachY = static_cast<std::int32_t>(maxY / k + m);
    state.scrollMarginX = ScrollMargin(reachX, state.imageWidth, state.clientWidth, cellPxW + cellPxH);
    state.scrollMarginY = ScrollMargin(reachY, state.imageHeight, state.clientHeight, m);
  }
  const bool running = state.gameRunning;
  RecomputeThumb((!running && state.imageWidth > state.clientWidth) ||
                     (running && state.imageWidth + state.scrollMarginX > state.clientWidth),
                 state.imageWidth, state.scrollMarginX, state.clientWidth, previous.width, previous.thumbW,
                 scrollBarThickness, state.thumbW, state.scrollX);
  RecomputeThumb((!running && state.imageHeight > state.clientHeight) ||
                     (running && state.imageHeight + state.scrollMarginY > state.clientHeight),
                 state.imageHeight, state.scrollMarginY, state.clientHeight, previous.height, previous.thumbH,
                 scrollBarThickness, state.thumbH, state.scrollY);
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
