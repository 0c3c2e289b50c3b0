// The GL table inside the main window. It redraws continuously (a new frame
// as soon as the previous one is shown, so events are still handled between
// frames) and keeps the view records in step with its size.
#pragma once

#include <QOpenGLWidget>

#include "app/application.h"
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

 protected:
  void initializeGL() override;
  void resizeGL(int w, int h) override;
  void paintGL() override;

 private:
  Application& app_;
  Platform& platform_;
};

}  // namespace puzzle
