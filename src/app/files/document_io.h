#pragma once
#include <functional>
#include <string>
#include <vector>

#include "app/shell.h"
#include "formats/image_loader.h"
#include "formats/format_table.h"
#include "image/image32.h"

namespace tessel {

class Document;

// Save formats by their index in the save dialog's list: the table's rows
// that have a label and a writer, in order. The first seven are named for the
// quick-save entries and the preferred format.
enum SaveFormat { kSaveTsd = 0, kSavePsd, kSaveBmp, kSavePng, kSaveJpg, kSaveGif, kSaveVrw };
int saveFormatCount();
const char* saveFormatExtension(int index);   // "tsd" ...; "tsd" out of range
const char* saveFormatLabel(int index);       // "Tessel 文档 (*.tsd)" ...; the first out of range
// "图像文件 (*.tsd ...);;...;;所有文件 (*)", the Open dialog's list.
std::string openFileFilter();

struct LoadOutcome {
  bool pngAlpha = false;
  ReadReason reason = ReadReason::kUnknown;   // why a flat image failed, when its reader knows
  bool unknownExtension = false;              // no reader for the file's extension
  std::string notice;   // from the layered reader; see FileFormat::readLayers
};

// What Open's worker does: the layered reader of the extension's row, or else
// its picture as a one-layer document (size check, one step).
// Returns a ReadResult code.
int loadFile(const FormatTable& formats, const std::string& path, Document& document, Progress& progress,
             LoadOutcome& outcome);
// What Save's worker does: range layers + 1, then the row's document writer,
// or the flattened image through its image writer. True on success.
bool saveFile(const FormatTable& formats, const std::string& path, Document& document, Progress& progress,
              const ImageSaveOptions& options);

// The message a load result shows; empty for success.
std::string loadResultMessage(int code);
// The same, with what the reader said: a refusal's reason replaces the
// code's message; on success the notice of what was left out.
std::string loadResultMessage(int code, const LoadOutcome& outcome);
// "无法处理宽度或高度在4500px以上的图像".
std::string sizeLimitMessage();

}  // namespace tessel
