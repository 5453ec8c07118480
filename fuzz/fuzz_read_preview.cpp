// libFuzzer harness for the native preview reader.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "formats/native_document.h"
#include "fuzz_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string path = writeFuzzInput(data, size, ".tsd");
  tessel::Image32 preview;
  if (tessel::readPreview(path, preview)) {
    if (!preview.valid() || preview.width() < 1 || preview.height() < 1) std::abort();
    volatile uint32_t sink = preview.at(preview.width() - 1, preview.height() - 1);
    (void)sink;
  }
  return 0;
}
