// libFuzzer harness for the texture library reader.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "formats/texture_library.h"
#include "fuzz_file.h"
#include "fuzz_limits.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The header's library size is taken before any texture is read.
  if (size >= 16 && fuzzLe32(data + 12) > kFuzzMaxBytes &&
      fuzzLe32(data + 12) <= uint64_t(tessel::kMaxTextures) * (4 + 512 * 512))
    return 0;
  std::string path = writeFuzzInput(data, size, ".tst");
  tessel::TextureLibrary library;
  if (library.load(path, false)) {
    // Every texture the index names lies inside the block and within 512 x 512.
    size_t total = 0;
    for (int i = 0; i < library.count(); ++i) {
      tessel::TextureLibrary::Texture t = library.at(i);
      if (t.width < 1 || t.height < 1 || t.width > 512 || t.height > 512) std::abort();
      total += 4 + size_t(t.width) * size_t(t.height);
      volatile uint8_t last = t.pixels[size_t(t.width) * size_t(t.height) - 1];
      (void)last;
    }
    if (total != library.dataSize()) std::abort();
    library.removeTexture(0);
  }
  return 0;
}
