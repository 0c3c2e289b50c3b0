// The GL table inside the main window. It redraws continuously (a new frame
// as soon as the previous one is shown, so events are still handled between
// frames) and keeps the client size in step with the widget, in device
// pixels. What a resize or a frame means for the game is the main window's
// business: it hears of both through the hooks below.
#pragma once

#include <QOpenGLWidget>
#include <functional>

#include "app/application.h"
#include "game/commands.h"
#include "platform/platform.h"

namespace puzzle {

class GameView : public QOpenGLWidget {
  Q_OBJECT
 public:
  GameView(Application& app, Platform& platform, QWidget* parent = nullptr);

  // The format the table asks for: compatibility profile, 32-bit depth
  // requested, no stencil, double buffered, no multisampling (the frame must
  // stay readable for picking and screen capture).
  static QSurfaceFormat RequestedFormat();

  // After the client size changed (clientWidth/Height and the projection are
  // already updated); gets the size and thumbs from before.
  std::function<void(const PreviousClient&)> onResized;
  // At the start of every frame, with the context current.
  std::function<void()> beforeFrame;

  // Device pixels of a point in widget coordinates.
  int DevicePixels(double logical) const;

 protected:
  void initializeGL() override;
  void resizeGL(int w, int h) override;
  void paintGL() override;

 private:
  Application& app_;
  Platform& platform_;
};

}  // namespace puzzle
