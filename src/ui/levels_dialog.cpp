#include "ui/levels_dialog.h"
#include "ui/ui_texts.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <algorithm>

#include "app/ops/filter_ops.h"

namespace tessel {

namespace {

// Bars of the histogram, scaled to the tallest one, and the three input levels under it.
class HistogramView : public QWidget {
 public:
  HistogramView(const std::array<uint32_t, 256>& counts, const std::array<QSpinBox*, 5>& spins, QWidget* parent)
      : QWidget(parent), counts_(counts), spins_(spins) {
    setFixedSize(258, 110);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    p.setPen(Qt::black);
    p.drawRect(0, 0, width() - 1, 100);
    uint32_t top = std::max(1u, *std::max_element(counts_.begin(), counts_.end()));
    for (int i = 0; i < 256; ++i) {
      int h = int(uint64_t(counts_[size_t(i)]) * 98 / top);
      if (h > 0) p.drawLine(i + 1, 99, i + 1, 99 - h + 1);
    }
    const QColor marks[3] = {Qt::black, Qt::gray, Qt::white};
    for (int k = 0; k < 3; ++k) {
      int x = spins_[size_t(k)]->value() + 1;
      QPolygon wedge({QPoint(x, 102), QPoint(x - 4, 109), QPoint(x + 4, 109)});
      p.setBrush(marks[k]);
      p.setPen(Qt::black);
      p.drawPolygon(wedge);
    }
  }

 private:
  std::array<uint32_t, 256> counts_;
  const std::array<QSpinBox*, 5>& spins_;
};

void paintButton(QPushButton* b, Pixel colour) {
  b->setText(QString::asprintf("#%06X", colour & 0xFFFFFFu));
  b->setStyleSheet(QStringLiteral("background-color: #%1").arg(colour & 0xFFFFFFu, 6, 16, QLatin1Char('0')));
}

}  // namespace

LevelsDialog::LevelsDialog(const FilterValues& values, const std::array<uint32_t, 256>& histogram,
                           FilterPreviewSession& session, QWidget* parent)
    : QDialog(parent), session_(session) {
  setWindowTitle(trq("色阶"));
  auto* form = new QFormLayout(this);
  for (int i = 0; i < 5; ++i) {
    spins_[size_t(i)] = new QSpinBox(this);
    spins_[size_t(i)]->setRange(0, 255);
    spins_[size_t(i)]->setValue(values.slider[i]);
  }
  auto* view = new HistogramView(histogram, spins_, this);
  form->addRow(view);
  auto row = [&](std::initializer_list<int> which) {
    auto* line = new QHBoxLayout;
    for (int i : which) line->addWidget(spins_[size_t(i)]);
    return line;
  };
  form->addRow(trq("输入色阶"), row({0, 1, 2}));
  form->addRow(trq("输出色阶"), row({3, 4}));
  for (QSpinBox* s : spins_) {
    connect(s, &QSpinBox::valueChanged, view, [view] { view->update(); });
    connect(s, &QSpinBox::valueChanged, this, [this] { preview(); });
  }
  session_.previewDone = [this] {
    QMetaObject::invokeMethod(this, [this] {
      if (session_.previewReady()) session_.finishPreview();
    }, Qt::QueuedConnection);
  };
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setText(trq("确定"));
  buttons->button(QDialogButtonBox::Cancel)->setText(trq("取消"));
  form->addRow(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

LevelsDialog::~LevelsDialog() {
  session_.cancelPreview();
  session_.previewDone = nullptr;
}

void LevelsDialog::done(int result) {
  session_.cancelPreview();
  QDialog::done(result);
}

void LevelsDialog::apply(FilterValues& values) const {
  for (int i = 0; i < 5; ++i) values.slider[i] = spins_[size_t(i)]->value();
}

void LevelsDialog::preview() {
  FilterValues values;
  apply(values);
  clampLevels(values);
  session_.startPreview(values);
}

ReplaceColourDialog::ReplaceColourDialog(Pixel from, Pixel to, QWidget* parent)
    : QDialog(parent), colours_{from & 0xFFFFFFu, to & 0xFFFFFFu} {
  setWindowTitle(trq("替换前景色区颜色"));
  auto* form = new QFormLayout(this);
  const char* labels[2] = {"替换的颜色", "替换为"};
  for (int i = 0; i < 2; ++i) {
    auto* b = new QPushButton(this);
    paintButton(b, colours_[i]);
    connect(b, &QPushButton::clicked, this, [this, b, i] {
      Pixel c = colours_[i];
      QColor chosen = QColorDialog::getColor(QColor(int(c >> 16) & 0xFF, int(c >> 8) & 0xFF, int(c) & 0xFF), this);
      if (!chosen.isValid()) return;
      colours_[i] = Pixel(chosen.red()) << 16 | Pixel(chosen.green()) << 8 | Pixel(chosen.blue());
      paintButton(b, colours_[i]);
    });
    form->addRow(trq(labels[i]), b);
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setText(trq("确定"));
  buttons->button(QDialogButtonBox::Cancel)->setText(trq("取消"));
  form->addRow(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

}  // namespace tessel
