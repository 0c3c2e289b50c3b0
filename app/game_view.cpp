#include "app/game_view.h"

#include <GL/gl.h>

#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QSurfaceFormat>
#include <algorithm>
#include <cmath>
#include <cstring>

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

namespace {

// Whether the GL draws in software. Its window's one buffer then keeps the
// frame: the renderer draws it in the program's memory and puts it on the
// screen when the frame is done, so a single buffer neither flickers nor
// needs the copy of a kept framebuffer to the window, which costs as much as
// a frame of the background alone.
bool SoftwareRenderer() {
  QOffscreenSurface surface;
  surface.setFormat(GameView::RequestedFormat());
  surface.create();
  QOpenGLContext context;
  context.setFormat(GameView::RequestedFormat());
  if (!context.create() || !context.makeCurrent(&surface)) return false;
  const auto* renderer = reinterpret_cast<const char*>(context.functions()->glGetString(GL_RENDERER));
  const bool software = renderer != nullptr && (std::strstr(renderer, "llvmpipe") != nullptr ||
                                                std::strstr(renderer, "softpipe") != nullptr);
  context.doneCurrent();
  return software;
}

}  // namespace

TableWindow::TableWindow(GameView& view, bool singleBuffer)
    : QOpenGLWindow(singleBuffer ? QOpenGLWindow::NoPartialUpdate : QOpenGLWindow::PartialUpdateBlit),
      view_(view) {
  QSurfaceFormat format = GameView::RequestedFormat();
  if (singleBuffer) format.setSwapBehavior(QSurfaceFormat::SingleBuffer);
  setFormat(format);
  // The pointer and keys go to the view under it, as to any widget.
  setFlags(flags() | Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus);
}

void TableWindow::initializeGL() {
  view_.InitializeGl();
}

void TableWindow::resizeGL(int w, int h) {
  view_.ResizeGl(w, h);
}

void TableWindow::paintGL() {
  view_.PaintGl();
}

GameView::GameView(Application& app, Platform& platform, QWidget* parent)
    : QWidget(parent),
      app_(app),
      platform_(platform),
      window_(new TableWindow(*this, SoftwareRenderer())),
      container_(QWidget::createWindowContainer(window_, this)),
      graphics_(*window_, app.mesh) {
  container_->setAttribute(Qt::WA_TransparentForMouseEvents);
  container_->setFocusPolicy(Qt::NoFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  pacingClock_.start();
  nextFrameTimer_.setSingleShot(true);
  nextFrameTimer_.setTimerType(Qt::PreciseTimer);
  connect(&nextFrameTimer_, &QTimer::timeout, this, &GameView::RequestFrame);
  connect(window_, &QOpenGLWindow::frameSwapped, this, [this] {
    if (!firstFrameShown_) {
      firstFrameShown_ = true;
      if (afterFirstFrame) afterFirstFrame();
    }
    ScheduleNextFrame();
    emit frameSwapped();
  });
}

void GameView::RequestFrame() {
  window_->update();
}

void GameView::makeCurrent() {
  window_->makeCurrent();
}

QImage GameView::grabFramebuffer() {
  return window_->grabFramebuffer();
}

void GameView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  container_->setGeometry(rect());
}

double GameView::NowMs() const {
  return static_cast<double>(pacingClock_.nsecsElapsed()) / 1e6;
}

void GameView::ScheduleNextFrame() {
  // Nothing moves: the next frame waits for the player.
  if (!nextFrameDelay_) return;
  const double delay = std::max(FrameDelay(app_.pacer, NowMs()), static_cast<double>(*nextFrameDelay_));
  if (delay <= 0) {
    RequestFrame();
    return;
  }
  // One timer: a redraw asked for meanwhile does not start a second chain.
  nextFrameTimer_.start(static_cast<int>(std::ceil(delay)));
}

GameView::~GameView() {
  ReleaseGl();
}

void GameView::ReleaseGl() {
  if (!window_->isValid()) return;
  window_->makeCurrent();
  ClearTableMesh(app_.mesh);
  ReleaseKeptLayer(app_.layer);
  DeletePictureTextures(app_.state);
  DeleteFonts(app_.fonts);
  window_->doneCurrent();
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

void GameView::InitializeGl() {
  StartTableGl(app_, DevicePixels(width()), DevicePixels(height()), devicePixelRatioF());
  // The framebuffer the table is drawn into does not exist yet; its depth
  // is read with the first frame.
  depthChecked_ = false;
  app_.layer.targetKept = true;
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

void GameView::ResizeGl(int w, int h) {
  auto& state = app_.state;
  FollowPixelRatio(app_, devicePixelRatioF());
  const PreviousClient previous = CurrentClient(app_.table);
  // A client area of no height still gets a one-pixel table.
  SetClientSize(app_.table, DevicePixels(w), DevicePixels(h));
  ResizeGL(state, app_.table, app_.view);
  // The framebuffer was made anew.
  app_.layer.shown = false;
  if (onResized) onResized(previous);
}

void GameView::PaintGl() {
  CheckDepth();
  // Whatever woke this frame, the next is decided afresh below.
  nextFrameTimer_.stop();
  bool turnFinished = false;
  nextFrameDelay_ = DrawTableFrame(app_, platform_.TickMs(), NowMs(), turnFinished);
  if (turnFinished && onTurnFinished) onTurnFinished();
  ++framesDrawn_;
}

}  // namespace puzzle
