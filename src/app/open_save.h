#pragma once
#include <string>
#include <vector>

#include "app/document_io.h"
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
               const FormatRegistry& formats = builtinFormats());

  const std::string& currentPath() const { return path_; }
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

  bool newImage();                          // 40001
  bool openFromClipboard();                 // 40003
  bool open();                              // 40002
  bool openFromRecentFolder(int n);         // 3200 + n
  bool openRecentFile(int n);               // 3100 + n
  bool openDropped(const std::vector<std::string>& paths);
  // Loads behind the progress dialog and reports the result; no question first.
  bool openFile(const std::string& path);
  // A new untitled one-layer document holding image (a scan), opaque; the
  // size limit and messages as Open's. No question first.
  bool openAcquiredImage(const Image32& image);

  bool save();                              // 40004
  bool saveAs();                            // 40005
  bool savePreferred();                     // 40012
  bool quickSave(int formatIndex);          // 3250-3254: formats 1-5
  bool saveToRecentFolder(int n);           // 3200 + n from the save pop-up
  // The one save routine.
  bool save(bool forceDialog, const std::string& folder, int formatIndex);

 private:
  std::string saveFolder() const;
  ImageSaveOptions optionsFromSettings() const;
  bool askFormatOptions(const std::string& path, ImageSaveOptions& options);
  void acceptNewDocument(const std::string& path);
  void rememberFile(const std::string& path);

  Document& document_;
  Settings& settings_;
  Shell& shell_;
  EditHistory& history_;
  const FormatRegistry& formats_;
  std::string path_;
  bool pngSaveAlpha_ = false;
  // The transparent colours last chosen in the option dialogs (this session only).
  int32_t pngTransparent_ = -1;
  int32_t gifTransparent_ = -1;
  int loadPauseMs_ = 50;
  int savePauseMs_ = 100;
};

}  // namespace tessel
