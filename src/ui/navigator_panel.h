#pragma once
#include <QWidget>

#include "app/models/navigator_model.h"

namespace tessel {

class Document;
struct Settings;

// The navigator: the composite scaled into the panel with the view's
// rectangle on it. A click or drag centres the view on that point.
class NavigatorPanel : public QWidget {
  Q_OBJECT
 public:
  // config: the navigator's option bits and zoom, kept in the settings.
  NavigatorPanel(Document& doc, CanvasView& view, Settings& config, QWidget* parent);

  // The picture again where the composite changed (after strokes, undo, layer changes).
  void refreshPicture();
  // Only the view's rectangle moved.
  void refreshView();
  // The overview's zoom in percent (100 fits the panel) and its filtering.
  void setZoom(int percent);
  void setSampled(bool sampled);
  static constexpr int kSampledFlag = 0x1;   // one source pixel per picture pixel
  NavigatorModel& model() { return model_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void scrollTo(QPoint p);
  void rebuild();

  Document& doc_;
  CanvasView& view_;
  Settings& config_;
  NavigatorModel model_;
};

}  // namespace tessel
