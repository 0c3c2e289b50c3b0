// The GL table inside the main window. It draws a frame when the picture
// changes: at once after the player acts (the main window asks with
// RequestFrame()), and for as long as the game says something moves, a new
// frame as soon as the previous one is shown and the frame pacer allows; an
// animated picture or the branded caption wake it when their time comes. A
// table at rest draws nothing and the process sleeps.
//
// The frames are drawn in a GL window of its own (TableWindow) laid over the
// widget and shown by a buffer swap, so that the toolkit does not compose
// every frame into the main window: on a software renderer that composition
// cost more than a frame of the background alone. The GL window takes no
// input; the pointer, keys and focus belong to the widget under it.
//
// It keeps the client size in step with the window in device pixels, and
// owns the GL resources of the window's context, which lives as long as the
// view: fonts, picture textures and the piece mesh. What a resize means for
// the game is the main window's business: it hears of it through onResized.
#pragma once

#include <QElapsedTimer>
#include <QImage>
#include <QOpenGLWindow>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <optional>

#include "game/commands.h"
#include "platform/platform.h"
#include "render/application.h"
#include "render/gl_graphics_port.h"

namespace puzzle {

// The rules' GL operations outside a paint: each makes the table's context
// current first, so the frame last drawn is what is read.
class ViewGraphicsPort : public GraphicsPort {
 public:
  ViewGraphicsPort(QOpenGLWindow& view, TableMesh& mesh) : view_(view), gl_(mesh) {}
  bool UploadPictureTexture(GameState& state) override;
  bool MovePictureToTexture(GameState& state) override;
  bool BuildPieceMeshes(GameState& state, const GameOptions& options) override;
  void ReleasePictureTextures(GameState& state) override;
  bool CaptureFrame(GameState& state) override;
  float ReadDepth(int x, int y) override;

 private:
  QOpenGLWindow& view_;
  GlGraphicsPort gl_;
};

class GameView;

// The window the frames are drawn in; the view does the drawing. Its frames
// keep their pixels from one to the next (KeptLayer::targetKept): drawn in
// its one buffer where the GL draws in software, else in a framebuffer of
// its own copied to the window before each swap.
class TableWindow : public QOpenGLWindow {
  Q_OBJECT
 public:
  TableWindow(GameView& view, bool singleBuffer);

 protected:
  void initializeGL() override;
  void resizeGL(int w, int h) override;
  void paintGL() override;

 private:
  GameView& view_;
};

class GameView : public QWidget {
  Q_OBJECT
  friend class TableWindow;

 public:
  GameView(Application& app, Platform& platform, QWidget* parent = nullptr);
  ~GameView() override;

  // The format the table asks for: compatibility profile, 32-bit depth
  // requested, no stencil, double buffered, no multisampling (the frame must
  // stay readable for picking and screen capture), swapped with the screen's
  // refresh where the driver offers it.
  static QSurfaceFormat RequestedFormat();

  GraphicsPort& Graphics() { return graphics_; }

  // Asks for a frame; frames asked for before it is drawn make one.
  void RequestFrame();
  // The table's context made current, with the table's framebuffer bound.
  void makeCurrent();
  // The last frame drawn, read back from the table's framebuffer.
  QImage grabFramebuffer();

  // After the client size changed (clientWidth/Height and the projection are
  // already updated); gets the size and thumbs from before.
  std::function<void(const PreviousClient&)> onResized;
  // A turn of the selected piece came to rest in the frame just advanced.
  std::function<void()> onTurnFinished;
  // Once, after the first frame has been shown.
  std::function<void()> afterFirstFrame;

  // Device pixels of a length in widget coordinates.
  int DevicePixels(double logical) const;

  // Frames drawn since the widget was made.
  std::uint64_t FramesDrawn() const { return framesDrawn_; }

 signals:
  // A frame was drawn and shown.
  void frameSwapped();

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void InitializeGl();
  void ResizeGl(int w, int h);
  void PaintGl();
  void ReleaseGl();
  // The frame just shown: the next, when the game wants one, is asked for
  // once the pacer and the game's delay allow.
  void ScheduleNextFrame();
  double NowMs() const;
  // Once per context, with the table's framebuffer bound.
  void CheckDepth();

  Application& app_;
  Platform& platform_;
  TableWindow* window_;
  // Holds window_ over the widget; owns it.
  QWidget* container_;
  ViewGraphicsPort graphics_;
  bool firstFrameShown_ = false;
  // The pacer's clock; real time even where the game's tick is stepped.
  QElapsedTimer pacingClock_;
  QTimer nextFrameTimer_;
  // What the last frame's game said of the next one (NextFrameDelay).
  std::optional<std::uint32_t> nextFrameDelay_;
  std::uint64_t framesDrawn_ = 0;
  bool depthChecked_ = false;
};

}  // namespace puzzle
