#include "app/files/document_io.h"

#include <cstdio>

#include "app/files/messages.h"
#include "document/document.h"
#include "io/file.h"
#include "formats/native_document.h"
#include "resources/language.h"

namespace tessel {

int saveFormatCount() { return int(builtinFormats().saveFormats().size()); }

const char* saveFormatExtension(int index) {
  const auto formats = builtinFormats().saveFormats();
  return (index >= 0 && index < int(formats.size()) ? formats[size_t(index)] : formats[0])->extension.c_str();
}

const char* saveFormatLabel(int index) {
  const auto formats = builtinFormats().saveFormats();
  return (index >= 0 && index < int(formats.size()) ? formats[size_t(index)] : formats[0])->label.c_str();
}

std::string openFileFilter() {
  std::string filter = text::tr("图像文件 (") + builtinFormats().openPatterns() + ")";
  for (const FileFormat& row : builtinFormats().rows)
    if (!row.openEntry.empty()) filter += ";;" + std::string(text::tr(row.openEntry.c_str()));
  return filter + text::tr(";;所有文件 (*)");
}

namespace {

int loadPicture(const FileFormat& format, const std::string& path, Document& document, Progress& progress,
                LoadOutcome& outcome) {
  if (!format.read) return kReadFailed;
  Image32 image;
  ImageReadInfo info;
  const bool ok = format.read(path, image, info);
  outcome.reason = info.reason;
  if (info.tooLarge) return kReadTooLarge;
  if (!ok || !image.valid()) return kReadFailed;
  if (image.width() > kMaxCanvasSize || image.height() > kMaxCanvasSize) return kReadTooLarge;
  if (!document.newImage(image.width(), image.height(), true)) return kReadOutOfMemory;
  document.currentLayer()->image().copyFrom(image);
  outcome.pngAlpha = info.hadAlpha;
  progress.step();
  return kReadOk;
}

}  // namespace

int loadFile(const FormatTable& formats, const std::string& path, Document& document, Progress& progress,
             LoadOutcome& outcome) {
  outcome = {};
  const FileFormat* format = formats.find(fileExtension(path));
  if (!format) {
    outcome.unknownExtension = true;
    return kReadFailed;
  }
  if (format->readLayers) return format->readLayers(path, document, &progress, outcome.notice);
  return loadPicture(*format, path, document, progress, outcome);
}

bool saveFile(const FormatTable& formats, const std::string& path, Document& document, Progress& progress,
              const ImageSaveOptions& options) {
  progress.setRange(document.layerCount() + 1);
  const FileFormat* format = formats.find(fileExtension(path));
  if (!format) return false;
  if (format->write) return format->write(path, document, &progress);
  if (!format->writeImage) return false;
  Image32 flat;
  if (!document.flatten(flat, &progress, format->flattensWithAlpha && options.pngAlpha)) return false;
  return format->writeImage(path, flat, options);
}

std::string sizeLimitMessage() {
  char text[128];
  std::snprintf(text, sizeof text, text::tr(kMsgSizeLimitFormat), kMaxCanvasSize);
  return text;
}

std::string loadResultMessage(int code, const LoadOutcome& outcome) {
  return outcome.notice.empty() ? loadResultMessage(code) : outcome.notice;
}

std::string loadResultMessage(int code) {
  switch (code) {
    case kReadOk: return {};
    case kReadTooLarge: return sizeLimitMessage();
    case kReadCannotOpen: return text::tr(kMsgOpenFileFailed);
    case kReadFormatError: return text::tr(kMsgFormatError);
    case kReadOutOfMemory: return text::tr(kMsgMemoryError);
    case kReadDecompressFailed: return text::tr(kMsgDecompressFailed);
    case kReadPsdLayout: return text::tr(kMsgPsdLayout);
    case kReadPsdNot8BitRgb: return text::tr(kMsgPsdNot8BitRgb);
    default: return text::tr(kMsgOpenImageFailed);
  }
}

}  // namespace tessel
