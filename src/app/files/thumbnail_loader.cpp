#include "app/files/thumbnail_loader.h"

#include <algorithm>
#include <filesystem>
#include <tuple>

#include "app/models/image_viewer_model.h"

namespace tessel {

bool ThumbnailCache::Key::operator<(const Key& o) const {
  return std::tie(path, size, mtime, side) < std::tie(o.path, o.size, o.mtime, o.side);
}

bool ThumbnailCache::keyOf(const std::string& path, int side, Key& key) {
  std::error_code ec;
  const auto size = std::filesystem::file_size(path, ec);
  if (ec) return false;
  const auto time = std::filesystem::last_write_time(path, ec);
  if (ec) return false;
  key = {path, int64_t(size), int64_t(time.time_since_epoch().count()), side};
  return true;
}

ThumbnailCache::Picture ThumbnailCache::find(const Key& key) const {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = pictures_.find(key);
  return it == pictures_.end() ? nullptr : it->second;
}

void ThumbnailCache::store(const Key& key, Picture picture) {
  std::lock_guard<std::mutex> lock(mutex_);
  pictures_[key] = std::move(picture);
}

size_t ThumbnailCache::size() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return pictures_.size();
}

ThumbnailLoader::ThumbnailLoader(ThumbnailCache& cache, int side, int threads)
    : cache_(cache), side_(side), threads_(std::max(1, threads)) {}

ThumbnailLoader::~ThumbnailLoader() { stop(); }

int ThumbnailLoader::defaultThreads() {
  return std::clamp(int(std::thread::hardware_concurrency()), 1, 4);
}

void ThumbnailLoader::start(std::vector<std::string> paths, Done done) {
  stop();
  std::lock_guard<std::mutex> lock(mutex_);
  paths_ = std::move(paths);
  taken_.assign(paths_.size(), 0);
  next_ = viewFirst_ = viewLast_ = 0;
  stopping_ = false;
  done_ = std::move(done);
  const int n = int(std::min<size_t>(size_t(threads_), paths_.size()));
  for (int i = 0; i < n; ++i) workers_.emplace_back([this] { work(); });
}

void ThumbnailLoader::stop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  wait();
}

void ThumbnailLoader::setSide(int side) {
  stop();
  side_ = side;
}

void ThumbnailLoader::wait() {
  for (std::thread& t : workers_) t.join();
  workers_.clear();
}

void ThumbnailLoader::prioritize(size_t first, size_t last) {
  std::lock_guard<std::mutex> lock(mutex_);
  viewFirst_ = std::min(first, paths_.size());
  viewLast_ = std::clamp(last, viewFirst_, paths_.size());
}

bool ThumbnailLoader::take(size_t& index) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (stopping_) return false;
  for (size_t i = viewFirst_; i < viewLast_; ++i) {
    if (!taken_[i]) {
      taken_[i] = 1;
      index = i;
      return true;
    }
  }
  while (next_ < taken_.size() && taken_[next_]) ++next_;
  if (next_ >= taken_.size()) return false;
  taken_[next_] = 1;
  index = next_;
  return true;
}

void ThumbnailLoader::work() {
  size_t index = 0;
  while (take(index)) {
    const std::string& path = paths_[index];   // the list is fixed while workers run
    ThumbnailCache::Key key;
    ThumbnailCache::Picture picture;
    if (ThumbnailCache::keyOf(path, side_, key)) {
      picture = cache_.find(key);
      if (!picture) {
        auto made = std::make_shared<Image32>();
        if (loadThumbnail(path, side_, *made)) {
          picture = std::move(made);
          cache_.store(key, picture);
        }
      }
    }
    done_(index, picture);
  }
}

}  // namespace tessel
