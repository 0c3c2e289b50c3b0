#include "model/orientation.h"

#include <cmath>

namespace puzzle {

namespace {

constexpr float SNAP_DIAGONAL = 0.70710677f;

// The bounds are doubles on purpose: the float entry is compared with them
// exactly as it is, and the ranges between the snap bands are left alone.
float SnapValue(float v) {
  const double d = v;
  if (d < -0.99) return -1.0f;
  if (d > -0.8 && d < -0.7) return -SNAP_DIAGONAL;
  if (d > -0.01 && d < 0.01) return 0.0f;
  if (d > 0.7 && d < 0.8) return SNAP_DIAGONAL;
  if (d > 0.99) return 1.0f;
  return v;
}

}  // namespace

void QuatNormalize(Quat& q) {
  const float n = std::sqrt(q[1] * q[1] + q[0] * q[0] + q[2] * q[2] + q[3] * q[3]);
  if (n == 0.0f) return;
  const float inv = 1.0f / n;
  for (float& c : q) c *= inv;
}

void QuatToMatrix(const Quat& q, Mat3& m) {
  const float w = q[0];
  const float x = q[1];
  const float y = q[2];
  const float z = q[3];
  m[0][0] = 1.0f - 2.0f * (z * z + y * y);
  m[0][1] = 2.0f * (y * x - w * z);
  m[0][2] = 2.0f * (y * w + z * x);
  m[1][0] = 2.0f * (y * x + w * z);
  m[1][1] = 1.0f - 2.0f * (z * z + x * x);
  m[1][2] = 2.0f * (y * z - w * x);
  m[2][0] = 2.0f * (z * x - y * w);
  m[2][1] = 2.0f * (y * z + w * x);
  m[2][2] = 1.0f - 2.0f * (x * x + y * y);
}

void RotatePose(PiecePose& pose, float ax, float ay, float az, float theta) {
  const float h = theta * 0.5f;
  const auto c = static_cast<float>(std::cos(static_cast<double>(h)));
  const auto s = static_cast<float>(std::sin(static_cast<double>(h)));
  Quat q{c, ax * s, ay * s, az * s};
  QuatNormalize(q);
  Mat3 m{};
  QuatToMatrix(q, m);
  for (std::size_t k = 0; k < 3; ++k) {
    const float c0 = pose.orient[3 * k];
    const float c1 = pose.orient[3 * k + 1];
    const float c2 = pose.orient[3 * k + 2];
    for (std::size_t r = 0; r < 3; ++r) {
      pose.orient[3 * k + r] = m[r][0] * c0 + m[r][1] * c1 + m[r][2] * c2;
    }
  }
}

void SnapOrientation(PiecePose& pose) {
  for (float& v : pose.orient) v = SnapValue(v);
}

bool IsRotation(std::span<const float, 9> orient) {
  for (int a = 0; a < 3; ++a) {
    for (int b = a; b < 3; ++b) {
      const double dot = static_cast<double>(orient[a]) * orient[b] +
                         static_cast<double>(orient[3 + a]) * orient[3 + b] +
                         static_cast<double>(orient[6 + a]) * orient[6 + b];
      if (std::abs(dot - (a == b ? 1.0 : 0.0)) > ORIENTATION_TOLERANCE) return false;
    }
  }
  return true;
}

}  // namespace puzzle
