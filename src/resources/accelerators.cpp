#include "resources/accelerators.h"

namespace tessel {

namespace {

constexpr Accelerator kAccelerators[] = {
    {"Ctrl+A", 40100},       {"Ctrl+B", 40003},       {"Ctrl+C", 40103},
    {"Ctrl+D", 40102},       {"Ctrl+E", 40056},       {"Ctrl+F", 40054},
    {"Ctrl+G", 40165},       {"Ctrl+H", 40012},       {"Ctrl+I", 40061},
    {"Ctrl+J", 40053},       {"Ctrl+L", 40052},       {"Ctrl+N", 40001},
    {"Ctrl+O", 40002},       {"Ctrl+P", 40055},       {"Ctrl+Q", 40163},
    {"Ctrl+R", 40057},       {"Ctrl+S", 40004},       {"Ctrl+T", 40113},
    {"Ctrl+V", 40105},       {"Ctrl+W", 40005},       {"Ctrl+X", 40104},
    {"Ctrl+Y", 40051},       {"Ctrl+Z", 40050},       {"Ctrl+Shift+B", 40119},
    {"Ctrl+Shift+C", 40122}, {"Ctrl+Shift+F", 40121}, {"Ctrl+Shift+G", 40115},
    {"Ctrl+Shift+H", 40108}, {"Ctrl+Shift+L", 40111}, {"Ctrl+Shift+R", 40110},
    {"Ctrl+Shift+S", 40114}, {"Ctrl+Shift+V", 40109}, {"Ctrl+Shift+X", 40120},
    {"Ctrl+Shift+Z", 40123}, {"Ctrl+Alt+C", 41820},   {"Ctrl+Alt+D", 41822},
    {"Ctrl+Alt+E", 41050},   {"Ctrl+Alt+G", 41023},   {"Ctrl+Alt+R", 41011},
    {"Ctrl+Alt+S", 41034},   {"Ctrl+Alt+V", 41012},   {"Alt+Shift+A", 42310},
    {"Alt+Shift+B", 42304},  {"Alt+Shift+C", 42302},  {"Alt+Shift+D", 42303},
    {"Alt+Shift+H", 42311},  {"Alt+Shift+L", 42312},  {"Alt+Shift+N", 42300},
    {"Tab", 40160},          {"F11", 40161},
};

}  // namespace

std::span<const Accelerator> acceleratorTable() { return kAccelerators; }

const char* acceleratorFor(uint16_t id) {
  for (const Accelerator& a : kAccelerators) {
    if (a.id == id) return a.keys;
  }
  return nullptr;
}

}  // namespace tessel
