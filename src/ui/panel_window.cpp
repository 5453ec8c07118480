#include "ui/panel_window.h"

#include <QCloseEvent>

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

}  // namespace tessel
