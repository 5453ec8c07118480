#pragma once
#include <functional>
#include <string>
#include <vector>

#include "app/files/document_io.h"
#include "app/shell.h"
#include "config/settings.h"

namespace tessel {

class Document;
class Image32;

// What the open/save flow needs of the undo history.
class EditHistory {
 public:
  virtual ~EditHistory() = default;
  virtual bool modified() const = 0;
  virtual void clear() = 0;        // a new or newly opened document
  virtual void markSaved() = 0;    // clears the modified flag
};

// New, Open and Save with the unsaved-changes question, the recent lists,
// the current path and the title. Loads and saves run through
// Shell::runWithProgress on its worker thread.
class OpenSaveFlow {
 public:
  OpenSaveFlow(Document& document, Settings& settings, Shell& shell, EditHistory& history,
               const FormatTable& formats = builtinFormats());

  const std::string& currentPath() const { return path_; }
  // Changed since the last save, or its layers were last saved only
  // flattened, or it came back from a recovery file and was not saved since.
  bool modified() const { return history_.modified() || layersUnsaved_ || recovered_; }
  bool layersUnsaved() const { return layersUnsaved_; }
  bool recovered() const { return recovered_; }
  // Opens a recovery file as a modified document that belongs to documentPath.
  bool openRecovered(const std::string& file, const std::string& documentPath);
  // Told after a successful save and whenever another document takes the
  // open one's place (the autosave drops its recovery file then).
  std::function<void()> onSaved;
  std::function<void()> onReplaced;
  std::string windowTitle() const;
  void updateTitle();
  bool pngSaveAlpha() const { return pngSaveAlpha_; }
  void setPngSaveAlpha(bool on) { pngSaveAlpha_ = on; }
  // The pauses that let the finished bar be seen.
  void setPauses(int afterLoadMs, int afterSaveMs);

  // True to go on (nothing to save, No, or Yes and the save completed).
  bool confirmUnsavedChanges();
  // Before the program ends: asks only when OptFlag bit 1 is set.
  bool confirmExit();

  bool newImage();                          // cmd::kNew
  bool openFromClipboard();                 // cmd::kOpenFromClipboard
  bool open();                              // cmd::kOpen
  bool openFromRecentFolder(int n);         // 3200 + n
  bool openRecentFile(int n);               // 3100 + n
  bool openDropped(const std::vector<std::string>& paths);
  // Loads behind the progress dialog and reports the result; no question first.
  bool openFile(const std::string& path);
  // A new untitled one-layer document holding image (a scan), opaque; the
  // size limit and messages as Open's. No question first.
  bool openAcquiredImage(const Image32& image);

  bool save();                              // cmd::kSave
  bool saveAs();                            // cmd::kSaveAs
  bool savePreferred();                     // cmd::kSavePreferred
  bool quickSave(int formatIndex);          // 3250-3254: formats 1-5
  bool saveToRecentFolder(int n);           // 3200 + n from the save pop-up
  // The one save routine.
  bool save(bool forceDialog, const std::string& folder, int formatIndex);

 private:
  std::string saveFolder() const;
  ImageSaveOptions optionsFromSettings() const;
  bool askFormatOptions(const std::string& path, ImageSaveOptions& options);
  void acceptNewDocument(const std::string& path);
  // Loads behind the progress dialog into a separate document that replaces
  // the open one only when the load succeeded; returns the result code.
  int loadReplacing(const std::string& path, LoadOutcome& outcome);
  // Asks before a flattening format would drop layers; false to stop.
  bool confirmFlatten(const std::string& path);
  bool dropsLayerData(const std::string& path) const;
  void rememberFile(const std::string& path);

  Document& document_;
  Settings& settings_;
  Shell& shell_;
  EditHistory& history_;
  const FormatTable& formats_;
  std::string path_;
  bool pngSaveAlpha_ = false;
  bool layersUnsaved_ = false;
  bool recovered_ = false;
  // The transparent colours last chosen in the option dialogs (this session only).
  int32_t pngTransparent_ = -1;
  int32_t gifTransparent_ = -1;
  int loadPauseMs_ = 50;
  int savePauseMs_ = 100;
};

}  // namespace tessel
