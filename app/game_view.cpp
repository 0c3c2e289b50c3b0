#include "app/game_view.h"

#include <GL/gl.h>

#include <QSurfaceFormat>
#include <algorithm>

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

void GameView::initializeGL() {
  auto& state = app_.state;
  const qreal ratio = devicePixelRatioF();
  state.clientWidth = std::max(1, static_cast<int>(width() * ratio));
  state.clientHeight = std::max(1, static_cast<int>(height() * ratio));
  app_.view.creationWidth = state.clientWidth;
  app_.view.creationHeight = state.clientHeight;
  GLint maxTexture = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTexture);
  state.maxTextureSize = maxTexture;
  GLint depthBits = 0;
  glGetIntegerv(GL_DEPTH_BITS, &depthBits);
  app_.view.lowDepthPrecision = depthBits <= 16;
  InitGL(state, app_.options, app_.view);
}

void GameView::resizeGL(int w, int h) {
  auto& state = app_.state;
  const qreal ratio = devicePixelRatioF();
  state.clientWidth = std::max(1, static_cast<int>(w * ratio));
  state.clientHeight = std::max(1, static_cast<int>(h * ratio));
  ResizeGL(state, app_.view);
  PickFanScheme(app_.view, platform_.TickMs());
}

void GameView::paintGL() {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  if (app_.options.brandedBackground) DrawBackgroundStar(app_.view);
}

}  // namespace puzzle
