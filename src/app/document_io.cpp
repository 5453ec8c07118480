#include "app/document_io.h"

#include <cstdio>

#include "app/messages.h"
#include "document/document.h"
#include "formats/file.h"
#include "formats/bmp_codec.h"
#include "formats/gif_writer.h"
#include "formats/image_loader.h"
#include "formats/jpeg_writer.h"
#include "formats/native_document.h"
#include "formats/png_codec.h"
#include "formats/psd_document.h"
#include "formats/sibling_document.h"

namespace tessel {

const char* saveFormatExtension(int index) {
  static const char* const kExtensions[kSaveFormatCount] = {"tsd", "psd", "bmp", "png", "jpg", "gif", "vrw"};
  return (index >= 0 && index < kSaveFormatCount) ? kExtensions[index] : kExtensions[0];
}

namespace {

// The generic loader for one extension; an image above the size limit comes
// back as a flag, without pixels.
FormatRegistry::ImageDecoder imageDecoder(const char* extension) {
  return {extension, [](const std::string& path, Image32& image, bool& pngAlpha) {
            ImageReadInfo info;
            const bool ok = loadImage(path, image, info);
            pngAlpha = info.hadAlpha;
            if (info.tooLarge) return kReadTooLarge;
            return ok ? kReadOk : kReadFailed;
          }};
}

// The options hold colours as 0x00RRGGBB; the writers take 0x00BBGGRR.
int32_t writerColour(int32_t rgb) { return rgb < 0 ? -1 : int32_t(swapRedBlue(uint32_t(rgb))); }

FormatRegistry::DocumentReader::Read withoutNotice(int (*read)(const std::string&, Document&, Progress*)) {
  return [read](const std::string& path, Document& document, Progress* progress, std::string&) {
    return read(path, document, progress);
  };
}

}  // namespace

const FormatRegistry& builtinFormats() {
  static const FormatRegistry formats{
      {{"tsd", withoutNotice(readDocument)},
       {"vrw", withoutNotice(readSibling)},
       {"psd", [](const std::string& path, Document& document, Progress* progress,
                  std::string& notice) { return readPsdLayers(path, document, progress, &notice); }}},
      {{"tsd", writeDocument}, {"vrw", writeSibling}, {"psd", writePsd}},
      {imageDecoder("bmp"), imageDecoder("png"), imageDecoder("jpg"), imageDecoder("jpeg"), imageDecoder("gif")},
      {{"png",
        [](const std::string& path, const Image32& image, const ImageSaveOptions& o) {
          return writePng(image, path, o.pngLevel, o.pngAlpha, o.pngAlpha ? -1 : writerColour(o.pngTransparent));
        },
        true},
       {"bmp", [](const std::string& path, const Image32& image,
                  const ImageSaveOptions&) { return writeBmp(image, path); }},
       {"jpg",
        [](const std::string& path, const Image32& image, const ImageSaveOptions& o) {
          return writeJpeg(image, path, o.jpegQuality, o.jpegSubsample);
        }},
       {"gif", [](const std::string& path, const Image32& image, const ImageSaveOptions& o) {
          return writeGif(image, path, writerColour(o.gifTransparent));
        }}},
  };
  return formats;
}

namespace {

template <class Entry>
const Entry* findByExtension(const std::vector<Entry>& entries, const std::string& extension) {
  for (const Entry& entry : entries)
    if (equalsIgnoreCase(entry.extension, extension)) return &entry;
  return nullptr;
}

int loadImage(const FormatRegistry& formats, const std::string& path, Document& document, Progress& progress,
              LoadOutcome& outcome) {
  const auto* decoder = findByExtension(formats.imageDecoders, fileExtension(path));
  if (!decoder) return kReadFailed;
  Image32 image;
  bool pngAlpha = false;
  const int decoded = decoder->decode(path, image, pngAlpha);
  if (decoded != kReadOk) return decoded == kReadTooLarge ? kReadTooLarge : kReadFailed;
  if (!image.valid()) return kReadFailed;
  if (image.width() > kMaxCanvasSize || image.height() > kMaxCanvasSize) return kReadTooLarge;
  if (!document.newImage(image.width(), image.height(), true)) return kReadOutOfMemory;
  document.currentLayer()->image.copyFrom(image);
  outcome.pngAlpha = pngAlpha;
  progress.step();
  return kReadOk;
}

}  // namespace

int loadFile(const FormatRegistry& formats, const std::string& path, Document& document, Progress& progress,
             LoadOutcome& outcome) {
  outcome = {};
  if (const auto* reader = findByExtension(formats.documentReaders, fileExtension(path)))
    return reader->read(path, document, &progress, outcome.notice);
  return loadImage(formats, path, document, progress, outcome);
}

bool saveFile(const FormatRegistry& formats, const std::string& path, Document& document, Progress& progress,
              const ImageSaveOptions& options) {
  progress.setRange(document.layerCount() + 1);
  std::string extension = fileExtension(path);
  if (const auto* writer = findByExtension(formats.documentWriters, extension))
    return writer->write(path, document, &progress);
  const auto* writer = findByExtension(formats.imageWriters, extension);
  if (!writer) return false;
  Image32 flat;
  if (!document.flatten(flat, &progress, writer->flattensWithAlpha && options.pngAlpha)) return false;
  return writer->write(path, flat, options);
}

std::string sizeLimitMessage() {
  char text[128];
  std::snprintf(text, sizeof text, kMsgSizeLimitFormat, kMaxCanvasSize);
  return text;
}

std::string loadResultMessage(int code, const LoadOutcome& outcome) {
  return outcome.notice.empty() ? loadResultMessage(code) : outcome.notice;
}

std::string loadResultMessage(int code) {
  switch (code) {
    case kReadOk: return {};
    case kReadTooLarge: return sizeLimitMessage();
    case kReadCannotOpen: return kMsgOpenFileFailed;
    case kReadFormatError: return kMsgFormatError;
    case kReadOutOfMemory: return kMsgMemoryError;
    case kReadDecompressFailed: return kMsgDecompressFailed;
    case kReadPsdLayout: return kMsgPsdLayout;
    case kReadPsdNot8BitRgb: return kMsgPsdNot8BitRgb;
    default: return kMsgOpenImageFailed;
  }
}

}  // namespace tessel
