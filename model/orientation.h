// Piece orientation: unit quaternions for turning a piece about a fixed table
// axis, the snap that removes the drift of many small float turns, and the
// 4x4 drawing matrix of a pose. These are the only ways an orientation is
// changed or turned into a matrix. Everything is single precision except the
// sine and cosine and the snap bounds, so turns repeat bit for bit. Callers
// own the poses they pass; nothing here keeps state.
#pragma once

#include <array>
#include <span>

#include "model/records.h"

namespace puzzle {

// w, x, y, z: scalar part first.
using Quat = std::array<float, 4>;
// Row-major: m[row][column].
using Mat3 = std::array<std::array<float, 3>, 3>;

// Scales q to length 1; a zero quaternion is left as it is.
void QuatNormalize(Quat& q);

void QuatToMatrix(const Quat& q, Mat3& m);

// Turns the orientation of pose by theta radians about the table axis
// (ax, ay, az), counter-clockwise seen from the axis tip: O becomes R * O.
// Callers pass unit axes: (0, 0, 1) turns in the table plane, (0, 1, 0) flips
// about the vertical axis, (1, 0, 0) about the horizontal one. The position
// is not touched.
void RotatePose(PiecePose& pose, float ax, float ay, float az, float theta);

// Snaps each orientation entry near 0, +-0.70710677 or +-1 to that exact
// value: the only values the game's turns (multiples of 45 degrees in the
// table plane, 180-degree flips) can produce.
void SnapOrientation(PiecePose& pose);

// Whether nine orientation floats are a turn, mirrored or not: columns of
// length 1 at right angles to each other within ORIENTATION_TOLERANCE, so
// a determinant of +-1. Anything else would scale, skew or flatten the
// piece it is drawn with.
inline constexpr float ORIENTATION_TOLERANCE = 1e-3f;
bool IsRotation(std::span<const float, 9> orient);

}  // namespace puzzle
