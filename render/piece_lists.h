// The display lists that draw the pieces: one list per piece holding its
// textured face, cut exactly to its outline, and (with "Edges of pieces") the
// outline as a line loop just in front of and just behind the face. In form
// 4 the faces come from twenty lists shared by all pieces.
//
// Writes pieceListBase, pieceListCount and sharedListBase of GameState and
// nothing else; the frame renderer calls the lists, the shell deletes them
// when the window goes. Needs a current GL context.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "model/records.h"
#include "shapes/outline.h"

namespace puzzle {

// The twenty shared face lists of form 4, as offsets from sharedListBase.
// Q: quarters of a piece (lower-left, lower-right, upper-right, upper-left)
// with blanks left and right (Q0-Q3) or top and bottom (Q4-Q7); F: whole
// tabs (bottom, top, left, right) with the neck down to the anchor; H: tab
// halves split at their outermost point (bottom 135-270 and 270-405, right
// -135-0 and 0-135, top -45-90 and 90-225, left 45-180 and 180-315 degrees).
// clang-format off
enum class SharedList : std::uint8_t {
  Q0, Q1, Q2, Q3, Q4, Q5, Q6, Q7,
  F0, F1, F2, F3,
  H0, H1, H2, H3, H4, H5, H6, H7,
};
// clang-format on
inline constexpr std::uint32_t SHARED_LIST_COUNT = 20;

// The shared lists the face of piece (i, j) calls in form 4, in call order:
// its tabs (whole on a full side, the picture-side half on a half side), then
// the quarters that lie inside the picture.
std::vector<SharedList> Form4FaceLists(const OutlineParams& params, std::uint32_t i, std::uint32_t j);

// The part of the picture's texture between neighbouring anchors.
struct CellTexStep {
  float s = 0;
  float t = 0;
};
CellTexStep CellTexSteps(const GameState& state, const GameOptions& options);

// Builds the lists of every piece of the current game, deleting exactly the
// previous build's lists first. False, with pieceListBase = 0, when no list
// names can be reserved or the form is not 1-4 (nothing is drawn then).
bool BuildPieceLists(GameState& state, const GameOptions& options);

// What the list of one piece draws, in its own frame: the face as plain
// triangles (in form 4 those of the shared lists it calls) and the outline.
struct PieceMesh {
  std::vector<Point2> faceTriangles;
  std::vector<Point2> outline;
};

// The meshes of all pieces in index order; pieces of the same kind share
// one. The benchmark draws them from one vertex buffer to see how close the
// lists come to what the GL can do.
std::vector<std::shared_ptr<const PieceMesh>> PieceMeshes(const OutlineParams& params);

// Deletes the piece lists and the shared lists of the last build.
void DeletePieceLists(GameState& state);

}  // namespace puzzle
