#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "app/models/shell_settings.h"

namespace tessel {

// The private temporary folder: base when no other instance runs (even if a
// folder of that name is left over), else base1, base2 ... the first name
// that does not exist.
std::string chooseTempFolder(const std::string& base, bool otherInstanceRunning,
                             const std::function<bool(const std::string&)>& exists);

// A command line of at least three characters that begins with a double
// quote loses its first and last character.
std::string commandLinePath(const std::string& commandLine);
// The folder of the running executable.
std::string programFolder();
// A relative path given on the command line names a file in the folder the
// program was started from, not in the settings folder that start-up makes
// current; empty and absolute paths stay as they are.
std::string pathFromFolder(const std::string& path, const std::string& startFolder);

// Minimised (2) starts as normal (1); everything else is kept.
int startShowCommand(int stored);

// The window title for a document path.
std::string windowTitle(const std::string& path, uint32_t optFlag);

// Default rectangles (position and size) of never-placed panels, from the
// main window's client rectangle on screen. Sizes of panels that only store a
// position are the panels' own; here they are given as -1.
struct PanelDefaults {
  std::array<Rect, kPanelCount> rects;
};
PanelDefaults defaultPanelRects(const Rect& client, int layerHeight);

// Main window rectangle at start-up: centred in the work area when never
// placed, else the stored normal rectangle moved into the work area.
Rect mainWindowRect(const StoredRect& stored, const Rect& workArea);
// Moves r so that it lies inside area where it can (left/top win when too big).
Rect moveIntoArea(const Rect& r, const Rect& area);

// Hide or restore all panels (Tab): which panels to toggle and the new flags.
struct HideAllResult {
  uint32_t toggleMask = 0;
  uint32_t viewBkFlag = 0;
  uint32_t exViewFlag = 0;
};
HideAllResult hideOrRestoreAll(uint32_t winViewFlag, uint32_t viewBkFlag, uint32_t exViewFlag);

// Processor check: false only on an x86 processor without MMX.
bool processorSupported();

// The build writes this file beside the programs it makes; a program that
// finds it beside itself runs from its build folder.
inline constexpr const char* kBuildFolderMarker = "tessel-build-folder";

// What decides where config.ini, key.dat, palette.dat and texture.tst live.
struct SettingsPlaces {
  std::string tesselHome;      // TESSEL_HOME, empty when unset
  std::string xdgConfigHome;   // XDG_CONFIG_HOME, empty when unset
  std::string home;            // HOME
  std::string programFolder;
  bool runFromBuildFolder = false;
};
// TESSEL_HOME when set; the program's folder when it runs from its build
// folder; else $XDG_CONFIG_HOME/tessel (only an absolute one counts), else
// ~/.config/tessel. An installed program cannot write its own folder.
std::string chooseSettingsFolder(const SettingsPlaces& places);
// Where help.html lies: the program's folder in a build, else the
// installation's share/tessel beside the bin folder.
std::string chooseDataFolder(const std::string& programFolder, bool runFromBuildFolder);

// The same for this process, from its environment and the marker; the
// settings folder and its parents are created when missing.
std::string settingsFolderForThisProgram();
std::string dataFolderForThisProgram();
// Creates path and every missing parent (mode 0700, as for a user's
// configuration); true when it exists as a folder afterwards.
bool createFolders(const std::string& path);

}  // namespace tessel
