// Feeds arbitrary bytes to the filter template parser and, when they parse,
// lays out the value block against a small image.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "filters/filter_template.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<tessel::TemplateControl> controls;
  if (tessel::parseFilterTemplate({data, size}, controls)) {
    tessel::ValueLayout layout =
        tessel::buildValueLayout(controls, {3, 2, {0, 0, 1, 1}, 0, 2});
    if (layout.slot.size() != controls.size()) __builtin_trap();
  }
  return 0;
}
