#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "config/settings.h"

namespace tessel {

// Command ids of the recent-file, recent-folder and quick-save menu entries.
constexpr int kCmdRecentFile = 3100;      // + n, n < 10
constexpr int kCmdRecentFolder = 3200;    // + n, n < 8
constexpr int kCmdQuickSave = 3250;       // + k, k < 5: format index k + 1

// Puts name at the front. A name already present (compared without case)
// moves there from its place; otherwise the last entry falls off.
void pushRecent(std::string* list, int count, const std::string& name);
// Drops entry index; later entries move up and the last becomes empty.
void removeRecent(std::string* list, int count, int index);
template <size_t N>
void pushRecent(std::array<std::string, N>& list, const std::string& name) {
  pushRecent(list.data(), int(N), name);
}
template <size_t N>
void removeRecent(std::array<std::string, N>& list, int index) {
  removeRecent(list.data(), int(N), index);
}
// New-dialog sizes (width << 16 | height): a size used again moves to the front.
void pushRecentSize(std::array<uint32_t, kNewSizeRecentCount>& sizes, uint32_t size);
// How the New dialog's size menu shows one: "%dx%d".
std::string recentSizeText(uint32_t size);

struct PopupEntry {
  int command = 0;     // 0: separator
  std::string text;
};
// "&%d " and the path for every non-empty entry, command 3100 + n.
std::vector<PopupEntry> recentFileMenu(const Settings& settings);
std::vector<PopupEntry> recentFolderMenu(const Settings& settings);
// "保存为PSD" ... "保存为GIF", a separator, then the recent folders.
std::vector<PopupEntry> quickSaveMenu(const Settings& settings);

}  // namespace tessel
