#pragma once
#include <cstdint>
#include <string>

namespace tessel {

class Document;
struct LoadOutcome;
struct ImageSaveOptions;

// Shared by the commands.
int usageError(const char* text);
int fail(const std::string& message);
// Opens as the program's Open does; false when the open flow would refuse the file.
bool load(const char* path, Document& document, LoadOutcome& outcome);
bool save(const char* path, Document& document, const ImageSaveOptions& options);
bool parseInt(const char* text, int low, int high, int& out);
bool parseColour(const char* text, int32_t& out);   // RRGGBB

// Each returns the process exit status: 0 success, 1 failure (the program's
// own message on stderr), 2 a usage error.
int runInfo(int argc, char** argv);
int runConvert(int argc, char** argv);
int runNew(int argc, char** argv);
int runStroke(int argc, char** argv);
int runExportLayer(int argc, char** argv);
int runFilter(int argc, char** argv);
int runListFilters(int argc, char** argv);
int runResize(int argc, char** argv);
int runCanvasSize(int argc, char** argv);
int runTransform(int argc, char** argv);   // flip-h, flip-v, rotate-cw, rotate-ccw
int runCrop(int argc, char** argv);
int runLayer(int argc, char** argv);   // layer OP IN OUT ...
int runSelection(int argc, char** argv);   // selection_command.cpp

}  // namespace tessel
