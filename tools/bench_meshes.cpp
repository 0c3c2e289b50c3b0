// The "meshes" section of puzzle-bench: for 100, 1 000 and 10 000 pieces in
// each form, the time of BuildPieceLists, the heap the lists take, and the
// mean and 95th-percentile time of a frame of all pieces at 800 x 600 drawn
// by the game's renderer from the lists; beside it the same triangles and
// edge lines drawn from one vertex buffer in one call each, the reference
// for what the GL can do.
#include "tools/bench_meshes.h"

#include <EGL/egl.h>
#include <GL/gl.h>
#include <GL/glext.h>
#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <utility>
#include <vector>

#include "game/home_layout.h"
#include "model/geometry.h"
#include "render/piece_lists.h"
#include "tools/headless_table.h"

namespace puzzle {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int VIEW_WIDTH = 800;
constexpr int VIEW_HEIGHT = 600;

// Pictures that fit the view and cut, by Start's rule, into exactly the
// wanted number of pieces.
struct BenchCase {
  std::uint32_t pieces;
  std::int32_t width;
  std::int32_t height;
  std::uint32_t columns;
  int frames;
};
constexpr BenchCase CASES[] = {{100, 600, 600, 10, 40}, {1000, 640, 400, 40, 30}, {10000, 700, 700, 100, 15}};

double Milliseconds(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

std::size_t HeapInUse() {
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
}

struct FrameTimes {
  double mean = 0;
  double p95 = 0;
};

FrameTimes Summarise(std::vector<double> times) {
  std::sort(times.begin(), times.end());
  FrameTimes result;
  for (double t : times) result.mean += t / static_cast<double>(times.size());
  result.p95 =
      times[std::min(times.size() - 1, static_cast<std::size_t>(0.95 * static_cast<double>(times.size())))];
  return result;
}

// Frames of the two ways taken in turn, so that a machine busy with other
// work slows both alike and their ratio stays meaningful.
template <typename DrawA, typename DrawB>
std::pair<FrameTimes, FrameTimes> TimeFramesInTurn(int count, DrawA drawA, DrawB drawB) {
  std::vector<double> timesA, timesB;
  auto time = [](auto& draw, std::vector<double>& times) {
    const auto start = Clock::now();
    draw();
    glFinish();
    times.push_back(Milliseconds(Clock::now() - start));
  };
  // The first frame of each pays for first use.
  drawA();
  drawB();
  glFinish();
  for (int k = 0; k < count; ++k) {
    time(drawA, timesA);
    time(drawB, timesB);
  }
  return {Summarise(std::move(timesA)), Summarise(std::move(timesB))};
}

// Every piece's face triangles and edge lines at its home, in one vertex
// buffer each, with the texture coordinates the lists would generate.
class ReferenceBuffers {
 public:
  bool Build(const GameState& state, const GameOptions& options) {
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
    for (std::uint32_t k = 0; k < meshes.size(); ++k) {
      const std::uint32_t i = k % options.columns, j = k / options.columns;
      const PiecePose& pose = state.pieces[k];
      for (const Point2& p : meshes[k]->faceTriangles) {
        float s = p.x * planeS + static_cast<float>(i) * step.s;
        float t = p.y * planeT + static_cast<float>(j) * step.t;
        if (options.form == 1) {
          s = (static_cast<float>(i) + (p.x + params.sx) / (2 * params.sx)) * step.s;
          t = (static_cast<float>(j) + (p.y + params.sy) / (2 * params.sy)) * step.t;
        }
        faces.insert(faces.end(), {p.x + pose.x, p.y + pose.y, pose.z, s, t});
      }
      if (!options.showEdges) continue;
      const auto& outline = meshes[k]->outline;
      for (const float z : {5e-7f, -5e-7f}) {
        for (std::size_t m = 0; m < outline.size(); ++m) {
          const Point2& a = outline[m];
          const Point2& b = outline[(m + 1) % outline.size()];
          edges.insert(edges.end(),
                       {a.x + pose.x, a.y + pose.y, pose.z + z, b.x + pose.x, b.y + pose.y, pose.z + z});
        }
      }
    }
    faceVertices_ = static_cast<GLsizei>(faces.size() / 5);
    edgeVertices_ = static_cast<GLsizei>(edges.size() / 3);
    genBuffers_(2, buffers_);
    Upload(buffers_[0], faces);
    Upload(buffers_[1], edges);
    bindBuffer_(GL_ARRAY_BUFFER, 0);
    return true;
  }

  ~ReferenceBuffers() {
    if (deleteBuffers_ != nullptr && buffers_[0] != 0) deleteBuffers_(2, buffers_);
  }

  void Draw(std::uint32_t texture) const {
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

 private:
  template <typename F>
  static bool Fetch(F& function, const char* name) {
    function = reinterpret_cast<F>(eglGetProcAddress(name));
    return function != nullptr;
  }
  void Upload(GLuint buffer, const std::vector<float>& data) {
    bindBuffer_(GL_ARRAY_BUFFER, buffer);
    bufferData_(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(data.size() * sizeof(float)), data.data(),
                GL_STATIC_DRAW);
  }

  PFNGLGENBUFFERSPROC genBuffers_ = nullptr;
  PFNGLBINDBUFFERPROC bindBuffer_ = nullptr;
  PFNGLBUFFERDATAPROC bufferData_ = nullptr;
  PFNGLDELETEBUFFERSPROC deleteBuffers_ = nullptr;
  GLuint buffers_[2] = {0, 0};
  GLsizei faceVertices_ = 0;
  GLsizei edgeVertices_ = 0;
};

void NoisePicture(GameState& state, std::int32_t width, std::int32_t height) {
  std::mt19937 random(1);
  state.imageWidth = width;
  state.imageHeight = height;
  state.frameCount = 1;
  state.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
  for (std::size_t k = 0; k < state.pixels.size(); ++k) {
    state.pixels[k] = k % 4 == 3 ? 255 : static_cast<std::uint8_t>(random());
  }
}

}  // namespace

int BenchMeshes() {
  HeadlessTable table;
  if (!table.Open(VIEW_WIDTH, VIEW_HEIGHT)) {
    std::fprintf(stderr, "meshes: no headless OpenGL: %s\n", table.Error().c_str());
    return 1;
  }
  std::printf("meshes: %d x %d, edges on; frame = the game's renderer drawing every piece from its list;\n",
              VIEW_WIDTH, VIEW_HEIGHT);
  std::printf(
      "        reference = the same triangles and edge lines from one vertex buffer, one draw each\n");
  std::printf("%-5s %7s %10s %10s %12s %11s %12s %11s %7s\n", "form", "pieces", "build ms", "lists KiB",
              "frame mean", "frame p95", "ref mean", "ref p95", "ratio");
  std::uint32_t tick = 1000;
  for (const BenchCase& c : CASES) {
    for (std::uint8_t form = 1; form <= 4; ++form) {
      GameState& state = table.state;
      GameOptions& options = table.options;
      DeletePieceLists(state);
      NoisePicture(state, c.width, c.height);
      options.form = form;
      options.columns = c.columns;
      options.showFrame = false;
      options.showCentres = false;
      if (!LayOutOnHomes(state, options) || state.pieceCount != c.pieces || !table.PrepareGame()) {
        std::fprintf(stderr, "meshes: cannot lay out %u pieces in form %d\n", c.pieces, form);
        return 1;
      }
      DeletePieceLists(state);
      glFinish();
      const std::size_t heapBefore = HeapInUse();
      const auto start = Clock::now();
      BuildPieceLists(state, options);
      glFinish();
      const double buildMs = Milliseconds(Clock::now() - start);
      const double listKiB = static_cast<double>(HeapInUse() - heapBefore) / 1024.0;

      ReferenceBuffers reference;
      if (!reference.Build(state, options)) {
        std::fprintf(stderr, "meshes: the GL has no vertex buffers\n");
        return 1;
      }
      const auto [lists, direct] = TimeFramesInTurn(
          c.frames, [&] { table.DrawFrame(tick += 16); }, [&] { reference.Draw(state.stillTexture); });
      std::printf("%-5d %7u %10.1f %10.0f %12.2f %11.2f %12.2f %11.2f %7.2f\n", form, state.pieceCount,
                  buildMs, listKiB, lists.mean, lists.p95, direct.mean, direct.p95, lists.mean / direct.mean);
      std::fflush(stdout);
    }
  }
  return 0;
}

}  // namespace puzzle
