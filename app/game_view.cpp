#include "app/game_view.h"

#include <GL/gl.h>

#include <QSurfaceFormat>
#include <algorithm>
#include <cmath>

#include "render/gl_view.h"

namespace puzzle {

GameView::GameView(Application& app, Platform& platform, QWidget* parent)
    : QOpenGLWidget(parent), app_(app), platform_(platform) {
  setFormat(RequestedFormat());
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  connect(this, &QOpenGLWidget::frameSwapped, this, qOverload<>(&QWidget::update));
}

QSurfaceFormat GameView::RequestedFormat() {
  QSurfaceFormat format;
  format.setRenderableType(QSurfaceFormat::OpenGL);
  format.setProfile(QSurfaceFormat::CompatibilityProfile);
  format.setVersion(2, 1);
  format.setDepthBufferSize(32);
  format.setStencilBufferSize(0);
  format.setSwapBehavior(QSurfaceFormat::DoubleBuffer);
  format.setSamples(0);
  return format;
}

int GameView::DevicePixels(double logical) const {
  return static_cast<int>(std::floor(logical * devicePixelRatioF()));
}

void GameView::initializeGL() {
  auto& state = app_.state;
  state.clientWidth = std::max(1, DevicePixels(width()));
  state.clientHeight = std::max(1, DevicePixels(height()));
  app_.view.creationWidth = state.clientWidth;
  app_.view.creationHeight = state.clientHeight;
  GLint maxTexture = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTexture);
  state.maxTextureSize = maxTexture;
  GLint depthBits = 0;
  glGetIntegerv(GL_DEPTH_BITS, &depthBits);
  app_.view.lowDepthPrecision = depthBits <= 16;
  const auto* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
  app_.shell.glVersion = version != nullptr ? version : "";
  InitGL(state, app_.options, app_.view);
}

void GameView::resizeGL(int w, int h) {
  auto& state = app_.state;
  const PreviousClient previous{state.clientWidth, state.clientHeight, state.thumbW, state.thumbH};
  // A client area of no height still gets a one-pixel table.
  state.clientWidth = std::max(1, DevicePixels(w));
  state.clientHeight = std::max(1, DevicePixels(h));
  ResizeGL(state, app_.view);
  if (onResized) onResized(previous);
}

void GameView::paintGL() {
  if (beforeFrame) beforeFrame();
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  if (app_.options.brandedBackground) DrawBackgroundStar(app_.view);
}

}  // namespace puzzle
