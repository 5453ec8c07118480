// libFuzzer harness for the native document reader.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "document/document.h"
#include "formats/native_document.h"
#include "fuzz_file.h"

namespace {

uint16_t le16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }

// A valid 4500 x 4500 header with 100 empty layers asks for gigabytes; keep
// inputs whose pixel memory stays within what the fuzzer allows.
bool withinMemoryBudget(const uint8_t* data, size_t size) {
  if (size < 22) return true;
  uint64_t area = uint64_t(le16(data + 12)) * le16(data + 14);
  uint64_t layers = std::min<uint64_t>(le16(data + 16), 101);
  // Two documents are read: the two-thread reader and the one-thread one.
  return area * 4 * (layers + 3) * 2 <= (uint64_t(512) << 20);
}

bool sameDocument(tessel::Document& a, tessel::Document& b) {
  if (a.layerCount() != b.layerCount() || a.currentIndex() != b.currentIndex() || a.width() != b.width() ||
      a.height() != b.height() || a.layers().nameCounter() != b.layers().nameCounter())
    return false;
  for (int i = 0; i < a.layerCount(); ++i) {
    const tessel::Layer& x = *a.layers().atIndex(i);
    const tessel::Layer& y = *b.layers().atIndex(i);
    if (std::memcmp(x.name, y.name, sizeof x.name) != 0 || x.blendMode != y.blendMode || x.opacity != y.opacity ||
        x.flags != y.flags || x.maskMode != y.maskMode || x.image.byteSize() != y.image.byteSize() ||
        std::memcmp(x.image.bits(), y.image.bits(), x.image.byteSize()) != 0)
      return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!withinMemoryBudget(data, size)) return 0;
  std::string path = writeFuzzInput(data, size, ".tsd");
  tessel::Document document, alone;
  if (!document.newImage(3, 2, true) || !alone.newImage(3, 2, true)) return 0;
  int result = tessel::readDocument(path, document, nullptr);
  // The one-thread reader must leave exactly the same document.
  tessel::setNativeDocumentLanes(false);
  int aloneResult = tessel::readDocument(path, alone, nullptr);
  tessel::setNativeDocumentLanes(true);
  if (aloneResult != result || !sameDocument(document, alone)) std::abort();
  // Whatever the file, the document keeps a current layer of canvas size.
  if (document.layerCount() < 1 || !document.currentLayer() ||
      document.currentLayer()->image.width() != document.width())
    std::abort();
  // The headers-only summary must agree with the full read.
  tessel::DocumentSummary summary;
  if (tessel::readDocumentSummary(path, summary, true) != result) std::abort();
  // From the headers alone only a stream broken inside can pass unseen.
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
  if (result == tessel::kReadOk || result == tessel::kReadDecompressFailed) {
    tessel::Image32 flat;
    document.flatten(flat, nullptr, false);
  }
  std::remove(path.c_str());
  return 0;
}
