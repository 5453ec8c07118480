#include "ui/navigator_panel.h"

#include <QMouseEvent>
#include <QPainter>

#include "document/document.h"
#include "ui/panel_image.h"
#include "view/canvas_view.h"

namespace tessel {

NavigatorPanel::NavigatorPanel(Document& doc, CanvasView& view, QWidget* parent)
    : QWidget(parent), doc_(doc), view_(view) {
  setObjectName(QStringLiteral("navigatorPanel"));
  setMinimumSize(40, 40);
}

void NavigatorPanel::refreshPicture() {
  if (doc_.composite.width() != model_.imageWidth() || doc_.composite.height() != model_.imageHeight() ||
      model_.picture().width() < 1) {
    model_.rebuild(doc_.composite, width(), height());
  } else {
    model_.update(doc_.composite, doc_.composite.bounds());
  }
  update();
}

void NavigatorPanel::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), QColor(0x80, 0x80, 0x80));
  const Rect pr = model_.pictureRect();
  p.drawImage(pr.x, pr.y, toPanelImage(model_.picture()));
  // A frame, so a white picture stands apart from a white canvas beside it.
  p.setPen(QColor(0x40, 0x40, 0x40));
  p.drawRect(rect().adjusted(0, 0, -1, -1));
  const Rect v = model_.viewRect(view_);
  if (v.w > 0) {
    p.setPen(QColor(0xFF, 0x00, 0x00));
    p.setBrush(Qt::NoBrush);
    p.drawRect(v.x, v.y, v.w - 1, v.h - 1);
  }
}

void NavigatorPanel::scrollTo(QPoint pos) {
  if (model_.picture().width() < 1) return;
  view_.scrollTo(model_.imagePoint(pos.x(), pos.y()));
  update();
}

void NavigatorPanel::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) scrollTo(event->position().toPoint());
}

void NavigatorPanel::mouseMoveEvent(QMouseEvent* event) {
  if (event->buttons() & Qt::LeftButton) scrollTo(event->position().toPoint());
}

void NavigatorPanel::resizeEvent(QResizeEvent*) {
  model_.rebuild(doc_.composite, width(), height());
  update();
}

}  // namespace tessel
