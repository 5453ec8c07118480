#include "ui/tools_panel.h"
#include "ui/ui_texts.h"

#include <QGridLayout>
#include <QToolButton>

#include "app/application.h"
#include "ui/icons.h"

namespace tessel {

ToolsPanel::ToolsPanel(const Image24& icons, const char* const* names, QWidget* parent)
    : QWidget(parent) {
  setObjectName(QStringLiteral("toolsPanel"));
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(4, 4, 4, 4);
  grid->setSpacing(2);
  for (int tool = 0; tool < icon_strip::kToolSlots; ++tool) {
    auto* b = new QToolButton(this);
    b->setObjectName(QStringLiteral("tool%1").arg(tool));
    b->setIcon(stripIcon(icons, icon_strip::toolIcon(tool)));
    b->setIconSize(QSize(icon_strip::kToolSize, icon_strip::kToolSize));
    b->setToolTip(trq(names[tool]));
    b->setAutoRaise(true);
    b->setCheckable(true);
    connect(b, &QToolButton::clicked, this, [this, tool] {
      setCurrent(tool);   // a second click on the current tool keeps it down
      emit toolPicked(tool);
    });
    buttons_[size_t(tool)] = b;
    grid->addWidget(b, tool / 6, tool % 6);
  }
}

QWidget* ToolsPanel::button(int tool) const {
  return tool >= 0 && tool < int(buttons_.size()) ? buttons_[size_t(tool)] : nullptr;
}

void ToolsPanel::setCurrent(int tool) {
  current_ = tool;
  for (int t = 0; t < int(buttons_.size()); ++t)
    static_cast<QToolButton*>(buttons_[size_t(t)])->setChecked(t == tool);
}

}  // namespace tessel
