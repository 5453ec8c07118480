#include "ui/text_dialog.h"
#include "ui/ui_texts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "app/application.h"
#include "draw/input/canvas_input_setup.h"
#include "platform/font_list.h"
#include "platform/freetype_glyphs.h"
#include "ui/canvas_widget.h"

namespace tessel {

namespace {

constexpr int kTypingPauseMs = 20;
constexpr int kAnchorGap = 24;   // between the anchor and the dialog's frame

QSpinBox* spinBox(int low, int high, QWidget* parent) {
  auto* s = new QSpinBox(parent);
  s->setRange(low, high);
  return s;
}

// The screen's logical resolution, as the font height is reckoned.
int screenDpi() {
  QScreen* screen = QGuiApplication::primaryScreen();
  return screen ? std::max(1, int(screen->logicalDotsPerInchY() + 0.5)) : 96;
}

}  // namespace

TextDialog::TextDialog(PaintingTools& painting, Settings& config, QWidget* parent)
    : QDialog(parent), p_(painting), config_(config) {
  setWindowTitle(trq("文字"));
  setModal(false);
  build();
  kept_.clear();
  p_.text.fontMaker = [this](const TextSettings& s) -> std::unique_ptr<GlyphSource> {
    std::string used;
    auto glyphs = FreeTypeGlyphs::open(s, s.pixelSize(screenDpi()), &used);
    used_->setText(glyphs ? trq("使用字体: ") + QString::fromStdString(used)
                          : trq("没有可用的字体"));
    return glyphs;
  };
}

TextDialog::~TextDialog() {
  p_.text.fontMaker = nullptr;
  p_.text.opened = nullptr;
  p_.input.hooks.placeText = [&text = p_.text](Point anchor) { return text.place(anchor); };
}

void TextDialog::build() {
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  face_ = new QComboBox(this);
  for (const FontFamily& f : fontFamilies()) face_->addItem(QString::fromStdString(f.name), f.charSet);
  size_ = spinBox(1, 1000, this);
  charSpace_ = spinBox(-500, 1000, this);
  lineSpace_ = spinBox(-500, 1000, this);
  form->addRow(trq("字体"), face_);
  used_ = new QLabel(this);
  form->addRow(QString(), used_);
  form->addRow(trq("大小"), size_);
  form->addRow(trq("字间距"), charSpace_);
  form->addRow(trq("行间距"), lineSpace_);
  layout->addLayout(form);
  auto* checks = new QHBoxLayout;
  bold_ = new QCheckBox(trq("粗体"), this);
  italic_ = new QCheckBox(trq("斜体"), this);
  vertical_ = new QCheckBox(trq("竖排"), this);
  antiAlias_ = new QCheckBox(trq("抗锯齿"), this);
  preview_ = new QCheckBox(trq("预览"), this);
  for (QCheckBox* c : {bold_, italic_, vertical_, antiAlias_, preview_}) checks->addWidget(c);
  layout->addLayout(checks);
  edit_ = new QPlainTextEdit(this);
  edit_->setFont(QFont(QStringLiteral("Tahoma"), 9));
  edit_->installEventFilter(this);
  layout->addWidget(edit_);
  layout->addWidget(new QLabel(trq("文本框内Alt+方向键 : 文字位置1px微移"), this));
  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(trq("确定"), QDialogButtonBox::AcceptRole);
  buttons->addButton(trq("取消"), QDialogButtonBox::RejectRole);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  typing_ = new QTimer(this);
  typing_->setSingleShot(true);
  typing_->setInterval(kTypingPauseMs);
  connect(typing_, &QTimer::timeout, this, [this] { changed(false); });
  connect(edit_, &QPlainTextEdit::textChanged, typing_, qOverload<>(&QTimer::start));
  auto fontChange = [this] { changed(true); };
  auto layoutChange = [this] { changed(false); };
  connect(face_, &QComboBox::currentIndexChanged, this, fontChange);
  connect(size_, &QSpinBox::valueChanged, this, fontChange);
  connect(bold_, &QCheckBox::toggled, this, fontChange);
  connect(italic_, &QCheckBox::toggled, this, fontChange);
  // Orientation and format are part of the glyph source too.
  connect(vertical_, &QCheckBox::toggled, this, fontChange);
  connect(antiAlias_, &QCheckBox::toggled, this, fontChange);
  connect(charSpace_, &QSpinBox::valueChanged, this, layoutChange);
  connect(lineSpace_, &QSpinBox::valueChanged, this, layoutChange);
  connect(preview_, &QCheckBox::toggled, this, layoutChange);
}

QCheckBox* TextDialog::check(uint32_t flag) const {
  switch (flag) {
    case kTextBold: return bold_;
    case kTextItalic: return italic_;
    case kTextVertical: return vertical_;
    case kTextAntiAlias: return antiAlias_;
    default: return preview_;
  }
}

void TextDialog::fill(const TextSettings& s) {
  filling_ = true;
  QString face = QString::fromStdString(s.face);
  int index = face_->findText(face);
  if (index < 0) {
    // A face that is not installed stays chosen; fontconfig stands in for it.
    face_->insertItem(0, face, s.charSet);
    index = 0;
  }
  face_->setCurrentIndex(index);
  size_->setValue(std::max(s.size, 1));
  charSpace_->setValue(s.charSpace);
  lineSpace_->setValue(s.lineSpace);
  for (uint32_t flag : {kTextBold, kTextItalic, kTextVertical, kTextAntiAlias, kTextPreview})
    check(flag)->setChecked(s.flags & flag);
  QString text = QString::fromStdU16String(kept_);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  edit_->setPlainText(text);
  filling_ = false;
}

TextSettings TextDialog::current() const {
  TextSettings s;
  s.face = face_->currentText().toStdString().substr(0, kFaceNameBytes);
  s.charSet = face_->currentData().toInt() == 2 ? 2 : 1;
  s.size = size_->value();
  s.charSpace = charSpace_->value();
  s.lineSpace = lineSpace_->value();
  s.flags = 0;
  for (uint32_t flag : {kTextBold, kTextItalic, kTextVertical, kTextAntiAlias, kTextPreview})
    if (check(flag)->isChecked()) s.flags |= flag;
  return s;
}

// Lines end in CR LF as the renderer expects.
std::u16string TextDialog::text() const {
  QString t = edit_->toPlainText();
  t.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
  return t.left(kTextMaxUnits).toStdU16String();
}

void TextDialog::changed(bool fontChanged) {
  if (filling_ || !p_.text.active()) return;
  p_.text.preview(current(), text(), fontChanged);
}

QPoint besideText(QSize frame, const QRect& text, const QRect& screen) {
  auto clampInto = [](int v, int low, int size, int extent) {
    return std::max(low, std::min(v, low + extent - size));
  };
  const int w = frame.width(), h = frame.height();
  const int y = clampInto(text.top(), screen.top(), h, screen.height());
  const int x = clampInto(text.left(), screen.left(), w, screen.width());
  const int right = text.right() + 1 + kAnchorGap, left = text.left() - kAnchorGap - w;
  const int below = text.bottom() + 1 + kAnchorGap, above = text.top() - kAnchorGap - h;
  if (right + w <= screen.right() + 1) return {right, y};
  if (left >= screen.left()) return {left, y};
  if (below + h <= screen.bottom() + 1) return {x, below};
  if (above >= screen.top()) return {x, above};
  // The text fills the screen: at least keep the dialog on it.
  return {clampInto(right, screen.left(), w, screen.width()), y};
}

void TextDialog::keepClearOfText(bool always) {
  if (!imageToScreen) return;
  // The preview, or before there is one a character's box at the anchor.
  const Point anchor = p_.text.anchor();
  const int em = current().pixelSize(screenDpi());
  Rect text = p_.text.previewRect();
  if (text.empty()) text = {anchor.x, anchor.y, 1, 1};
  const int left = std::min(text.x, anchor.x - em), top = std::min(text.y, anchor.y);
  const int right = std::max(text.right(), anchor.x + em), bottom = std::max(text.bottom(), anchor.y + em);
  std::optional<QPoint> a = imageToScreen(left, top), b = imageToScreen(right, bottom);
  if (!a || !b) return;
  const QRect clear = QRect(*a, *b).normalized();   // a mirrored view swaps the corners
  QScreen* screen = QGuiApplication::screenAt(clear.center());
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (!screen) return;
  const QRect area = screen->availableGeometry();
  // Before the first show the window system has not framed the dialog yet.
  const QSize frame = isVisible() ? frameGeometry().size() : sizeHint() + QSize(8, 32);
  const QRect now(pos(), frame);
  if (!always && area.contains(now) && !now.intersects(clear)) return;
  move(besideText(frame, clear, area));
}

void TextDialog::start() {
  fill(TextSettings::from(config_));
  // The remembered place is kept while it leaves the text in sight.
  const bool remembered = config_.textWinX != -1 || config_.textWinY != -1;
  if (remembered) move(config_.textWinX, config_.textWinY);
  // The canvas took the mouse at the press; the dialog needs it once the
  // press is over.
  QTimer::singleShot(0, this, [] {
    if (QWidget* grabber = QWidget::mouseGrabber()) grabber->releaseMouse();
  });
  show();
  raise();
  activateWindow();
  edit_->setFocus();
  p_.text.preview(current(), text(), true);
  keepClearOfText(!remembered);
}

// OK and Cancel keep the settings, the text and the position, then finish.
void TextDialog::done(int result) {
  typing_->stop();
  if (p_.text.active()) {
    TextSettings s = current();
    s.storeInto(config_);
    kept_ = text();
    config_.textWinX = pos().x();
    config_.textWinY = pos().y();
    QDialog::done(result);
    p_.text.preview(s, kept_, false);
    p_.finishText(result == QDialog::Accepted);
    if (afterFinish) afterFinish();
    // The keys (Ctrl+Z first of all) go back to the main window.
    if (QWidget* main = parentWidget()) main->activateWindow();
    return;
  }
  QDialog::done(result);
}

bool TextDialog::eventFilter(QObject* watched, QEvent* event) {
  if (watched == edit_ && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->modifiers() & Qt::AltModifier) {
      int dx = 0, dy = 0;
      switch (key->key()) {
        case Qt::Key_Left: dx = -1; break;
        case Qt::Key_Right: dx = 1; break;
        case Qt::Key_Up: dy = -1; break;
        case Qt::Key_Down: dy = 1; break;
        default: return QDialog::eventFilter(watched, event);
      }
      p_.text.nudge(dx, dy);
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

TextDialog* installTextDialog(Application& app, QWidget* parent, std::function<void()> afterFinish) {
  auto* dialog = new TextDialog(app.painting, app.config, parent);
  dialog->afterFinish = std::move(afterFinish);
  dialog->imageToScreen = [&app, parent](int x, int y) -> std::optional<QPoint> {
    auto* canvas = parent ? parent->findChild<CanvasWidget*>() : nullptr;
    if (!canvas) return std::nullopt;
    Point view = app.view.viewFromImage(x, y);
    return canvas->viewport()->mapToGlobal(QPoint(view.x, view.y));
  };
  app.painting.text.opened = [dialog] { dialog->start(); };
  // A press on the canvas moves the text; the dialog keeps the focus.
  auto& hook = app.painting.input.hooks.placeText;
  hook = [place = hook, dialog](Point anchor) {
    bool placed = place && place(anchor);
    if (dialog->isVisible())
      QTimer::singleShot(0, dialog, [dialog] {
        dialog->keepClearOfText();
        dialog->raise();
        dialog->activateWindow();
      });
    return placed;
  };
  return dialog;
}

}  // namespace tessel
