#pragma once

namespace tessel {

// tessel-cli scanners: the scanners SANE finds, one a line.
int runScanners(int argc, char** argv);
// tessel-cli scan OUT [--device NAME] [--resolution DPI] [--mode colour|grey|lineart]
int runScan(int argc, char** argv);

}  // namespace tessel
