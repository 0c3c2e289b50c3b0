#include "tools/bench_reference.h"

#include <EGL/egl.h>

#include <algorithm>

#include "model/geometry.h"
#include "render/table_mesh.h"

namespace puzzle {
namespace {

template <typename F>
bool Fetch(F& function, const char* name) {
  function = reinterpret_cast<F>(eglGetProcAddress(name));
  return function != nullptr;
}

// Point (x, y, z) of a piece's own frame where pose puts it.
void Placed(std::vector<float>& out, const PiecePose& pose, float x, float y, float z) {
  const auto& o = pose.orient;
  out.insert(out.end(), {o[0] * x + o[3] * y + o[6] * z + pose.x, o[1] * x + o[4] * y + o[7] * z + pose.y,
                         o[2] * x + o[5] * y + o[8] * z + pose.z});
}

}  // namespace

FrameTimes Summarise(std::vector<double> times) {
  FrameTimes result;
  if (times.empty()) return result;
  std::sort(times.begin(), times.end());
  for (double t : times) result.mean += t / static_cast<double>(times.size());
  result.median = times[times.size() / 2];
  result.p95 =
      times[std::min(times.size() - 1, static_cast<std::size_t>(0.95 * static_cast<double>(times.size())))];
  return result;
}

double MillisecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

bool ReferenceBuffers::Build(const GameState& state, const GameOptions& options) {
  if (!Fetch(genBuffers_, "glGenBuffers") || !Fetch(bindBuffer_, "glBindBuffer") ||
      !Fetch(bufferData_, "glBufferData") || !Fetch(deleteBuffers_, "glDeleteBuffers")) {
    return false;
  }
  const OutlineParams params = OutlineParamsFor(state, options);
  const auto meshes = PieceMeshes(params);
  const CellTexStep step = CellTexSteps(state, options);
  const double K = HalfPixelOnTable(state.pixelScale);
  const auto planeS = static_cast<float>(1.0 / (2.0 * state.textureWidth * K));
  const auto planeT = static_cast<float>(1.0 / (2.0 * state.textureHeight * K));
  std::vector<float> faces, edges;
  const std::size_t count = std::min(meshes.size(), state.pieces.size());
  for (std::uint32_t k = 0; k < count; ++k) {
    const std::uint32_t i = k % options.columns, j = k / options.columns;
    const PiecePose& pose = state.pieces[k];
    for (const Point2& p : meshes[k]->faceTriangles) {
      float s = p.x * planeS + static_cast<float>(i) * step.s;
      float t = p.y * planeT + static_cast<float>(j) * step.t;
      if (options.form == 1) {
        s = (static_cast<float>(i) + (p.x + params.sx) / (2 * params.sx)) * step.s;
        t = (static_cast<float>(j) + (p.y + params.sy) / (2 * params.sy)) * step.t;
      }
      Placed(faces, pose, p.x, p.y, 0.0f);
      faces.insert(faces.end(), {s, t});
    }
    if (!options.showEdges) continue;
    const auto& outline = meshes[k]->outline;
    for (const float z : {5e-7f, -5e-7f}) {
      for (std::size_t m = 0; m < outline.size(); ++m) {
        const Point2& a = outline[m];
        const Point2& b = outline[(m + 1) % outline.size()];
        Placed(edges, pose, a.x, a.y, z);
        Placed(edges, pose, b.x, b.y, z);
      }
    }
  }
  faceVertices_ = static_cast<GLsizei>(faces.size() / 5);
  edgeVertices_ = static_cast<GLsizei>(edges.size() / 3);
  if (buffers_[0] == 0) genBuffers_(2, buffers_);
  for (std::size_t b = 0; b < 2; ++b) {
    const std::vector<float>& data = b == 0 ? faces : edges;
    bindBuffer_(GL_ARRAY_BUFFER, buffers_[b]);
    bufferData_(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(data.size() * sizeof(float)), data.data(),
                GL_STATIC_DRAW);
  }
  bindBuffer_(GL_ARRAY_BUFFER, 0);
  return true;
}

ReferenceBuffers::~ReferenceBuffers() {
  if (deleteBuffers_ != nullptr && buffers_[0] != 0) deleteBuffers_(2, buffers_);
}

void ReferenceBuffers::Draw(std::uint32_t texture) const {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glLoadIdentity();
  glColor3ub(0, 0, 0);
  glBindTexture(GL_TEXTURE_2D, texture);
  glEnable(GL_TEXTURE_2D);
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  bindBuffer_(GL_ARRAY_BUFFER, buffers_[0]);
  glVertexPointer(3, GL_FLOAT, 5 * sizeof(float), nullptr);
  glTexCoordPointer(2, GL_FLOAT, 5 * sizeof(float), reinterpret_cast<const void*>(3 * sizeof(float)));
  glDrawArrays(GL_TRIANGLES, 0, faceVertices_);
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  glDisable(GL_TEXTURE_2D);
  if (edgeVertices_ > 0) {
    bindBuffer_(GL_ARRAY_BUFFER, buffers_[1]);
    glVertexPointer(3, GL_FLOAT, 3 * sizeof(float), nullptr);
    glDrawArrays(GL_LINES, 0, edgeVertices_);
  }
  glDisableClientState(GL_VERTEX_ARRAY);
  bindBuffer_(GL_ARRAY_BUFFER, 0);
}

}  // namespace puzzle
