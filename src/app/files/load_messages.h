#pragma once
#include <string>

#include "app/files/document_io.h"

namespace tessel {

// A failed open as the message box shows it: the program's own text on the
// first line; the file's name and, where it is known, why, on the second.
std::string loadFailureMessage(int code, const std::string& path, const LoadOutcome& outcome);
// The same for a picture read by the image loader (new layer from file,
// import from file), whose own text is text.
std::string imageFailureMessage(const char* text, const std::string& path, ReadReason reason);

// What the file system says about path when a reader got nothing from it:
// missing, a folder, unreadable or empty; empty text when none of these.
std::string fileProblem(const std::string& path);
// The reason a reader gave, as text; empty for kUnknown.
std::string reasonText(ReadReason reason);

}  // namespace tessel
