#pragma once
#include <string>

#include "config/ini_reader.h"
#include "config/key_table.h"
#include "config/settings.h"

namespace tessel {

// config.ini text into settings; what the text lacks keeps its value.
void readSettings(IniReader& ini, Settings& settings, WindowPlacement& placement);
// The whole config.ini, CR LF line ends, sections and keys in their fixed order.
std::string settingsText(const Settings& settings, const WindowPlacement& placement);

// config.ini and key.dat from folder. Missing files leave the defaults.
void loadSettings(const std::string& folder, Settings& settings, WindowPlacement& placement, KeyTable& keys);
// config.ini, then key.dat; nothing is written when config.ini cannot be.
bool saveSettings(const std::string& folder, const Settings& settings, const WindowPlacement& placement,
                  const KeyTable& keys);

// TESSEL_HOME when set, else the folder of the running program.
std::string settingsFolder();

}  // namespace tessel
