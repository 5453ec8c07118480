#include "ui/qt_shell.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QEventLoop>
#include <QFileDialog>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>
#include <QProgressDialog>
#include <QPushButton>
#include <QSpinBox>
#include <QUrl>
#include <atomic>
#include <thread>

#include "app/application.h"
#include "app/files/document_io.h"
#include "app/files/messages.h"
#include "app/startup.h"
#include "io/file.h"
#include "platform/clipboard_qt.h"
#include "resources/strings.h"
#include "ui/filter_dialog.h"
#include "ui/gif_options_dialog.h"
#include "ui/levels_dialog.h"
#include "ui/canvas_size_dialog.h"
#include "ui/dialog_progress.h"
#include "ui/gif_options_dialog.h"
#include "ui/scale_dialog.h"
#include "ui/selection_dialogs.h"
#include "ui/png_options_dialog.h"
#include "ui/layer_panel.h"
#include "ui/layer_settings_dialog.h"
#include "ui/settings_dialog.h"
#include "ui/main_window.h"
#include "ui/panel_window.h"
#include "ui/ui_texts.h"
#include "resources/strings.h"
#include <QApplication>

namespace tessel {

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

QMessageBox::Icon boxIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::Warning: return QMessageBox::Warning;
    case MessageIcon::Error: return QMessageBox::Critical;
    case MessageIcon::Question: return QMessageBox::Question;
  }
  return QMessageBox::NoIcon;
}

QString captionOr(const std::string& caption) {
  return caption.empty() ? QStringLiteral("Tessel2") : q(caption);
}

QStringList saveFormatLabels() {
  QStringList labels;
  for (int i = 0; i < saveFormatCount(); ++i) labels << trq(saveFormatLabel(i));
  return labels;
}

// Where a file dialog opens when no folder is remembered yet: the user's
// pictures, else home; never the settings folder that is current.
QString startFolder(const std::string& remembered) {
  if (!remembered.empty() && QFileInfo(q(remembered)).isDir()) return q(remembered);
  const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
  if (!pictures.isEmpty() && QFileInfo(pictures).isDir()) return pictures;
  return QDir::homePath();
}

bool hasWriter(const std::string& extension) {
  const FileFormat* format = builtinFormats().find(extension);
  return format && (format->write || format->writeImage);
}

}  // namespace

void QtShell::setWindow(MainWindow* window) {
  window_ = window;
}

bool QtShell::runFilterDialog(FilterDialogModel& model, FilterPreviewSession& session) {
  FilterParamsDialog dialog(model, session, window_);
  return dialog.exec() == QDialog::Accepted;
}

bool QtShell::runLevelsDialog(FilterValues& values, const std::array<uint32_t, 256>& histogram,
                              FilterPreviewSession& session) {
  LevelsDialog dialog(values, histogram, session, window_);
  if (dialog.exec() != QDialog::Accepted) return false;
  dialog.apply(values);
  return true;
}

bool QtShell::askReplaceColours(Pixel& from, Pixel& to) {
  ReplaceColourDialog dialog(from, to, window_);
  if (dialog.exec() != QDialog::Accepted) return false;
  from = dialog.from();
  to = dialog.to();
  return true;
}

bool QtShell::askEnvSettings(EnvSettings& env) {
  EnvSettingsDialog dialog(env, window_);
  if (dialog.exec() != QDialog::Accepted) return false;
  env = dialog.values();
  return true;
}

bool QtShell::askKeyAssignments(KeyTable& keys) {
  KeyAssignDialog dialog(keys, window_);
  if (dialog.exec() != QDialog::Accepted) return false;
  keys = dialog.keys();
  return true;
}

bool QtShell::askPreferredSave(std::string& folder, int& formatIndex) {
  QStringList formats = saveFormatLabels();
  PreferredSaveDialog dialog(q(folder), formatIndex, formats, window_);
  if (dialog.exec() != QDialog::Accepted) return false;
  folder = dialog.folder().toStdString();
  formatIndex = dialog.formatIndex();
  return true;
}

void QtShell::showMessage(const std::string& text, const std::string& caption, MessageIcon icon) {
  QMessageBox box(boxIcon(icon), captionOr(caption), q(text), QMessageBox::Ok, window_);
  box.exec();
}

Answer QtShell::askYesNoCancel(const std::string& text, const std::string& caption) {
  QMessageBox box(QMessageBox::Question, captionOr(caption), q(text),
                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, window_);
  box.setDefaultButton(QMessageBox::Cancel);
  int answer = box.exec();
  return answer == QMessageBox::Yes ? Answer::Yes : answer == QMessageBox::No ? Answer::No : Answer::Cancel;
}

bool QtShell::askYesNo(const std::string& text, const std::string& caption, MessageIcon icon) {
  QMessageBox box(boxIcon(icon), captionOr(caption), q(text), QMessageBox::Yes | QMessageBox::No, window_);
  return box.exec() == QMessageBox::Yes;
}

bool QtShell::askWithCheckBox(const std::string& text, const std::string& caption, const std::string& accept,
                              const std::string& checkLabel, bool& checked) {
  QMessageBox box(QMessageBox::Warning, captionOr(caption), q(text), QMessageBox::NoButton, window_);
  QPushButton* yes = box.addButton(q(accept), QMessageBox::AcceptRole);
  box.addButton(QMessageBox::Cancel);
  box.setDefaultButton(QMessageBox::Cancel);
  auto* check = new QCheckBox(q(checkLabel), &box);
  check->setChecked(checked);
  box.setCheckBox(check);
  box.exec();
  checked = check->isChecked();
  return box.clickedButton() == yes;
}

bool QtShell::askNewImageSize(int& width, int& height, const std::vector<uint32_t>& recentSizes) {
  NewImageDialog dialog(width, height, recentSizes, window_);
  if (dialog.exec() != QDialog::Accepted) return false;
  width = dialog.width();
  height = dialog.height();
  return true;
}

bool QtShell::chooseOpenFile(const std::string& initialFolder, std::string& path) {
  QString filter = q(openFileFilter());
  QString chosen = QFileDialog::getOpenFileName(window_, trq("打开"), startFolder(initialFolder), filter);
  if (chosen.isEmpty()) return false;
  path = chosen.toStdString();
  return true;
}

bool QtShell::chooseSaveFile(const std::string& initialFolder, const std::string& fileName, int& formatIndex,
                             std::string& path) {
  QStringList filters = saveFormatLabels();
  QFileDialog dialog(window_, trq("另存为"), startFolder(initialFolder));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setNameFilters(filters);
  if (formatIndex >= 0 && formatIndex < saveFormatCount()) dialog.selectNameFilter(filters[formatIndex]);
  dialog.selectFile(q(fileName));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  formatIndex = int(filters.indexOf(dialog.selectedNameFilter()));
  if (formatIndex < 0) formatIndex = kSaveTsd;
  QString chosen = dialog.selectedFiles().first();
  // A typed name whose extension has a writer ("flat.png" with the tsd type
  // selected) is saved in that format, not as "flat.png.tsd".
  const std::string typed = fileExtension(chosen.toStdString());
  if (!typed.empty() && hasWriter(typed)) {
    for (int i = 0; i < saveFormatCount(); ++i)
      if (equalsIgnoreCase(typed, saveFormatExtension(i))) formatIndex = i;
  } else {
    chosen += QLatin1Char('.') + QLatin1String(saveFormatExtension(formatIndex));
  }
  path = chosen.toStdString();
  return true;
}

bool QtShell::askPngOptions(ImageSaveOptions& options) {
  PngOptionsDialog dialog(options, window_);
  if (dialog.exec() != QDialog::Accepted) return false;
  dialog.apply(options);
  return true;
}

bool QtShell::askGifOptions(ImageSaveOptions& options) {
  GifOptionsDialog dialog(options.gifTransparent, window_);
  if (dialog.exec() != QDialog::Accepted) return false;
  options.gifTransparent = dialog.transparentColour();
  return true;
}

bool QtShell::clipboardImageSize(int& width, int& height) { return clipboard::bitmapSize(width, height); }

bool QtShell::readClipboardImage(Image32& image) { return clipboard::pasteBitmap(image); }

bool QtShell::askImageSize(ScaleModel& model) {
  ScaleDialog dialog(model, window_);
  if (dialog.exec() != QDialog::Accepted) return false;
  model = dialog.model();
  return true;
}

bool QtShell::askSelectionScale(ScaleModel& model) { return askImageSize(model); }

bool QtShell::askCanvasSize(int& width, int& height, int& anchor, int& fill) {
  CanvasSizeDialog dialog(width, height, anchor, fill, window_);
  if (dialog.exec() != QDialog::Accepted) return false;
  width = dialog.newWidth();
  height = dialog.newHeight();
  anchor = dialog.anchor();
  fill = dialog.fill();
  return true;
}

bool QtShell::askRotateAngle(int& degrees, bool& smooth) { return rotateAngleDialog(window_, degrees, smooth); }

bool QtShell::askSelectionRect(int& left, int& top, int& right, int& bottom) {
  return selectionRectDialog(window_, left, top, right, bottom);
}

bool QtShell::writeClipboardImage(const Image32& image, bool withAlpha) {
  return withAlpha ? clipboard::copy32(image) : clipboard::copy24(image);
}

DibResult QtShell::readClipboardImage32(Image32& image) { return clipboard::pasteDib32(image); }

int QtShell::runWithProgress(const ProgressTask& task) {
  QProgressDialog dialog(QString(), QString(), 0, 1, window_);
  dialog.setWindowTitle(trq(kProgressTitle));
  dialog.setWindowModality(Qt::ApplicationModal);
  dialog.setMinimumDuration(0);
  dialog.show();
  DialogProgress progress(&dialog);
  return runOnWorker(dialog, progress, task);
}

int QtShell::runOnWorker(QProgressDialog& dialog, DialogProgress& progress, const ProgressTask& task) {
  QEventLoop loop;
  std::atomic<int> result{0};
  std::thread worker([&] {
    result = task(progress);
    QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
  });
  loop.exec();
  worker.join();
  dialog.close();
  // The window manager hands the focus back only once the dialog is gone;
  // ask for it after that, and again should nothing of ours be active yet
  // (else no shortcut works until a click).
  QCoreApplication::processEvents();
  bringToFront();
  if (window_) {
    QTimer::singleShot(150, window_, [w = window_] {
      if (!QApplication::activeWindow() && !QApplication::activeModalWidget()) w->bringToFront();
    });
  }
  return result;
}

bool QtShell::askGridSettings(GridSettings& grid) {
  QDialog dialog(window_);
  dialog.setWindowTitle(trq(text::kGridTitle));
  auto* form = new QFormLayout(&dialog);
  auto spin = [&](int value, int low, int high, const char* label) {
    auto* s = new QSpinBox(&dialog);
    s->setRange(low, high);
    s->setValue(value);
    form->addRow(trq(label), s);
    return s;
  };
  QSpinBox* w = spin(grid.width, 1, kMaxCanvasSize, text::kGridWidth);
  QSpinBox* h = spin(grid.height, 1, kMaxCanvasSize, text::kGridHeight);
  QSpinBox* per = spin(grid.pixelPer, 2, 20, text::kGridPixel);
  auto* cross = new QCheckBox(trq(text::kCentreCross), &dialog);
  cross->setChecked(grid.centreCross);
  form->addRow(cross);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  form->addRow(buttons);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  if (dialog.exec() != QDialog::Accepted) return false;
  grid = {w->value(), h->value(), per->value(), cross->isChecked()};
  return true;
}

namespace {

// The desktop's opener starts in the background and reports a missing
// browser only on the terminal, so look for one first.
bool webBrowserAvailable() {
  if (!qEnvironmentVariableIsEmpty("BROWSER")) return true;
  if (!QStandardPaths::findExecutable(QStringLiteral("xdg-mime")).isEmpty()) {
    QProcess query;
    query.start(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("text/html")});
    if (query.waitForFinished(3000) && !query.readAllStandardOutput().trimmed().isEmpty()) return true;
  }
  for (const char* name : {"x-www-browser", "firefox", "firefox-esr", "chromium", "google-chrome", "epiphany",
                           "falkon", "konqueror", "qutebrowser"}) {
    if (!QStandardPaths::findExecutable(QString::fromLatin1(name)).isEmpty()) return true;
  }
  return false;
}

}  // namespace

bool QtShell::openProgramFile(const std::string& name) {
  QString path = q(dataFolderForThisProgram()) + QLatin1Char('/') + q(name);
  if (!QFileInfo::exists(path)) return false;
  if (webBrowserAvailable() && QDesktopServices::openUrl(QUrl::fromLocalFile(path))) return true;
  QMessageBox box(QMessageBox::Warning, captionOr(std::string()), trq(ui_text::kHelpFailed).arg(path),
                  QMessageBox::Ok, window_);
  box.exec();
  return true;   // answered here: the file is there, nothing can show it
}

void QtShell::requestClose() {
  if (window_) window_->close();
}

void QtShell::setTitle(const std::string&) {
  if (window_) window_->refreshTitle();   // the same text, with the unsaved-changes mark
}

void QtShell::documentReplaced() {
  app_.selection.reset();   // the old canvas's rectangle and floating image mean nothing now
  app_.view.centreImage();
  app_.view.refreshAll();
  refreshLayerPanel(-1);
  if (window_) {
    window_->refreshInfoBar();
    window_->refreshNavigator();
  }
}

void QtShell::refreshCanvas(const Rect& imageRect) { app_.view.refreshRect(imageRect); }

void QtShell::refreshLayerPanel(int row) {
  if (!window_) return;
  window_->refreshTitle();   // a layer change marks the document modified
  if (auto* panel = window_->panel(kLayerPanel)->findChild<LayerPanel*>()) panel->refresh(row);
}

void QtShell::refreshNavigator() {
  if (window_) window_->refreshNavigator();
}

bool QtShell::askLayerSettings(std::string& name, int& opacityPercent) {
  LayerSettingsDialog dialog(window_);
  dialog.setValues(q(name), opacityPercent);
  if (dialog.exec() != QDialog::Accepted) return false;
  name = dialog.name().toStdString();
  opacityPercent = dialog.percent();
  return true;
}

bool QtShell::chooseImageFile(const std::string& initialFolder, std::string& path) {
  QString chosen = QFileDialog::getOpenFileName(window_, QString(), q(initialFolder),
                                                trq(text::kImageFileFilter));
  path = chosen.toStdString();
  return !chosen.isEmpty();
}

bool QtShell::choosePngFile(const std::string& initialFolder, const std::string& fileName, std::string& path) {
  QString start = q(initialFolder.empty() ? fileName : initialFolder + "/" + fileName);
  QString chosen = QFileDialog::getSaveFileName(window_, QString(), start, trq(text::kPngFileFilter));
  if (chosen.isEmpty()) return false;
  if (!chosen.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive)) chosen += QStringLiteral(".png");
  path = chosen.toStdString();
  return true;
}

void QtShell::setBusy(bool busy) {
  if (busy) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else {
    QApplication::restoreOverrideCursor();
  }
}

void QtShell::recentListsChanged() {
  if (window_) window_->rebuildRecentMenu();
}

void QtShell::bringToFront() {
  if (window_) window_->bringToFront();
}

}  // namespace tessel
