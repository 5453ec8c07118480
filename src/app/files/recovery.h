#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace tessel {

// The recovery folder beside the settings: per running instance a native
// file "<id>.tsd", a record "<id>.txt" naming the document, and "<id>.lock",
// which the instance keeps locked while it runs. A lock that can be taken
// belongs to an instance that is gone.
class RecoveryStore {
 public:
  RecoveryStore() = default;
  ~RecoveryStore();
  RecoveryStore(const RecoveryStore&) = delete;
  RecoveryStore& operator=(const RecoveryStore&) = delete;

  // Creates the folder and this instance's lock; false when that fails.
  bool open(const std::string& folder);
  bool isOpen() const { return lockFd_ >= 0; }
  const std::string& folder() const { return folder_; }
  std::string documentPath() const;   // "<id>.tsd"
  std::string recordPath() const;     // "<id>.txt"
  // The document's path (empty when new) and title, written after each autosave.
  bool writeRecord(const std::string& documentPath, const std::string& title, int64_t when);
  bool hasFile() const;
  // The recovery file and its record go; the lock stays.
  void removeFiles();
  // At a normal end: everything of this instance goes.
  void close();

 private:
  std::string folder_, id_;
  int lockFd_ = -1;
};

// What a gone instance left behind.
struct RecoveryEntry {
  std::string id;
  std::string file;           // the native file
  std::string documentPath;   // the document's own path, empty when it was never saved
  std::string title;
  int64_t written = 0;        // seconds since the epoch
};
// The leftovers of instances that no longer run, oldest first; stray records
// and locks without a recovery file are removed on the way.
std::vector<RecoveryEntry> findOrphans(const std::string& folder);
// Removes the entry's files.
void discardOrphan(const RecoveryEntry& entry);
// The entry's file becomes this instance's recovery file; its record and lock go.
bool adoptOrphan(const RecoveryEntry& entry, RecoveryStore& store);
// "2026-12-08 21:05" in local time.
std::string formatLocalTime(int64_t seconds);

// Undo temporary folders named base, base1, base2 ... hold "instance.lock",
// locked by their instance while it runs. Folders whose lock can be taken,
// and when no other instance runs also folders without one, are removed.
// Returns how many went.
int removeDeadTempFolders(const std::string& base, bool otherInstanceRunning);
// Creates and locks "instance.lock" inside a temporary folder; -1 on failure.
int lockTempFolder(const std::string& folder);

}  // namespace tessel
