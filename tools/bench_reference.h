// What puzzle-bench measures the game's renderer against: the same face
// triangles and edge lines as the table mesh, placed by the pieces' poses,
// in one vertex buffer each and drawn in one call each; and the timing of
// two ways of drawing taken in turn.
#pragma once

#include <GL/gl.h>
#include <GL/glext.h>

#include <chrono>
#include <cstdint>
#include <utility>
#include <vector>

#include "model/records.h"

namespace puzzle {

struct FrameTimes {
  double mean = 0;
  double median = 0;
  double p95 = 0;
};

FrameTimes Summarise(std::vector<double> times);

double MillisecondsSince(std::chrono::steady_clock::time_point start);

// Frames of the two ways taken in turn, so that a machine busy with other
// work slows both alike and their ratio stays meaningful. The first frame of
// each pays for first use and is not counted.
template <typename DrawA, typename DrawB>
std::pair<FrameTimes, FrameTimes> TimeFramesInTurn(int count, DrawA drawA, DrawB drawB) {
  std::vector<double> timesA, timesB;
  auto time = [](auto& draw, std::vector<double>& times) {
    const auto start = std::chrono::steady_clock::now();
    draw();
    glFinish();
    times.push_back(MillisecondsSince(start));
  };
  drawA();
  drawB();
  glFinish();
  for (int k = 0; k < count; ++k) {
    time(drawA, timesA);
    time(drawB, timesB);
  }
  return {Summarise(std::move(timesA)), Summarise(std::move(timesB))};
}

// Every piece's face triangles and edge lines where its pose puts it, with
// the texture coordinates the table mesh gives them.
class ReferenceBuffers {
 public:
  ReferenceBuffers() = default;
  ~ReferenceBuffers();
  ReferenceBuffers(const ReferenceBuffers&) = delete;
  ReferenceBuffers& operator=(const ReferenceBuffers&) = delete;

  // False when the GL has no vertex buffers.
  bool Build(const GameState& state, const GameOptions& options);
  // Clears the frame and draws the faces with texture, then the edges.
  void Draw(std::uint32_t texture) const;

 private:
  PFNGLGENBUFFERSPROC genBuffers_ = nullptr;
  PFNGLBINDBUFFERPROC bindBuffer_ = nullptr;
  PFNGLBUFFERDATAPROC bufferData_ = nullptr;
  PFNGLDELETEBUFFERSPROC deleteBuffers_ = nullptr;
  GLuint buffers_[2] = {0, 0};
  GLsizei faceVertices_ = 0;
  GLsizei edgeVertices_ = 0;
};

}  // namespace puzzle
