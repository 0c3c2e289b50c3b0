#include "model/orientation.h"

#include <gtest/gtest.h>

#include <cmath>

namespace puzzle {
namespace {

constexpr float D = 0.70710677f;

// Turns by whole degrees in steps of angleStep, then snaps: how every turn
// of the game ends.
void Turn(PiecePose& pose, float ax, float ay, float az, float degrees, float angleStep) {
  const float stepRad = AngleStepToRadians(angleStep);
  const float sign = degrees < 0 ? -1.0f : 1.0f;
  for (float left = degrees * sign; left > 0; left -= angleStep) RotatePose(pose, ax, ay, az, sign * stepRad);
  SnapOrientation(pose);
}

TEST(OrientationTest, SnapTableKeepsTheGapsAndComparesFloatsWithDoubleBounds) {
  // At the bounds (0.01, 0.7, 0.8, 0.99) the float entry lies just off the
  // double bound.
  const struct {
    float in, out;
  } cases[] = {
      {-1.5f, -1},  {-0.995f, -1}, {-0.9f, -0.9f}, {-0.75f, -D},   {-0.5f, -0.5f}, {-0.005f, 0}, {0.005f, 0},
      {0.5f, 0.5f}, {0.75f, D},    {0.85f, 0.85f}, {0.995f, 1},    {1.2f, 1},      {0.01f, 0},   {0.7f, 0.7f},
      {0.8f, 0.8f}, {0.99f, 1},    {-0.01f, 0},    {-0.7f, -0.7f}, {-0.8f, -0.8f}, {-0.99f, -1},
  };
  for (const auto& c : cases) {
    PiecePose pose;
    pose.orient.fill(c.in);
    SnapOrientation(pose);
    for (float v : pose.orient) EXPECT_EQ(v, c.out) << c.in;
  }
}

TEST(OrientationTest, QuarterTurnsAgreeWhateverTheSpeedFlipsShowTheBackAndTwoFlipsRestore) {
  for (float step : ANGLE_STEPS) {
    PiecePose stepped;
    Turn(stepped, 0, 0, 1, 90, step);
    EXPECT_EQ(stepped.orient, (std::array<float, 9>{0, 1, 0, -1, 0, 0, 0, 0, 1})) << "step " << step;
  }

  PiecePose pose;
  Turn(pose, 0, 0, 1, 45, 5);
  const std::array<float, 9> turned = pose.orient;

  Turn(pose, 0, 1, 0, 180, 3);
  // About y: every axis keeps its y and turns its x and z over.
  for (std::size_t i = 0; i < 9; ++i) EXPECT_EQ(pose.orient[i], i % 3 == 1 ? turned[i] : -turned[i]) << i;
  Turn(pose, 0, 1, 0, 180, 3);
  EXPECT_EQ(pose.orient, turned);

  Turn(pose, 1, 0, 0, 180, 9);
  EXPECT_EQ(pose.orient[8], -1.0f);
  Turn(pose, 1, 0, 0, 180, 9);
  EXPECT_EQ(pose.orient, turned);
}

TEST(OrientationTest, ZeroQuaternionAndZeroAxisChangeNothing) {
  Quat zero{0, 0, 0, 0}, q{2, 0, 0, 0};
  QuatNormalize(zero);
  QuatNormalize(q);
  EXPECT_EQ(std::make_pair(zero, q), std::make_pair(Quat{0, 0, 0, 0}, Quat{1, 0, 0, 0}));
  Mat3 m{};
  QuatToMatrix(Quat{0, 0, 0, 0}, m);
  EXPECT_EQ(m, (Mat3{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}}));

  PiecePose pose;
  Turn(pose, 0, 0, 1, 45, 45);
  const std::array<float, 9> before = pose.orient;
  RotatePose(pose, 0, 0, 0, 1.0f);
  EXPECT_EQ(pose.orient, before);
}

}  // namespace
}  // namespace puzzle
