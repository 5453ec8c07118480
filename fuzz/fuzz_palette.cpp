// libFuzzer harness for palette.dat, palette files and swatch files.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "formats/palette_files.h"
#include "fuzz_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // One set for the run: loading sets every tab from the input (or clears
  // them all), so no input sees what an earlier one left.
  static auto set = std::make_unique<tessel::PaletteSet>();
  std::string dat = writeFuzzInput(data, size, ".dat");
  if (tessel::loadPaletteSet(dat, *set) && (set->tabCount > tessel::kPaletteTabs)) std::abort();
  for (const char* suffix : {".tpl", ".aco"}) {
    std::string path = fuzzInputAlias(dat, suffix);
    tessel::importPaletteFile(path, *set, 9);
    for (uint32_t c : set->colours[9])
      if (c > 0xFFFFFF) std::abort();
  }
  return 0;
}
