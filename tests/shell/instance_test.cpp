#include "platform/instance.h"
#include "app/startup.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace tessel {
namespace {

TEST(InstanceLockTest, LaterInstancesSeeTheEarlierOnes) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  std::string path = dir.path().toStdString() + "/*Tessel*";
  auto first = std::make_unique<InstanceLock>();
  ASSERT_TRUE(first->acquire(path));
  EXPECT_FALSE(first->otherInstanceRunning());
  auto second = std::make_unique<InstanceLock>();
  ASSERT_TRUE(second->acquire(path));
  EXPECT_TRUE(second->otherInstanceRunning());
  first.reset();   // the second one still runs
  InstanceLock third;
  ASSERT_TRUE(third.acquire(path));
  EXPECT_TRUE(third.otherInstanceRunning());
}

TEST(InstanceLockTest, ALeftOverLockFileDoesNotCount) {
  QTemporaryDir dir;
  std::string path = dir.path().toStdString() + "/*Tessel*";
  { InstanceLock gone; ASSERT_TRUE(gone.acquire(path)); }
  EXPECT_TRUE(pathExists(path));
  InstanceLock next;
  ASSERT_TRUE(next.acquire(path));
  EXPECT_FALSE(next.otherInstanceRunning());
  InstanceLock bad;
  EXPECT_FALSE(bad.acquire(dir.path().toStdString() + "/missing/*Tessel*"));
}

TEST(TempFolderTest, RemovesFilesButDoesNotEnterSubFolders) {
  QTemporaryDir dir;
  std::string folder = dir.path().toStdString() + "/~tessel";
  ASSERT_TRUE(createFolder(folder));
  QFile a(QString::fromStdString(folder + "/0001.tmp"));
  ASSERT_TRUE(a.open(QIODevice::WriteOnly));
  a.close();
  EXPECT_TRUE(removeTempFolder(folder));
  EXPECT_FALSE(pathExists(folder));

  ASSERT_TRUE(createFolder(folder));
  ASSERT_TRUE(createFolder(folder + "/inner"));
  QFile b(QString::fromStdString(folder + "/inner/keep.tmp"));
  ASSERT_TRUE(b.open(QIODevice::WriteOnly));
  b.close();
  EXPECT_FALSE(removeTempFolder(folder));   // the sub-folder keeps it
  EXPECT_TRUE(pathExists(folder + "/inner/keep.tmp"));
  EXPECT_FALSE(removeTempFolder(dir.path().toStdString() + "/nothing"));
}

TEST(TempFolderTest, ProgramFolderHoldsTheTestProgram) {
  std::string folder = programFolder();
  EXPECT_TRUE(pathExists(folder + "/tessel_shell_tests"));
  EXPECT_NE(systemTempPath().back(), '/');
}

}  // namespace
}  // namespace tessel
