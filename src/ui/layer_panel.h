#pragma once
#include <QWidget>
#include <array>
#include <memory>

#include "app/models/layer_panel_model.h"

class QComboBox;
class QCheckBox;
class QLabel;
class QScrollBar;
class QSlider;
class QToolButton;
class QMenu;

namespace tessel {

class Application;
class Shell;
class LayerPanel;

// The list of rows ("LayerView"): copies the model's back buffer and hands
// the mouse to it.
class LayerListView : public QWidget {
  Q_OBJECT
 public:
  LayerListView(LayerPanel& panel, LayerPanelModel& model, QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  LayerPanel& panel_;
  LayerPanelModel& model_;
};

// The layer panel: its menu, tool bar, the controls of the current layer and
// the list. It holds no document data; every change goes through the layer
// commands and the Document.
class LayerPanel : public QWidget {
  Q_OBJECT
 public:
  LayerPanel(Application& app, QWidget* parent);
  ~LayerPanel() override;

  // One layer's row (and the controls when it is the current one); -1
  // rebuilds the list, the scroll range and the controls.
  void refresh(int index);
  LayerPanelModel& model() { return model_; }
  LayerListView* list() const { return list_; }
  QComboBox* blendList() const { return blend_; }
  QSlider* opacitySlider() const { return opacity_; }
  QCheckBox* fillReferenceBox() const { return fillReference_; }
  QToolButton* toolButton(int n) const { return tools_[size_t(n)]; }
  QToolButton* maskButton(int n) const { return masks_[size_t(n)]; }
  QMenu* rowMenu(int index);

  // What the list's mouse needs of the panel.
  void runCommand(int id);
  void afterPress(LayerPanelModel::Press press);
  void afterDrop(bool moved);
  void openRowMenu(int index, const QPoint& globalPos);
  void scrollBy(int rows);
  void listResized();

 private:
  void buildTop();
  void syncControls();
  void syncScrollBar();
  void redrawCurrentRow();
  void setMaskMode(int mode);
  Shell* shell() const;

  Application& app_;
  std::unique_ptr<RowTextPainter> text_;
  LayerPanelModel model_;
  LayerListView* list_ = nullptr;
  QScrollBar* scroll_ = nullptr;
  QComboBox* blend_ = nullptr;
  QSlider* opacity_ = nullptr;
  QLabel* percent_ = nullptr;
  QCheckBox* fillReference_ = nullptr;
  std::array<QToolButton*, 9> tools_{};
  std::array<QToolButton*, 4> masks_{};
  QMenu* rowMenu_ = nullptr;
};

// Fills the layer panel window; called once when the main window builds its panels.
LayerPanel* buildLayerPanel(Application& app, QWidget* panelWindow);

}  // namespace tessel
