#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "formats/image_loader.h"
#include "image/image32.h"
#include "image/progress.h"

namespace tessel {

class Document;

// Options a single-image writer takes; the option dialogs edit them.
struct ImageSaveOptions {
  bool pngAlpha = false;      // 32-bit PNG with alpha instead of 24-bit
  int pngLevel = 6;           // PNGComp
  int jpegQuality = 85;       // low byte of JPEGComp
  bool jpegSubsample = false; // bit 15 of JPEGComp: 2 x 2 chroma subsampling
  uint32_t gifOption = 0;     // what the GIF options dialog passes to the GIF writer
  int32_t gifTransparent = -1;  // 0x00RRGGBB made transparent, -1 none
  int32_t pngTransparent = -1;  // 0x00RRGGBB made transparent, -1 none
};

// One file format: what Open, Save, the image loader, the command line and
// the thumbnailers know of it. Empty functions are what the format lacks.
struct FileFormat {
  std::string extension;   // without the dot, compared without case
  std::string label;       // its entry in the save dialog's list; empty: not offered there
  // The picture alone: Open of a flat format, a layer from a file, the viewer.
  std::function<bool(const std::string&, Image32&, ImageReadInfo&)> read;
  // The whole document; a ReadResult code. Open takes this before read.
  // notice: what the user is told beside it (on failure instead of the
  // code's message, on success once after opening); empty for nothing.
  std::function<int(const std::string&, Document&, Progress*, std::string& notice)> readLayers;
  // The whole document; without it Save flattens and calls writeImage.
  std::function<bool(const std::string&, Document&, Progress*)> write;
  std::function<bool(const std::string&, const Image32&, const ImageSaveOptions&)> writeImage;
  bool flattensWithAlpha = false;   // onto transparency when options.pngAlpha is set
  std::string openEntry;           // an entry of its own in the Open dialog's list
  // A picture that fits side x side, read the cheap way; without it read and shrink.
  std::function<bool(const std::string&, int side, Image32&)> readThumbnail;
};

struct FormatTable {
  std::vector<FileFormat> rows;   // the order of the Open filter and the save list

  const FileFormat* find(const std::string& extension) const;
  FileFormat* find(const std::string& extension);
  // The rows Save offers, in the save dialog's order.
  std::vector<const FileFormat*> saveFormats() const;
  // "*.tsd *.psd ..." for every extension Open reads.
  std::string openPatterns() const;
};

// Every format the program knows.
const FormatTable& builtinFormats();

}  // namespace tessel
