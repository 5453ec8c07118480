#pragma once
#include <QDialog>
#include <vector>

#include "app/ops/scanner.h"

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QListWidget;
class QSpinBox;

namespace tessel {

// The scanner list: "vendor model (name)" rows.
class ScannerListDialog : public QDialog {
  Q_OBJECT
 public:
  ScannerListDialog(const std::vector<ScannerDevice>& devices, int index, QWidget* parent);
  int chosen() const;

 private:
  QListWidget* list_;
};

// Resolution, mode and scan area from what the device offers, with the
// picture's size in pixels as it will come out.
class ScanSettingsDialog : public QDialog {
  Q_OBJECT
 public:
  ScanSettingsDialog(const ScanRequest& request, const ScanCapabilities& caps, QWidget* parent);
  // The dialog's values into request (device unchanged).
  void store(ScanRequest& request) const;

 private:
  int resolution() const;
  void wholeBed();
  void updateSize();

  ScanCapabilities caps_;
  QComboBox* resolutionList_ = nullptr;
  QSpinBox* resolutionSpin_ = nullptr;
  QComboBox* mode_ = nullptr;
  QDoubleSpinBox* area_[4] = {};   // left, top, width, height in millimetres
  QLabel* size_ = nullptr;
};

}  // namespace tessel
