#pragma once
#include <QAbstractScrollArea>
#include <QImage>
#include <functional>

namespace tessel {

class Application;

// The canvas window: forwards sizes, scrolls, the wheel and the cursor to the
// CanvasView and paints by copying the invalid rectangle out of the screen
// buffer. It owns nothing but the QImage it copies into.
class CanvasWidget : public QAbstractScrollArea {
  Q_OBJECT
 public:
  CanvasWidget(Application& app, QWidget* parent);

  // Scroll bars from the view's scroll model.
  void syncScrollBars();
  // The last painted pixels (for tests and screenshots).
  const QImage& frame() const { return frame_; }
  std::function<void()> onFirstPaint;

 signals:
  void viewChanged();
  void cursorMoved();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  void wheelEvent(QWheelEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  void copyRect(const QRect& r);

  Application& app_;
  QImage frame_;
  bool syncing_ = false;
  bool painted_ = false;
};

}  // namespace tessel
