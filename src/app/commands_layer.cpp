// The layer panel's commands (42300-42316): its tool bar, its menu, the main
// window's forwarding of 42300-42312 and the Alt+Shift accelerators.
#include "app/command_table.h"
#include "app/layer_commands.h"

namespace tessel {

namespace {

constexpr Command kLayerRows[] = {
    {42300, 42300, nullptr, [](Application& a, Shell& s, int) { layerNew(a, s); }},
    {42301, 42301, nullptr, [](Application& a, Shell& s, int) { layerNewFromFile(a, s); }},
    {42302, 42302, nullptr, [](Application& a, Shell& s, int) { layerClone(a, s); }},
    {42303, 42303, nullptr, [](Application& a, Shell& s, int) { layerDelete(a, s); }},
    {42304, 42304, nullptr, [](Application& a, Shell& s, int) { layerMergeDown(a, s); }},
    {42305, 42305, nullptr, [](Application& a, Shell& s, int) { layerMergeVisible(a, s, false); }},
    {42306, 42306, nullptr, [](Application& a, Shell& s, int) { layerMoveUp(a, s); }},
    {42307, 42307, nullptr, [](Application& a, Shell& s, int) { layerMoveDown(a, s); }},
    {42308, 42308, nullptr, [](Application& a, Shell& s, int) { layerSettings(a, s); }},
    {42309, 42309, nullptr, [](Application& a, Shell& s, int) { layerExport(a, s); }},
    {42310, 42312, nullptr, [](Application& a, Shell& s, int id) { layerVisibility(a, s, id - 42310); }},
    {42315, 42315, nullptr, [](Application& a, Shell& s, int) { layerMergeVisible(a, s, true); }},
    {42316, 42316, nullptr, [](Application& a, Shell& s, int) { layerMergeIntoNew(a, s); }},
};

}  // namespace

std::span<const Command> layerCommands() { return kLayerRows; }

bool isLayerCommand(int id) { return id >= 42300 && id <= 42316 && findCommand(id) != nullptr; }

bool layerCommandEnabled(const Application& app, int id) {
  return isLayerCommand(id) && commandEnabled(app, id);
}

bool runLayerCommand(Application& app, Shell& shell, int id) {
  return isLayerCommand(id) && runCommand(app, shell, id);
}

}  // namespace tessel
