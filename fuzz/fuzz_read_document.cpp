// libFuzzer harness for the native document reader.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "document/document.h"
#include "formats/native_document.h"
#include "formats/reader_limits.h"
#include "fuzz_document.h"
#include "fuzz_file.h"
#include "fuzz_limits.h"
#include "image/size_limits.h"

namespace {

bool withinMemoryBudget(const uint8_t* data, size_t size) {
  if (size < 18) return true;
  const uint64_t layers = std::min<uint64_t>(fuzzLe16(data + 16), 101) + 3;   // and the composite buffers
  // Each layer is inflated, tiled and flattened: half the usual budget.
  return fuzzWorthReading(fuzzLe16(data + 12), fuzzLe16(data + 14), layers, tessel::kMaxCanvasSize, 128 * 128,
                          1u << 15);
}

// The summary that inflates every stream must agree with the full read; the
// headers-only one may miss only a stream broken inside.
void checkSummaries(const std::string& path, tessel::Document& document, int result) {
  tessel::DocumentSummary summary;
  if (tessel::readDocumentSummary(path, summary, true) != result) std::abort();
  tessel::DocumentSummary quick;
  int quickResult = tessel::readDocumentSummary(path, quick);
  if (quickResult != result && !(quickResult == tessel::kReadOk && result == tessel::kReadDecompressFailed))
    std::abort();
  if (result == tessel::kReadOk || result == tessel::kReadDecompressFailed) {
    if (int(summary.layers.size()) != document.layerCount() || summary.current != document.currentIndex())
      std::abort();
    for (int i = 0; i < document.layerCount(); ++i) {
      const tessel::Layer& l = *document.layers().atIndex(i);
      const tessel::LayerSummary& s = summary.layers[size_t(i)];
      if (std::memcmp(l.name, s.name, sizeof s.name) != 0 || l.blendMode != s.blendMode || l.opacity != s.opacity ||
          l.flags != s.flags || l.maskMode != s.maskMode)
        std::abort();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!withinMemoryBudget(data, size)) return 0;
  std::string path = writeFuzzInput(data, size, ".tsd");
  // A failed read leaves a blank image: a small one, as it is left millions of times.
  tessel::blankCanvasSide = 8;
  tessel::Document* doc = fuzzDocument();
  if (!doc) return 0;
  tessel::Document& document = *doc;
  // One read per input; the last byte picks the two-thread reader for one
  // input in 128, as starting its thread under the sanitizers costs many
  // one-thread reads (that both readers leave the same document is a unit test's business).
  tessel::setNativeDocumentLanes(size == 0 || (data[size - 1] & 127) == 0);
  int result = tessel::readDocument(path, document, nullptr);
  // Whatever the file, the document keeps a current layer of canvas size.
  if (document.layerCount() < 1 || !document.currentLayer() ||
      document.currentLayer()->image().width() != document.width())
    std::abort();
  // The two summaries read the file twice more: checked on one input in sixteen.
  if (fuzzSampled(data, size, 4)) checkSummaries(path, document, result);
  // Flattening what was read: one input in four.
  if ((result == tessel::kReadOk || result == tessel::kReadDecompressFailed) && fuzzSampled(data, size, 2)) {
    tessel::Image32 flat;
    document.flatten(flat, nullptr, false);
  }
  fuzzDocumentDone(document);
  return 0;
}
