#include "app/models/manual.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "app/models/key_dialog_model.h"
#include "filters/filter_table.h"
#include "draw/tool/tool_traits.h"
#include "resources/accelerators.h"
#include "resources/menus.h"
#include "resources/strings.h"

namespace tessel {
namespace {

std::string page(const char* name) {
  std::ifstream in(std::string(TESSEL_REPO_ROOT) + "/src/resources/manual/" + name, std::ios::binary);
  std::stringstream all;
  all << in.rdbuf();
  return all.str();
}

std::string escaped(const std::string& s) {
  std::string out;
  for (char c : s) out += c == '<' ? "&lt;" : c == '>' ? "&gt;" : c == '&' ? "&amp;" : c == '"' ? "&quot;" : std::string(1, c);
  return out;
}

// The manual of each language names every menu command, tool, filter, blend
// mode, key and key-assignment entry of the tables, as the interface shows them.
void expectNamesEverything(const std::string& html, text::Language language) {
  const text::Language saved = text::language();
  text::setLanguage(language);
  auto expectNamed = [&](const std::string& what) {
    EXPECT_NE(html.find(escaped(what)), std::string::npos) << "not in the manual: " << what;
  };
  for (auto menu : {mainMenu(), layerPanelMenu()})
    for (const MenuEntry& e : menu)
      if (e.label && e.id != 40011) expectNamed(text::tr(e.label));   // (40011: the empty recent list)
  for (const Accelerator& a : acceleratorTable()) expectNamed(a.keys);
  for (const char* tool : text::kToolNames) expectNamed(text::tr(tool));
  for (const char* mode : text::kBlendModeNames) expectNamed(text::tr(mode));
  for (const char* mode : text::kMaskModeNames) expectNamed(text::tr(mode));
  for (auto filters : {filterTable(), extraFilters()})
    for (const FilterEntry& e : filters) {
      expectNamed(text::tr(e.menuName));
      expectNamed(e.cliName);
      for (int i = 0; i < e.paramCount(); ++i) expectNamed(e.params[i]);
    }
  for (const KeyDialogRow& row : keyDialogRows()) expectNamed(row.label);
  EXPECT_EQ(html.find('@'), std::string::npos);   // every placeholder filled
  text::setLanguage(saved);
}

TEST(Manual, ChinesePageNamesEverything) {
  const std::string in = page("help.zh.html.in");
  ASSERT_FALSE(in.empty());
  const std::string html = fillManual(in, text::Language::Chinese);
  expectNamesEverything(html, text::Language::Chinese);
  EXPECT_NE(html.find("<h4>高斯模糊 <code>gaussian-blur</code>"), std::string::npos);
  EXPECT_EQ(text::language(), text::Language::Chinese);   // the process language is left alone
}

TEST(Manual, EnglishPageNamesEverything) {
  const std::string in = page("help.en.html.in");
  ASSERT_FALSE(in.empty());
  const std::string html = fillManual(in, text::Language::English);
  expectNamesEverything(html, text::Language::English);
  // A filter with its parameters: Gaussian blur's strength, its key and its name on the command line.
  const size_t blur = html.find("<h4>Gaussian Blur <code>gaussian-blur</code> <kbd>Ctrl+Alt+G</kbd></h4>");
  ASSERT_NE(blur, std::string::npos);
  EXPECT_NE(html.find("<td>Strength</td><td><code>", blur), std::string::npos);
  EXPECT_EQ(html.find("高斯模糊"), std::string::npos);
}

// Every picture a page shows exists: the painting tools' strokes the build draws, and the
// panels and dialogs in the page's own language kept beside the pages, each
// of which the page shows.
void expectPicturesExist(const std::string& html, const std::string& prefix) {
  const std::string folder = std::string(TESSEL_REPO_ROOT) + "/src/resources/manual/pictures/";
  std::set<std::string> shown;
  for (size_t at = html.find("src=\"manual/"); at != std::string::npos; at = html.find("src=\"manual/", at + 1)) {
    const size_t start = at + std::strlen("src=\"manual/");
    const std::string name = html.substr(start, html.find('"', start) - start);
    if (name.rfind("tool-", 0) == 0) {
      const int tool = std::stoi(name.substr(5));
      EXPECT_TRUE(tool >= 0 && tool <= kToolBurn) << name;
      continue;
    }
    EXPECT_EQ(name.rfind(prefix, 0), 0u) << "a picture in the other language: " << name;
    EXPECT_TRUE(std::filesystem::is_regular_file(folder + name)) << "missing picture: " << name;
    shown.insert(name);
  }
  size_t kept = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    if (entry.path().filename().string().rfind(prefix, 0) == 0) ++kept;
  EXPECT_EQ(shown.size(), kept) << "pictures kept but not shown";
  EXPECT_GE(kept, 9u);
}

TEST(Manual, PicturesExistInTheirLanguage) {
  expectPicturesExist(fillManual(page("help.zh.html.in"), text::Language::Chinese), "zh-");
  expectPicturesExist(fillManual(page("help.en.html.in"), text::Language::English), "en-");
}

TEST(Manual, HelpFileFollowsTheLanguage) {
  EXPECT_STREQ(helpFileFor(text::Language::Chinese), "help.html");
  EXPECT_STREQ(helpFileFor(text::Language::English), "help.en.html");
}

}  // namespace
}  // namespace tessel
