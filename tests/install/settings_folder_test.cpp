#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/startup.h"

namespace tessel {
namespace {

TEST(SettingsFolderTest, ChoiceFollowsTheEnvironmentAndTheBuildMarker) {
  SettingsPlaces p;
  p.programFolder = "/usr/bin";
  p.home = "/home/ann";
  EXPECT_EQ(chooseSettingsFolder(p), "/home/ann/.config/tessel");
  p.xdgConfigHome = "relative/cfg";   // not absolute: ignored
  EXPECT_EQ(chooseSettingsFolder(p), "/home/ann/.config/tessel");
  p.xdgConfigHome = "/srv/cfg";
  EXPECT_EQ(chooseSettingsFolder(p), "/srv/cfg/tessel");
  p.runFromBuildFolder = true;   // a build keeps the program-folder rule
  EXPECT_EQ(chooseSettingsFolder(p), "/usr/bin");
  p.tesselHome = "/tmp/mine";    // and TESSEL_HOME beats everything
  EXPECT_EQ(chooseSettingsFolder(p), "/tmp/mine");
  SettingsPlaces homeless;
  homeless.programFolder = "/opt/t/bin";
  EXPECT_EQ(chooseSettingsFolder(homeless), "/opt/t/bin");
}

TEST(SettingsFolderTest, DataFolderLiesBesideBinOrInTheBuild) {
  EXPECT_EQ(chooseDataFolder("/usr/bin", false), "/usr/share/tessel");
  EXPECT_EQ(chooseDataFolder("/opt/tessel/bin", false), "/opt/tessel/share/tessel");
  EXPECT_EQ(chooseDataFolder("/bin", false), "/share/tessel");
  EXPECT_EQ(chooseDataFolder("/work/build/src", true), "/work/build/src");
}

TEST(SettingsFolderTest, RelativeCommandLinePathsStartFromTheStartFolder) {
  EXPECT_EQ(pathFromFolder("doc.tsd", "/home/ann/pics"), "/home/ann/pics/doc.tsd");
  EXPECT_EQ(pathFromFolder("sub/doc.tsd", "/"), "/sub/doc.tsd");
  EXPECT_EQ(pathFromFolder("/abs/doc.tsd", "/home/ann"), "/abs/doc.tsd");
  EXPECT_EQ(pathFromFolder("", "/home/ann"), "");
  EXPECT_EQ(pathFromFolder(commandLinePath("\"my doc.tsd\""), "/w"), "/w/my doc.tsd");
}

TEST(SettingsFolderTest, CreatesMissingParentsPrivately) {
  char base[] = "/tmp/tessel-folders-XXXXXX";
  ASSERT_NE(mkdtemp(base), nullptr);
  const std::string deep = std::string(base) + "/a/b/tessel";
  EXPECT_TRUE(createFolders(deep));
  EXPECT_TRUE(createFolders(deep));   // already there
  struct stat st;
  ASSERT_EQ(stat(deep.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  const std::string file = std::string(base) + "/a/plain";
  FILE* f = std::fopen(file.c_str(), "w");
  ASSERT_NE(f, nullptr);
  std::fclose(f);
  EXPECT_FALSE(createFolders(file));            // a file is no folder
  EXPECT_FALSE(createFolders(file + "/below"));
  unlink(file.c_str());
  for (const std::string& d : {deep, std::string(base) + "/a/b", std::string(base) + "/a", std::string(base)})
    rmdir(d.c_str());
}

TEST(SettingsFolderTest, ThisProgramTakesTesselHome) {
  char base[] = "/tmp/tessel-home-XXXXXX";
  ASSERT_NE(mkdtemp(base), nullptr);
  const std::string home = std::string(base) + "/new";
  setenv("TESSEL_HOME", home.c_str(), 1);
  EXPECT_EQ(settingsFolderForThisProgram(), home);
  unsetenv("TESSEL_HOME");
  struct stat st;
  EXPECT_EQ(stat(home.c_str(), &st), 0);   // created on first start
  rmdir(home.c_str());
  rmdir(base);
}

}  // namespace
}  // namespace tessel
