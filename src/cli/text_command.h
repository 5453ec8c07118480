#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace tessel {

// tessel-cli text IN OUT X Y TEXT [options]: the text tool's OK at anchor
// (X, Y) of a layer. Returns the exit status.
int runText(int argc, char** argv);

// tessel-cli fonts: the faces the text dialog lists, one a line.
int runFonts(int argc, char** argv);

// UTF-8 to the UTF-16 text the renderer takes: a line feed or the two
// characters "\n" end a line (CR LF), "\\" is one backslash. Nothing for
// malformed UTF-8.
std::optional<std::u16string> textFromUtf8(std::string_view utf8);

}  // namespace tessel
