#pragma once
#include <memory>
#include <string>

#include "app/ops/scanner.h"

namespace tessel {

// Scanners through SANE. The library is opened with dlopen on the first call
// that needs it, so a program without scanners starts without it and runs
// where it is not installed. library "" means $TESSEL_SANE_LIBRARY, or else
// "libsane.so.1".
std::unique_ptr<Scanner> makeSaneScanner(const std::string& library = "");

}  // namespace tessel
