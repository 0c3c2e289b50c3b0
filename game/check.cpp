#include "game/check.h"

#include <algorithm>
#include <cmath>

#include "model/texts.h"

namespace puzzle {

namespace {

// Pieces are cleared out of the picture into four queues, one per side; each
// counter is how far its queue has grown along that side.
struct AsideCounters {
  float below = 0;
  float right = 0;
  float above = 0;
  float left = 0;
};

// Only an unturned piece can be in place. The position test compares signed
// offsets: comparing magnitudes would let a piece lying at the mirror image of
// its home (two pieces swapped across the table's centre line) pass as placed
// and end a wrongly assembled picture with the congratulation.
bool InPlace(const PiecePose& pose, float homeX, float homeY, float halfTol) {
  if (pose.orient != IDENTITY_ORIENT) return false;
  return std::fabs(static_cast<double>(pose.x) - homeX) <= halfTol &&
         std::fabs(static_cast<double>(pose.y) - homeY) <= halfTol;
}

// Check's judgement of one piece: near enough to be snapped onto its home
// (closer than tol), and in place once snapped.
struct Placement {
  bool snaps = false;
  bool inPlace = false;
};

Placement Judge(const PiecePose& pose, float homeX, float homeY, float tol) {
  const double dy = static_cast<double>(homeY) - pose.y;
  const double dx = static_cast<double>(homeX) - pose.x;
  const auto d = static_cast<float>(std::sqrt(dy * dy + dx * dx));
  Placement placement;
  placement.snaps = d < tol;
  PiecePose probe = pose;
  if (placement.snaps) {
    probe.x = homeX;
    probe.y = homeY;
  }
  placement.inPlace = InPlace(probe, homeX, homeY, tol / 2);
  return placement;
}

float CheckTolerance(const GameState& state) {
  return std::min(state.halfCellW, state.halfCellH);
}

Message Congratulation(bool russian) {
  return {Tr(texts::VICTORY, russian), Tr(texts::VICTORY_CAPTION, russian), MessageButtons::Ok,
          MessageIcon::None, MessageOwner::None};
}

float Sum(double a, double b, double c) {
  return static_cast<float>(a + b + c);
}

// Rows under and above the picture, columns right and left of it; successive
// pieces of one queue lie half a cell apart, so they overlap.
void MoveAside(PiecePose& pose, const GameState& state, const TableView& view, AsideCounters& counters) {
  const double offX = view.viewOffsetX;
  const double offY = view.viewOffsetY;
  const float cx = -view.viewOffsetX;
  const float cy = -view.viewOffsetY;
  if (pose.x <= cx && pose.y <= cy) {
    pose.x = Sum(counters.below, -state.halfPicW, -offX);
    pose.y = Sum(-state.halfPicH, -state.halfCellH, -offY);
    counters.below += state.halfCellW;
  } else if (pose.x >= cx && pose.y <= cy) {
    pose.x = Sum(state.halfPicW, state.halfCellW, -offX);
    pose.y = Sum(counters.right, -state.halfPicH, -offY);
    counters.right += state.halfCellH;
  } else if (pose.x >= cx && pose.y >= cy) {
    pose.x = Sum(state.halfPicW, -counters.above, -offX);
    pose.y = Sum(state.halfPicH, state.halfCellH, -offY);
    counters.above += state.halfCellW;
  } else if (pose.x <= cx && pose.y >= cy) {
    pose.x = Sum(-state.halfPicW, -state.halfCellW, -offX);
    pose.y = Sum(state.halfPicH, -counters.left, -offY);
    counters.left += state.halfCellH;
  }
}

// The scroll position that shows the table where `scroll` showed it before
// the scroll room changed: the view's offset grows with the room beyond the
// window times the position over the thumb's range.
std::int32_t SameView(std::int32_t scroll, std::int64_t roomBefore, std::int32_t rangeBefore,
                      std::int64_t roomAfter, std::int32_t rangeAfter) {
  if (roomAfter <= 0 || rangeBefore <= 0) return scroll;
  return static_cast<std::int32_t>(std::lround(static_cast<double>(scroll) * static_cast<double>(roomBefore) *
                                               rangeAfter / (static_cast<double>(roomAfter) * rangeBefore)));
}

bool HasPictureTexture(const GameState& state) {
  return state.stillTexture != 0;
}

}  // namespace

std::optional<std::uint32_t> CheckPieces(GameState& state, const TableView& view, const GameOptions& options,
                                         Platform& platform) {
  if (!state.gameRunning || state.scatterRunning || state.settleRunning) return std::nullopt;
  const std::size_t held = HeldPieces(state);
  if (held == 0) return std::nullopt;

  const float tol = CheckTolerance(state);
  AsideCounters counters;
  std::uint32_t errors = 0;
  for (std::size_t k = 0; k < held; ++k) {
    PiecePose& pose = state.pieces[k];
    const float homeX = state.homeX[k];
    const float homeY = state.homeY[k];
    const Placement placement = Judge(pose, homeX, homeY, tol);
    const PiecePose before = pose;
    if (placement.snaps) {
      pose.x = homeX;
      pose.y = homeY;
    }
    if (!placement.inPlace) {
      ++errors;
      MoveAside(pose, state, view, counters);
    }
    // Settled or laid aside, the piece lies where a save would now put it.
    if (pose.x != before.x || pose.y != before.y) state.gameChanged = true;
  }

  const bool russian = options.russianUi;
  Message message;
  message.buttons = MessageButtons::Ok;
  message.owner = MessageOwner::None;
  if (errors > 0) {
    const std::uint32_t percent = errors * 100u / static_cast<std::uint32_t>(held);
    message.text =
        FormatText(Tr(texts::CHECK_ERRORS, russian), static_cast<int>(errors), static_cast<int>(percent));
    message.caption = Tr(texts::CHECK_CAPTION, russian);
    message.icon = MessageIcon::Information;
  } else {
    message = Congratulation(russian);
    // The picture has been congratulated: it does not announce itself again
    // until it has been seen unfinished.
    state.finishAnnounced = true;
  }
  platform.ShowMessage(message);
  return errors;
}

bool AllPiecesInPlace(const GameState& state) {
  if (!state.gameRunning || state.scatterRunning || state.settleRunning || state.rotationLeft != 0)
    return false;
  const std::size_t held = HeldPieces(state);
  if (held == 0) return false;
  const float tol = CheckTolerance(state);
  for (std::size_t k = 0; k < held; ++k) {
    if (!Judge(state.pieces[k], state.homeX[k], state.homeY[k], tol).inPlace) return false;
  }
  return true;
}

bool AnnounceIfFinished(GameState& state, const GameOptions& options, Platform& platform) {
  // A table still moving is judged once it comes to rest.
  if (!state.gameRunning || state.scatterRunning || state.settleRunning || state.rotationLeft != 0)
    return false;
  if (!AllPiecesInPlace(state)) {
    state.finishAnnounced = false;
    return false;
  }
  // The finished picture looks finished: every piece lies exactly on its
  // home, as Check would put it.
  for (std::size_t k = 0; k < HeldPieces(state); ++k) {
    PiecePose& pose = state.pieces[k];
    if (pose.x != state.homeX[k] || pose.y != state.homeY[k]) {
      pose.x = state.homeX[k];
      pose.y = state.homeY[k];
      state.gameChanged = true;
    }
  }
  if (state.finishAnnounced) return false;
  state.finishAnnounced = true;
  platform.ShowMessage(Congratulation(options.russianUi));
  return true;
}

std::optional<std::uint32_t> CheckCommand(GameState& state, TableView& view, ScrollBars& bars,
                                          const ShellInput& shell, const GameOptions& options,
                                          Platform& platform) {
  const auto errors = CheckPieces(state, view, options, platform);
  if (errors && *errors > 0) {
    // The room grows to reach the pieces laid aside; the table stays where
    // the player was looking.
    const TableView before = view;
    RecomputeScrollRoom(view, state, options, CurrentClient(view), bars.scrollBarThickness);
    const auto room = [&](const TableView& v, bool x) {
      return x ? std::int64_t{v.scrollMarginX} + state.imageWidth - std::llround(ShownTable(v.clientWidth, v))
               : std::int64_t{v.scrollMarginY} + state.imageHeight -
                     std::llround(ShownTable(v.clientHeight, v));
    };
    view.scrollX = SameView(before.scrollX, room(before, true), before.clientWidth - before.thumbW,
                            room(view, true), view.clientWidth - view.thumbW);
    view.scrollY = SameView(before.scrollY, room(before, false), before.clientHeight - before.thumbH,
                            room(view, false), view.clientHeight - view.thumbH);
    UpdateScrollBars(state, view, bars, shell.cursorX, shell.cursorY, EdgeScrollFlags{});
  }
  return errors;
}

bool ShowPrompt(GameState& state, float framesPerSecond) {
  if (!HasPictureTexture(state)) return false;
  state.promptAlpha = 1.0f;
  state.promptShowing = true;
  state.promptHold = framesPerSecond;
  if (!state.pieces.empty()) {
    // Just behind the hint, so that the hint covers it while opaque.
    state.pieces[0].z = static_cast<float>(-static_cast<double>(TABLE_DEPTH) - 0.00001);
    // A raised selected piece would show through the opaque hint.
    if (state.selected > 0 && static_cast<std::size_t>(state.selected) < state.pieces.size()) {
      state.pieces[static_cast<std::size_t>(state.selected)].z =
          RestingDepth(static_cast<std::uint32_t>(state.selected));
    }
  }
  return true;
}

void AdvancePrompt(GameState& state, float framesPerSecond) {
  if (!state.promptShowing) return;
  // Before the first measured frame there is no rate to fade by; the hint
  // then simply holds one frame longer.
  if (state.promptHold <= 0 && framesPerSecond > 0) {
    state.promptAlpha = static_cast<float>(state.promptAlpha - 0.1 / framesPerSecond);
  }
  state.promptHold -= 1;
  if (state.promptAlpha <= 0.01) {
    state.promptShowing = false;
    if (!state.pieces.empty()) state.pieces[0].z = -TABLE_DEPTH;
  }
}

}  // namespace puzzle
