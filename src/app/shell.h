#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "filters/filter_types.h"
#include "formats/format_table.h"
#include "image/geometry.h"
#include "image/progress.h"

namespace tessel {

class Image32;
class FilterDialogModel;
class FilterPreviewSession;
struct ScaleModel;
enum class DibResult;
class KeyTable;
struct EnvSettings;
struct ScannerDevice;
struct ScanCapabilities;
struct ScanRequest;

enum class Answer { Yes, No, Cancel };
enum class MessageIcon { Information, Warning, Error, Question };

// Long work (load, save, scale, filters). It runs on one worker thread while
// the user interface waits in the modal progress dialog; it may touch the
// document and the Progress it is given, nothing else. Returns a result code.
using ProgressTask = std::function<int(Progress&)>;

// The grid settings dialog's fields.
struct GridSettings {
  int width = 100, height = 100;   // grid cell, 1-4500
  int pixelPer = 5;                // the pixel grid shows from this many hundred percent, 2-20
  bool centreCross = false;
};

// What the core asks of the user interface. The Qt program implements it
// with windows; tests implement it with a scripted fake. Every call comes
// from the user-interface thread.
class Shell {
 public:
  virtual ~Shell() = default;

  // Message box with an OK button; an empty caption means the program's name.
  virtual void showMessage(const std::string& text, const std::string& caption, MessageIcon icon) = 0;
  // Yes/No/Cancel with the question icon and Cancel as the default button.
  virtual Answer askYesNoCancel(const std::string& text, const std::string& caption) = 0;
  virtual bool askYesNo(const std::string& text, const std::string& caption, MessageIcon icon) = 0;
  // A warning with an accept and a cancel button and one check box below the
  // text; checked comes in and goes out. True for accept.
  virtual bool askWithCheckBox(const std::string& text, const std::string& caption, const std::string& accept,
                               const std::string& checkLabel, bool& checked) {
    (void)accept, (void)checkLabel, (void)checked;
    return askYesNo(text, caption, MessageIcon::Warning);
  }

  // The New dialog: width and height come in preset to the last size and go
  // out as chosen (each 1-4500; the dialog itself refuses larger values with
  // "图像宽度或高度过大"). recentSizes are width << 16 | height, most recent
  // first, shown as "%dx%d". False when cancelled.
  virtual bool askNewImageSize(int& width, int& height, const std::vector<uint32_t>& recentSizes) = 0;
  // Open dialog (native format as the default extension). False when cancelled.
  virtual bool chooseOpenFile(const std::string& initialFolder, std::string& path) = 0;
  // Save dialog: formatIndex comes in preselected (0 tsd, 1 psd, 2 bmp,
  // 3 png, 4 jpg, 5 gif, 6 vrw) and goes out as chosen; fileName is the name
  // field's start (no folder, no extension). False when cancelled.
  virtual bool chooseSaveFile(const std::string& initialFolder, const std::string& fileName,
                              int& formatIndex, std::string& path) = 0;
  // Per-format option dialogs; false when cancelled.
  virtual bool askPngOptions(ImageSaveOptions& options) = 0;
  virtual bool askGifOptions(ImageSaveOptions& options) = 0;
  // Size of the clipboard's bitmap (height as its absolute value); false
  // when there is none.
  virtual bool clipboardImageSize(int& width, int& height) = 0;
  // The clipboard's bitmap into image, created beforehand: transparent
  // white, the bitmap at the top-left, then alpha 255 all over. False when
  // there is none.
  virtual bool readClipboardImage(Image32& image) = 0;

  // The layer settings dialog "设置": name (UTF-8, the dialog keeps at most
  // 31 characters) and opacity percent 0-100, both in and out. False when cancelled.
  virtual bool askLayerSettings(std::string& name, int& opacityPercent) = 0;
  // Open dialog for a BMP, PNG, GIF or JPEG picture. False when cancelled.
  virtual bool chooseImageFile(const std::string& initialFolder, std::string& path) = 0;
  // Save dialog for a PNG; fileName is the suggested name. False when cancelled.
  virtual bool choosePngFile(const std::string& initialFolder, const std::string& fileName,
                             std::string& path) = 0;
  // The wait cursor while a long layer command runs.
  virtual void setBusy(bool busy) = 0;
  // Selection and image commands. Each dialog starts from the values passed
  // in and writes the chosen ones back; false when cancelled.
  // The scale dialog ("缩放") for the image and for the selection.
  virtual bool askImageSize(ScaleModel& model) = 0;
  virtual bool askSelectionScale(ScaleModel& model) = 0;
  // Canvas size: new size, anchor 0-8 (k mod 3 across, k div 3 down) and the
  // fill (0 transparent, 1 white, 2 the foreground colour).
  virtual bool askCanvasSize(int& width, int& height, int& anchor, int& fill) = 0;
  // Rotate by an angle: whole degrees and the smoothing check box.
  virtual bool askRotateAngle(int& degrees, bool& smooth) = 0;
  // The selection's inclusive corners.
  virtual bool askSelectionRect(int& left, int& top, int& right, int& bottom) = 0;
  // Puts image on the clipboard as a 24-bit or a 32-bit bitmap.
  virtual bool writeClipboardImage(const Image32& image, bool withAlpha) = 0;
  // The clipboard's 32-bit bitmap into image (already created), as
  // pasteDib32 does; Invalid when there is none.
  virtual DibResult readClipboardImage32(Image32& image) = 0;

  // Runs task behind the modal progress dialog "处理中..." on one worker
  // thread and returns its result once the dialog has closed; the main
  // window comes to the foreground afterwards.
  virtual int runWithProgress(const ProgressTask& task) = 0;
  // The same dialog with a Cancel button, which the task sees through
  // Progress::cancelled(); the dialog closes when the task returns.
  virtual int runCancellable(const ProgressTask& task) { return runWithProgress(task); }

  // The scanner list: index comes in as the remembered device (-1 none) and
  // goes out as the chosen one. False when cancelled.
  virtual bool chooseScanner(const std::vector<ScannerDevice>&, int& /*index*/) { return false; }
  // Resolution, mode and area from what the device offers; false when cancelled.
  virtual bool askScanSettings(ScanRequest&, const ScanCapabilities&) { return false; }

  // The grid settings dialog; false when cancelled.
  virtual bool askGridSettings(GridSettings& grid) = 0;
  // Opens a file of the program's folder with the system's default
  // application; false when it is missing. When nothing can show it the
  // shell says so itself.
  virtual bool openProgramFile(const std::string& name) = 0;
  // The main window is to close as if its close box was pressed; it asks
  // about unsaved changes itself.
  virtual void requestClose() = 0;
  // The generic filter dialog laid out by model (the shell may lay it out
  // again with its own font metrics). It runs a first preview as it opens;
  // its edits go into model and, while the preview box is checked, start a
  // preview through session. The caller restores the layer afterwards.
  // True for OK.
  virtual bool runFilterDialog(FilterDialogModel& model, FilterPreviewSession& session) = 0;
  // Levels: input low, middle, high and output low, high in values.slider[0..4],
  // with the luma histogram of the current layer; its edits start previews
  // on the canvas through session. The caller restores the layer afterwards.
  // True for OK.
  virtual bool runLevelsDialog(FilterValues& values, const std::array<uint32_t, 256>& histogram,
                               FilterPreviewSession& session) = 0;
  // Replace colour: the colour replaced and its replacement, 0x00RRGGBB. True for OK.
  virtual bool askReplaceColours(Pixel& from, Pixel& to) = 0;
  // Environment settings (three tabs), key assignments, the preferred save
  // folder and format (0-6 as in the Save dialog): edited in place, true for OK.
  virtual bool askEnvSettings(EnvSettings& env) = 0;
  virtual bool askKeyAssignments(KeyTable& keys) = 0;
  virtual bool askPreferredSave(std::string& folder, int& formatIndex) = 0;

  // Refresh notifications.
  virtual void setTitle(const std::string& title) = 0;
  // A new or newly opened document: canvas, scroll bars, navigator and layer
  // panel are rebuilt and the selection is reset.
  virtual void documentReplaced() = 0;
  virtual void refreshCanvas(const Rect& imageRect) = 0;
  virtual void refreshLayerPanel(int row) = 0;   // -1: every row
  virtual void refreshNavigator() = 0;
  // The recent-file and recent-folder lists changed: rebuild their menus.
  virtual void recentListsChanged() = 0;
  virtual void bringToFront() = 0;
};

}  // namespace tessel
