// The one top-level window: title, menus and the GL table. It turns window
// events and commands into calls on the records of the application object.
#pragma once

#include <QMainWindow>

#include "app/application.h"
#include "app/game_view.h"
#include "app/qt_platform.h"

namespace puzzle {

inline constexpr const char* START_TITLE = "Puzzle - QUORVANE";

class MainWindow : public QMainWindow {
  Q_OBJECT
 public:
  MainWindow(Application& app, QtPlatform& platform);

  GameView* view() const { return view_; }

 private:
  Application& app_;
  QtPlatform& platform_;
  GameView* view_;
};

}  // namespace puzzle
