#include "app/files/recent_lists.h"

#include <cstdio>

#include "app/files/messages.h"
#include "io/file.h"
#include "resources/language.h"

namespace tessel {

void pushRecent(std::string* list, int count, const std::string& name) {
  if (count <= 0) return;
  int at = count - 1;   // absent: everything moves down and the last falls off
  for (int i = 0; i < count; ++i) {
    if (equalsIgnoreCase(list[i], name)) {
      at = i;
      break;
    }
  }
  for (int i = at; i > 0; --i) list[i] = std::move(list[i - 1]);
  list[0] = name;
}

void removeRecent(std::string* list, int count, int index) {
  if (index < 0 || index >= count) return;
  for (int i = index; i + 1 < count; ++i) list[i] = std::move(list[i + 1]);
  list[count - 1].clear();
}

void pushRecentSize(std::array<uint32_t, kNewSizeRecentCount>& sizes, uint32_t size) {
  size_t at = sizes.size() - 1;
  for (size_t i = 0; i < sizes.size(); ++i) {
    if (sizes[i] == size) {
      at = i;
      break;
    }
  }
  for (size_t i = at; i > 0; --i) sizes[i] = sizes[i - 1];
  sizes[0] = size;
}

std::string recentSizeText(uint32_t size) {
  char text[32];
  std::snprintf(text, sizeof text, "%dx%d", int(size >> 16), int(size & 0xFFFF));
  return text;
}

namespace {

template <size_t N>
void appendNumbered(std::vector<PopupEntry>& menu, const std::array<std::string, N>& list, int firstCommand) {
  for (size_t n = 0; n < N; ++n) {
    if (list[n].empty()) continue;
    char prefix[16];
    std::snprintf(prefix, sizeof prefix, "&%d ", int(n));
    PopupEntry entry{firstCommand + int(n), prefix};
    entry.text.append(list[n]);
    menu.push_back(std::move(entry));
  }
}

}  // namespace

std::vector<PopupEntry> recentFileMenu(const Settings& settings) {
  std::vector<PopupEntry> menu;
  appendNumbered(menu, settings.recentFiles, kCmdRecentFile);
  return menu;
}

std::vector<PopupEntry> recentFolderMenu(const Settings& settings) {
  std::vector<PopupEntry> menu;
  appendNumbered(menu, settings.recentDirs, kCmdRecentFolder);
  return menu;
}

std::vector<PopupEntry> quickSaveMenu(const Settings& settings) {
  static const char* const kNames[] = {"PSD", "BMP", "PNG", "JPEG", "GIF"};
  std::vector<PopupEntry> menu;
  for (int k = 0; k < 5; ++k) {
    char text[64];
    std::snprintf(text, sizeof text, text::tr(kQuickSaveFormat), kNames[k]);
    menu.push_back({kCmdQuickSave + k, text});
  }
  menu.push_back({0, ""});
  appendNumbered(menu, settings.recentDirs, kCmdRecentFolder);
  return menu;
}

}  // namespace tessel
