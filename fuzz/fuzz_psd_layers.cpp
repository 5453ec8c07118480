// libFuzzer harness for the PSD layer reader.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "document/document.h"
#include "formats/psd_document.h"
#include "formats/reader_limits.h"
#include "fuzz_document.h"
#include "fuzz_file.h"
#include "fuzz_limits.h"
#include "image/size_limits.h"

namespace {

// Up to 100 canvas-sized layers, whose count lies deep in the file: budget for all of them.
bool withinMemoryBudget(const uint8_t* data, size_t size) {
  if (size < 22) return true;
  return fuzzWorthReading(fuzzBe32(data + 18), fuzzBe32(data + 14), 101, tessel::kMaxCanvasSize);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!withinMemoryBudget(data, size)) return 0;
  std::string path = writeFuzzInput(data, size, ".psd");
  // A failed read leaves a blank image: a small one, as it is left millions of times.
  tessel::blankCanvasSide = 8;
  tessel::Document* doc = fuzzDocument();
  if (!doc) return 0;
  tessel::Document& document = *doc;
  tessel::readPsdLayers(path, document, nullptr);
  // Whatever the file, the document keeps a current layer of canvas size.
  if (document.layerCount() < 1 || !document.currentLayer() ||
      document.currentLayer()->image().width() != document.width() ||
      document.currentLayer()->image().height() != document.height())
    std::abort();
  fuzzDocumentDone(document);
  return 0;
}
