#include "resources/language.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string_view>
#include <unordered_map>

namespace tessel::text {

namespace {

std::atomic<Language> gLanguage{Language::Chinese};

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r' || s.front() == '\n'))
    s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r' || s.back() == '\n'))
    s.remove_suffix(1);
  return s;
}

LanguageChoice choiceOfWord(std::string_view word) {
  word = trimmed(word);
  if (word == "zh") return LanguageChoice::Chinese;
  if (word == "en") return LanguageChoice::English;
  return LanguageChoice::Automatic;
}

}  // namespace

Language language() { return gLanguage.load(std::memory_order_relaxed); }
void setLanguage(Language language) { gLanguage.store(language, std::memory_order_relaxed); }

Language languageOfLocale(const char* lcAll, const char* lcMessages, const char* lang) {
  const char* locale = nullptr;
  for (const char* v : {lcAll, lcMessages, lang})
    if (v && *v) {
      locale = v;
      break;
    }
  if (!locale) return Language::Chinese;
  std::string_view name(locale);
  name = name.substr(0, name.find_first_of("_.@"));
  if (name.empty() || name == "C" || name == "POSIX" || name == "zh") return Language::Chinese;
  return Language::English;
}

Language languageFor(const char* override, LanguageChoice choice, const char* lcAll, const char* lcMessages,
                     const char* lang) {
  if (override) {
    LanguageChoice forced = choiceOfWord(override);
    if (forced != LanguageChoice::Automatic) choice = forced;
  }
  if (choice == LanguageChoice::Chinese) return Language::Chinese;
  if (choice == LanguageChoice::English) return Language::English;
  return languageOfLocale(lcAll, lcMessages, lang);
}

LanguageChoice readLanguageChoice(const std::string& folder) {
  if (folder.empty()) return LanguageChoice::Automatic;
  std::ifstream in(folder + "/" + kLanguageFile, std::ios::binary);
  char word[16] = {};
  in.read(word, sizeof word - 1);
  return choiceOfWord(std::string_view(word, size_t(in.gcount())));
}

bool writeLanguageChoice(const std::string& folder, LanguageChoice choice) {
  const std::string path = folder + "/" + kLanguageFile;
  if (choice == LanguageChoice::Automatic) {
    std::remove(path.c_str());
    std::ifstream still(path);
    return !still.good();
  }
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << (choice == LanguageChoice::Chinese ? "zh" : "en") << '\n';
  out.close();
  return bool(out);
}

Language chooseLanguageAtStart(const std::string& settingsFolder) {
  Language chosen = languageFor(std::getenv("TESSEL_LANGUAGE"), readLanguageChoice(settingsFolder),
                                std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"));
  setLanguage(chosen);
  return chosen;
}

const char* englishFor(std::string_view chinese) {
  static const std::unordered_map<std::string_view, const char*> table = [] {
    std::unordered_map<std::string_view, const char*> map;
    for (const Translation& t : englishTexts()) map.emplace(t.chinese, t.english);
    return map;
  }();
  auto it = table.find(chinese);
  return it == table.end() ? nullptr : it->second;
}

const char* tr(const char* chinese) {
  if (!chinese || language() == Language::Chinese) return chinese;
  const char* english = englishFor(chinese);
  return english ? english : chinese;
}

std::string trPadded(const std::string& chinese) {
  if (language() == Language::Chinese) return chinese;
  const char* english = englishFor(trimmed(chinese));
  return english ? std::string(english) : chinese;
}

}  // namespace tessel::text
