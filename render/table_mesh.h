// The geometry the table's pieces are drawn from: every piece's textured
// face, cut exactly to its outline, and (with "Edges of pieces") the outline
// just in front of and just behind the face, all pieces in shared vertex
// arrays so that the whole table takes a few draw calls whatever the count.
//
// The outline, face triangles and texture coordinates of each piece are made
// once per game (BuildTableMesh). Its table-space vertices are made again
// only when its pose has changed since they were last made (UpdateTableMesh,
// run by the frame renderer every frame): a resting table costs a comparison
// per piece, a dragged piece one piece's vertices, the scatter all of them.
//
// The shell or tool owns one TableMesh beside the game records; only these
// functions write it. Building and drawing need a current GL context.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "model/records.h"
#include "shapes/outline.h"
#include "view/view.h"

namespace puzzle {

// The twenty face parts of form 4, shared by all pieces. Q: quarters of a
// piece (lower-left, lower-right, upper-right, upper-left) with blanks left
// and right (Q0-Q3) or top and bottom (Q4-Q7); F: whole tabs (bottom, top,
// left, right) with the neck down to the anchor; H: tab halves split at their
// outermost point (bottom 135-270 and 270-405, right -135-0 and 0-135, top
// -45-90 and 90-225, left 45-180 and 180-315 degrees).
// clang-format off
enum class FacePart : std::uint8_t {
  Q0, Q1, Q2, Q3, Q4, Q5, Q6, Q7,
  F0, F1, F2, F3,
  H0, H1, H2, H3, H4, H5, H6, H7,
};
// clang-format on
inline constexpr std::uint32_t FACE_PART_COUNT = 20;

// The face parts piece (i, j) is made of in form 4, in order: its tabs (whole
// on a full side, the picture-side half on a half side), then the quarters
// that lie inside the picture.
std::vector<FacePart> Form4FaceParts(const OutlineParams& params, std::uint32_t i, std::uint32_t j);

// The part of the picture's texture between neighbouring anchors.
struct CellTexStep {
  float s = 0;
  float t = 0;
};
CellTexStep CellTexSteps(const GameState& state, const GameOptions& options);

// One kind of piece in its own frame: the face as plain triangles (in form 4
// those of its parts) and the outline.
struct PieceMesh {
  std::vector<Point2> faceTriangles;
  std::vector<Point2> outline;
};

// The meshes of all pieces in index order; pieces of the same kind (parity
// and borders) share one.
std::vector<std::shared_ptr<const PieceMesh>> PieceMeshes(const OutlineParams& params);

// A kind of piece as drawn: its face points once each, with the triangles as
// indices into them, and its outline.
struct PieceShape {
  std::vector<Point2> points;
  std::vector<std::uint32_t> triangles;
  std::vector<Point2> outline;
};

struct TableMesh {
  // Where piece k's vertices and indices lie in the shared arrays.
  struct Span {
    std::uint32_t faceVertex = 0;
    std::uint32_t faceIndex = 0;
    std::uint32_t faceIndexCount = 0;
    std::uint32_t edgeVertex = 0;
    std::uint32_t edgeIndex = 0;
    std::uint32_t edgeIndexCount = 0;
  };
  bool edges = false;
  std::vector<std::shared_ptr<const PieceShape>> shapes;  // per piece
  std::vector<Span> spans;                                // per piece
  // Fixed for the game: texture coordinates (s, t per face vertex) and the
  // indices of the face triangles and of the edge lines (pairs).
  std::vector<float> faceTexCoords;
  std::vector<std::uint32_t> faceIndices;
  std::vector<std::uint32_t> edgeIndices;
  // Table space (x, y, z per vertex, z counted from the table's plane),
  // made from the poses below. Each piece's edge vertices are its outline
  // in front of the face, then behind it.
  std::vector<float> facePositions;
  std::vector<float> edgePositions;
  // The pose each piece's table-space vertices were made for; `made` is 0
  // for a piece whose vertices were never made.
  std::vector<PiecePose> madeFor;
  std::vector<std::uint8_t> made;
  // Counts the layouts, so that whatever keeps a drawing of the pieces sees
  // that they were made again (other edges, another game) even where every
  // pose stayed.
  std::uint32_t generation = 0;
  // Every pixel of the picture was opaque when the mesh was built: a piece
  // drawn over others hides them whatever order they were drawn in.
  bool opaquePicture = false;
  // No vertex of any piece lies farther than this from its centre, whatever
  // its pose: the bound by which a piece out of view is left undrawn.
  float reach = 0;
};

// Makes the mesh of every piece of the game laid out in state, replacing the
// previous one. False, with the mesh left empty (nothing is drawn), when the
// form is not 1-4, the grid does not match the piece count or memory is
// short.
bool BuildTableMesh(TableMesh& mesh, const GameState& state, const GameOptions& options);

// Lays the arrays out for pieces of the given shapes, in index order: the
// indices made, the texture coordinates all 0, no vertex made yet.
void LayOutTableMesh(TableMesh& mesh, std::vector<std::shared_ptr<const PieceShape>> shapes, bool edges);

// Makes the table-space vertices again of every piece whose pose differs
// from the one they were made for. Pieces beyond the mesh are ignored.
void UpdateTableMesh(TableMesh& mesh, const std::vector<PiecePose>& poses);

// Makes the table-space vertices of piece k alone again.
void UpdateTablePiece(TableMesh& mesh, const std::vector<PiecePose>& poses, std::size_t k);

// True when a piece other than `except` has a pose its vertices were not
// made for (or none made yet).
bool PosesChangedExcept(const TableMesh& mesh, const std::vector<PiecePose>& poses, std::int32_t except);

// Draws the first `count` pieces as their vertices stand, piece `skipped`
// left out (none when out of range): the faces with the bound texture, then
// the edges in black, those of piece `highlighted` (none when out of range)
// in highlightColour. Where `shown` gives the frustum the pieces are drawn
// with, a piece that lies wholly outside it is left out too, so that a table
// much larger than the window costs what the window shows. Leaves texturing
// off and the client arrays disabled.
void DrawTableMesh(const TableMesh& mesh, std::size_t count, std::int32_t highlighted,
                   const std::array<std::uint8_t, 3>& highlightColour, std::int32_t skipped = -1,
                   const Frustum* shown = nullptr);

// Draws piece k alone as DrawTableMesh draws it among the others, its edges in
// edgeColour.
void DrawTablePiece(const TableMesh& mesh, std::size_t k, const std::array<std::uint8_t, 3>& edgeColour);

// The heap the mesh holds, shapes included.
std::size_t TableMeshBytes(const TableMesh& mesh);

void ClearTableMesh(TableMesh& mesh);

}  // namespace puzzle
