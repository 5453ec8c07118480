#include "formats/format_table.h"

#include <atomic>
#include <cstring>
#include <memory>
#include <new>

#include "formats/bmp_codec.h"
#include "io/file.h"
#include "formats/gif_writer.h"
#include "formats/jpeg_writer.h"
#include "formats/native_document.h"
#include "formats/ora_document.h"
#include "formats/picture_decoders.h"
#include "formats/palette_index.h"
#include "formats/png_codec.h"
#include "formats/psd_document.h"
#include "formats/sibling_document.h"
#include "formats/thumbnail_sink.h"

namespace tessel {

namespace {

std::atomic<const PictureDecoders*> gDecoders{nullptr};

// The whole file in memory for the library decoders.
bool readWholeFile(const std::string& path, std::unique_ptr<uint8_t[]>& data, size_t& size) {
  File file;
  if (!file.openRead(path)) return false;
  const int64_t length = file.size();
  // No JPEG or GIF of at most 4500 x 4500 pixels needs more than this.
  if (length <= 0 || length > (int64_t(1) << 30)) return false;
  data.reset(new (std::nothrow) uint8_t[size_t(length)]);
  size = size_t(length);
  return data && file.readAll(data.get(), size);
}

enum class Decoder { kJpeg, kJpegReduced, kGif };

// reducedTo: the least longer side of a JPEG scaled down in the decoder.
bool loadDecoded(const std::string& path, Decoder which, Image32& image, ImageReadInfo& info, int reducedTo = 0) {
  const PictureDecoders* decoders = pictureDecoders();
  if (!decoders) return false;
  std::unique_ptr<uint8_t[]> data;
  size_t size = 0;
  if (!readWholeFile(path, data, size)) return false;
  DecodedImage decoded;
  const DecodeStatus status = which == Decoder::kGif ? decoders->gif(data.get(), size, kMaxReadSide, decoded)
                              : which == Decoder::kJpegReduced
                                  ? decoders->jpegReduced(data.get(), size, kMaxReadSide, reducedTo, decoded)
                                  : decoders->jpeg(data.get(), size, kMaxReadSide, decoded);
  if (status == DecodeStatus::kTooLarge) info.tooLarge = true;
  if (status != DecodeStatus::kOk || !image.create(decoded.width, decoded.height)) return false;
  for (int y = 0; y < decoded.height; ++y)
    std::memcpy(image.row(y), decoded.pixels.get() + size_t(y) * size_t(decoded.width),
                size_t(decoded.width) * sizeof(Pixel));
  return true;
}

bool readJpeg(const std::string& path, Image32& image, ImageReadInfo& info) {
  return loadDecoded(path, Decoder::kJpeg, image, info);
}

// Four samples a side for each thumbnail pixel stay distinct pixels.
bool readJpegThumbnail(const std::string& path, int side, Image32& thumb) {
  Image32 image;
  ImageReadInfo info;
  return loadDecoded(path, Decoder::kJpegReduced, image, info, side * 4) && ThumbnailSink::shrink(image, side, thumb);
}

bool readGif(const std::string& path, Image32& image, ImageReadInfo& info) {
  return loadDecoded(path, Decoder::kGif, image, info);
}

// The options hold colours as 0x00RRGGBB; the writers take 0x00BBGGRR.
int32_t writerColour(int32_t rgb) { return rgb < 0 ? -1 : int32_t(swapRedBlue(uint32_t(rgb))); }

FileFormat named(const char* extension, const char* label) {
  FileFormat f;
  f.extension = extension;
  f.label = label;
  return f;
}

// A layered reader that has nothing to tell beside its result.
auto withoutNotice(int (*read)(const std::string&, Document&, Progress*)) {
  return [read](const std::string& path, Document& document, Progress* progress, std::string&) {
    return read(path, document, progress);
  };
}

FormatTable makeBuiltinFormats() {
  FormatTable table;
  auto& rows = table.rows;
  {
    FileFormat f = named("tsd", "Tessel 文档 (*.tsd)");
    f.read = [](const std::string& path, Image32& image, ImageReadInfo&) { return readPreview(path, image); };
    f.readLayers = withoutNotice(readDocument);
    f.write = writeDocument;
    rows.push_back(std::move(f));
  }
  {
    FileFormat f = named("psd", "Photoshop (*.psd)");
    f.read = [](const std::string& path, Image32& image, ImageReadInfo&) { return readPsdComposite(path, image); };
    f.readLayers = [](const std::string& path, Document& document, Progress* progress, std::string& notice) {
      return readPsdLayers(path, document, progress, &notice);
    };
    f.write = writePsd;
    f.readThumbnail = readPsdThumbnail;
    rows.push_back(std::move(f));
  }
  {
    FileFormat f = named("bmp", "位图 (*.bmp)");
    f.read = readBmp;
    f.writeImage = [](const std::string& path, const Image32& image, const ImageSaveOptions&) {
      return writeBmp(image, path);
    };
    f.readThumbnail = readBmpThumbnail;
    rows.push_back(std::move(f));
  }
  {
    FileFormat f = named("png", "PNG (*.png)");
    f.read = readPng;
    f.writeImage = [](const std::string& path, const Image32& image, const ImageSaveOptions& o) {
      return writePng(image, path, o.pngLevel, o.pngAlpha, o.pngAlpha ? -1 : writerColour(o.pngTransparent));
    };
    f.flattensWithAlpha = true;
    f.readThumbnail = readPngThumbnail;
    rows.push_back(std::move(f));
  }
  {
    FileFormat f = named("jpg", "JPEG (*.jpg)");
    f.read = readJpeg;
    f.writeImage = [](const std::string& path, const Image32& image, const ImageSaveOptions& o) {
      return writeJpeg(image, path, o.jpegQuality, o.jpegSubsample);
    };
    f.readThumbnail = readJpegThumbnail;
    rows.push_back(std::move(f));
  }
  {
    FileFormat f = named("jpeg", "");   // read only: Save writes JPEG as .jpg
    f.read = readJpeg;
    f.readThumbnail = readJpegThumbnail;
    rows.push_back(std::move(f));
  }
  {
    FileFormat f = named("gif", "GIF (*.gif)");
    f.read = readGif;
    f.writeImage = [](const std::string& path, const Image32& image, const ImageSaveOptions& o) {
      return writeGif(image, path, writerColour(o.gifTransparent));
    };
    rows.push_back(std::move(f));
  }
  {
    FileFormat f = named("vrw", "Vornel (*.vrw)");
    f.read = [](const std::string& path, Image32& image, ImageReadInfo&) {
      return readSiblingComposite(path, image);
    };
    f.readLayers = withoutNotice(readSibling);
    f.write = writeSibling;
    rows.push_back(std::move(f));
  }
  {
    FileFormat f = named("ora", "OpenRaster(*.ora)");
    f.read = readOraMerged;
    f.readLayers = [](const std::string& path, Document& document, Progress* progress, std::string&) {
      return readOra(path, document, progress);
    };
    f.write = writeOra;
    f.readThumbnail = readOraThumbnail;
    f.openEntry = "OpenRaster(*.ora)";
    rows.push_back(std::move(f));
  }
  return table;
}

}  // namespace

void handDownPictureDecoders(const PictureDecoders* decoders) { gDecoders.store(decoders); }
const PictureDecoders* pictureDecoders() { return gDecoders.load(); }

const FileFormat* FormatTable::find(const std::string& extension) const {
  for (const FileFormat& row : rows)
    if (equalsIgnoreCase(row.extension, extension)) return &row;
  return nullptr;
}

FileFormat* FormatTable::find(const std::string& extension) {
  return const_cast<FileFormat*>(static_cast<const FormatTable*>(this)->find(extension));
}

std::vector<const FileFormat*> FormatTable::saveFormats() const {
  std::vector<const FileFormat*> out;
  for (const FileFormat& row : rows)
    if (!row.label.empty() && (row.write || row.writeImage)) out.push_back(&row);
  return out;
}

std::string FormatTable::openPatterns() const {
  std::string out;
  for (const FileFormat& row : rows) {
    if (!row.read && !row.readLayers) continue;
    if (!out.empty()) out += ' ';
    out += "*." + row.extension;
  }
  return out;
}

const FormatTable& builtinFormats() {
  static const FormatTable table = makeBuiltinFormats();
  return table;
}

}  // namespace tessel
