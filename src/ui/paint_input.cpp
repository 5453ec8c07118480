#include "ui/paint_input.h"
#include "ui/text_dialog.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QMenu>
#include <QMenuBar>
#include <QVBoxLayout>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabletEvent>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <cmath>

#include "config/key_table.h"
#include "app/application.h"
#include "draw/input/canvas_input_setup.h"
#include "ui/colour_panel.h"
#include "ui/main_window.h"
#include "ui/panel_window.h"
#include "ui/tool_options_panel.h"
#include "ui/tools_panel.h"
#include "ui/virtual_keys.h"

namespace tessel {

namespace {

constexpr int kHeldKeyGroup = 3;

Qt::CursorShape cursorShapeOf(ToolCursor cursor) {
  switch (cursor) {
    case ToolCursor::Move: return Qt::SizeAllCursor;
    case ToolCursor::Text: return Qt::IBeamCursor;
    case ToolCursor::Pointer: return Qt::ArrowCursor;
    case ToolCursor::Crosshair: break;
  }
  return Qt::CrossCursor;
}

// Asks for the whole height of its contents, so the panel around it can be
// sized to them; scrolls when the screen is too short.
class ContentsScrollArea : public QScrollArea {
 public:
  explicit ContentsScrollArea(QWidget* parent) : QScrollArea(parent) {
    setWidgetResizable(true);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  }
  QSize sizeHint() const override {
    if (!widget()) return QScrollArea::sizeHint();
    QSize s = widget()->sizeHint();
    return {s.width() + verticalScrollBar()->sizeHint().width(), s.height()};
  }
};

// A mirrored view shows the corners the other way round.
Qt::CursorShape handleCursor(int handle, bool mirrored) {
  switch (handle) {
    case kHandleTop: case kHandleBottom: return Qt::SizeVerCursor;
    case kHandleLeft: case kHandleRight: return Qt::SizeHorCursor;
    case kHandleTopLeft: case kHandleBottomRight: return mirrored ? Qt::SizeBDiagCursor : Qt::SizeFDiagCursor;
    case kHandleTopRight: case kHandleBottomLeft: return mirrored ? Qt::SizeFDiagCursor : Qt::SizeBDiagCursor;
    default: return Qt::CrossCursor;
  }
}

int buttonOf(Qt::MouseButton b) {
  switch (b) {
    case Qt::LeftButton: return kButtonLeft;
    case Qt::RightButton: return kButtonRight;
    case Qt::MiddleButton: return kButtonMiddle;
    default: return -1;
  }
}

}  // namespace

PaintInput::PaintInput(PaintingTools& painting, const KeyTable& keys, QWidget* viewport)
    : QObject(viewport), p_(painting), keys_(keys), viewport_(viewport) {
  clock_.start();
  // The application-wide filter sees the viewport's events too; a second
  // filter on the viewport would hand every mouse event over twice.
  viewport_->setAttribute(Qt::WA_TabletTracking);
  qApp->installEventFilter(this);
  tabletTarget_ = tabletTargetFor(p_.input, p_.draw);
  auto release = tabletTarget_.release;
  tabletTarget_.release = [this, release](int button, int source, const InputState& in) {
    release(button, source, in);
    if (afterInput) afterInput();
  };
  tabletTarget_.selectTool = [this](int tool) {
    p_.input.selectTool(tool);
    if (afterInput) afterInput();
  };
  p_.input.hooks.capture = [this](bool take) {
    if (take)
      viewport_->grabMouse();
    else
      viewport_->releaseMouse();
  };
}

PaintInput::~PaintInput() { qApp->removeEventFilter(this); }

bool PaintInput::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress: case QEvent::KeyRelease: key(event); break;
    case QEvent::InputMethod:
      composing_ = !static_cast<QInputMethodEvent*>(event)->preeditString().isEmpty();
      break;
    case QEvent::ApplicationDeactivate:
      // Keys released in another program never reach us.
      in_ = InputState{};
      p_.input.cancel();
      break;
    case QEvent::WindowBlocked: case QEvent::WindowUnblocked:
      // A modal dialog (a native one included) may take a key's release.
      clearHeldKeys();
      break;
    default: break;
  }
  if (watched != viewport_) return false;
  switch (event->type()) {
    case QEvent::MouseButtonPress: case QEvent::MouseButtonRelease: case QEvent::MouseMove:
      return mouse(event);
    case QEvent::TabletPress: case QEvent::TabletRelease: case QEvent::TabletMove:
      return tablet(event);
    default: return false;
  }
}

bool PaintInput::mouse(QEvent* event) {
  auto* e = static_cast<QMouseEvent*>(event);
  in_.clientX = e->position().x();
  in_.clientY = e->position().y();
  in_.pressure = 1.0f;
  in_.overClient = viewport_->rect().contains(e->position().toPoint());
  in_.timeMs = uint64_t(clock_.elapsed());
  in_.ctrl = e->modifiers() & Qt::ControlModifier;
  in_.shift = e->modifiers() & Qt::ShiftModifier;
  in_.alt = e->modifiers() & Qt::AltModifier;
  const int button = buttonOf(e->button());
  if (event->type() == QEvent::MouseMove) {
    p_.input.move(kSourceMouse, in_);
  } else if (button >= 0 && event->type() == QEvent::MouseButtonPress) {
    p_.input.press(button, kSourceMouse, in_);
  } else if (button >= 0) {
    p_.input.release(button, kSourceMouse, in_);
    if (afterInput) afterInput();
  }
  updateCursor();
  return false;   // the canvas still shows the position
}

bool PaintInput::tablet(QEvent* event) {
  // Without the tablet Qt turns the pen into mouse events at pressure 1.
  if (!tabletEnabled) return false;
  auto* e = static_cast<QTabletEvent*>(event);
  if (tabletSettings) tabletSettings(tablet_.packets);
  // The system cursor sits on the whole pixel under the pen; the mode that
  // takes positions from the cursor uses it.
  const QPointF cursor = viewport_->mapFromGlobal(e->globalPosition());
  in_.clientX = std::floor(cursor.x());
  in_.clientY = std::floor(cursor.y());
  in_.overClient = viewport_->rect().contains(e->position().toPoint());
  in_.timeMs = uint64_t(clock_.elapsed());
  in_.ctrl = e->modifiers() & Qt::ControlModifier;
  in_.shift = e->modifiers() & Qt::ShiftModifier;
  in_.alt = e->modifiers() & Qt::AltModifier;
  tablet_.handle(*e, in_, viewport_->mapToGlobal(QPointF(0, 0)), tabletTarget_);
  event->accept();
  updateCursor();
  return true;
}

void PaintInput::clearHeldKeys() {
  in_.space = in_.backspace = in_.enter = false;
  std::fill(std::begin(in_.keyAction), std::end(in_.keyAction), false);
}

bool PaintInput::key(QEvent* event) {
  auto* e = static_cast<QKeyEvent*>(event);
  if (composing_ || e->isAutoRepeat() ||
      (event == lastKey_ && event->type() == lastKeyType_ && e->timestamp() == lastKeyTime_))
    return false;
  lastKey_ = event;
  lastKeyType_ = event->type();
  lastKeyTime_ = e->timestamp();
  const bool down = event->type() == QEvent::KeyPress;
  switch (e->key()) {
    case Qt::Key_Space: in_.space = down; break;
    case Qt::Key_Backspace: in_.backspace = down; break;
    case Qt::Key_Return: case Qt::Key_Enter: in_.enter = down; break;
    default: break;
  }
  const int vk = virtualKeyFor(e->key(), e->modifiers() & Qt::KeypadModifier);
  for (int a = 0; a < kKeyActionCount && vk != 0; ++a)
    if (keys_.keyFor(kHeldKeyGroup, a) == vk) in_.keyAction[a] = down;
  if (down && p_.input.dragging()) {
    if (e->key() == Qt::Key_Escape || e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)
      p_.input.finishKey(false);
    else if (e->key() == Qt::Key_Backspace)
      p_.input.finishKey(true);
  }
  return false;
}

void PaintInput::updateCursor() {
  Qt::CursorShape shape = Qt::CrossCursor;
  switch (p_.input.state()) {
    case DragState::Pan: shape = Qt::ClosedHandCursor; break;
    case DragState::LayerMove: case DragState::SelectionMove: shape = Qt::SizeAllCursor; break;
    case DragState::SizeDrag: shape = Qt::SizeHorCursor; break;
    case DragState::SelectionResize: shape = handleCursor(p_.input.subMode(), p_.input.view().mirrored()); break;
    default:
      if (in_.space) {
        shape = Qt::OpenHandCursor;
      } else if (p_.input.state() == DragState::Idle && p_.input.hoveredHandle() != kHandleNone) {
        shape = handleCursor(p_.input.hoveredHandle(), p_.input.view().mirrored());
      } else {
        shape = cursorShapeOf(toolTraits(p_.draw.toolNo).cursor);
      }
      break;
  }
  viewport_->setCursor(shape);
}

}  // namespace tessel

namespace tessel {

void installPainting(MainWindow& window, Application& app, QWidget* toolsWindow,
                     QWidget* optionsWindow, QWidget* canvasViewport, const char* const* toolNames) {
  PaintingTools& p = app.painting;
  auto* toolsLayout = new QVBoxLayout(toolsWindow);
  toolsLayout->setContentsMargins(0, 0, 0, 0);
  auto* tools = new ToolsPanel(app.icons, toolNames, toolsWindow);
  toolsLayout->addWidget(tools);
  auto* optionsLayout = new QVBoxLayout(optionsWindow);
  optionsLayout->setContentsMargins(0, 0, 0, 0);
  auto* scroll = new ContentsScrollArea(optionsWindow);
  auto* content = new QWidget(scroll);
  auto* contentLayout = new QVBoxLayout(content);
  contentLayout->setContentsMargins(0, 0, 0, 0);
  auto* options = new ToolOptionsPanel(p, content);
  auto* colours = new ColourPanel(p.draw, content);
  contentLayout->addWidget(colours);
  contentLayout->addWidget(options);
  scroll->setWidget(content);
  optionsLayout->addWidget(scroll);
  // Once the hidden rows have left the layouts.
  QObject::connect(options, &ToolOptionsPanel::rowsChanged, optionsWindow, [optionsWindow, scroll] {
    QTimer::singleShot(0, optionsWindow, [optionsWindow, scroll] {
      scroll->updateGeometry();   // its size hint follows the contents
      fitHeightToContents(optionsWindow);
    });
  });
  auto* input = new PaintInput(p, app.keys, canvasViewport);
  input->tabletEnabled = app.settings.tabletFlag & kTabletUse;
  input->tabletSettings = [&app, &p](TabletPackets& t) {
    t.flags = int32_t(app.settings.tabletFlag);
    t.taleTool = std::clamp(int(app.config.taleTool), 0, kToolCount - 1);
    t.tabSide[0] = p.options.tabSide[0];
    t.tabSide[1] = p.options.tabSide[1];
  };

  tools->setCurrent(p.draw.toolNo);
  QObject::connect(tools, &ToolsPanel::toolPicked, tools, [&p](int tool) { p.input.selectTool(tool); });
  p.input.hooks.toolChanged = [tools, options, &window](int tool) {
    tools->setCurrent(tool);
    options->refresh();
    window.refreshEnabled();   // a tool change drops a floating selection
  };
  p.input.hooks.colourChanged = [colours, options] {
    colours->refresh();
    options->refresh();
  };
  QObject::connect(colours, &ColourPanel::changed, options, &ToolOptionsPanel::refresh);
  p.input.hooks.bringToFront = [&window] { window.bringToFront(); };
  p.input.hooks.selectMenu = [&window](double, double) {
    const QList<QAction*> menus = window.menuBar()->actions();
    if (menus.size() > 2 && menus[2]->menu()) menus[2]->menu()->popup(QCursor::pos());
  };
  installTextDialog(app, &window, [&window] { window.refreshTitle(); });
  input->afterInput = [options, &window] {
    options->refresh();
    window.refreshTitle();
    window.refreshEnabled();
    window.refreshInfoBar();   // a finished drag's size leaves the status bar
  };
}

}  // namespace tessel
