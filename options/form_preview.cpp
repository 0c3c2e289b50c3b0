#include "options/form_preview.h"

#include <QPainter>
#include <QPolygon>
#include <cmath>

namespace puzzle {

namespace {

QColor ToQColor(const Rgb& rgb) {
  return QColor(rgb[0], rgb[1], rgb[2]);
}

QPolygon ToPolygon(const std::vector<PreviewPoint>& points) {
  QPolygon polygon;
  polygon.reserve(static_cast<qsizetype>(points.size()));
  for (const PreviewPoint& p : points) polygon.append(QPoint(p.x, p.y));
  return polygon;
}

// A box spanning left..right-1: an outline of a 1-pixel pen covers one pixel
// more than the rectangle it is given, a fill alone exactly the rectangle.
QRect OutlineBox(const PreviewShape& s) {
  return QRect(s.left, s.top, s.right - s.left - 1, s.bottom - s.top - 1);
}
QRect FillBox(const PreviewShape& s) {
  return QRect(s.left, s.top, s.right - s.left, s.bottom - s.top);
}

}  // namespace

void PaintPreviewShapes(QPainter& painter, const std::vector<PreviewShape>& shapes) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  for (const PreviewShape& shape : shapes) {
    if (shape.pen) {
      painter.setPen(QPen(ToQColor(*shape.pen), 1, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    } else {
      painter.setPen(Qt::NoPen);
    }
    painter.setBrush(shape.brush ? QBrush(ToQColor(*shape.brush)) : QBrush(Qt::NoBrush));
    const QRect box = shape.pen ? OutlineBox(shape) : FillBox(shape);
    switch (shape.kind) {
      case PreviewShapeKind::Rectangle: painter.drawRect(box); break;
      case PreviewShapeKind::Ellipse: painter.drawEllipse(box); break;
      case PreviewShapeKind::Polygon: painter.drawPolygon(ToPolygon(shape.points), Qt::OddEvenFill); break;
      case PreviewShapeKind::Polyline: painter.drawPolyline(ToPolygon(shape.points)); break;
      case PreviewShapeKind::Arc: {
        // QPainter counts arc angles in sixteenths of a degree,
        // counter-clockwise on screen: the same sense as the preview's arcs.
        const ArcSweep sweep = ArcSweepOf(shape);
        painter.drawArc(box, static_cast<int>(std::lround(sweep.startDegrees * 16)),
                        static_cast<int>(std::lround(sweep.spanDegrees * 16)));
        break;
      }
    }
  }
  painter.restore();
}

QImage RenderFormPreview(QSize size, const PreviewInputs& inputs) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  PaintPreviewShapes(painter, FormPreviewShapes(size.width(), size.height(), inputs));
  return image;
}

FormPreview::FormPreview(const GameOptions& options, const ColourBytes& colours, QWidget* parent)
    : QWidget(parent), options_(options), colours_(colours) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void FormPreview::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  PaintPreviewShapes(painter, FormPreviewShapes(width(), height(), PreviewInputsOf(options_, colours_)));
}

ColourSwatch::ColourSwatch(const ColourBytes& colours, int swatch, QWidget* parent)
    : QWidget(parent), colours_(colours), swatch_(swatch) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void ColourSwatch::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setPen(QPen(Qt::black, 1));
  painter.setBrush(ToQColor(SwatchColour(colours_, swatch_)));
  painter.drawRect(QRect(0, 0, width() - 1, height() - 1));
}

}  // namespace puzzle
