#include "ui/navigator_panel.h"
#include "ui/ui_texts.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

#include "config/settings.h"
#include "document/document.h"
#include "ui/panel_image.h"
#include "view/canvas_view.h"

namespace tessel {

namespace {

const char* const kZoom = "缩放";
const char* const kSampledName = "快速缩略 (不平滑)";
constexpr int kZooms[] = {100, 200, 400};

}  // namespace

NavigatorPanel::NavigatorPanel(Document& doc, CanvasView& view, Settings& config, QWidget* parent)
    : QWidget(parent), doc_(doc), view_(view), config_(config) {
  setObjectName(QStringLiteral("navigatorPanel"));
  setMinimumSize(40, 40);
  model_.sampled = (config_.prevFlag & kSampledFlag) != 0;
}

void NavigatorPanel::rebuild() {
  model_.rebuild(doc_.composite, width(), height(), config_.prevScale);
  model_.follow(view_, width(), height());
  doc_.recomposited = {};
}

void NavigatorPanel::setZoom(int percent) {
  config_.prevScale = percent;
  rebuild();
  update();
}

void NavigatorPanel::setSampled(bool sampled) {
  config_.prevFlag = sampled ? config_.prevFlag | kSampledFlag : config_.prevFlag & ~kSampledFlag;
  model_.sampled = sampled;
  rebuild();
  update();
}

void NavigatorPanel::refreshView() {
  model_.follow(view_, width(), height());
  update();
}

void NavigatorPanel::refreshPicture() {
  if (doc_.composite.width() != model_.imageWidth() || doc_.composite.height() != model_.imageHeight() ||
      model_.picture().width() < 1) {
    rebuild();
  } else {
    model_.update(doc_.composite, doc_.recomposited);
  }
  doc_.recomposited = {};
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
    // Red inside white, so the frame shows over red pictures as well.
    p.setBrush(Qt::NoBrush);
    p.setPen(QColor(0xFF, 0xFF, 0xFF));
    p.drawRect(v.x - 1, v.y - 1, v.w + 1, v.h + 1);
    p.setPen(QColor(0xFF, 0x00, 0x00));
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

// A zoomed picture holds still under a dragging pointer and follows the view after.
void NavigatorPanel::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) refreshView();
}

void NavigatorPanel::resizeEvent(QResizeEvent*) {
  rebuild();
  update();
}

void NavigatorPanel::contextMenuEvent(QContextMenuEvent* event) {
  QMenu menu(this);
  QMenu* zooms = menu.addMenu(trq(kZoom));
  for (int zoom : kZooms) {
    QAction* a = zooms->addAction(QStringLiteral("%1%").arg(zoom), this, [this, zoom] { setZoom(zoom); });
    a->setCheckable(true);
    a->setChecked(config_.prevScale == zoom);
  }
  QAction* fast = menu.addAction(trq(kSampledName), this, [this] { setSampled(!model_.sampled); });
  fast->setCheckable(true);
  fast->setChecked(model_.sampled);
  menu.exec(event->globalPos());
}

}  // namespace tessel
