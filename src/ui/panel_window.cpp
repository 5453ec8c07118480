#include "ui/panel_window.h"

#include <QCloseEvent>
#include <QScreen>
#include <algorithm>

namespace tessel {

PanelWindow::PanelWindow(int panel, const QString& title, QWidget* owner)
    : QWidget(owner, Qt::Tool), panel_(panel) {
  setWindowTitle(title);
  setObjectName(QStringLiteral("panel%1").arg(panel));
}

void PanelWindow::closeEvent(QCloseEvent* event) {
  event->ignore();
  emit closedByUser(panel_);
}

void fitHeightToContents(QWidget* panel) {
  constexpr int kLowest = 60;
  int h = panel->sizeHint().height();
  if (QScreen* screen = panel->screen()) {
    const QRect work = screen->availableGeometry();
    h = std::min(h, work.bottom() + 1 - std::max(panel->y(), work.top()));
  }
  panel->resize(std::max(panel->width(), panel->sizeHint().width()), std::max(h, kLowest));
}

}  // namespace tessel
