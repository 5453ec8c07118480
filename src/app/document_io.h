#pragma once
#include <functional>
#include <string>
#include <vector>

#include "app/shell.h"
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
    // A ReadResult code; notice: what the user is told beside it (on failure
    // instead of the code's message, on success once after opening).
    using Read = std::function<int(const std::string&, Document&, Progress*, std::string& notice)>;
    Read read;
  };
  struct DocumentWriter {
    std::string extension;
    std::function<bool(const std::string&, Document&, Progress*)> write;
  };
  // Single images for the generic loader (bmp, png, jpg, jpeg, gif).
  struct ImageDecoder {
    std::string extension;
    // A ReadResult code (kReadOk, kReadTooLarge or kReadFailed); pngAlpha:
    // the image was a 32-bit PNG with alpha.
    std::function<int(const std::string&, Image32&, bool& pngAlpha)> decode;
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
  std::string notice;   // from the document reader; see DocumentReader
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
// The same, with what the reader said: a refusal's reason replaces the
// code's message; on success the notice of what was left out.
std::string loadResultMessage(int code, const LoadOutcome& outcome);
// "无法处理宽度或高度在4500px以上的图像".
std::string sizeLimitMessage();

}  // namespace tessel
