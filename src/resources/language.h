#pragma once
#include <span>
#include <string>
#include <string_view>

// The interface language: Chinese, the program's own, or English. Chosen
// once at start-up, before any window or message exists.
namespace tessel::text {

enum class Language : unsigned char { Chinese, English };
// What the environment dialog stores; Automatic follows the locale.
enum class LanguageChoice : unsigned char { Automatic, Chinese, English };

Language language();
void setLanguage(Language language);

// The first of LC_ALL, LC_MESSAGES and LANG that is set and not empty names
// the locale (as for every POSIX program; nullptr when unset). Chinese for a
// zh locale, for C and POSIX and when none is set; English for every other.
Language languageOfLocale(const char* lcAll, const char* lcMessages, const char* lang);
// TESSEL_LANGUAGE ("zh" or "en", nullptr when unset) wins, then a stored
// choice, then the locale.
Language languageFor(const char* override, LanguageChoice choice, const char* lcAll, const char* lcMessages,
                     const char* lang);

// The choice lives in its own file beside config.ini, so that a user who
// never changes it keeps config.ini byte for byte. No file: Automatic.
inline constexpr const char* kLanguageFile = "language";
LanguageChoice readLanguageChoice(const std::string& folder);
// Automatic removes the file; true when the folder holds the choice afterwards.
bool writeLanguageChoice(const std::string& folder, LanguageChoice choice);

// Sets the process language from this process's environment and the choice
// stored in settingsFolder (empty: none) and returns it.
Language chooseLanguageAtStart(const std::string& settingsFolder);

// The text to show for a Chinese text: itself in Chinese, its English entry
// in English (itself when it has none).
const char* tr(const char* chinese);
// The same for a label that carries padding spaces: English loses them.
std::string trPadded(const std::string& chinese);

// Every text and its English twin; the Chinese text is the text's id.
struct Translation {
  const char* chinese;
  const char* english;
};
std::span<const Translation> englishTexts();
// nullptr when the text has no English entry.
const char* englishFor(std::string_view chinese);

}  // namespace tessel::text
