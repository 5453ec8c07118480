#pragma once
#include "app/shell.h"

class QProgressDialog;

namespace tessel {

class Application;
class DialogProgress;
class MainWindow;

// The Shell the core talks to, answered with Qt dialogs and the main window.
class QtShell : public Shell {
 public:
  explicit QtShell(Application& app) : app_(app) {}
  // The window's commands reach the core through this shell.
  void setWindow(MainWindow* window);

  void showMessage(const std::string& text, const std::string& caption, MessageIcon icon) override;
  Answer askYesNoCancel(const std::string& text, const std::string& caption) override;
  bool askYesNo(const std::string& text, const std::string& caption, MessageIcon icon) override;
  bool askWithCheckBox(const std::string& text, const std::string& caption, const std::string& accept,
                       const std::string& checkLabel, bool& checked) override;
  bool askNewImageSize(int& width, int& height, const std::vector<uint32_t>& recentSizes) override;
  bool chooseOpenFile(const std::string& initialFolder, std::string& path) override;
  bool chooseSaveFile(const std::string& initialFolder, const std::string& fileName, int& formatIndex,
                      std::string& path) override;
  bool askPngOptions(ImageSaveOptions& options) override;
  bool askGifOptions(ImageSaveOptions& options) override;
  bool clipboardImageSize(int& width, int& height) override;
  bool readClipboardImage(Image32& image) override;
  bool askLayerSettings(std::string& name, int& opacityPercent) override;
  bool chooseImageFile(const std::string& initialFolder, std::string& path) override;
  bool choosePngFile(const std::string& initialFolder, const std::string& fileName, std::string& path) override;
  void setBusy(bool busy) override;
  bool askImageSize(ScaleModel& model) override;
  bool askSelectionScale(ScaleModel& model) override;
  bool askCanvasSize(int& width, int& height, int& anchor, int& fill) override;
  bool askRotateAngle(int& degrees, bool& smooth) override;
  bool askSelectionRect(int& left, int& top, int& right, int& bottom) override;
  bool writeClipboardImage(const Image32& image, bool withAlpha) override;
  DibResult readClipboardImage32(Image32& image) override;
  int runWithProgress(const ProgressTask& task) override;
  // These three live in scan_dialog.cpp.
  int runCancellable(const ProgressTask& task) override;
  bool chooseScanner(const std::vector<ScannerDevice>& devices, int& index) override;
  bool askScanSettings(ScanRequest& request, const ScanCapabilities& caps) override;
  bool askGridSettings(GridSettings& grid) override;
  bool openProgramFile(const std::string& name) override;
  void requestClose() override;
  bool runFilterDialog(FilterDialogModel& model, FilterPreviewSession& session) override;
  bool runLevelsDialog(FilterValues& values, const std::array<uint32_t, 256>& histogram,
                       FilterPreviewSession& session) override;
  bool askReplaceColours(Pixel& from, Pixel& to) override;
  bool askEnvSettings(EnvSettings& env) override;
  bool askKeyAssignments(KeyTable& keys) override;
  bool askPreferredSave(std::string& folder, int& formatIndex) override;
  void setTitle(const std::string& title) override;
  void documentReplaced() override;
  void refreshCanvas(const Rect& imageRect) override;
  void refreshLayerPanel(int row) override;
  void refreshNavigator() override;
  void recentListsChanged() override;
  void bringToFront() override;

 private:
  // Runs the task on a worker while the shown dialog takes its progress, then
  // hands the focus back to the window.
  int runOnWorker(QProgressDialog& dialog, DialogProgress& progress, const ProgressTask& task);

  Application& app_;
  MainWindow* window_ = nullptr;
};

}  // namespace tessel
