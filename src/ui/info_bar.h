#pragma once
#include <QWidget>

#include "view/canvas_view.h"

namespace tessel {

// Cursor position, zoom and size in three framed fields.
class InfoBar : public QWidget {
  Q_OBJECT
 public:
  explicit InfoBar(QWidget* parent);
  void setText(const InfoBarText& text);
  const InfoBarText& text() const { return text_; }
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int charWidth() const;
  InfoBarText text_;
};

}  // namespace tessel
