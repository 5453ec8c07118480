#include "app/open_save.h"

#include <chrono>
#include <thread>

#include "app/messages.h"
#include "app/recent_lists.h"
#include "document/document.h"
#include "formats/file.h"
#include "formats/native_document.h"

namespace tessel {

namespace {

void pause(int ms) {
  if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace

OpenSaveFlow::OpenSaveFlow(Document& document, Settings& settings, Shell& shell, EditHistory& history,
                           const FormatRegistry& formats)
    : document_(document), settings_(settings), shell_(shell), history_(history), formats_(formats) {}

void OpenSaveFlow::setPauses(int afterLoadMs, int afterSaveMs) {
  loadPauseMs_ = afterLoadMs;
  savePauseMs_ = afterSaveMs;
}

std::string OpenSaveFlow::windowTitle() const {
  std::string title = kTitlePrefix;
  if (path_.empty())
    title += kTitleNewFile;
  else
    title += (settings_.optFlag & kOptTitleFileNameOnly) ? fileNameOf(path_) : path_;
  return title;
}

void OpenSaveFlow::updateTitle() { shell_.setTitle(windowTitle()); }

bool OpenSaveFlow::confirmUnsavedChanges() {
  if (!history_.modified()) return true;
  switch (shell_.askYesNoCancel(kMsgUnsavedChanges, "")) {
    case Answer::Cancel: return false;
    case Answer::No: return true;
    case Answer::Yes: return save(false, saveFolder(), kSaveTsd);
  }
  return false;
}

bool OpenSaveFlow::confirmExit() {
  return (settings_.optFlag & kOptAskSaveOnExit) == 0 || confirmUnsavedChanges();
}

// The document was replaced: it has no history and, unless it came from path, no file.
void OpenSaveFlow::acceptNewDocument(const std::string& path) {
  path_ = path;
  history_.clear();
  updateTitle();
  shell_.documentReplaced();
}

void OpenSaveFlow::rememberFile(const std::string& path) {
  pushRecent(settings_.recentFiles, path);
  pushRecent(settings_.recentDirs, folderOf(path));
  shell_.recentListsChanged();
}

bool OpenSaveFlow::newImage() {
  int width = settings_.lastImgW, height = settings_.lastImgH;
  std::vector<uint32_t> recent(settings_.newSizeRecent.begin(), settings_.newSizeRecent.end());
  if (!shell_.askNewImageSize(width, height, recent)) return false;
  if (width < 1 || height < 1 || width > kMaxCanvasSize || height > kMaxCanvasSize) {
    shell_.showMessage(kMsgImageTooLarge, "", MessageIcon::Warning);
    return false;
  }
  if (!confirmUnsavedChanges()) return false;
  if (!document_.newImage(width, height, true)) {
    shell_.showMessage(kMsgNewImageFailed, "", MessageIcon::Error);
    return false;
  }
  settings_.lastImgW = width;
  settings_.lastImgH = height;
  pushRecentSize(settings_.newSizeRecent, uint32_t(width) << 16 | uint32_t(height));
  acceptNewDocument("");
  return true;
}

bool OpenSaveFlow::openFromClipboard() {
  if (!confirmUnsavedChanges()) return false;
  int width = 0, height = 0;
  if (!shell_.clipboardImageSize(width, height) || width < 1 || height < 1) {
    shell_.showMessage(kMsgClipboardEmpty, "", MessageIcon::Warning);
    return false;
  }
  if (width > kMaxCanvasSize || height > kMaxCanvasSize) {
    shell_.showMessage(sizeLimitMessage(), "", MessageIcon::Warning);
    return false;
  }
  // Read before the document is replaced: a clipboard that changed or
  // emptied meanwhile leaves the open document alone.
  Image32 image;
  if (!image.create(width, height)) {
    shell_.showMessage(kMsgNewImageFailed, "", MessageIcon::Error);
    return false;
  }
  if (!shell_.readClipboardImage(image)) {
    shell_.showMessage(kMsgClipboardEmpty, "", MessageIcon::Warning);
    return false;
  }
  if (!document_.newImage(width, height, true)) {
    shell_.showMessage(kMsgNewImageFailed, "", MessageIcon::Error);
    return false;
  }
  Image32& layer = document_.currentLayer()->image;
  layer.copyFrom(image);
  layer.setAlphaRect(0, 0, layer.width(), layer.height(), 255);   // clipboard bitmaps carry no alpha
  acceptNewDocument("");
  return true;
}

bool OpenSaveFlow::openAcquiredImage(const Image32& image) {
  if (image.width() > kMaxCanvasSize || image.height() > kMaxCanvasSize) {
    shell_.showMessage(sizeLimitMessage(), "", MessageIcon::Warning);
    return false;
  }
  if (!image.valid() || !document_.newImage(image.width(), image.height(), true)) {
    shell_.showMessage(kMsgNewImageFailed, "", MessageIcon::Error);
    return false;
  }
  Image32& layer = document_.currentLayer()->image;
  layer.copyFrom(image);
  layer.setAlphaRect(0, 0, layer.width(), layer.height(), 255);
  acceptNewDocument("");
  return true;
}

bool OpenSaveFlow::open() { return openFromRecentFolder(-1); }

bool OpenSaveFlow::openFromRecentFolder(int n) {
  std::string folder = settings_.openDir;
  if (n >= 0 && n < kRecentDirCount && !settings_.recentDirs[size_t(n)].empty())
    folder = settings_.recentDirs[size_t(n)];
  std::string path;
  if (!shell_.chooseOpenFile(folder, path)) return false;
  if (!confirmUnsavedChanges()) return false;
  return openFile(path);
}

bool OpenSaveFlow::openRecentFile(int n) {
  if (n < 0 || n >= kRecentFileCount || settings_.recentFiles[size_t(n)].empty()) return false;
  std::string path = settings_.recentFiles[size_t(n)];
  if (!fileExists(path)) {
    shell_.showMessage(kMsgFileMissing, "", MessageIcon::Warning);
    removeRecent(settings_.recentFiles, n);
    shell_.recentListsChanged();
    return false;
  }
  if (!confirmUnsavedChanges()) return false;
  return openFile(path);
}

bool OpenSaveFlow::openDropped(const std::vector<std::string>& paths) {
  if (paths.empty() || !confirmUnsavedChanges()) return false;
  bool ok = openFile(paths.front());
  shell_.bringToFront();
  return ok;
}

bool OpenSaveFlow::openFile(const std::string& path) {
  LoadOutcome outcome;
  int code = shell_.runWithProgress([&](Progress& progress) {
    int r = loadFile(formats_, path, document_, progress, outcome);
    if (r == kReadOk) pause(loadPauseMs_);
    return r;
  });
  if (code != kReadOk) shell_.showMessage(loadResultMessage(code), "", MessageIcon::Warning);
  if (code == kReadOutOfMemory) {
    // The reader left a blank image behind; it must not be saved over the file.
    acceptNewDocument("");
    return false;
  }
  if (code != kReadOk && code != kReadDecompressFailed) return false;
  pngSaveAlpha_ = outcome.pngAlpha;
  settings_.openDir = folderOf(path);
  rememberFile(path);
  acceptNewDocument(path);
  return true;
}

std::string OpenSaveFlow::saveFolder() const { return path_.empty() ? settings_.saveDir : folderOf(path_); }

bool OpenSaveFlow::save() { return save(false, saveFolder(), kSaveTsd); }
bool OpenSaveFlow::saveAs() { return save(true, saveFolder(), kSaveTsd); }
bool OpenSaveFlow::savePreferred() { return save(true, settings_.fixSaveDir, settings_.fixSaveOpt & 15); }

bool OpenSaveFlow::quickSave(int formatIndex) {
  if (formatIndex < kSavePsd || formatIndex > kSaveGif) return false;
  return save(true, saveFolder(), formatIndex);
}

bool OpenSaveFlow::saveToRecentFolder(int n) {
  if (n < 0 || n >= kRecentDirCount) return false;
  return save(true, settings_.recentDirs[size_t(n)], kSaveTsd);
}

ImageSaveOptions OpenSaveFlow::optionsFromSettings() const {
  ImageSaveOptions options;
  options.pngAlpha = pngSaveAlpha_;
  options.pngLevel = settings_.pngComp;
  options.jpegQuality = settings_.jpegComp & 0xFF;
  options.jpegSubsample = (settings_.jpegComp & 0x8000) != 0;
  options.pngTransparent = pngTransparent_;
  options.gifTransparent = gifTransparent_;
  return options;
}

bool OpenSaveFlow::askFormatOptions(const std::string& path, ImageSaveOptions& options) {
  std::string extension = fileExtension(path);
  if (equalsIgnoreCase(extension, "png")) {
    if (!shell_.askPngOptions(options)) return false;
    pngSaveAlpha_ = options.pngAlpha;
    settings_.pngComp = options.pngLevel;
    pngTransparent_ = options.pngTransparent;
  } else if (equalsIgnoreCase(extension, "gif")) {
    if (!shell_.askGifOptions(options)) return false;
    gifTransparent_ = options.gifTransparent;
  }
  return true;
}

bool OpenSaveFlow::save(bool forceDialog, const std::string& folder, int formatIndex) {
  std::string path = path_;
  bool dialog = forceDialog || path.empty();
  bool inPlaceVrw = false;
  if (!dialog) {
    if (equalsIgnoreCase(fileExtension(path), "vrw")) {
      dialog = shell_.askYesNo(kMsgVrwFormat, kCaptionVrw, MessageIcon::Warning);
      inPlaceVrw = !dialog;
    } else if ((settings_.optFlag & kOptConfirmOverwrite) &&
               !shell_.askYesNo(path + "\n\n" + kMsgOverwrite, kCaptionOverwrite, MessageIcon::Question)) {
      return false;
    }
  }
  if (dialog) {
    int index = formatIndex;
    std::string chosen;
    if (!shell_.chooseSaveFile(folder, path_.empty() ? std::string() : baseNameOf(path_), index, chosen))
      return false;
    path = chosen;
    settings_.saveDir = folderOf(chosen);
  }
  ImageSaveOptions options = optionsFromSettings();
  if (!inPlaceVrw && !askFormatOptions(path, options)) return false;

  int result = shell_.runWithProgress([&](Progress& progress) {
    if (!saveFile(formats_, path, document_, progress, options)) return 0;
    progress.step();
    pause(savePauseMs_);
    return 1;
  });
  if (result != 1) {
    shell_.showMessage(kMsgSaveFailed, "", MessageIcon::Error);
    return false;
  }
  path_ = path;
  updateTitle();
  rememberFile(path);
  history_.markSaved();
  return true;
}

}  // namespace tessel
