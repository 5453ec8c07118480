#include "ui/scan_dialog.h"
#include "ui/ui_texts.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QEventLoop>
#include <QFormLayout>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <thread>

#include "app/files/messages.h"
#include "image/size_limits.h"
#include "ui/dialog_progress.h"
#include "ui/main_window.h"
#include "ui/qt_shell.h"

namespace tessel {

namespace {

QString u(const char* text) { return trq(text); }

const char* modeLabel(ScanMode mode) {
  switch (mode) {
    case ScanMode::Colour: return "彩色";
    case ScanMode::Grey: return "灰度";
    case ScanMode::LineArt: return "线稿(黑白)";
  }
  return "";
}

QDialogButtonBox* okCancel(QDialog* dialog) {
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
  QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  return buttons;
}

}  // namespace

ScannerListDialog::ScannerListDialog(const std::vector<ScannerDevice>& devices, int index, QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(u("选择扫描仪 (SANE)"));
  auto* layout = new QVBoxLayout(this);
  list_ = new QListWidget(this);
  list_->setObjectName(QStringLiteral("scannerList"));
  for (const ScannerDevice& d : devices) list_->addItem(QString::fromStdString(deviceLabel(d)));
  list_->setCurrentRow(std::clamp(index, 0, int(devices.size()) - 1));
  layout->addWidget(list_);
  layout->addWidget(okCancel(this));
  connect(list_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
  resize(420, 220);
}

int ScannerListDialog::chosen() const { return list_->currentRow(); }

ScanSettingsDialog::ScanSettingsDialog(const ScanRequest& request, const ScanCapabilities& caps, QWidget* parent)
    : QDialog(parent), caps_(caps) {
  setWindowTitle(u("扫描设置 (SANE)"));
  auto* form = new QFormLayout(this);
  form->addRow(u("设备"), new QLabel(QString::fromStdString(request.device), this));
  if (!caps.resolutions.empty()) {
    resolutionList_ = new QComboBox(this);
    for (int r : caps.resolutions) resolutionList_->addItem(QString::number(r), r);
    int at = resolutionList_->findData(request.resolution);
    resolutionList_->setCurrentIndex(at >= 0 ? at : 0);
    connect(resolutionList_, &QComboBox::currentIndexChanged, this, &ScanSettingsDialog::updateSize);
    form->addRow(u("分辨率(dpi)"), resolutionList_);
  } else {
    resolutionSpin_ = new QSpinBox(this);
    resolutionSpin_->setRange(caps.maxResolution > 0 ? caps.minResolution : 1,
                              caps.maxResolution > 0 ? caps.maxResolution : 9600);
    resolutionSpin_->setSingleStep(std::max(caps.resolutionStep, 1));
    resolutionSpin_->setValue(request.resolution);
    connect(resolutionSpin_, &QSpinBox::valueChanged, this, &ScanSettingsDialog::updateSize);
    form->addRow(u("分辨率(dpi)"), resolutionSpin_);
  }
  resolutionSpin_ ? resolutionSpin_->setObjectName(QStringLiteral("resolution"))
                  : resolutionList_->setObjectName(QStringLiteral("resolution"));
  mode_ = new QComboBox(this);
  mode_->setObjectName(QStringLiteral("mode"));
  std::vector<ScanMode> modes = caps.modes.empty() ? std::vector<ScanMode>{request.mode} : caps.modes;
  for (ScanMode m : modes) mode_->addItem(u(modeLabel(m)), int(m));
  mode_->setCurrentIndex(std::max(0, mode_->findData(int(request.mode))));
  form->addRow(u("模式"), mode_);
  if (caps.hasArea) {
    const double bedW = caps.bedRight - caps.bedLeft, bedH = caps.bedBottom - caps.bedTop;
    const char* labels[4] = {"左(mm)", "上(mm)", "宽(mm)", "高(mm)"};
    const double limits[4] = {bedW, bedH, bedW, bedH};
    const double values[4] = {request.left, request.top, request.width, request.height};
    for (int i = 0; i < 4; ++i) {
      area_[i] = new QDoubleSpinBox(this);
      area_[i]->setDecimals(1);
      area_[i]->setRange(i < 2 ? 0.0 : 1.0, limits[i]);
      area_[i]->setValue(values[i]);
      connect(area_[i], &QDoubleSpinBox::valueChanged, this, &ScanSettingsDialog::updateSize);
      form->addRow(u(labels[i]), area_[i]);
    }
    auto* whole = new QPushButton(u("整个扫描区域"), this);
    connect(whole, &QPushButton::clicked, this, &ScanSettingsDialog::wholeBed);
    form->addRow(QString(), whole);
  }
  size_ = new QLabel(this);
  size_->setObjectName(QStringLiteral("pixelSize"));
  form->addRow(u("图像大小"), size_);
  form->addRow(okCancel(this));
  updateSize();
}

int ScanSettingsDialog::resolution() const {
  return resolutionList_ ? resolutionList_->currentData().toInt() : resolutionSpin_->value();
}

void ScanSettingsDialog::wholeBed() {
  area_[0]->setValue(0);
  area_[1]->setValue(0);
  area_[2]->setValue(caps_.bedRight - caps_.bedLeft);
  area_[3]->setValue(caps_.bedBottom - caps_.bedTop);
}

// What the device will make of the area, give or take its own rounding.
void ScanSettingsDialog::updateSize() {
  if (!area_[2]) {
    size_->setText(QStringLiteral("-"));
    return;
  }
  auto pixels = [&](double mm) { return int(mm / 25.4 * resolution()); };
  int w = pixels(area_[2]->value()), h = pixels(area_[3]->value());
  QString text = QStringLiteral("%1 x %2").arg(w).arg(h);
  if (w > kMaxCanvasSize || h > kMaxCanvasSize) text += QStringLiteral(" (> %1)").arg(kMaxCanvasSize);
  size_->setText(text);
}

void ScanSettingsDialog::store(ScanRequest& request) const {
  request.resolution = resolution();
  request.mode = ScanMode(mode_->currentData().toInt());
  if (area_[0]) {
    request.left = area_[0]->value();
    request.top = area_[1]->value();
    request.width = std::min(area_[2]->value(), caps_.bedRight - caps_.bedLeft - request.left);
    request.height = std::min(area_[3]->value(), caps_.bedBottom - caps_.bedTop - request.top);
  }
}

int QtShell::runCancellable(const ProgressTask& task) {
  QProgressDialog dialog(QString(), u("取消"), 0, 1, window_);
  dialog.setWindowTitle(u(kProgressTitle));
  dialog.setWindowModality(Qt::ApplicationModal);
  dialog.setMinimumDuration(0);
  dialog.setAutoClose(false);
  dialog.setAutoReset(false);
  DialogProgress progress(&dialog);
  QObject::connect(&dialog, &QProgressDialog::canceled, &dialog, [&progress] { progress.cancel(); });
  dialog.show();
  return runOnWorker(dialog, progress, task);
}

bool QtShell::chooseScanner(const std::vector<ScannerDevice>& devices, int& index) {
  if (devices.empty()) return false;
  ScannerListDialog dialog(devices, index, window_);
  if (dialog.exec() != QDialog::Accepted || dialog.chosen() < 0) return false;
  index = dialog.chosen();
  return true;
}

bool QtShell::askScanSettings(ScanRequest& request, const ScanCapabilities& caps) {
  ScanSettingsDialog dialog(request, caps, window_);
  if (dialog.exec() != QDialog::Accepted) return false;
  dialog.store(request);
  return true;
}

}  // namespace tessel
