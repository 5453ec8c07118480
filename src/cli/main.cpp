#include <cstdio>
#include <cstring>

namespace {

const char kUsage[] =
    "usage: tessel-cli <command> [arguments]\n"
    "\n"
    "Batch work on Tessel documents and images.\n"
    "\n"
    "commands:\n"
    "  --help        show this text\n";

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
    std::fputs(kUsage, argc < 2 ? stderr : stdout);
    return argc < 2 ? 2 : 0;
  }
  std::fprintf(stderr, "tessel-cli: unknown command '%s'\n", argv[1]);
  return 2;
}
