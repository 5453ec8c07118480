#pragma once
#include <QWidget>

namespace tessel {

// A floating panel: a tool window that belongs to the main window. Closing
// it from its title bar is the same as its toggle command.
class PanelWindow : public QWidget {
  Q_OBJECT
 public:
  PanelWindow(int panel, const QString& title, QWidget* owner);
  int panel() const { return panel_; }

 signals:
  void closedByUser(int panel);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  int panel_;
};

}  // namespace tessel
