#include "render/gl_view.h"

#include <GL/gl.h>

namespace puzzle {
namespace {

void LoadFrustum(const Frustum& f) {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glFrustum(f.left, f.right, f.bottom, f.top, f.nearPlane, f.farPlane);
  glMatrixMode(GL_MODELVIEW);
}

void Colour(const Rgb8& c) {
  glColor3ub(c[0], c[1], c[2]);
}

}  // namespace

void SetClearColour(const GameOptions& options) {
  glClearColor(options.colors[0], options.colors[1], options.colors[2], 0.0f);
}

bool CheckDepthPrecision(ViewSetup& view, const GameOptions& options) {
  GLint depthBits = 0;
  glGetIntegerv(GL_DEPTH_BITS, &depthBits);
  view.lowDepthPrecision = depthBits <= 16;
  return view.lowDepthPrecision && options.firstRun;
}

void InitGL(GameState& state, const TableView& table, const GameOptions& options, ViewSetup& view) {
  SetClearColour(options);
  glClearDepth(1.0);
  glDepthRange(0.0, 1.0);
  glShadeModel(GL_SMOOTH);
  glDepthFunc(GL_LEQUAL);
  glEnable(GL_DEPTH_TEST);
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  LoadFrustum(SetUpProjection(view, state));
  BuildBackgroundFan(view, state.pixelScale, table.clientWidth, table.clientHeight);
}

void ResizeGL(const GameState& state, const TableView& table, ViewSetup& view) {
  glViewport(0, 0, table.clientWidth, table.clientHeight);
  LoadWindowProjection(view, table);
  BuildBackgroundFan(view, state.pixelScale, table.clientWidth, table.clientHeight);
}

void LoadWindowProjection(const ViewSetup& view, const TableView& table) {
  LoadFrustum(ResizedFrustum(view, table.clientWidth, table.clientHeight));
}

void LoadTableProjection(const ViewSetup& view, const TableView& table) {
  LoadFrustum(TableFrustum(view, table));
}

void DrawBackgroundStar(const ViewSetup& view) {
  const auto& [centre, colourA, colourB] = view.fanColours;
  // Opaque: blending would give the very same pixels, and it is the dearest
  // part of a frame the software renderer draws only for the background.
  glPushAttrib(GL_ENABLE_BIT);
  glDisable(GL_BLEND);
  for (int k = 0; k < FAN_SEGMENTS; ++k) {
    glBegin(GL_TRIANGLES);
    Colour(k % 2 == 0 ? colourB : colourA);
    glVertex3f(view.fanX[2 * k], view.fanY[2 * k], BACKGROUND_DEPTH);
    Colour(centre);
    glVertex3f(0.0f, 0.0f, BACKGROUND_DEPTH);
    Colour(k % 2 == 0 ? colourA : colourB);
    glVertex3f(view.fanX[2 * k + 1], view.fanY[2 * k + 1], BACKGROUND_DEPTH);
    glEnd();
  }
  glPopAttrib();
}

}  // namespace puzzle
