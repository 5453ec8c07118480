// libFuzzer harness for the PSD layer reader.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "document/document.h"
#include "formats/psd_document.h"
#include "fuzz_file.h"

namespace {

uint32_t be32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

// Up to 100 canvas-sized layers: keep the canvas small enough for the fuzzer's memory.
bool withinMemoryBudget(const uint8_t* data, size_t size) {
  if (size < 22) return true;
  return uint64_t(be32(data + 14)) * be32(data + 18) <= 512 * 512;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!withinMemoryBudget(data, size)) return 0;
  std::string path = writeFuzzInput(data, size, ".psd");
  tessel::Document document;
  if (!document.newImage(3, 2, true)) return 0;
  tessel::readPsdLayers(path, document, nullptr);
  // Whatever the file, the document keeps a current layer of canvas size.
  if (document.layerCount() < 1 || !document.currentLayer() ||
      document.currentLayer()->image.width() != document.width() ||
      document.currentLayer()->image.height() != document.height())
    std::abort();
  std::remove(path.c_str());
  return 0;
}
