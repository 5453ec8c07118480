#include "ui/tool_options_panel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSpinBox>
#include <QStringList>

#include "draw/canvas_input_setup.h"

namespace tessel {

namespace {

const uint32_t kPenBits[5] = {kPenPressureSize, kPenPressureOpacity, kPenAntiAlias, kPenCurve,
                              kPenSoftTip};
const char* const kPenBitNames[5] = {"笔压-直径", "笔压-浓度", "抗锯齿", "曲线", "软笔尖"};
const char* const kDrawTypes = "自由线/直线/矩形/矩形填充/椭圆/椭圆填充/折线/集中线/贝塞尔曲线/样条曲线";

// Tools whose word holds the size (high byte) and opacity (low byte)
// percentages at zero pressure.
bool hasPercentages(int tool) {
  return tool == kToolPen2 || tool == kToolBrush || tool == kToolWatercolour ||
         tool == kToolAirbrush || tool == kToolErasePen || tool == kToolEraseBrush ||
         tool == kToolDodge || tool == kToolBurn;
}

QString swatchStyle(uint32_t rgb) {
  return QStringLiteral("background-color: #%1").arg(rgb & 0xFFFFFFu, 6, 16, QLatin1Char('0'));
}

}  // namespace

uint32_t* optionWordOf(ToolEnv& env, int tool) {
  switch (tool) {
    case kToolPencil: return &env.pencil;
    case kToolPen: return &env.pen;
    case kToolPen2: return &env.pen2;
    case kToolBrush: return &env.brush;
    case kToolWatercolour: return &env.water;
    case kToolAirbrush: return &env.splay;
    case kToolErasePen: return &env.erasePen;
    case kToolEraseBrush: return &env.eraseBrush;
    case kToolDodge: return &env.dodge;
    case kToolBurn: return &env.burn;
    case kToolFill: return &env.paint;
    case kToolGradient: return &env.grad;
    default: return nullptr;
  }
}

ToolOptionsPanel::ToolOptionsPanel(PaintingTools& painting, QWidget* parent)
    : QWidget(parent), p_(painting) {
  setObjectName(QStringLiteral("toolOptionsPanel"));
  auto* form = form_ = new QFormLayout(this);
  form->setContentsMargins(4, 4, 4, 4);
  form->addRow(QStringLiteral("直径"), size_ = spin(QStringLiteral("size"), 1, 100));
  form->addRow(QStringLiteral("浓度"), alpha_ = spin(QStringLiteral("opacity"), 1, 255));
  drawType_ = new QComboBox(this);
  drawType_->setObjectName(QStringLiteral("drawType"));
  drawType_->addItems(QString::fromUtf8(kDrawTypes).split(QLatin1Char('/')));
  connect(drawType_, &QComboBox::currentIndexChanged, this, &ToolOptionsPanel::edited);
  form->addRow(QStringLiteral("绘制"), drawType_);
  form->addRow(QStringLiteral("平滑"), smoothing_ = spin(QStringLiteral("smoothing"), 0, 255));
  for (int i = 0; i < 5; ++i) form->addRow(penBits_[size_t(i)] = check(QString::fromUtf8(kPenBitNames[i]), kPenBits[i]));
  form->addRow(QStringLiteral("笔尖"), tipShape_ = spin(QStringLiteral("tipShape"), 0, 9));
  form->addRow(accumulate_ = check(QStringLiteral("累积"), kPencilAccumulate));
  form->addRow(QStringLiteral("最小直径%"), minSize_ = spin(QStringLiteral("minSize"), 0, 100));
  form->addRow(QStringLiteral("最小浓度%"), minAlpha_ = spin(QStringLiteral("minOpacity"), 0, 100));
  water_ = new QComboBox(this);
  water_->addItems({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("D")});
  connect(water_, &QComboBox::currentIndexChanged, this, &ToolOptionsPanel::edited);
  form->addRow(QStringLiteral("水量"), water_);
  form->addRow(texture_ = check(QStringLiteral("纹理"), 0));
  form->addRow(QStringLiteral("纹理编号"), textureSel_ = spin(QStringLiteral("textureSel"), 0, 999));
  maskMode_ = new QComboBox(this);
  maskMode_->addItems({QStringLiteral("无"), QStringLiteral("保护"), QStringLiteral("仅此颜色")});
  connect(maskMode_, &QComboBox::currentIndexChanged, this, &ToolOptionsPanel::edited);
  form->addRow(QStringLiteral("颜色蒙版"), maskMode_);
  form->addRow(QStringLiteral("颜色数"), maskCount_ = spin(QStringLiteral("maskCount"), 1, 5));
  auto* row = new QHBoxLayout;
  for (int i = 0; i < 5; ++i) {
    auto* b = new QPushButton(this);
    b->setFixedSize(18, 18);
    b->setToolTip(QStringLiteral("点击: 设为当前绘图颜色"));
    connect(b, &QPushButton::clicked, this, [this, i] {
      p_.draw.maskCol[i] = p_.draw.drawingColour();
      refresh();
      emit changed();
    });
    maskColours_[size_t(i)] = b;
    row->addWidget(b);
  }
  form->addRow(row);
  refresh();
}

QSpinBox* ToolOptionsPanel::spin(const QString& name, int low, int high) {
  auto* s = new QSpinBox(this);
  s->setObjectName(name);
  s->setRange(low, high);
  connect(s, &QSpinBox::valueChanged, this, &ToolOptionsPanel::edited);
  return s;
}

QCheckBox* ToolOptionsPanel::check(const QString& label, uint32_t bit) {
  auto* c = new QCheckBox(label, this);
  c->setProperty("bit", uint(bit));
  connect(c, &QCheckBox::toggled, this, &ToolOptionsPanel::edited);
  return c;
}

void ToolOptionsPanel::setWordBits(uint32_t mask, int shift, int value) {
  if (uint32_t* w = optionWordOf(p_.tools.env, p_.draw.toolNo))
    *w = (*w & ~mask) | ((uint32_t(value) << shift) & mask);
}

// Everything is written back at once: the panel is the only editor open.
void ToolOptionsPanel::edited() {
  if (filling_) return;
  const int tool = p_.draw.toolNo;
  p_.tools.setSize(tool, size_->value());
  p_.tools.setAlpha(tool, alpha_->value());
  if (drawTypeAllowed(tool, drawType_->currentIndex()))
    p_.tools.drawType[tool] = uint8_t(drawType_->currentIndex());
  if (tool == kToolPen) {
    setWordBits(0xFF, 0, smoothing_->value());
    for (int i = 0; i < 5; ++i) setWordBits(kPenBits[i], 0, penBits_[size_t(i)]->isChecked() ? -1 : 0);
  } else if (tool == kToolPencil) {
    setWordBits(0xFF, 0, tipShape_->value());
    setWordBits(kPencilAccumulate, 0, accumulate_->isChecked() ? -1 : 0);
  } else if (hasPercentages(tool)) {
    setWordBits(0xFF00, 8, minSize_->value());
    setWordBits(0xFF, 0, minAlpha_->value());
    if (tool == kToolWatercolour) setWordBits(0xFF0000, 16, water_->currentIndex());
  }
  p_.draw.textureOn = texture_->isChecked();
  p_.draw.textureSel = textureSel_->value();
  p_.draw.colMaskType = uint32_t(maskMode_->currentIndex());
  p_.draw.colMaskCnt = maskCount_->value();
  if (isPaintingTool(tool)) p_.engine.updateShape(tool, p_.tools);
  emit changed();
}

// Only the switches the current tool has are shown.
void ToolOptionsPanel::showRows(int tool) {
  if (tool == rowsTool_) return;
  rowsTool_ = tool;
  form_->setRowVisible(drawType_, isPaintingTool(tool));
  form_->setRowVisible(smoothing_, tool == kToolPen);
  for (QCheckBox* c : penBits_) form_->setRowVisible(c, tool == kToolPen);
  form_->setRowVisible(tipShape_, tool == kToolPencil);
  form_->setRowVisible(accumulate_, tool == kToolPencil);
  form_->setRowVisible(minSize_, hasPercentages(tool));
  form_->setRowVisible(minAlpha_, hasPercentages(tool));
  form_->setRowVisible(water_, tool == kToolWatercolour);
  emit rowsChanged();
}

void ToolOptionsPanel::refresh() {
  filling_ = true;
  showRows(p_.draw.toolNo);
  const int tool = p_.draw.toolNo;
  const uint32_t* w = optionWordOf(p_.tools.env, tool);
  const uint32_t word = w ? *w : 0;
  size_->setValue(p_.tools.sizeOf(tool));
  alpha_->setValue(p_.tools.alphaOf(tool));
  drawType_->setEnabled(isPaintingTool(tool));
  drawType_->setCurrentIndex(p_.tools.drawType[tool]);
  smoothing_->setEnabled(tool == kToolPen);
  smoothing_->setValue(int(word & 0xFF));
  for (int i = 0; i < 5; ++i) {
    penBits_[size_t(i)]->setEnabled(tool == kToolPen);
    penBits_[size_t(i)]->setChecked(tool == kToolPen && (word & kPenBits[i]));
  }
  tipShape_->setEnabled(tool == kToolPencil);
  tipShape_->setValue(tool == kToolPencil ? int(word & 0xFF) : 0);
  accumulate_->setEnabled(tool == kToolPencil);
  accumulate_->setChecked(tool == kToolPencil && (word & kPencilAccumulate));
  minSize_->setEnabled(hasPercentages(tool));
  minAlpha_->setEnabled(hasPercentages(tool));
  minSize_->setValue(hasPercentages(tool) ? int((word >> 8) & 0xFF) : 0);
  minAlpha_->setValue(hasPercentages(tool) ? int(word & 0xFF) : 0);
  water_->setEnabled(tool == kToolWatercolour);
  water_->setCurrentIndex(tool == kToolWatercolour ? int((word >> 16) & 3) : 0);
  texture_->setChecked(p_.draw.textureOn);
  textureSel_->setValue(p_.draw.textureSel);
  maskMode_->setCurrentIndex(int(p_.draw.colMaskType));
  maskCount_->setValue(p_.draw.colMaskCnt);
  for (int i = 0; i < 5; ++i) {
    maskColours_[size_t(i)]->setStyleSheet(swatchStyle(p_.draw.maskCol[i]));
    maskColours_[size_t(i)]->setEnabled(i < p_.draw.colMaskCnt);
  }
  filling_ = false;
}

}  // namespace tessel
