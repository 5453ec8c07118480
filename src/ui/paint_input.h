#pragma once
#include <QElapsedTimer>
#include <QEvent>
#include <QObject>
#include <functional>

#include "draw/input/input_state.h"
#include "platform/tablet_qt.h"

class QWidget;

namespace tessel {

class KeyTable;
struct PaintingTools;

// Feeds the canvas input from Qt: mouse and tablet events of the canvas's
// viewport, and the held keys seen anywhere in the program (Qt has no
// asynchronous key state, so presses and releases are followed). Takes the
// mouse for the length of a drag and sets the cursor per state.
class PaintInput : public QObject {
  Q_OBJECT
 public:
  PaintInput(PaintingTools& painting, const KeyTable& keys, QWidget* viewport);
  ~PaintInput() override;

  // After a drag or a click changed something the panels show.
  std::function<void()> afterInput;
  const InputState& state() const { return in_; }
  // Reads TabletFlag, TaleTool and the side buttons' actions before each
  // tablet event; bit 0x1 of the flags is taken once, at start.
  std::function<void(TabletPackets&)> tabletSettings;
  bool tabletEnabled = true;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool mouse(QEvent* event);
  bool tablet(QEvent* event);
  bool key(QEvent* event);
  void clearHeldKeys();
  void updateCursor();

  PaintingTools& p_;
  const KeyTable& keys_;
  QWidget* viewport_;
  InputState in_;
  bool composing_ = false;   // an input method is composing: its keys are not ours
  QtTablet tablet_;
  TabletTarget tabletTarget_;
  QElapsedTimer clock_;
  // A key event travels up the parents and passes the filter at each one.
  // A press and its release can share both the address and the time stamp.
  const QEvent* lastKey_ = nullptr;
  QEvent::Type lastKeyType_ = QEvent::None;
  unsigned long lastKeyTime_ = 0;
};

}  // namespace tessel

namespace tessel {

class Application;
class MainWindow;

// Puts the tool buttons into the tools panel window, the tool options and
// the colour sliders into the options panel window, and connects them and
// the canvas to the painting tools.
void installPainting(MainWindow& window, Application& app, QWidget* toolsWindow,
                     QWidget* optionsWindow, QWidget* canvasViewport, const char* const* toolNames);

}  // namespace tessel
