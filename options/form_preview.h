// The form preview and the three colour swatches of the Options dialog,
// painted with QPainter from the shapes of form_preview_shapes.h. Both
// widgets only read the options and colour bytes the dialog owns, on every
// paint, so an update() after a change is all they need.
#pragma once

#include <QImage>
#include <QWidget>
#include <vector>

#include "game/form_preview_shapes.h"

class QPainter;

namespace puzzle {

// Crisp 1-pixel lines, odd-even fills and arcs counter-clockwise on screen,
// as the preview has always been drawn.
void PaintPreviewShapes(QPainter& painter, const std::vector<PreviewShape>& shapes);

// The preview as an image of the given size (used for the reference images).
QImage RenderFormPreview(QSize size, const PreviewInputs& inputs);

class FormPreview : public QWidget {
  Q_OBJECT
 public:
  FormPreview(const GameOptions& options, const ColourBytes& colours, QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  const GameOptions& options_;
  const ColourBytes& colours_;
};

// Swatch 0 shows the background, 1 the frame and 2 the centres colour.
class ColourSwatch : public QWidget {
  Q_OBJECT
 public:
  ColourSwatch(const ColourBytes& colours, int swatch, QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  const ColourBytes& colours_;
  int swatch_;
};

}  // namespace puzzle
