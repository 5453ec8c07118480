#include "ui/layer_panel.h"
#include "ui/ui_texts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSlider>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "app/application.h"
#include "app/commands/command_ids.h"
#include "app/ops/layer_ops.h"
#include "resources/menus.h"
#include "resources/strings.h"

namespace tessel {

namespace {

constexpr int kPanelWidth = 200;
constexpr int kPanelLowest = 200;
// The tool bar's commands, in button order.
constexpr int kToolCommands[9] = {cmd::kLayerNew,     cmd::kLayerClone,    cmd::kLayerDelete,
                                  cmd::kLayerMergeDown, cmd::kLayerUp,      cmd::kLayerDown,
                                  cmd::kLayerSettings,  cmd::kLayerShowAll, cmd::kLayerShowCurrent};

// Row texts through QPainter: each text is drawn into a transparent picture
// and laid over the row with its coverage.
class QtRowText : public RowTextPainter {
 public:
  QtRowText() {
    normal_.setFamilies({QStringLiteral("NSimSun"), QStringLiteral("SimSun"), QStringLiteral("Noto Sans CJK SC")});
    normal_.setPixelSize(11);
    small_ = normal_;
    small_.setPixelSize(10);
  }
  int textWidth(const std::string& s) override {
    return QFontMetrics(normal_).horizontalAdvance(QString::fromUtf8(s.c_str()));
  }
  void drawText(Image24& dst, const Rect& box, const std::string& s, uint32_t colour, bool small) override {
    if (box.w <= 0 || box.h <= 0) return;
    QImage img(box.w, box.h, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    {
      QPainter p(&img);
      QString text = QString::fromUtf8(s.c_str());
      // A text that would touch the next one (the opacity "100%" before the
      // blend mode) takes the small font.
      if (!small && QFontMetrics(normal_).horizontalAdvance(text) > box.w - 3) small = true;
      p.setFont(small ? small_ : normal_);
      p.setPen(QColor::fromRgb(QRgb(colour)));
      // One line always: a name too long even for the small font ends in "…"
      // rather than wrapping over the opacity row. Short texts are only clipped.
      if (small) text = QFontMetrics(p.font()).elidedText(text, Qt::ElideRight, box.w);
      p.drawText(QRect(0, 0, box.w, box.h), Qt::TextSingleLine | Qt::AlignLeft | Qt::AlignVCenter, text);
    }
    for (int y = 0; y < box.h; ++y) {
      const QRgb* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
      for (int x = 0; x < box.w; ++x) {
        const int a = qAlpha(line[x]);
        if (!a) continue;
        const uint32_t e = dst.getPixel(box.x + x, box.y + y);
        auto mix = [&](int shift, int premultiplied) {
          return uint32_t(premultiplied + ((int(e >> shift) & 255) * (255 - a)) / 255) << shift;
        };
        const QRgb c = line[x];
        dst.setPixel(box.x + x, box.y + y, mix(16, qRed(c)) | mix(8, qGreen(c)) | mix(0, qBlue(c)));
      }
    }
  }

 private:
  QFont normal_, small_;
};

// Small line pictures for the tool bar (12 x 12) and the mask buttons (19 x 17).
QIcon toolIcon(int n) {
  QPixmap pm(12, 12);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setPen(Qt::black);
  const QColor blue(0x00, 0x20, 0x80);
  auto box = [&](int x, int y, bool filled) {
    if (filled) {
      p.fillRect(x, y, 4, 4, blue);
    } else {
      p.drawRect(x, y, 3, 3);
    }
  };
  switch (n) {
    case 0:   // new
      p.fillRect(2, 1, 8, 10, Qt::white);
      p.drawRect(2, 1, 7, 9);
      break;
    case 1:   // clone
      p.drawRect(1, 1, 6, 6);
      p.fillRect(4, 4, 7, 7, Qt::white);
      p.drawRect(4, 4, 6, 6);
      break;
    case 2:   // delete
      p.drawLine(2, 2, 9, 9);
      p.drawLine(9, 2, 2, 9);
      break;
    case 3:   // merge down
      p.drawLine(5, 1, 5, 7);
      p.drawLine(2, 4, 5, 7);
      p.drawLine(8, 4, 5, 7);
      p.drawLine(1, 10, 10, 10);
      break;
    case 4:   // up
    case 5:   // down
      p.setBrush(Qt::black);
      p.drawPolygon(n == 4 ? QPolygon({QPoint(6, 2), QPoint(1, 9), QPoint(10, 9)})
                           : QPolygon({QPoint(6, 9), QPoint(1, 2), QPoint(10, 2)}));
      break;
    case 6:   // settings
      p.drawRect(1, 1, 9, 9);
      p.drawLine(3, 4, 8, 4);
      p.drawLine(3, 7, 8, 7);
      break;
    default:   // 7 all visible, 8 only the current one
      box(1, 1, n == 7);
      box(7, 1, true);
      box(1, 7, n == 7);
      box(7, 7, n == 7);
      break;
  }
  return QIcon(pm);
}

QIcon maskIcon(int mode) {
  QPixmap pm(15, 13);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  switch (mode) {
    case 1:
      for (int y = 0; y < 13; y += 3)
        for (int x = (y / 3) % 2 * 3; x < 15; x += 6) p.fillRect(x, y, 3, 3, QColor(0xC8, 0xC8, 0xC8));
      break;
    case 2: p.fillRect(1, 1, 13, 11, QColor(0x50, 0x50, 0x50)); break;
    case 3: {
      QLinearGradient g(0, 0, 15, 0);
      g.setColorAt(0, Qt::white);
      g.setColorAt(1, Qt::black);
      p.fillRect(1, 1, 13, 11, g);
      break;
    }
    default: break;
  }
  p.setPen(Qt::black);
  p.drawRect(0, 0, 14, 12);
  return QIcon(pm);
}

}  // namespace

// ---------------------------------------------------------------------------
// The list

LayerListView::LayerListView(LayerPanel& panel, LayerPanelModel& model, QWidget* parent)
    : QWidget(parent), panel_(panel), model_(model) {
  setObjectName(QStringLiteral("LayerView"));
  setAttribute(Qt::WA_OpaquePaintEvent);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  setMinimumHeight(layer_row::kHeight);
  setMouseTracking(true);   // moves reach the model; it ignores them unless a row is held
}

void LayerListView::paintEvent(QPaintEvent*) {
  const Image24& b = model_.buffer;
  QPainter p(this);
  if (!b.valid()) {
    p.fillRect(rect(), QColor(0x80, 0x80, 0x80));
    return;
  }
  // The buffer lies bottom-up in memory: read it as it is and turn it over.
  QImage raw(b.bits(), b.width(), b.height(), b.pitch(), QImage::Format_BGR888);
  p.drawImage(0, 0, raw.mirrored(false, true));
}

void LayerListView::resizeEvent(QResizeEvent*) { panel_.listResized(); }

void LayerListView::mousePressEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  if (event->button() == Qt::RightButton) {
    int index = model_.layerAt(pos.y());
    if (index >= 0) panel_.openRowMenu(index, event->globalPosition().toPoint());
    return;
  }
  if (event->button() != Qt::LeftButton) return;
  const bool ctrl = event->modifiers() & Qt::ControlModifier;
  LayerPanelModel::Press press = model_.press(pos.x(), pos.y(), ctrl);
  panel_.afterPress(press);
  if (press == LayerPanelModel::Press::Selected && ctrl) panel_.afterDrop(true);   // only this layer shows
  update();
}

void LayerListView::mouseMoveEvent(QMouseEvent* event) {
  if (model_.drag() == LayerPanelModel::Drag::Idle) return;
  const bool changed = model_.move(event->position().toPoint().x(), event->position().toPoint().y());
  if (model_.drag() == LayerPanelModel::Drag::Moving) setCursor(Qt::SplitVCursor);
  if (changed) update();
}

void LayerListView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  unsetCursor();
  const bool moved = model_.release();
  update();
  if (moved) panel_.afterDrop(true);
}

void LayerListView::mouseDoubleClickEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  if (event->button() != Qt::LeftButton) return;
  if (LayerPanelModel::onVisibleBox(pos.x(), pos.y()) || LayerPanelModel::onFillBox(pos.x(), pos.y())) return;
  if (model_.layerAt(pos.y()) < 0) return;
  model_.cancelDrag();
  panel_.runCommand(cmd::kLayerSettings);
}

void LayerListView::wheelEvent(QWheelEvent* event) {
  const int steps = event->angleDelta().y() / 120;
  if (steps) panel_.scrollBy(-steps);
}

// ---------------------------------------------------------------------------
// The panel

LayerPanel::LayerPanel(Application& app, QWidget* parent)
    : QWidget(parent), app_(app), text_(std::make_unique<QtRowText>()), model_(app.document) {
  setObjectName(QStringLiteral("layerPanel"));
  model_.text = text_.get();
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 0, 2, 2);
  layout->setSpacing(2);
  buildTop();
  auto* listRow = new QHBoxLayout;
  listRow->setSpacing(0);
  list_ = new LayerListView(*this, model_, this);
  scroll_ = new QScrollBar(Qt::Vertical, this);
  listRow->addWidget(list_);
  listRow->addWidget(scroll_);
  layout->addLayout(listRow, 1);
  connect(scroll_, &QScrollBar::valueChanged, this, [this](int v) {
    model_.setFirst(v);
    list_->update();
  });
  syncControls();
}

LayerPanel::~LayerPanel() = default;

void LayerPanel::buildTop() {
  auto* layout = static_cast<QVBoxLayout*>(this->layout());
  // The panel's own menu.
  auto* bar = new QMenuBar(this);
  bar->setNativeMenuBar(false);
  QMenu* menu = bar->addMenu(trq(text::kLayerMenu));
  for (const MenuEntry& e : layerPanelMenu()) {
    if (e.kind == MenuKind::Separator) menu->addSeparator();
    if (e.kind != MenuKind::Item) continue;
    const int id = e.id;
    menu->addAction(trq(e.label), this, [this, id] { runCommand(id); });
  }
  layout->addWidget(bar);
  // Tool bar.
  auto* tools = new QHBoxLayout;
  tools->setSpacing(1);
  for (int n = 0; n < 9; ++n) {
    auto* b = new QToolButton(this);
    b->setIcon(toolIcon(n));
    b->setIconSize(QSize(12, 12));
    b->setFixedSize(18, 18);
    b->setAutoRaise(true);
    b->setToolTip(trq(text::kLayerToolTips[n]));
    const int id = kToolCommands[n];
    connect(b, &QToolButton::clicked, this, [this, id] { runCommand(id); });
    tools->addWidget(b);
    tools_[size_t(n)] = b;
  }
  tools->addStretch(1);
  layout->addLayout(tools);
  // The current layer's mode, opacity, fill reference and mask mode.
  blend_ = new QComboBox(this);
  for (const char* name : text::kBlendModeNames) blend_->addItem(trq(name));
  connect(blend_, &QComboBox::activated, this, [this](int mode) {
    app_.document.setBlendMode(mode);
    app_.view.refreshAll();
    redrawCurrentRow();
  });
  layout->addWidget(blend_);
  auto* opacityRow = new QHBoxLayout;
  opacity_ = new QSlider(Qt::Horizontal, this);
  opacity_->setRange(0, 100);
  percent_ = new QLabel(this);
  percent_->setFixedWidth(34);
  connect(opacity_, &QSlider::valueChanged, this, [this](int v) {
    percent_->setText(QString::asprintf("%d%%", v));
    if (opacity_->signalsBlocked()) return;
    app_.document.setOpacityPercent(v);
    redrawCurrentRow();
    if (!opacity_->isSliderDown()) app_.view.refreshAll();
  });
  connect(opacity_, &QSlider::sliderReleased, this, [this] { app_.view.refreshAll(); });
  opacityRow->addWidget(opacity_);
  opacityRow->addWidget(percent_);
  layout->addLayout(opacityRow);
  auto* maskRow = new QHBoxLayout;
  fillReference_ = new QCheckBox(trq(text::kFillReference), this);
  connect(fillReference_, &QCheckBox::clicked, this, [this] {
    app_.document.toggleFillReference(app_.document.currentIndex());
    redrawCurrentRow();
  });
  maskRow->addWidget(fillReference_);
  maskRow->addStretch(1);
  maskRow->setSpacing(0);
  for (int n = 0; n < 4; ++n) {
    auto* b = new QToolButton(this);
    b->setIcon(maskIcon(n));
    b->setIconSize(QSize(15, 13));
    b->setFixedSize(19, 17);
    b->setToolTip(trq(text::kMaskModeNames[n]));
    connect(b, &QToolButton::clicked, this, [this, n] { setMaskMode(n); });
    maskRow->addWidget(b);
    if (n < 3) maskRow->addSpacing(-1);   // 18-pixel pitch
    masks_[size_t(n)] = b;
  }
  layout->addLayout(maskRow);
}

Shell* LayerPanel::shell() const { return app_.shell(); }

void LayerPanel::runCommand(int id) {
  if (Shell* s = shell()) runLayerCommand(app_, *s, id);
}

void LayerPanel::refresh(int index) {
  if (index < 0) {
    model_.rebuild();
    syncScrollBar();
    syncControls();
  } else {
    model_.redrawLayer(index);
    if (index == app_.document.currentIndex()) syncControls();
  }
  list_->update();
}

void LayerPanel::afterPress(LayerPanelModel::Press press) {
  switch (press) {
    case LayerPanelModel::Press::ToggledVisible:
      app_.view.refreshAll();
      if (Shell* s = shell()) s->refreshNavigator();
      break;
    case LayerPanelModel::Press::ToggledFill:
    case LayerPanelModel::Press::Selected:
      syncControls();
      break;
    default:
      break;
  }
}

void LayerPanel::afterDrop(bool moved) {
  if (!moved) return;
  if (Shell* s = shell()) refreshAfterLayerChange(app_, *s);
  else refresh(-1);
}

QMenu* LayerPanel::rowMenu(int index) {
  delete rowMenu_;
  rowMenu_ = new QMenu(this);
  rowMenu_->addAction(trq(text::kLayerSettingsTitle), this, [this, index] {
    if (Shell* s = shell()) layerSettings(app_, *s, index);
  });
  QMenu* ops = rowMenu_->addMenu(trq(text::kAlphaOpsMenu));
  for (int op = 0; op < 4; ++op) {
    ops->addAction(trq(text::kAlphaOps[op]), this, [this, index, op] {
      if (Shell* s = shell()) layerAlphaOperation(app_, *s, index, AlphaOperation(op));
    });
  }
  return rowMenu_;
}

void LayerPanel::openRowMenu(int index, const QPoint& globalPos) { rowMenu(index)->popup(globalPos); }

void LayerPanel::scrollBy(int rows) { scroll_->setValue(scroll_->value() + rows); }

void LayerPanel::listResized() {
  model_.setSize(list_->width(), list_->height());
  syncScrollBar();
  list_->update();
}

void LayerPanel::syncScrollBar() {
  const QSignalBlocker block(scroll_);
  scroll_->setRange(0, model_.maxFirst());
  scroll_->setPageStep(model_.pageRows());
  scroll_->setValue(model_.first());
}

void LayerPanel::syncControls() {
  const Layer* layer = app_.document.currentLayer();
  if (!layer) return;
  {
    const QSignalBlocker b1(blend_), b2(opacity_), b3(fillReference_);
    blend_->setCurrentIndex(layer->blendMode);
    opacity_->setValue(percentFromOpacity(layer->opacity));
    fillReference_->setChecked(layer->fillReference());
  }
  percent_->setText(QString::asprintf("%d%%", opacity_->value()));   // valueChanged was blocked
  for (int n = 0; n < 4; ++n) {
    const bool on = n == layer->maskMode;
    masks_[size_t(n)]->setStyleSheet(on ? QStringLiteral("background:#53FFAF;border:1px solid gray")
                                        : QStringLiteral("background:white;border:1px solid gray"));
  }
}

void LayerPanel::redrawCurrentRow() {
  model_.redrawLayer(app_.document.currentIndex());
  list_->update();
}

void LayerPanel::setMaskMode(int mode) {
  app_.document.setMaskMode(mode);
  syncControls();
  redrawCurrentRow();
}

LayerPanel* buildLayerPanel(Application& app, QWidget* panelWindow) {
  auto* layout = new QVBoxLayout(panelWindow);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* panel = new LayerPanel(app, panelWindow);
  layout->addWidget(panel);
  // The width stays; the height can change but not below 200.
  panelWindow->setFixedWidth(kPanelWidth);
  panelWindow->setMinimumHeight(kPanelLowest);
  panelWindow->resize(kPanelWidth, std::max(kPanelLowest, app.settings.layerHeight));
  return panel;
}

}  // namespace tessel
