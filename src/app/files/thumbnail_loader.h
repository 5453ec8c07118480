#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "image/image32.h"

namespace tessel {

// Thumbnails already made this session, keyed by path, file size, change
// time and side, so a changed file is read again.
class ThumbnailCache {
 public:
  using Picture = std::shared_ptr<const Image32>;
  struct Key {
    std::string path;
    int64_t size = -1, mtime = 0;
    int side = 0;
    bool operator<(const Key& o) const;
  };
  // False when the file cannot be examined.
  static bool keyOf(const std::string& path, int side, Key& key);
  Picture find(const Key& key) const;
  void store(const Key& key, Picture picture);
  size_t size() const;

 private:
  mutable std::mutex mutex_;
  std::map<Key, Picture> pictures_;
};

// Makes the thumbnails of a list of files on worker threads, the rows in
// view first and the rest in list order. done runs on a worker thread.
class ThumbnailLoader {
 public:
  using Done = std::function<void(size_t index, ThumbnailCache::Picture picture)>;   // null: unreadable

  ThumbnailLoader(ThumbnailCache& cache, int side, int threads);
  ~ThumbnailLoader();
  ThumbnailLoader(const ThumbnailLoader&) = delete;
  ThumbnailLoader& operator=(const ThumbnailLoader&) = delete;

  // Stops any earlier list, then starts on paths.
  void start(std::vector<std::string> paths, Done done);
  // Cancels what is not begun and waits for the workers; no done call follows.
  void stop();
  // Waits until every file is done.
  void wait();
  // Another thumbnail size; stops the current list.
  void setSide(int side);
  int side() const { return side_; }
  // The rows [first, last) are in view: they go next.
  void prioritize(size_t first, size_t last);
  // The threads a machine gives: its cores, at least one, at most four.
  static int defaultThreads();

 private:
  bool take(size_t& index);
  void work();

  ThumbnailCache& cache_;
  int side_, threads_;
  std::mutex mutex_;
  std::vector<std::string> paths_;
  std::vector<uint8_t> taken_;
  size_t next_ = 0, viewFirst_ = 0, viewLast_ = 0;
  bool stopping_ = false;
  Done done_;
  std::vector<std::thread> workers_;
};

}  // namespace tessel
