#include "app/game_view.h"

#include <GL/gl.h>

#include <QOpenGLContext>
#include <QSurfaceFormat>
#include <algorithm>
#include <cmath>

#include "model/texts.h"
#include "render/application_commands.h"
#include "render/fonts.h"
#include "render/frame_renderer.h"
#include "render/gl_view.h"
#include "render/table_mesh.h"
#include "render/textures.h"

namespace puzzle {

bool ViewGraphicsPort::UploadPictureTexture(GameState& state) {
  view_.makeCurrent();
  return gl_.UploadPictureTexture(state);
}

bool ViewGraphicsPort::MovePictureToTexture(GameState& state) {
  view_.makeCurrent();
  return gl_.MovePictureToTexture(state);
}

bool ViewGraphicsPort::BuildPieceMeshes(GameState& state, const GameOptions& options) {
  view_.makeCurrent();
  return gl_.BuildPieceMeshes(state, options);
}

void ViewGraphicsPort::ReleasePictureTextures(GameState& state) {
  view_.makeCurrent();
  gl_.ReleasePictureTextures(state);
}

bool ViewGraphicsPort::CaptureFrame(GameState& state) {
  view_.makeCurrent();
  return gl_.CaptureFrame(state);
}

float ViewGraphicsPort::ReadDepth(int x, int y) {
  view_.makeCurrent();
  return gl_.ReadDepth(x, y);
}

GameView::GameView(Application& app, Platform& platform, QWidget* parent)
    : QOpenGLWidget(parent), app_(app), platform_(platform), graphics_(*this, app.mesh) {
  setFormat(RequestedFormat());
  // The frame stays in the framebuffer: a frame that changes only the
  // background's colours draws them over it (KeptLayer::targetKept).
  setUpdateBehavior(QOpenGLWidget::PartialUpdate);
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  pacingClock_.start();
  nextFrameTimer_.setSingleShot(true);
  nextFrameTimer_.setTimerType(Qt::PreciseTimer);
  connect(&nextFrameTimer_, &QTimer::timeout, this, qOverload<>(&QWidget::update));
  connect(this, &QOpenGLWidget::frameSwapped, this, [this] {
    if (!firstFrameShown_) {
      firstFrameShown_ = true;
      if (afterFirstFrame) afterFirstFrame();
    }
    ScheduleNextFrame();
  });
}

double GameView::NowMs() const {
  return static_cast<double>(pacingClock_.nsecsElapsed()) / 1e6;
}

void GameView::ScheduleNextFrame() {
  // Nothing moves: the next frame waits for the player.
  if (!nextFrameDelay_) return;
  const double delay = std::max(FrameDelay(app_.pacer, NowMs()), static_cast<double>(*nextFrameDelay_));
  if (delay <= 0) {
    update();
    return;
  }
  // One timer: a redraw asked for meanwhile does not start a second chain.
  nextFrameTimer_.start(static_cast<int>(std::ceil(delay)));
}

GameView::~GameView() {
  ReleaseGl();
}

void GameView::ReleaseGl() {
  if (context() == nullptr) return;
  makeCurrent();
  ClearTableMesh(app_.mesh);
  ReleaseKeptLayer(app_.layer);
  DeletePictureTextures(app_.state);
  DeleteFonts(app_.fonts);
  doneCurrent();
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
  format.setSwapInterval(1);
  return format;
}

int GameView::DevicePixels(double logical) const {
  return static_cast<int>(std::floor(logical * devicePixelRatioF()));
}

void GameView::initializeGL() {
  StartTableGl(app_, DevicePixels(width()), DevicePixels(height()));
  // The framebuffer the table is drawn into does not exist yet; its depth
  // is read with the first frame.
  depthChecked_ = false;
  app_.layer.targetKept = true;
  RebuildTableGl();
  // The context may go before the widget does (the widget moved to another
  // window); the mesh, textures and fonts go with it, and the next context
  // builds them again above.
  connect(
      context(), &QOpenGLContext::aboutToBeDestroyed, this,
      [this] {
        makeCurrent();
        // A running game keeps its picture only in the textures.
        if (app_.state.pixels.empty()) pictureReadBack_ = ReadBackPictureTextures(app_.state);
        ReleaseGl();
      },
      Qt::DirectConnection);
}

void GameView::RebuildTableGl() {
  GameState& state = app_.state;
  if (state.pixels.empty()) return;
  graphics_.UploadPictureTexture(state);
  if (pictureReadBack_) {
    pictureReadBack_ = false;
    state.pixels.clear();
    state.pixels.shrink_to_fit();
  }
  if (state.pieces.empty()) return;
  // The pieces keep the shape they were cut with, whatever an open Options
  // dialog has chosen since.
  GameOptions built = app_.options;
  built.form = state.pieceForm;
  built.bulge = state.pieceBulge;
  graphics_.BuildPieceMeshes(state, built);
}

void GameView::CheckDepth() {
  if (depthChecked_) return;
  depthChecked_ = true;
  if (!CheckDepthPrecision(app_.view, app_.options)) return;
  // Said after the frame, not in the middle of drawing it.
  QMetaObject::invokeMethod(
      this,
      [this] {
        const bool ru = app_.options.russianUi;
        platform_.ShowMessage({Tr(texts::OBSOLETE_VIDEO, ru), Tr(texts::CAPTION_ERROR, ru),
                               MessageButtons::Ok, MessageIcon::Exclamation, MessageOwner::None});
      },
      Qt::QueuedConnection);
}

void GameView::resizeGL(int w, int h) {
  auto& state = app_.state;
  const PreviousClient previous = CurrentClient(app_.table);
  // A client area of no height still gets a one-pixel table.
  SetClientSize(app_.table, DevicePixels(w), DevicePixels(h));
  ResizeGL(state, app_.table, app_.view);
  // The framebuffer was made anew.
  app_.layer.shown = false;
  if (onResized) onResized(previous);
}

void GameView::paintGL() {
  CheckDepth();
  // Whatever woke this frame, the next is decided afresh below.
  nextFrameTimer_.stop();
  bool turnFinished = false;
  nextFrameDelay_ = DrawTableFrame(app_, platform_.TickMs(), NowMs(), turnFinished);
  if (turnFinished && onTurnFinished) onTurnFinished();
  ++framesDrawn_;
}

}  // namespace puzzle
