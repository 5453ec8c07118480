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

// Sets the panel's height to what its contents ask, but never past the
// bottom of its screen's work area (the contents scroll there).
void fitHeightToContents(QWidget* panel);

}  // namespace tessel
