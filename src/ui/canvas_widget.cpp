#include "ui/canvas_widget.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <cstring>

#include "app/application.h"
#include "draw/input/input_state.h"

namespace tessel {

bool frontOnCanvasMove(uint32_t optFlag, bool modal, const QWidget* active, const QWidget* mainWindow) {
  return (optFlag & kOptFlagFrontOnMove) && !modal && active && active != mainWindow;
}

CanvasWidget::CanvasWidget(Application& app, QWidget* parent)
    : QAbstractScrollArea(parent), app_(app) {
  setFrameShape(QFrame::StyledPanel);
  setFrameShadow(QFrame::Sunken);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setFocusPolicy(Qt::NoFocus);   // keys go to the main window
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  viewport()->setAttribute(Qt::WA_NoSystemBackground);
  viewport()->setMouseTracking(true);
  frame_ = QImage(app_.screen.width(), app_.screen.height(), QImage::Format_RGB32);
  frame_.fill(Qt::black);
  app_.view.onInvalidate = [this](const Rect& r) { viewport()->update(QRect(r.x, r.y, r.w, r.h)); };
  app_.view.onViewChanged = [this] {
    syncScrollBars();
    emit viewChanged();
  };
}

void CanvasWidget::syncScrollBars() {
  syncing_ = true;
  ScrollModel h = app_.view.horizontalScroll(), v = app_.view.verticalScroll();
  horizontalScrollBar()->setRange(0, std::max(0, h.maximum - h.page));
  horizontalScrollBar()->setPageStep(std::max(1, h.page));
  horizontalScrollBar()->setSingleStep(1);
  horizontalScrollBar()->setValue(h.position);
  verticalScrollBar()->setRange(0, std::max(0, v.maximum - v.page));
  verticalScrollBar()->setPageStep(std::max(1, v.page));
  verticalScrollBar()->setSingleStep(1);
  verticalScrollBar()->setValue(v.position);
  syncing_ = false;
}

// Image32 rows lie bottom-up, so the copy goes row by row; the alpha byte of
// the screen buffer means nothing on screen.
void CanvasWidget::copyRect(const QRect& r) {
  const Image32& screen = app_.screen;
  QRect cut = r.intersected(QRect(0, 0, screen.width(), screen.height()));
  for (int y = cut.top(); y <= cut.bottom(); ++y) {
    const Pixel* src = screen.row(y) + cut.left();
    auto* dst = reinterpret_cast<uint32_t*>(frame_.scanLine(y)) + cut.left();
    for (int i = 0; i < cut.width(); ++i) dst[i] = src[i] | 0xFF000000u;
  }
}

void CanvasWidget::paintEvent(QPaintEvent* event) {
  QPainter painter(viewport());
  for (const QRect& r : event->region()) {
    copyRect(r);
    painter.drawImage(r.topLeft(), frame_, r);
  }
  if (!painted_) {
    painted_ = true;
    if (onFirstPaint) onFirstPaint();
  }
}

namespace {

// True while the view shows the image as centreImage placed it.
bool centred(const CanvasView& view, const Document& doc) {
  auto at = [&](int64_t side, int centre, int client) {
    return std::max(0, (int(side * view.zoom() / 100) + 2 * centre - client) / 2);
  };
  return view.scrollX() == at(doc.width(), view.centreX(), view.clientWidth()) &&
         view.scrollY() == at(doc.height(), view.centreY(), view.clientHeight());
}

}  // namespace

void CanvasWidget::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  // The window reaches its size in steps (placement, then maximising). Kept
  // by its centre pixel, an image centred on an odd height would end a pixel
  // off on an even one, so a view nobody has moved is centred again.
  bool wasCentred = centred(app_.view, app_.document);
  app_.view.setClientSize(viewport()->width(), viewport()->height());
  if (wasCentred) app_.view.centreImage();
}

void CanvasWidget::scrollContentsBy(int, int) {
  if (syncing_) return;
  app_.view.setScroll(horizontalScrollBar()->value(), verticalScrollBar()->value());
}

void CanvasWidget::wheelEvent(QWheelEvent* event) {
  int delta = event->angleDelta().y();
  // The wheel zooms about the pointer; menu and keys keep the centre.
  const QPoint p = event->position().toPoint();
  if (delta != 0) app_.view.zoomStepAbout(delta > 0, p.x(), p.y());
  event->accept();
}

void CanvasWidget::mouseMoveEvent(QMouseEvent* event) {
  if (bringMainToFront && frontOnCanvasMove(app_.settings.optFlag, QApplication::activeModalWidget() != nullptr,
                                            QApplication::activeWindow(), window()))
    bringMainToFront();
  QPoint p = event->position().toPoint();
  app_.view.setCursorImagePoint(app_.view.imageFromView(p.x(), p.y()));
  emit cursorMoved();
}

}  // namespace tessel
