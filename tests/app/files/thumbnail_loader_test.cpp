#include "app/files/thumbnail_loader.h"

#include <gtest/gtest.h>

#include <mutex>

#include "formats/bmp_codec.h"
#include "formats/temp_dir.h"

namespace tessel {
namespace {

using testing::TempDir;

std::vector<std::string> makeFiles(const TempDir& dir, int n) {
  std::vector<std::string> paths;
  Image32 image;
  image.create(20, 10);
  for (int i = 0; i < n; ++i) {
    image.fill(0xFF000000u | uint32_t(i));
    paths.push_back(dir.file("f" + std::to_string(i) + ".bmp"));
    writeBmp(image, paths.back());
  }
  paths.push_back(dir.file("broken.bmp"));   // does not exist
  return paths;
}

TEST(ThumbnailLoader, RowsInViewGoFirstAndTheCacheServesTheSecondVisit) {
  TempDir dir;
  const std::vector<std::string> paths = makeFiles(dir, 10);
  ThumbnailCache cache;
  ThumbnailLoader loader(cache, 8, 1);
  std::mutex mutex;
  std::vector<size_t> order;
  std::vector<ThumbnailCache::Picture> pictures(paths.size());
  loader.start(paths, [&](size_t i, ThumbnailCache::Picture p) {
    std::lock_guard<std::mutex> lock(mutex);
    if (order.empty()) loader.prioritize(7, 9);   // the user scrolled while the first was read
    order.push_back(i);
    pictures[i] = p;
  });
  loader.wait();
  loader.stop();   // after the end: harmless
  ASSERT_EQ(order.size(), paths.size());
  EXPECT_EQ(std::vector<size_t>(order.begin(), order.begin() + 4), (std::vector<size_t>{0, 7, 8, 1}));
  EXPECT_EQ(pictures[10], nullptr);
  ASSERT_NE(pictures[3], nullptr);
  EXPECT_EQ(pictures[3]->width(), 8);
  EXPECT_EQ(pictures[3]->at(0, 0), 0xFF000003u);
  EXPECT_EQ(cache.size(), 10u);

  std::vector<ThumbnailCache::Picture> again(paths.size());
  ThumbnailLoader second(cache, 8, 2);
  second.start(paths, [&](size_t i, ThumbnailCache::Picture p) {
    std::lock_guard<std::mutex> lock(mutex);
    again[i] = p;
  });
  second.wait();
  EXPECT_EQ(again[3], pictures[3]);   // the same picture, not read again
  // A changed file (another size) is read again.
  Image32 bigger;
  bigger.create(40, 10);
  bigger.fill(0xFF00FF00u);
  ASSERT_TRUE(writeBmp(bigger, paths[3]));
  ThumbnailCache::Key key;
  ASSERT_TRUE(ThumbnailCache::keyOf(paths[3], 8, key));
  EXPECT_EQ(cache.find(key), nullptr);
}

}  // namespace
}  // namespace tessel
