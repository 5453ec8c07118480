#include "ui/colour_panel.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>

#include "draw/tool/tool_settings.h"
#include "filters/colour_models.h"

namespace tessel {

namespace {

// Channel names and upper limits per model.
const char* const kNames[3][3] = {{"R", "G", "B"}, {"H", "S", "V"}, {"H", "L", "S"}};
const int kMax[3][3] = {{255, 255, 255}, {359, 255, 255}, {359, 100, 100}};

std::array<int, 3> fromRgb(int model, uint32_t c) {
  Rgb rgb = unpackRgb(c);
  if (model == ColourPanel::kHsv) {
    Hsv h = rgbToHsv(rgb);
    return {h.h, h.s, h.v};
  }
  if (model == ColourPanel::kHls) {
    Hls h = rgbToHls(rgb);
    return {h.h, h.l, h.s};
  }
  return {rgb.r, rgb.g, rgb.b};
}

uint32_t toRgb(int model, const std::array<int, 3>& v) {
  if (model == ColourPanel::kHsv) return packRgb(hsvToRgb({v[0], v[1], v[2]}));
  if (model == ColourPanel::kHls) return packRgb(hlsToRgb({v[0], v[1], v[2]}));
  return packRgb({v[0], v[1], v[2]});
}

}  // namespace

ColourPanel::ColourPanel(DrawSettings& draw, QWidget* parent) : QWidget(parent), draw_(draw) {
  setObjectName(QStringLiteral("colourPanel"));
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(4, 4, 4, 4);
  auto* top = new QHBoxLayout;
  for (int i = 0; i < 2; ++i) {
    auto* b = new QPushButton(this);
    b->setObjectName(QStringLiteral("colour%1").arg(i + 1));
    b->setFixedSize(32, 24);
    connect(b, &QPushButton::clicked, this, [this, i] { pickSlot(i); });
    slots_[size_t(i)] = b;
    top->addWidget(b);
  }
  modelBox_ = new QComboBox(this);
  modelBox_->addItems({QStringLiteral("RGB"), QStringLiteral("HSV"), QStringLiteral("HLS")});
  connect(modelBox_, &QComboBox::currentIndexChanged, this, &ColourPanel::setModel);
  top->addWidget(modelBox_);
  grid->addLayout(top, 0, 0, 1, 3);
  for (int c = 0; c < 3; ++c) {
    auto* label = new QLabel(this);
    label->setObjectName(QStringLiteral("channel%1").arg(c));
    auto* slider = new QSlider(Qt::Horizontal, this);
    auto* spin = new QSpinBox(this);
    connect(slider, &QSlider::valueChanged, spin, &QSpinBox::setValue);
    connect(spin, &QSpinBox::valueChanged, slider, &QSlider::setValue);
    connect(spin, &QSpinBox::valueChanged, this, &ColourPanel::slidersChanged);
    sliders_[size_t(c)] = slider;
    spins_[size_t(c)] = spin;
    grid->addWidget(label, c + 1, 0);
    grid->addWidget(slider, c + 1, 1);
    grid->addWidget(spin, c + 1, 2);
  }
  refresh();
}

void ColourPanel::setModel(int model) {
  if (model < kRgb || model > kHls) return;
  model_ = model;
  refresh();
}

std::array<int, 3> ColourPanel::values() const {
  return {spins_[0]->value(), spins_[1]->value(), spins_[2]->value()};
}

void ColourPanel::setValue(int channel, int value) {
  if (channel >= 0 && channel < 3) spins_[size_t(channel)]->setValue(value);
}

void ColourPanel::pickSlot(int slot) {
  draw_.curColNo = slot;
  refresh();
  emit changed();
}

void ColourPanel::slidersChanged() {
  if (filling_) return;
  uint32_t c = toRgb(model_, values());
  (draw_.curColNo == 1 ? draw_.drawCol2 : draw_.drawCol1) = c;
  paintSlots();
  emit changed();
}

// The current colour has the thick frame.
void ColourPanel::paintSlots() {
  for (int i = 0; i < 2; ++i)
    slots_[size_t(i)]->setStyleSheet(
        QStringLiteral("background-color: #%1; border: %2px solid black")
            .arg((i == 0 ? draw_.drawCol1 : draw_.drawCol2) & 0xFFFFFFu, 6, 16, QLatin1Char('0'))
            .arg(i == draw_.curColNo ? 3 : 1));
}

void ColourPanel::refresh() {
  filling_ = true;
  modelBox_->setCurrentIndex(model_);
  std::array<int, 3> v = fromRgb(model_, draw_.drawingColour());
  for (int c = 0; c < 3; ++c) {
    auto* label = findChild<QLabel*>(QStringLiteral("channel%1").arg(c));
    if (label) label->setText(QString::fromLatin1(kNames[model_][c]));
    sliders_[size_t(c)]->setRange(0, kMax[model_][c]);
    spins_[size_t(c)]->setRange(0, kMax[model_][c]);
    spins_[size_t(c)]->setValue(v[size_t(c)]);
  }
  paintSlots();
  filling_ = false;
}

}  // namespace tessel
