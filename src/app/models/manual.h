#pragma once
#include <string>

#include "resources/language.h"

namespace tessel {

// The manual's page in one language: page is the hand-written text with
// placeholders (@TOOLS@, @MENUS@, @LAYER_MENU@, @BLEND_MODES@, @MASK_MODES@,
// @FILTERS@, @KEYS@) that are filled from the program's own tables, so that
// the lists cannot drift from what the program does.
std::string fillManual(const std::string& page, text::Language language);

// The file Help opens for a language: help.html (Chinese) or help.en.html.
const char* helpFileFor(text::Language language);

}  // namespace tessel
