#include "ui/info_bar.h"

#include <QFontMetrics>
#include <QPainter>

namespace tessel {

namespace {
// Field widths in characters and extra pixels: 25 characters + 32 pixels.
constexpr int kChars[3] = {10, 6, 9};
constexpr int kPixels[3] = {10, 10, 12};
}  // namespace

InfoBar::InfoBar(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFixedSize(sizeHint());
}

int InfoBar::charWidth() const { return fontMetrics().horizontalAdvance(QLatin1Char('A')); }

QSize InfoBar::sizeHint() const {
  return {25 * charWidth() + 32, fontMetrics().height() + 6};
}

void InfoBar::setText(const InfoBarText& text) {
  text_ = text;
  update();
}

void InfoBar::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), QColor(0xE0, 0xE0, 0xE0));
  p.setPen(Qt::black);
  p.drawRect(rect().adjusted(0, 0, -1, -1));
  const QString fields[3] = {QString::fromStdString(text_.position),
                             QString::fromStdString(text_.zoom),
                             QString::fromStdString(text_.size)};
  int x = 0;
  for (int i = 0; i < 3; ++i) {
    int w = kChars[i] * charWidth() + kPixels[i];
    if (i > 0) {
      p.setPen(QColor(0xA0, 0xA0, 0xA0));
      p.drawLine(x, 1, x, height() - 2);
    }
    p.setPen(i == 2 && text_.sizeIsDrag ? Qt::red : Qt::black);
    p.drawText(QRect(x + 4, 0, w - 6, height()), Qt::AlignVCenter | Qt::AlignLeft, fields[i]);
    x += w;
  }
}

}  // namespace tessel
