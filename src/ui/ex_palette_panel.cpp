#include "ui/ex_palette_panel.h"
#include "ui/ui_texts.h"

#include <QComboBox>
#include <QVBoxLayout>

#include "app/models/palette_model.h"
#include "draw/tool/tool_settings.h"
#include "ui/palette_panel.h"

namespace tessel {

namespace {

const char* const kTypeNames[kExPaletteTypes] = {"HLS (L+S)", "HSV (鲜)", "HSV (淡)"};

}  // namespace

ExPalettePanel::ExPalettePanel(DrawSettings& draw, int type, QWidget* parent)
    : QWidget(parent), draw_(draw) {
  setObjectName(QStringLiteral("exPalettePanel"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->setSpacing(2);
  types_ = new QComboBox(this);
  types_->setObjectName(QStringLiteral("exPaletteType"));
  for (const char* name : kTypeNames) types_->addItem(trq(name));
  layout->addWidget(types_);
  view_ = new SwatchView(this);
  view_->setObjectName(QStringLiteral("exPaletteSwatches"));
  view_->layout().cellW = 9;
  view_->layout().cellH = 9;
  layout->addWidget(view_, 1);
  connect(types_, &QComboBox::currentIndexChanged, this, [this](int index) { setType(index); });
  view_->clicked = [this](int index, Qt::MouseButton button) {
    if (button == Qt::LeftButton && pick(index) && colourPicked) colourPicked();
  };
  setType(type);
}

void ExPalettePanel::setType(int type) {
  type_ = (type >= 0 && type < kExPaletteTypes) ? type : 0;
  int columns = 1;
  colours_ = exPaletteSwatches(type_, columns);
  view_->fixedColumns = columns;
  view_->setMinimumWidth(1 + columns * (view_->layout().cellW + 1));
  view_->setColours(colours_.data(), int(colours_.size()), view_->layout(), -1);
  QSignalBlocker block(types_);
  types_->setCurrentIndex(type_);
}

bool ExPalettePanel::pick(int index) {
  if (index < 0 || index >= int(colours_.size())) return false;
  (draw_.curColNo == 1 ? draw_.drawCol2 : draw_.drawCol1) = colours_[size_t(index)] & 0xFFFFFFu;
  return true;
}

}  // namespace tessel
