// Build step: fills the two manual pages from the program's tables.
// pack_manual ZH_IN EN_IN ZH_OUT EN_OUT
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "app/models/manual.h"

namespace {

bool fill(const char* in, const char* out, tessel::text::Language language) {
  std::ifstream source(in, std::ios::binary);
  if (!source) return false;
  std::stringstream page;
  page << source.rdbuf();
  std::ofstream target(out, std::ios::binary | std::ios::trunc);
  target << tessel::fillManual(page.str(), language);
  target.close();
  return bool(target);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: pack_manual ZH_IN EN_IN ZH_OUT EN_OUT\n");
    return 2;
  }
  if (!fill(argv[1], argv[3], tessel::text::Language::Chinese) ||
      !fill(argv[2], argv[4], tessel::text::Language::English)) {
    std::fprintf(stderr, "pack_manual: cannot read or write the manual\n");
    return 1;
  }
  return 0;
}
