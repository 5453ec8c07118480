#pragma once

namespace tessel {

// tessel-cli shape, fill and gradient: what the canvas gestures draw, on a
// document read from a file and saved to another. Exit status as the other
// commands.
int runShape(int argc, char** argv);
int runFill(int argc, char** argv);
int runGradient(int argc, char** argv);

}  // namespace tessel
