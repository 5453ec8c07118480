#pragma once

namespace tessel {

// Each returns the process exit status: 0 success, 1 failure (the program's
// own message on stderr), 2 a usage error.
int runInfo(int argc, char** argv);
int runConvert(int argc, char** argv);
int runNew(int argc, char** argv);
int runExportLayer(int argc, char** argv);

}  // namespace tessel
