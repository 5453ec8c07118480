#include "resources/language.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace tessel::text {
namespace {

namespace fs = std::filesystem;

// Resets the process language after each test.
struct LanguageGuard {
  Language saved = language();
  ~LanguageGuard() { setLanguage(saved); }
};

TEST(LanguageRule, LocaleDecides) {
  using L = Language;
  EXPECT_EQ(languageOfLocale(nullptr, nullptr, nullptr), L::Chinese);
  EXPECT_EQ(languageOfLocale("", "", ""), L::Chinese);
  EXPECT_EQ(languageOfLocale(nullptr, nullptr, "C"), L::Chinese);
  EXPECT_EQ(languageOfLocale(nullptr, nullptr, "C.UTF-8"), L::Chinese);
  EXPECT_EQ(languageOfLocale(nullptr, nullptr, "POSIX"), L::Chinese);
  EXPECT_EQ(languageOfLocale(nullptr, nullptr, "zh_CN.UTF-8"), L::Chinese);
  EXPECT_EQ(languageOfLocale(nullptr, nullptr, "zh_TW"), L::Chinese);
  EXPECT_EQ(languageOfLocale(nullptr, nullptr, "zh"), L::Chinese);
  EXPECT_EQ(languageOfLocale(nullptr, nullptr, "en_US.UTF-8"), L::English);
  EXPECT_EQ(languageOfLocale(nullptr, nullptr, "de_DE@euro"), L::English);
  EXPECT_EQ(languageOfLocale(nullptr, nullptr, "ja_JP.UTF-8"), L::English);
  // "zhx" is not Chinese; the language part ends at _ . or @.
  EXPECT_EQ(languageOfLocale(nullptr, nullptr, "zhx_YY"), L::English);
  // LC_ALL, then LC_MESSAGES, then LANG; an empty one does not count.
  EXPECT_EQ(languageOfLocale("en_GB.UTF-8", "zh_CN.UTF-8", "zh_CN.UTF-8"), L::English);
  EXPECT_EQ(languageOfLocale("", "en_GB.UTF-8", "zh_CN.UTF-8"), L::English);
  EXPECT_EQ(languageOfLocale(nullptr, "C", "en_US.UTF-8"), L::Chinese);
  EXPECT_EQ(languageOfLocale(nullptr, "", "fr_FR.UTF-8"), L::English);
}

TEST(LanguageRule, OverrideThenChoiceThenLocale) {
  using C = LanguageChoice;
  EXPECT_EQ(languageFor(nullptr, C::Automatic, nullptr, nullptr, "en_US.UTF-8"), Language::English);
  EXPECT_EQ(languageFor(nullptr, C::Chinese, nullptr, nullptr, "en_US.UTF-8"), Language::Chinese);
  EXPECT_EQ(languageFor(nullptr, C::English, nullptr, nullptr, "zh_CN.UTF-8"), Language::English);
  EXPECT_EQ(languageFor("zh", C::English, "en_US.UTF-8", nullptr, nullptr), Language::Chinese);
  EXPECT_EQ(languageFor("en", C::Automatic, nullptr, nullptr, nullptr), Language::English);
  // An unknown or empty override leaves the choice to the rest.
  EXPECT_EQ(languageFor("", C::Automatic, nullptr, nullptr, "en_US.UTF-8"), Language::English);
  EXPECT_EQ(languageFor("fr", C::Chinese, nullptr, nullptr, "en_US.UTF-8"), Language::Chinese);
}

TEST(LanguageFile, RoundTripAndAutomaticLeavesNoFile) {
  const fs::path folder = fs::temp_directory_path() / ("tessel_language_" + std::to_string(::getpid()));
  fs::create_directories(folder);
  const std::string dir = folder.string();
  EXPECT_EQ(readLanguageChoice(dir), LanguageChoice::Automatic);
  EXPECT_EQ(readLanguageChoice(""), LanguageChoice::Automatic);
  ASSERT_TRUE(writeLanguageChoice(dir, LanguageChoice::English));
  EXPECT_EQ(readLanguageChoice(dir), LanguageChoice::English);
  ASSERT_TRUE(writeLanguageChoice(dir, LanguageChoice::Chinese));
  EXPECT_EQ(readLanguageChoice(dir), LanguageChoice::Chinese);
  ASSERT_TRUE(writeLanguageChoice(dir, LanguageChoice::Automatic));
  EXPECT_FALSE(fs::exists(folder / kLanguageFile));
  // A word it does not know, or a huge file, is Automatic.
  std::ofstream(folder / kLanguageFile) << "klingon\n";
  EXPECT_EQ(readLanguageChoice(dir), LanguageChoice::Automatic);
  std::ofstream(folder / kLanguageFile) << std::string(100000, 'e');
  EXPECT_EQ(readLanguageChoice(dir), LanguageChoice::Automatic);
  // A folder that cannot be written reports it.
  EXPECT_FALSE(writeLanguageChoice((folder / "missing" / "deeper").string(), LanguageChoice::English));
  fs::remove_all(folder);
}

TEST(LanguageTr, ChineseKeepsTheTextEnglishFindsItsTwin) {
  LanguageGuard guard;
  const char* open = "打开图像失败";
  setLanguage(Language::Chinese);
  EXPECT_EQ(tr(open), open);
  EXPECT_EQ(trPadded("    阈值"), "    阈值");
  setLanguage(Language::English);
  EXPECT_STREQ(tr(open), "Could not open the image");
  EXPECT_EQ(trPadded("    阈值"), "Threshold");
  // Text without an entry (a layer's name, say) stays as it is.
  EXPECT_STREQ(tr("我的图层"), "我的图层");
  EXPECT_EQ(tr(nullptr), nullptr);
}

// Every string literal of a C++ source, adjacent literals joined as the
// compiler joins them; comments and character literals skipped.
std::vector<std::string> literalsOf(const std::string& src) {
  std::vector<std::string> out;
  std::string current;
  bool open = false;
  for (size_t i = 0; i < src.size();) {
    if (src.compare(i, 2, "//") == 0) {
      i = src.find('\n', i);
      if (i == std::string::npos) break;
      continue;
    }
    if (src.compare(i, 2, "/*") == 0) {
      size_t end = src.find("*/", i + 2);
      i = end == std::string::npos ? src.size() : end + 2;
      continue;
    }
    char c = src[i];
    if (c == '\'' || c == '"') {
      size_t j = i + 1;
      while (j < src.size() && src[j] != c) j += src[j] == '\\' ? 2 : 1;
      if (c == '"') {
        current += src.substr(i + 1, j - i - 1);
        open = true;
      }
      i = j + 1;
      continue;
    }
    if (!std::isspace(static_cast<unsigned char>(c)) && open) {
      out.push_back(current);
      current.clear();
      open = false;
    }
    ++i;
  }
  if (open) out.push_back(current);
  return out;
}

// The compiled form of a literal's spelling (the escapes the tables use).
std::string unescaped(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '\\' || i + 1 == s.size()) {
      out += s[i];
      continue;
    }
    char e = s[++i];
    out += e == 'n' ? '\n' : e == 't' ? '\t' : e;
  }
  return out;
}

// Han, CJK punctuation and full-width forms: U+3000-U+9FFF, U+FF00-U+FFEF.
bool hasChinese(const std::string& s) {
  for (size_t i = 0; i + 2 < s.size(); ++i) {
    unsigned char a = static_cast<unsigned char>(s[i]);
    if (a >= 0xE3 && a <= 0xE9) return true;
    if (a == 0xEF && (static_cast<unsigned char>(s[i + 1]) & 0xFC) == 0xBC) return true;
  }
  return false;
}

std::string trimmed(std::string s) {
  s.erase(0, s.find_first_not_of(' '));
  s.erase(s.find_last_not_of(' ') + 1);
  return s;
}

TEST(EnglishTexts, EveryChineseTextHasANonEmptyEnglishTwin) {
  const fs::path src = fs::path(TESSEL_REPO_ROOT) / "src";
  // Font family names and tessel-cli's English help, which quotes the
  // Chinese messages, are not texts to translate.
  // The manual's own prose sits in pairs beside its English in manual.cpp.
  const std::set<std::string> notTexts = {"platform/font_list.cpp", "cli/main.cpp",
                                          "resources/english_texts.cpp", "app/models/manual.cpp"};
  std::map<std::string, std::string> missing;   // text -> where
  int seen = 0;
  for (const auto& entry : fs::recursive_directory_iterator(src)) {
    const std::string rel = fs::relative(entry.path(), src).string();
    const std::string ext = entry.path().extension().string();
    if (!entry.is_regular_file() || notTexts.count(rel)) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    std::vector<std::string> texts;
    if (ext == ".cpp" || ext == ".h") {
      for (const std::string& lit : literalsOf(all.str())) texts.push_back(unescaped(lit));
    } else if (entry.path().filename() == "filter_templates.txt") {
      std::string line;
      while (std::getline(all, line)) {
        if (line.empty() || line[0] == '#') continue;
        for (size_t q = line.find('"'); q != std::string::npos; q = line.find('"', q + 1)) {
          size_t end = line.find('"', q + 1);
          if (end == std::string::npos) break;
          texts.push_back(trimmed(line.substr(q + 1, end - q - 1)));
          q = end;
        }
      }
    }
    for (const std::string& t : texts) {
      if (!hasChinese(t)) continue;
      ++seen;
      const char* english = englishFor(t);
      if (!english || !*english) missing.emplace(t, rel);
    }
  }
  EXPECT_GT(seen, 500);
  for (const auto& [text, where] : missing) ADD_FAILURE() << where << ": no English for \"" << text << "\"";
}

// The conversions of a printf or QString::arg text, in order of kind.
std::multiset<std::string> conversionsOf(const std::string& s) {
  std::multiset<std::string> out;
  for (size_t i = 0; i + 1 < s.size(); ++i) {
    if (s[i] != '%') continue;
    size_t j = i + 1;
    if (s[j] == '%') {
      ++i;
      continue;
    }
    while (j < s.size() && (std::isdigit(static_cast<unsigned char>(s[j])) || s[j] == '$')) ++j;
    if (j < s.size() && (s[j] == 'd' || s[j] == 's')) out.insert(std::string(1, s[j]));
    else if (j > i + 1 && s[j - 1] != '$') out.insert("arg");   // %1
  }
  return out;
}

TEST(EnglishTexts, NoneEmptyNoTwiceAndTheSameConversions) {
  std::set<std::string> ids;
  for (const Translation& t : englishTexts()) {
    ASSERT_NE(t.english, nullptr);
    EXPECT_STRNE(t.english, "") << t.chinese;
    EXPECT_TRUE(ids.insert(t.chinese).second) << "twice: " << t.chinese;
    EXPECT_EQ(conversionsOf(t.chinese), conversionsOf(t.english)) << t.chinese;
    // Slash lists keep their item count: the lists are split on '/'.
    const std::string zh = t.chinese, en = t.english;
    if (std::count(zh.begin(), zh.end(), '/') >= 2 && zh.find("(*.") == std::string::npos)
      EXPECT_EQ(std::count(zh.begin(), zh.end(), '/'), std::count(en.begin(), en.end(), '/')) << zh;
  }
}

}  // namespace
}  // namespace tessel::text
