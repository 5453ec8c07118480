#include "app/files/open_save.h"

#include <chrono>
#include <memory>
#include <thread>

#include "app/files/load_messages.h"
#include "app/files/messages.h"
#include "app/files/recent_lists.h"
#include "document/document.h"
#include "io/file.h"
#include "formats/native_document.h"
#include "resources/language.h"

namespace tessel {

namespace {

void pause(int ms) {
  if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// A read failed, or the file changed while it was read.
constexpr int kReadIoError = -100;
constexpr char kMsgReadError[] = "读取文件时出错（文件可能已被修改或损坏），当前图像未改变";
constexpr char kMsgFlatten[] =
    "所选格式只能保存一个图像：图层将被合并，图层的名称、混合模式、不透明度和隐藏状态不会被保存。\n"
    "如需保留图层，请保存为TSD或PSD格式。";
constexpr char kCaptionFlatten[] = "合并图层保存";
constexpr char kFlattenAccept[] = "合并保存";
constexpr char kFlattenDontAsk[] = "不再提示";
constexpr char kMsgRecoveredOverwrite[] = "此图像是从恢复文件中恢复的。\n是否覆盖原文件？\n\n选择“否”可另存为其他文件。";

bool isLayeredFormat(const std::string& path) {
  const std::string e = fileExtension(path);
  return equalsIgnoreCase(e, "tsd") || equalsIgnoreCase(e, "psd") || equalsIgnoreCase(e, "ora");
}

}  // namespace

OpenSaveFlow::OpenSaveFlow(Document& document, Settings& settings, Shell& shell, EditHistory& history,
                           const FormatTable& formats)
    : document_(document), settings_(settings), shell_(shell), history_(history), formats_(formats) {}

void OpenSaveFlow::setPauses(int afterLoadMs, int afterSaveMs) {
  loadPauseMs_ = afterLoadMs;
  savePauseMs_ = afterSaveMs;
}

std::string OpenSaveFlow::windowTitle() const {
  std::string title = kTitlePrefix;
  if (path_.empty())
    title += text::tr(kTitleNewFile);
  else
    title += (settings_.optFlag & kOptTitleFileNameOnly) ? fileNameOf(path_) : path_;
  return title;
}

void OpenSaveFlow::updateTitle() { shell_.setTitle(windowTitle()); }

bool OpenSaveFlow::confirmUnsavedChanges() {
  if (!modified()) return true;
  switch (shell_.askYesNoCancel(text::tr(kMsgUnsavedChanges), "")) {
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
  layersUnsaved_ = recovered_ = false;
  history_.clear();
  if (onReplaced) onReplaced();
  updateTitle();
  shell_.documentReplaced();
}

int OpenSaveFlow::loadReplacing(const std::string& path, LoadOutcome& outcome) {
  return shell_.runWithProgress([&](Progress& progress) {
    const FileStamp before = fileStamp(path);
    const int64_t readErrors = file_faults::readErrors();
    auto loaded = std::make_unique<Document>();
    int r = loadFile(formats_, path, *loaded, progress, outcome);
    if (r != kReadOk && r != kReadDecompressFailed) return r;
    // A read error, or a file that shrank or changed under the reader, gives
    // a picture that is neither the old nor the new file: keep the open one.
    if (file_faults::readErrors() != readErrors || !(fileStamp(path) == before)) return kReadIoError;
    if (!document_.newImage(loaded->width(), loaded->height(), false)) return int(kReadOutOfMemory);
    document_.layers() = std::move(loaded->layers());
    document_.selectLayer(loaded->currentIndex());
    if (r == kReadOk) pause(loadPauseMs_);
    return r;
  });
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
    shell_.showMessage(text::tr(kMsgImageTooLarge), "", MessageIcon::Warning);
    return false;
  }
  if (!confirmUnsavedChanges()) return false;
  if (!document_.newImage(width, height, true)) {
    shell_.showMessage(text::tr(kMsgNewImageFailed), "", MessageIcon::Error);
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
    shell_.showMessage(text::tr(kMsgClipboardEmpty), "", MessageIcon::Warning);
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
    shell_.showMessage(text::tr(kMsgNewImageFailed), "", MessageIcon::Error);
    return false;
  }
  if (!shell_.readClipboardImage(image)) {
    shell_.showMessage(text::tr(kMsgClipboardEmpty), "", MessageIcon::Warning);
    return false;
  }
  if (!document_.newImage(width, height, true)) {
    shell_.showMessage(text::tr(kMsgNewImageFailed), "", MessageIcon::Error);
    return false;
  }
  Image32& layer = document_.currentLayer()->image();
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
    shell_.showMessage(text::tr(kMsgNewImageFailed), "", MessageIcon::Error);
    return false;
  }
  Image32& layer = document_.currentLayer()->image();
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
    shell_.showMessage(text::tr(kMsgFileMissing), "", MessageIcon::Warning);
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
  int code = loadReplacing(path, outcome);
  if (code != kReadOk)
    shell_.showMessage(code == kReadIoError ? std::string(text::tr(kMsgReadError)) : loadFailureMessage(code, path, outcome),
                       "", MessageIcon::Warning);
  if (code != kReadOk && code != kReadDecompressFailed) return false;
  pngSaveAlpha_ = outcome.pngAlpha;
  settings_.openDir = folderOf(path);
  rememberFile(path);
  acceptNewDocument(path);
  // What the reader could not keep, told once the document is up.
  if (code == kReadOk && !outcome.notice.empty())
    shell_.showMessage(outcome.notice, "", MessageIcon::Information);
  return true;
}

bool OpenSaveFlow::openRecovered(const std::string& file, const std::string& documentPath) {
  LoadOutcome outcome;
  int code = loadReplacing(file, outcome);
  if (code != kReadOk && code != kReadDecompressFailed) {
    shell_.showMessage(code == kReadIoError ? std::string(text::tr(kMsgReadError)) : loadResultMessage(code), "",
                       MessageIcon::Warning);
    return false;
  }
  acceptNewDocument(documentPath);
  recovered_ = true;
  updateTitle();
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
      dialog = shell_.askYesNo(text::tr(kMsgVrwFormat), text::tr(kCaptionVrw), MessageIcon::Warning);
      inPlaceVrw = !dialog;
    } else if (recovered_) {
      // The original may hold work done after the recovery file was written.
      dialog = !shell_.askYesNo(path + "\n\n" + text::tr(kMsgRecoveredOverwrite), text::tr(kCaptionOverwrite), MessageIcon::Warning);
    } else if ((settings_.optFlag & kOptConfirmOverwrite) &&
               !shell_.askYesNo(path + "\n\n" + text::tr(kMsgOverwrite), text::tr(kCaptionOverwrite), MessageIcon::Question)) {
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
  if (!confirmFlatten(path)) return false;
  ImageSaveOptions options = optionsFromSettings();
  if (!inPlaceVrw && !askFormatOptions(path, options)) return false;
  const bool dropsLayers = dropsLayerData(path);

  int result = shell_.runWithProgress([&](Progress& progress) {
    if (!saveFile(formats_, path, document_, progress, options)) return 0;
    progress.step();
    pause(savePauseMs_);
    return 1;
  });
  if (result != 1) {
    shell_.showMessage(text::tr(kMsgSaveFailed), "", MessageIcon::Error);
    return false;
  }
  path_ = path;
  history_.markSaved();
  // Layers written only flattened are still unsaved work.
  layersUnsaved_ = dropsLayers || (layersUnsaved_ && !isLayeredFormat(path));
  recovered_ = false;
  if (onSaved) onSaved();
  updateTitle();
  rememberFile(path);
  return true;
}

bool OpenSaveFlow::dropsLayerData(const std::string& path) const {
  const std::string e = fileExtension(path);
  if (isLayeredFormat(path) || equalsIgnoreCase(e, "vrw")) return false;
  if (document_.layerCount() > 1) return true;
  const Layer* only = document_.layers().atIndex(0);
  return only && (only->opacity != kFullOpacity || only->blendMode != 0 || only->maskMode != 0 || !only->visible());
}

bool OpenSaveFlow::confirmFlatten(const std::string& path) {
  if (!settings_.flattenAsk || !dropsLayerData(path)) return true;
  bool dontAsk = false;
  if (!shell_.askWithCheckBox(text::tr(kMsgFlatten), text::tr(kCaptionFlatten), text::tr(kFlattenAccept), text::tr(kFlattenDontAsk), dontAsk)) return false;
  if (dontAsk) settings_.flattenAsk = 0;
  return true;
}

}  // namespace tessel
