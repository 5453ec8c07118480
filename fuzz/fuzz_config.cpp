// libFuzzer harness for the config.ini reader and the key.dat table.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "config/settings_file.h"
#include "fuzz_limits.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tessel::IniReader ini;
  ini.setText(std::string_view(reinterpret_cast<const char*>(data), size));
  tessel::Settings settings;
  tessel::WindowPlacement placement;
  tessel::readSettings(ini, settings, placement);
  // Writing what was read and reading it back settles after one round (a
  // value that ended in a double-byte lead byte gains the CR it swallows).
  // The check reads two whole settings files, many times the work of a
  // typical input: it runs on one input in sixty-four.
  const bool check = fuzzSampled(data, size, 6);
  std::string text = check ? tessel::settingsText(settings, placement) : std::string();
  for (int round = 0; round < 2 && check; ++round) {
    tessel::IniReader again;
    again.setText(text);
    tessel::Settings next;
    tessel::WindowPlacement nextPlacement;
    tessel::readSettings(again, next, nextPlacement);
    next.colMaskType = settings.colMaskType;
    std::string nextText = tessel::settingsText(next, nextPlacement);
    if (round == 1 && nextText != text) std::abort();
    text = nextText;
  }

  tessel::KeyTable keys;
  keys.parse(data, size);
  return 0;
}
