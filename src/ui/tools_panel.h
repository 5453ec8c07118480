#pragma once
#include <QWidget>
#include <array>

#include "draw/tool/tool_traits.h"

namespace tessel {

class Image24;

// The tool buttons, icons from the strip, names as tooltips. The current
// tool's button stays down.
class ToolsPanel : public QWidget {
  Q_OBJECT
 public:
  ToolsPanel(const Image24& icons, const char* const* names, QWidget* parent);
  void setCurrent(int tool);
  int current() const { return current_; }
  QWidget* button(int tool) const;

 signals:
  void toolPicked(int tool);

 private:
  std::array<QWidget*, kToolCount> buttons_{};
  int current_ = -1;
};

}  // namespace tessel
