#include "ui/filter_dialog.h"
#include "ui/ui_texts.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <QPushButton>
#include <QToolButton>
#include <cstring>

#include "app/ops/filter_ops.h"
#include "document/document.h"

namespace tessel {

namespace {

constexpr QRgb kCheckLight = 0xFFE0E0E0, kCheckDark = 0xFFB0B0B0;
constexpr int kCheckCell = 8;
constexpr int kArrowWidth = 12;

QRect qrect(const Rect& r) { return QRect(r.x, r.y, r.w, r.h); }
QString q(const std::string& s) { return QString::fromUtf8(s.data(), int(s.size())); }

// A part of an image as a straight-alpha QImage.
QImage toQImage(const Image32& image, const Rect& r) {
  QImage out(r.w, r.h, QImage::Format_ARGB32);
  for (int y = 0; y < r.h; ++y)
    std::memcpy(out.scanLine(y), image.row(r.y + y) + r.x, size_t(r.w) * 4);
  return out;
}

}  // namespace

DialogMetrics dialogMetrics(const QFont& font) {
  QFontMetrics fm(font);
  DialogMetrics m;
  // Base units as the window system derives them: the average width of the
  // Latin letters and the character height.
  m.baseX = (fm.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) / 26 + 1) / 2;
  m.baseY = fm.height();
  m.textWidth = [fm](const std::string& s) { return fm.horizontalAdvance(q(s)); };
  return m;
}

FilterSlider::FilterSlider(const SliderLimits& limits, int value, QWidget* parent)
    : QWidget(parent), limits_(limits), value_(value) {}

void FilterSlider::setValue(int value) {
  if (value == value_) return;
  value_ = value;
  update();
}

// The filled part of the track and a solid thumb show the value at a glance.
void FilterSlider::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QPalette& pal = palette();
  int w = width(), h = height();
  int trackBottom = h - 5;
  p.fillRect(rect(), pal.window());
  p.setPen(pal.color(QPalette::Dark));
  p.setBrush(pal.base());
  p.drawRect(2, 1, w - 5, trackBottom - 1);
  int x = sliderValueX(limits_, value_, w);
  p.fillRect(QRect(QPoint(3, 2), QPoint(std::max(3, x), trackBottom - 1)), pal.highlight());
  int mark = sliderMarkX(limits_, w);
  if (mark >= 0) {
    p.setPen(QPen(pal.color(QPalette::Text), 1, Qt::DotLine));
    p.drawLine(mark, 2, mark, trackBottom - 1);
  }
  const QColor thumb = pal.color(QPalette::Text);
  p.fillRect(QRect(x - 2, 0, 5, trackBottom + 1), thumb);
  p.setPen(thumb);
  for (int row = 0; row < 4; ++row) p.drawLine(x - row, trackBottom + 1 + row, x + row, trackBottom + 1 + row);
}

void FilterSlider::track(int mouseX) {
  int v = sliderValueAt(limits_, mouseX, width());
  if (v == value_) return;
  setValue(v);
  emit dragged(v);
}

void FilterSlider::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  pressed_ = true;
  track(int(e->position().x()));
}

void FilterSlider::mouseMoveEvent(QMouseEvent* e) {
  if (pressed_) track(int(e->position().x()));
}

void FilterSlider::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton || !pressed_) return;
  pressed_ = false;
  emit released();
}

FilterPreviewBox::FilterPreviewBox(FilterPreviewSession& session, QWidget* parent)
    : QWidget(parent), session_(session) {
  setCursor(Qt::OpenHandCursor);
}

void FilterPreviewBox::paintEvent(QPaintEvent*) {
  QPainter p(this);
  for (int y = 0; y < height(); y += kCheckCell)
    for (int x = 0; x < width(); x += kCheckCell)
      p.fillRect(x, y, kCheckCell, kCheckCell, ((x + y) / kCheckCell) % 2 ? kCheckDark : kCheckLight);
  const Rect& view = session_.boxView();
  if (view.empty() || !session_.workingCopy().valid()) return;
  // An image smaller than the box sits in its middle.
  p.drawImage((width() - view.w) / 2, (height() - view.h) / 2, toQImage(session_.workingCopy(), view));
}

void FilterPreviewBox::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  dragging_ = true;
  last_ = e->position().toPoint();
  setCursor(Qt::ClosedHandCursor);
}

void FilterPreviewBox::mouseMoveEvent(QMouseEvent* e) {
  if (!dragging_) return;
  QPoint now = e->position().toPoint();
  session_.scrollBox(last_.x() - now.x(), last_.y() - now.y());
  last_ = now;
  update();
}

void FilterPreviewBox::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton || !dragging_) return;
  dragging_ = false;
  setCursor(Qt::OpenHandCursor);
  emit dragEnded();
}

FilterParamsDialog::FilterParamsDialog(FilterDialogModel& model, FilterPreviewSession& session, QWidget* parent)
    : QDialog(parent), model_(model), session_(session) {
  setWindowTitle(q(model.setup().title));
  // SimSun where it is installed; else a CJK sans face (with Latin letters),
  // else the desktop's, never the serif that fontconfig falls back to.
  QFont font(QStringLiteral("SimSun"), 9);
  font.setFamilies({QStringLiteral("SimSun"), QStringLiteral("Noto Sans CJK SC"), QApplication::font().family()});
  setFont(font);
  model_.relayout(dialogMetrics(font));
  rows_.resize(model_.controls().size());
  if (!model_.previewBox().empty()) {
    box_ = new FilterPreviewBox(session_, this);
    box_->setGeometry(qrect(model_.previewBox()));
    connect(box_, &FilterPreviewBox::dragEnded, this, [this] { preview(); });
  }
  for (size_t i = 0; i < rows_.size(); ++i) buildControl(i);
  fitLists();
  buildButtons();
  setFixedSize(model_.width() + extraWidth_, model_.height());
  // The worker says it is done; the result is shown on this thread.
  session_.previewDone = [this] {
    QMetaObject::invokeMethod(this, [this] { previewFinished(); }, Qt::QueuedConnection);
  };
  preview();   // the first one, with the defaults
}

FilterParamsDialog::~FilterParamsDialog() {
  session_.cancelPreview();
  session_.previewDone = nullptr;
}

void FilterParamsDialog::buildControl(size_t i) {
  const DialogControl& c = model_.controls()[i];
  Row& row = rows_[i];
  if (c.record.kind != ControlKind::Check) {
    auto* label = new QLabel(q(c.label), this);
    label->setObjectName(QString::number(c.labelId));
    label->setGeometry(qrect(c.labelRect));
  }
  if (c.isSlider()) {
    addSlider(i, row);
  } else if (c.record.kind == ControlKind::Check) {
    row.check = new QCheckBox(q(c.label), this);
    row.check->setObjectName(QString::number(c.id));
    row.check->setChecked(c.value != 0);
    row.check->setGeometry(qrect(c.controlRect));
    connect(row.check, &QCheckBox::clicked, this, [this, i](bool on) {
      if (model_.setCheck(i, on)) preview();
    });
  } else {
    row.list = new QComboBox(this);
    row.list->setObjectName(QString::number(c.id));
    for (const std::string& item : c.items) row.list->addItem(q(item));
    row.list->setCurrentIndex(c.value);
    row.list->setGeometry(qrect(c.controlRect));
    row.list->setMaxVisibleItems(std::max(1, c.dropHeight / std::max(1, c.controlRect.h)));
    connect(row.list, &QComboBox::currentIndexChanged, this, [this, i](int item) {
      if (model_.setItem(i, item)) preview();
    });
  }
}

// A list as wide as its longest item (English items are longer than the
// template's room); the dialog grows to the right when one passes its edge.
void FilterParamsDialog::fitLists() {
  for (const Row& row : rows_) {
    if (!row.list || row.list->sizeHint().width() <= row.list->width()) continue;
    row.list->resize(row.list->sizeHint().width(), row.list->height());
    extraWidth_ = std::max(extraWidth_, row.list->geometry().right() + 1 + 10 - model_.width());
  }
}

void FilterParamsDialog::addSlider(size_t i, Row& row) {
  const DialogControl& c = model_.controls()[i];
  row.slider = new FilterSlider(c.limits, c.value, this);
  row.slider->setObjectName(QString::number(c.id));
  row.slider->setGeometry(qrect(c.controlRect));
  row.field = new QLineEdit(q(model_.fieldText(i)), this);
  row.field->setObjectName(QString::number(c.fieldId));
  Rect f = c.fieldRect;
  row.field->setReadOnly(c.decimal());
  connect(row.slider, &FilterSlider::dragged, this, [this, i](int v) {
    model_.setSlider(i, v);
    rows_[i].field->setText(q(model_.fieldText(i)));
  });
  connect(row.slider, &FilterSlider::released, this, [this] { preview(); });
  if (c.decimal()) {
    row.field->setGeometry(qrect(f));
    return;
  }
  // Up-down arrows at the field's right end, stepping by one within the limits.
  row.field->setGeometry(f.x, f.y, f.w - kArrowWidth, f.h);
  connect(row.field, &QLineEdit::textEdited, this, [this, i](const QString& text) {
    bool changed = false;
    if (!model_.typeNumber(i, text.toStdString(), &changed)) return;
    std::string shown = model_.fieldText(i);
    if (text.trimmed().toStdString() != shown) rows_[i].field->setText(q(shown));   // clamped
    rows_[i].slider->setValue(model_.controls()[i].value);
    if (changed) preview();
  });
  for (int dir : {1, -1}) {
    auto* arrow = new QToolButton(this);
    arrow->setArrowType(dir > 0 ? Qt::UpArrow : Qt::DownArrow);
    arrow->setAutoRepeat(true);
    arrow->setGeometry(f.x + f.w - kArrowWidth, dir > 0 ? f.y : f.y + f.h / 2, kArrowWidth, f.h - f.h / 2);
    connect(arrow, &QToolButton::clicked, this, [this, i, dir] {
      if (!model_.setSlider(i, model_.controls()[i].value + dir)) return;
      syncSlider(i);
      preview();
    });
  }
}

void FilterParamsDialog::buildButtons() {
  int top = model_.buttonsTop();
  int h = std::max(22, dialogMetrics(font()).y(14));
  previewCheck_ = new QCheckBox(trq("预览"), this);
  previewCheck_->setObjectName(QStringLiteral("1100"));
  previewCheck_->setGeometry(10, top, std::max(60, previewCheck_->sizeHint().width()), h);
  previewCheck_->setEnabled(model_.previewAvailable());
  previewCheck_->setChecked(model_.previewChecked);
  connect(previewCheck_, &QCheckBox::toggled, this, [this](bool on) {
    model_.previewChecked = on;
    if (on) {
      preview();
    } else {
      session_.restore();   // the canvas shows the layer as it was
      if (waiting_) QApplication::restoreOverrideCursor();
      waiting_ = false;
    }
  });
  int right = model_.width() + extraWidth_ - 10;
  auto button = [&](const char* text, int slot) {
    auto* b = new QPushButton(trq(text), this);
    b->setGeometry(right - (3 - slot) * 68, top, 64, h);
    return b;
  };
  QPushButton* ok = button("确定", 0);
  QPushButton* cancel = button("取消", 1);
  reset_ = button("恢复", 2);
  ok->setDefault(true);
  reset_->setEnabled(model_.setup().resetEnabled);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(reset_, &QPushButton::clicked, this, [this] {
    model_.reset();
    for (size_t i = 0; i < rows_.size(); ++i)
      if (rows_[i].slider) syncSlider(i);
    preview();
  });
}

void FilterParamsDialog::syncSlider(size_t i) {
  rows_[i].slider->setValue(model_.controls()[i].value);
  rows_[i].field->setText(q(model_.fieldText(i)));
}

// Previews run on a worker so that typing and dragging never wait for
// them; a newer value abandons the one still running.
void FilterParamsDialog::preview() {
  if (!model_.previewChecked) return;
  if (!waiting_) QApplication::setOverrideCursor(Qt::BusyCursor);
  waiting_ = true;
  session_.startPreview(model_.values());
}

void FilterParamsDialog::previewFinished() {
  if (!session_.previewReady()) return;   // abandoned, or a newer one runs
  session_.finishPreview();
  if (session_.previewRunning() || !waiting_) return;
  waiting_ = false;
  QApplication::restoreOverrideCursor();
  if (box_) box_->update();
}

void FilterParamsDialog::done(int result) {
  session_.cancelPreview();
  if (waiting_) QApplication::restoreOverrideCursor();
  waiting_ = false;
  QDialog::done(result);
  // Without a window manager nobody hands the focus back to the main window.
  if (QWidget* owner = parentWidget()) owner->activateWindow();
}

}  // namespace tessel
