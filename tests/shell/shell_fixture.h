#pragma once
// Each shell test gets a settings folder and a temporary folder of its own,
// so no test sees another's config.ini, key.dat or undo files.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QtGlobal>
#include <vector>

#include "image/image32.h"

namespace tessel {

class ShellTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(home.isValid());
    ASSERT_TRUE(temp.isValid());
    qputenv("TESSEL_HOME", home.path().toUtf8());
    qputenv("TMPDIR", temp.path().toUtf8());
  }
  void TearDown() override {
    qunsetenv("TESSEL_HOME");
    qunsetenv("TMPDIR");
  }
  QTemporaryDir home, temp;
};

// Every pixel of an image, top row first, for whole-image comparisons.
inline std::vector<Pixel> pixelsOf(const Image32& img) {
  std::vector<Pixel> out;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) out.push_back(img.at(x, y));
  return out;
}

}  // namespace tessel
