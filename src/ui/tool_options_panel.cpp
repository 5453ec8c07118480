#include "ui/tool_options_panel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QStringList>

#include "draw/input/canvas_input_setup.h"
#include "draw/fill/gradient.h"
#include "ui/ui_texts.h"

namespace tessel {

namespace {

const char* const kPenBitNames[5] = {"笔压-直径", "笔压-浓度", "抗锯齿", "曲线", "软笔尖"};
const char* const kDrawTypes = "自由线/直线/矩形/矩形填充/椭圆/椭圆填充/折线/集中线/贝塞尔曲线/样条曲线";
const char* const kGeometries = "线性/放射/矩形/角度";   // in GradientGeometry order
const char* const kGuides = "OFF/平行线/集中线/正圆/椭圆/格子线";
constexpr GuideKind kGuideKinds[6] = {GuideKind::None,   GuideKind::Parallel, GuideKind::Concentrated,
                                      GuideKind::Circle, GuideKind::Ellipse,  GuideKind::Grid};

// The pen's switches in the order of their check boxes.
std::array<bool*, 5> penSwitches(PenOptions& o) {
  return {&o.pressureSize, &o.pressureOpacity, &o.antiAlias, &o.curve, &o.softTip};
}

QString swatchStyle(uint32_t rgb) {
  return QStringLiteral("background-color: #%1").arg(rgb & 0xFFFFFFu, 6, 16, QLatin1Char('0'));
}

}  // namespace

ToolOptionsPanel::ToolOptionsPanel(PaintingTools& painting, QWidget* parent)
    : QWidget(parent), p_(painting) {
  setObjectName(QStringLiteral("toolOptionsPanel"));
  auto* form = form_ = new QFormLayout(this);
  form->setContentsMargins(4, 4, 4, 4);
  form->addRow(trq("直径"), size_ = spin(QStringLiteral("size"), 1, 100));
  form->addRow(trq("浓度"), alpha_ = spin(QStringLiteral("opacity"), 1, 255));
  drawType_ = new QComboBox(this);
  drawType_->setObjectName(QStringLiteral("drawType"));
  drawType_->addItems(trq(kDrawTypes).split(QLatin1Char('/')));
  connect(drawType_, &QComboBox::currentIndexChanged, this, &ToolOptionsPanel::edited);
  form->addRow(trq("绘制"), drawType_);
  form->addRow(trq("渐变"), geometry_ = combo(QStringLiteral("gradientGeometry"), kGeometries));
  form->addRow(trq("定规"), guide_ = combo(QStringLiteral("guideKind"), kGuides));
  form->addRow(trq("平滑"), smoothing_ = spin(QStringLiteral("smoothing"), 0, 255));
  for (int i = 0; i < 5; ++i) form->addRow(penBits_[size_t(i)] = check(trq(kPenBitNames[i])));
  form->addRow(trq("笔尖"), tipShape_ = spin(QStringLiteral("tipShape"), 0, 9));
  form->addRow(accumulate_ = check(trq("累积")));
  form->addRow(trq("最小直径%"), minSize_ = spin(QStringLiteral("minSize"), 0, 100));
  form->addRow(trq("最小浓度%"), minAlpha_ = spin(QStringLiteral("minOpacity"), 0, 100));
  water_ = new QComboBox(this);
  water_->setObjectName(QStringLiteral("waterAmount"));
  water_->addItems({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("D")});
  connect(water_, &QComboBox::currentIndexChanged, this, &ToolOptionsPanel::edited);
  form->addRow(trq("水量"), water_);
  form->addRow(texture_ = check(trq("纹理")));
  form->addRow(trq("纹理编号"), textureSel_ = spin(QStringLiteral("textureSel"), 0, 999));
  maskMode_ = new QComboBox(this);
  maskMode_->addItems({trq("无"), trq("保护"), trq("仅此颜色")});
  connect(maskMode_, &QComboBox::currentIndexChanged, this, &ToolOptionsPanel::edited);
  form->addRow(trq("颜色蒙版"), maskMode_);
  form->addRow(trq("颜色数"), maskCount_ = spin(QStringLiteral("maskCount"), 1, 5));
  auto* row = new QHBoxLayout;
  for (int i = 0; i < 5; ++i) {
    auto* b = new QPushButton(this);
    b->setFixedSize(18, 18);
    b->setToolTip(trq("点击: 设为当前绘图颜色"));
    connect(b, &QPushButton::clicked, this, [this, i] {
      p_.draw.maskCol[i] = p_.draw.drawingColour();
      refresh();
      emit changed();
    });
    maskColours_[size_t(i)] = b;
    row->addWidget(b);
  }
  form->addRow(row);
  maskColourRow_ = row;
  none_ = new QLabel(trq(ui_text::kNoToolOptions), this);
  none_->setObjectName(QStringLiteral("noOptions"));
  form->addRow(none_);
  refresh();
}

QSpinBox* ToolOptionsPanel::spin(const QString& name, int low, int high) {
  auto* s = new QSpinBox(this);
  s->setObjectName(name);
  s->setRange(low, high);
  connect(s, &QSpinBox::valueChanged, this, &ToolOptionsPanel::edited);
  return s;
}

QComboBox* ToolOptionsPanel::combo(const QString& name, const char* items) {
  auto* c = new QComboBox(this);
  c->setObjectName(name);
  c->addItems(trq(items).split(QLatin1Char('/')));
  connect(c, &QComboBox::currentIndexChanged, this, &ToolOptionsPanel::edited);
  return c;
}

QCheckBox* ToolOptionsPanel::check(const QString& label) {
  auto* c = new QCheckBox(label, this);
  connect(c, &QCheckBox::toggled, this, &ToolOptionsPanel::edited);
  return c;
}

// The switches of the current tool's option word go back through its layout.
void ToolOptionsPanel::storeWord(int tool) {
  const ToolTraits& row = toolTraits(tool);
  if (!row.envWord) return;
  uint32_t& word = p_.tools.env.*row.envWord;
  switch (row.layout) {
    case OptionLayout::Pen: {
      PenOptions pen{smoothing_->value()};
      std::array<bool*, 5> bits = penSwitches(pen);
      for (size_t i = 0; i < bits.size(); ++i) *bits[i] = penBits_[i]->isChecked();
      word = encodePen(pen, word);
      break;
    }
    case OptionLayout::Pencil:
      word = encodePencil({tipShape_->value(), accumulate_->isChecked()}, word);
      break;
    case OptionLayout::PercentWater:
      word = encodeWaterAmount(water_->currentIndex(), word);
      [[fallthrough]];
    case OptionLayout::Percent:
      word = encodePercent({minSize_->value(), minAlpha_->value()}, word);
      break;
    default: break;
  }
}

// Everything is written back at once: the panel is the only editor open.
void ToolOptionsPanel::edited() {
  if (filling_) return;
  const int tool = p_.draw.toolNo;
  p_.tools.setSize(tool, size_->value());
  p_.tools.setAlpha(tool, alpha_->value());
  if (drawTypeAllowed(tool, drawType_->currentIndex()))
    p_.tools.drawType[tool] = uint8_t(drawType_->currentIndex());
  if (toolTraits(tool).geometryTypes != 0 && geometry_->currentIndex() >= 0)
    p_.tools.drawType[tool] = uint8_t(kGradientGeometryDrawTypes[geometry_->currentIndex()]);
  if (guide_->currentIndex() >= 0) p_.options.guide = kGuideKinds[guide_->currentIndex()];
  storeWord(tool);
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
  const ToolTraits& row = toolTraits(tool);
  const bool pen = row.layout == OptionLayout::Pen, pencil = row.layout == OptionLayout::Pencil;
  form_->setRowVisible(drawType_, row.painting());
  form_->setRowVisible(geometry_, row.geometryTypes != 0);
  form_->setRowVisible(guide_, row.painting());
  form_->setRowVisible(smoothing_, pen);
  for (QCheckBox* c : penBits_) form_->setRowVisible(c, pen);
  form_->setRowVisible(tipShape_, pencil);
  form_->setRowVisible(accumulate_, pencil);
  form_->setRowVisible(minSize_, row.editsPercentages());
  form_->setRowVisible(minAlpha_, row.editsPercentages());
  form_->setRowVisible(water_, row.layout == OptionLayout::PercentWater);
  // Size is the brush's; opacity, texture and colour mask are the pixel
  // gate's, which the move and selection tools never pass through.
  const bool paints = row.kind != ToolKind::Move && row.kind != ToolKind::Selection;
  form_->setRowVisible(size_, row.painting());
  form_->setRowVisible(alpha_, paints);
  form_->setRowVisible(texture_, paints);
  form_->setRowVisible(textureSel_, paints);
  form_->setRowVisible(maskMode_, paints);
  form_->setRowVisible(maskCount_, paints);
  form_->setRowVisible(maskColourRow_, paints);
  form_->setRowVisible(none_, !paints);
  emit rowsChanged();
}

// Shows the decoded option word; switches of other layouts show their resting state.
void ToolOptionsPanel::showWord(int tool) {
  const ToolTraits& row = toolTraits(tool);
  const uint32_t word = row.envWord ? p_.tools.env.*row.envWord : 0;
  const bool pen = row.layout == OptionLayout::Pen, pencil = row.layout == OptionLayout::Pencil;
  const bool percent = row.editsPercentages(), water = row.layout == OptionLayout::PercentWater;
  PenOptions penWord = decodePen(word);
  std::array<bool*, 5> bits = penSwitches(penWord);
  smoothing_->setEnabled(pen);
  smoothing_->setValue(penWord.smoothing);
  for (size_t i = 0; i < bits.size(); ++i) {
    penBits_[i]->setEnabled(pen);
    penBits_[i]->setChecked(pen && *bits[i]);
  }
  PencilOptions pencilWord = decodePencil(word);
  tipShape_->setEnabled(pencil);
  tipShape_->setValue(pencil ? pencilWord.tipShape : 0);
  accumulate_->setEnabled(pencil);
  accumulate_->setChecked(pencil && pencilWord.accumulate);
  PercentOptions percentWord = decodePercent(word);
  minSize_->setEnabled(percent);
  minAlpha_->setEnabled(percent);
  minSize_->setValue(percent ? percentWord.minSize : 0);
  minAlpha_->setValue(percent ? percentWord.minOpacity : 0);
  water_->setEnabled(water);
  water_->setCurrentIndex(water ? decodeWaterAmount(word) : 0);
}

void ToolOptionsPanel::refresh() {
  filling_ = true;
  showRows(p_.draw.toolNo);
  const int tool = p_.draw.toolNo;
  size_->setValue(p_.tools.sizeOf(tool));
  alpha_->setValue(p_.tools.alphaOf(tool));
  drawType_->setEnabled(isPaintingTool(tool));
  drawType_->setCurrentIndex(p_.tools.drawType[tool]);
  geometry_->setCurrentIndex(int(gradientGeometryOf(p_.tools.drawType[tool])));
  for (int i = 0; i < 6; ++i)
    if (kGuideKinds[i] == p_.options.guide) guide_->setCurrentIndex(i);
  showWord(tool);
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
