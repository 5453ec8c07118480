#pragma once
#include <functional>
#include <string>
#include <vector>

#include "app/shell.h"
#include "formats/image_loader.h"
#include "image/image32.h"

namespace tessel {

class Document;

// Save formats by their index in the save dialog's list.
enum SaveFormat { kSaveTsd = 0, kSavePsd, kSaveBmp, kSavePng, kSaveJpg, kSaveGif, kSaveVrw, kSaveFormatCount };
const char* saveFormatExtension(int index);   // "tsd" ... "vrw"; "tsd" out of range

// Readers and writers by extension (compared without case). Each format that
// arrives adds one line to builtinFormats().
struct FormatRegistry {
  // Whole-document readers and writers (tsd, vrw, psd).
  struct DocumentReader {
    std::string extension;
    std::function<int(const std::string&, Document&, Progress*)> read;   // a ReadResult code
  };
  struct DocumentWriter {
    std::string extension;
    std::function<bool(const std::string&, Document&, Progress*)> write;
  };
  // Single images for the generic loader (bmp, png, jpg, jpeg, gif).
  struct ImageDecoder {
    std::string extension;
    // A ReadResult code (kReadOk, kReadTooLarge or kReadFailed); info says
    // whether it was a 32-bit PNG with alpha and, on failure, why if known.
    std::function<int(const std::string&, Image32&, ImageReadInfo& info)> decode;
  };
  // Writers of the flattened image (png, bmp, jpg, gif).
  struct ImageWriter {
    std::string extension;
    std::function<bool(const std::string&, const Image32&, const ImageSaveOptions&)> write;
    bool flattensWithAlpha = false;   // onto transparency when options.pngAlpha is set
  };

  std::vector<DocumentReader> documentReaders;
  std::vector<DocumentWriter> documentWriters;
  std::vector<ImageDecoder> imageDecoders;
  std::vector<ImageWriter> imageWriters;
};

const FormatRegistry& builtinFormats();

struct LoadOutcome {
  bool pngAlpha = false;
  ReadReason reason = ReadReason::kUnknown;   // why a flat image failed, when its reader knows
  bool unknownExtension = false;              // no reader for the file's extension
};

// What Open's worker does: the document reader chosen by extension, or else
// the generic image loader (size check, a one-layer document, one step).
// Returns a ReadResult code.
int loadFile(const FormatRegistry& formats, const std::string& path, Document& document, Progress& progress,
             LoadOutcome& outcome);
// What Save's worker does: range layers + 1, then the document writer, or the
// flattened image through the image writer. True on success.
bool saveFile(const FormatRegistry& formats, const std::string& path, Document& document, Progress& progress,
              const ImageSaveOptions& options);

// The message a load result shows; empty for success.
std::string loadResultMessage(int code);
// "无法处理宽度或高度在4500px以上的图像".
std::string sizeLimitMessage();

}  // namespace tessel
