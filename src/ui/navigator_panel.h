#pragma once
#include <QWidget>

#include "app/navigator_model.h"

namespace tessel {

class Document;

// The navigator: the composite scaled into the panel with the view's
// rectangle on it. A click or drag centres the view on that point.
class NavigatorPanel : public QWidget {
  Q_OBJECT
 public:
  NavigatorPanel(Document& doc, CanvasView& view, QWidget* parent);

  // The picture again from the composite (after strokes, undo, layer changes).
  void refreshPicture();
  // Only the view's rectangle moved.
  void refreshView() { update(); }
  NavigatorModel& model() { return model_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void scrollTo(QPoint p);

  Document& doc_;
  CanvasView& view_;
  NavigatorModel model_;
};

}  // namespace tessel
