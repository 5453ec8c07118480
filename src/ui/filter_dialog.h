#pragma once
#include <QDialog>
#include <QWidget>
#include <vector>

#include "filters/filter_dialog_model.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace tessel {

class FilterPreviewSession;

// The slider the program draws itself: a framed track, the value as a line
// with a small wedge under it, and the template's mark.
class FilterSlider : public QWidget {
  Q_OBJECT
 public:
  FilterSlider(const SliderLimits& limits, int value, QWidget* parent);
  int value() const { return value_; }
  void setValue(int value);

 signals:
  void dragged(int value);   // every change while the button is down
  void released();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void track(int mouseX);

  SliderLimits limits_;
  int value_;
  bool pressed_ = false;
};

// Mode 2: the working copy 1:1 over a checkerboard; dragging scrolls it.
class FilterPreviewBox : public QWidget {
  Q_OBJECT
 public:
  FilterPreviewBox(FilterPreviewSession& session, QWidget* parent);

 signals:
  void dragEnded();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  FilterPreviewSession& session_;
  QPoint last_;
  bool dragging_ = false;
};

// The generic filter dialog: shows what the model laid out and runs the
// preview through the session.
class FilterParamsDialog : public QDialog {
  Q_OBJECT
 public:
  FilterParamsDialog(FilterDialogModel& model, FilterPreviewSession& session, QWidget* parent);
  ~FilterParamsDialog() override;
  void done(int result) override;

  // For tests and scripted use: the widgets of control i (null when it has none).
  FilterSlider* slider(size_t control) const { return rows_[control].slider; }
  QLineEdit* field(size_t control) const { return rows_[control].field; }
  QCheckBox* previewCheck() const { return previewCheck_; }
  QPushButton* resetButton() const { return reset_; }
  FilterPreviewBox* previewBox() const { return box_; }

 private:
  struct Row {
    FilterSlider* slider = nullptr;
    QLineEdit* field = nullptr;
    QCheckBox* check = nullptr;
    QComboBox* list = nullptr;
  };
  void buildControl(size_t i);
  void addSlider(size_t i, Row& row);
  void buildButtons();
  void fitLists();
  void syncSlider(size_t i);
  void preview();
  void previewFinished();

  FilterDialogModel& model_;
  FilterPreviewSession& session_;
  std::vector<Row> rows_;
  QCheckBox* previewCheck_ = nullptr;
  QPushButton* reset_ = nullptr;
  FilterPreviewBox* box_ = nullptr;
  int extraWidth_ = 0;   // room the lists took beyond the template's width
  bool waiting_ = false;   // a preview runs; the busy cursor shows
};

// Metrics of the dialog font, for the model's layout.
DialogMetrics dialogMetrics(const QFont& font);

}  // namespace tessel
