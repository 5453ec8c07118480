#pragma once

namespace tessel {

// tessel-cli thumbnail IN OUT.png SIZE: a native document's stored preview,
// or any other file's flattened image, fitted into SIZE x SIZE for file
// managers. Returns the exit status.
int runThumbnail(int argc, char** argv);

}  // namespace tessel
