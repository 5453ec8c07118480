#pragma once
// The environment settings (three tabs), key assignment and preferred
// save folder and format dialogs. Their values, ranges and rules live in
// app/env_settings and app/key_dialog_model; these only show them.
#include <QDialog>
#include <array>
#include <cstdint>
#include <vector>

#include "app/models/env_settings.h"
#include "app/models/key_dialog_model.h"
#include "config/key_table.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;
class QTabWidget;

namespace tessel {

class EnvSettingsDialog : public QDialog {
 public:
  enum Spin { kDefW, kDefH, kScaleDown, kScaleUp, kUndo, kBrushCircle, kJpegQuality, kPngLevel, kAutosave, kSpinCount };
  enum Colour { kCanvas, kCheck1, kCheck2, kColourCount };

  explicit EnvSettingsDialog(const EnvSettings& env, QWidget* parent = nullptr);
  EnvSettings values() const;

  QTabWidget* tabs() const { return tabs_; }
  QCheckBox* optBox(int bit) const { return opt_[size_t(bit)]; }
  QCheckBox* tabletBox(int bit) const { return tablet_[size_t(bit)]; }
  QSpinBox* spin(Spin s) const { return spins_[size_t(s)]; }
  QComboBox* taleTool() const { return taleTool_; }
  QComboBox* tabSide(int n) const { return side_[size_t(n)]; }
  QCheckBox* progressive() const { return progressive_; }
  QComboBox* language() const { return language_; }
  void setColour(Colour c, uint32_t rgb);
  uint32_t colour(Colour c) const { return colours_[size_t(c)]; }

 private:
  QWidget* generalTab(const EnvSettings& env);
  QWidget* paintingTab(const EnvSettings& env);
  QWidget* filesTab(const EnvSettings& env);
  QSpinBox* makeSpin(Spin s, int value, EnvRange range);
  QCheckBox* makeOptBox(int bit, uint32_t flags);
  void pickColour(Colour c);

  QTabWidget* tabs_ = nullptr;
  std::array<QCheckBox*, 7> opt_{};
  std::array<QCheckBox*, 2> tablet_{};
  std::array<QSpinBox*, kSpinCount> spins_{};
  QComboBox* taleTool_ = nullptr;
  std::array<QComboBox*, 2> side_{};
  QCheckBox* progressive_ = nullptr;
  QCheckBox* flattenAsk_ = nullptr;
  QComboBox* language_ = nullptr;
  std::array<QPushButton*, kColourCount> colourButtons_{};
  std::array<uint32_t, kColourCount> colours_{};
};

// Pick a line, press a key: the key moves to that entry (leaving the entry
// that held it, which the note names); "清除" takes the key off.
class KeyAssignDialog : public QDialog {
 public:
  explicit KeyAssignDialog(const KeyTable& keys, QWidget* parent = nullptr);
  const KeyTable& keys() const { return keys_; }

  QTableWidget* table() const { return table_; }
  QLabel* note() const { return note_; }
  // The line of an entry in the table.
  int rowOf(int group, int item) const;
  void selectEntry(int group, int item);
  void clearSelected();

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void refreshKeys();
  bool selectedEntry(int& group, int& item) const;

  KeyTable keys_;
  std::vector<KeyDialogRow> rows_;
  QTableWidget* table_ = nullptr;
  QLabel* note_ = nullptr;
};

// New image: width and height whose arrows stop at 4500 while typing may go
// beyond, so OK can refuse a larger value and stay open; a button pops up the
// five most recent sizes.
class NewImageDialog : public QDialog {
 public:
  NewImageDialog(int width, int height, const std::vector<uint32_t>& recentSizes, QWidget* parent = nullptr);
  int width() const;
  int height() const;
  QSpinBox* widthBox() const { return width_; }
  QSpinBox* heightBox() const { return height_; }
  QPushButton* recentButton() const { return recent_; }
  void accept() override;

 private:
  QSpinBox* width_ = nullptr;
  QSpinBox* height_ = nullptr;
  QPushButton* recent_ = nullptr;
};

class PreferredSaveDialog : public QDialog {
 public:
  PreferredSaveDialog(const QString& folder, int formatIndex, const QStringList& formats,
                      QWidget* parent = nullptr);
  QString folder() const;
  int formatIndex() const;
  QLineEdit* folderEdit() const { return folder_; }
  QComboBox* formatBox() const { return format_; }

 private:
  QLineEdit* folder_ = nullptr;
  QComboBox* format_ = nullptr;
};

}  // namespace tessel
