// libFuzzer harness for both sibling-document readers.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "document/document.h"
#include "formats/native_document.h"
#include "formats/sibling_document.h"
#include "formats/reader_limits.h"
#include "fuzz_document.h"
#include "fuzz_file.h"
#include "fuzz_limits.h"
#include "image/size_limits.h"

namespace {

bool withinMemoryBudget(const uint8_t* data, size_t size) {
  if (size < 14) return true;
  const uint64_t layers = std::min<uint64_t>(fuzzLe16(data + 12), 101) + 4;
  // Each layer is turned from coverage to pixels and then tiled: half the usual budget.
  return fuzzWorthReading(fuzzLe16(data + 8), fuzzLe16(data + 10), layers, tessel::kMaxCanvasSize, 128 * 128,
                          1u << 15);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!withinMemoryBudget(data, size)) return 0;
  std::string path = writeFuzzInput(data, size, ".vrw");
  // A failed read leaves a blank image: a small one, as it is left millions of times.
  tessel::blankCanvasSide = 8;
  tessel::Document* doc = fuzzDocument();
  if (!doc) return 0;
  tessel::Document& document = *doc;
  tessel::readSibling(path, document, nullptr);
  if (document.layerCount() < 1 || !document.currentLayer() ||
      document.currentLayer()->image().width() != document.width())
    std::abort();
  tessel::Image32 image;
  if (tessel::readSiblingComposite(path, image) && (image.width() < 1 || image.width() > tessel::kMaxCanvasSize))
    std::abort();
  fuzzDocumentDone(document);
  return 0;
}
