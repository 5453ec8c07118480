#include "app/startup.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "resources/strings.h"
#include "resources/language.h"

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#endif

namespace tessel {

std::string chooseTempFolder(const std::string& base, bool otherInstanceRunning,
                             const std::function<bool(const std::string&)>& exists) {
  if (!otherInstanceRunning) return base;
  std::string name = base;
  for (unsigned n = 1; exists(name); ++n) name = base + std::to_string(n);
  return name;
}

std::string commandLinePath(const std::string& commandLine) {
  if (commandLine.size() >= 3 && commandLine.front() == '"') {
    return commandLine.substr(1, commandLine.size() - 2);
  }
  return commandLine;
}

std::string pathFromFolder(const std::string& path, const std::string& startFolder) {
  if (path.empty() || path.front() == '/' || startFolder.empty()) return path;
  return startFolder.back() == '/' ? startFolder + path : startFolder + "/" + path;
}

int startShowCommand(int stored) { return stored == 2 ? 1 : stored; }

std::string windowTitle(const std::string& path, uint32_t optFlag) {
  std::string title = text::kTitlePrefix;
  if (path.empty()) return title + text::tr(text::kNewFile);
  if (optFlag & 4) {
    size_t slash = path.find_last_of('/');
    return title + (slash == std::string::npos ? path : path.substr(slash + 1));
  }
  return title + path;
}

namespace {

// Panel sizes of the panels whose settings keep only a position.
constexpr int kToolsW = 240, kToolsH = 150;
constexpr int kToolOptionsW = 244, kToolOptionsH = 250;
constexpr int kLayerW = 220;
constexpr int kExPaletteW = 168, kExPaletteH = 150;

Rect fromCorners(int left, int top, int right, int bottom) {
  return {left, top, right - left, bottom - top};
}

}  // namespace

std::string programFolder() {
  std::vector<char> buffer(4096);
  ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  if (n <= 0) return ".";
  std::string path(buffer.data(), size_t(n));
  size_t slash = path.find_last_of('/');
  return slash == 0 ? "/" : path.substr(0, slash);
}

PanelDefaults defaultPanelRects(const Rect& r, int layerHeight) {
  const int right = r.right(), bottom = r.bottom();
  PanelDefaults d;
  d.rects[kToolsPanel] = {right - 248, r.y + 34, kToolsW, kToolsH};
  d.rects[kToolOptionsPanel] = {right - 252, r.y + 187, kToolOptionsW, kToolOptionsH};
  d.rects[kLayerPanel] = {r.x + 8, bottom - 335, kLayerW, layerHeight};
  d.rects[kPalettePanel] = fromCorners(right - 487, r.y + 32, right - 252, r.y + 185);
  d.rects[kExtendedPalettePanel] = {right - 176, bottom - 187, kExPaletteW, kExPaletteH};
  d.rects[kTexturePanel] = fromCorners(right - 486, r.y + 188, right - 256, r.y + 364);
  d.rects[kNavigatorPanel] = fromCorners(r.x + 5, r.y + 32, r.x + 185, r.y + 212);
  d.rects[kImageViewerPanel] = fromCorners(r.x + 200, r.y + 32, r.x + 350, r.y + 182);
  return d;
}

Rect moveIntoArea(const Rect& r, const Rect& area) {
  Rect out = r;
  if (out.right() > area.right()) out.x = area.right() - out.w;
  if (out.bottom() > area.bottom()) out.y = area.bottom() - out.h;
  out.x = std::max(out.x, area.x);
  out.y = std::max(out.y, area.y);
  return out;
}

Rect mainWindowRect(const StoredRect& stored, const Rect& workArea) {
  if (stored.left == kNeverPlaced) {
    int w = std::min(1024, workArea.w), h = std::min(768, workArea.h);
    return {workArea.x + (workArea.w - w) / 2, workArea.y + (workArea.h - h) / 2, w, h};
  }
  return moveIntoArea(fromCorners(stored.left, stored.top, stored.right, stored.bottom), workArea);
}

HideAllResult hideOrRestoreAll(uint32_t winViewFlag, uint32_t viewBkFlag, uint32_t exViewFlag) {
  const uint32_t visible = winViewFlag & 0xFF;
  HideAllResult out;
  if (!(exViewFlag & view_flag::kPanelsHidden) && visible != 0) {
    out.toggleMask = visible;
    out.viewBkFlag = visible;
    out.exViewFlag = exViewFlag | view_flag::kPanelsHidden;
  } else {
    out.toggleMask = (visible ^ viewBkFlag) & 0xFF;
    out.viewBkFlag = viewBkFlag;
    out.exViewFlag = exViewFlag & ~view_flag::kPanelsHidden;
  }
  return out;
}

bool processorSupported() {
#if defined(__i386__) || defined(__x86_64__)
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  // __get_cpuid_max also checks that the identification instruction exists.
  if (__get_cpuid_max(0, nullptr) < 1) return false;
  if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx)) return false;
  return (edx & (1u << 23)) != 0;
#else
  return true;
#endif
}

std::string chooseSettingsFolder(const SettingsPlaces& p) {
  if (!p.tesselHome.empty()) return p.tesselHome;
  if (p.runFromBuildFolder) return p.programFolder;
  if (!p.xdgConfigHome.empty() && p.xdgConfigHome.front() == '/') return p.xdgConfigHome + "/tessel";
  if (!p.home.empty()) return p.home + "/.config/tessel";
  return p.programFolder;   // no home at all: the old rule is all that is left
}

std::string chooseDataFolder(const std::string& programFolder, bool runFromBuildFolder) {
  if (runFromBuildFolder) return programFolder;
  size_t slash = programFolder.find_last_of('/');
  std::string prefix = slash == std::string::npos || slash == 0 ? "" : programFolder.substr(0, slash);
  return prefix + "/share/tessel";
}

namespace {

std::string textOf(const char* value) { return value ? value : ""; }

bool isFolder(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool builtHere(const std::string& folder) {
  return access((folder + "/" + kBuildFolderMarker).c_str(), F_OK) == 0;
}

}  // namespace

bool createFolders(const std::string& path) {
  if (path.empty()) return false;
  for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1))
    mkdir(path.substr(0, slash).c_str(), 0700);   // existing parents fail harmlessly
  mkdir(path.c_str(), 0700);
  return isFolder(path);
}

std::string settingsFolderForThisProgram() {
  SettingsPlaces places;
  places.tesselHome = textOf(std::getenv("TESSEL_HOME"));
  places.xdgConfigHome = textOf(std::getenv("XDG_CONFIG_HOME"));
  places.home = textOf(std::getenv("HOME"));
  places.programFolder = programFolder();
  places.runFromBuildFolder = builtHere(places.programFolder);
  std::string folder = chooseSettingsFolder(places);
  if (folder != places.programFolder) createFolders(folder);
  return folder;
}

std::string dataFolderForThisProgram() {
  std::string program = programFolder();
  return chooseDataFolder(program, builtHere(program));
}

}  // namespace tessel
