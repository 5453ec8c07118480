#pragma once
#include <QAbstractScrollArea>
#include <QImage>
#include <cstdint>
#include <functional>

namespace tessel {

class Application;

// Whether a mouse move over the canvas brings the main window to the front:
// OptFlag bit 0x08 is set, no modal window runs, and another window of the
// program is active (`active` is the application's active window, null
// while another program has the focus).
bool frontOnCanvasMove(uint32_t optFlag, bool modal, const QWidget* active, const QWidget* mainWindow);

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
  // Brings the main window to the front (see frontOnCanvasMove).
  std::function<void()> bringMainToFront;

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
