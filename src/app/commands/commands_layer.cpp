// The layer panel's commands: its tool bar, its menu, the main window's
// forwarding of the first thirteen and the Alt+Shift accelerators.
#include "app/commands/command_ids.h"
#include "app/commands/command_table.h"
#include "app/ops/layer_ops.h"

namespace tessel {

namespace {

constexpr Command kLayerRows[] = {
    {cmd::kLayerNew, cmd::kLayerNew, nullptr, [](Application& a, Shell& s, int) { layerNew(a, s); }},
    {cmd::kLayerNewFromFile, cmd::kLayerNewFromFile, nullptr, [](Application& a, Shell& s, int) { layerNewFromFile(a, s); }},
    {cmd::kLayerClone, cmd::kLayerClone, nullptr, [](Application& a, Shell& s, int) { layerClone(a, s); }},
    {cmd::kLayerDelete, cmd::kLayerDelete, nullptr, [](Application& a, Shell& s, int) { layerDelete(a, s); }},
    {cmd::kLayerMergeDown, cmd::kLayerMergeDown, nullptr, [](Application& a, Shell& s, int) { layerMergeDown(a, s); }},
    {cmd::kLayerMergeVisible, cmd::kLayerMergeVisible, nullptr, [](Application& a, Shell& s, int) { layerMergeVisible(a, s, false); }},
    {cmd::kLayerUp, cmd::kLayerUp, nullptr, [](Application& a, Shell& s, int) { layerMoveUp(a, s); }},
    {cmd::kLayerDown, cmd::kLayerDown, nullptr, [](Application& a, Shell& s, int) { layerMoveDown(a, s); }},
    {cmd::kLayerSettings, cmd::kLayerSettings, nullptr, [](Application& a, Shell& s, int) { layerSettings(a, s); }},
    {cmd::kLayerExport, cmd::kLayerExport, nullptr, [](Application& a, Shell& s, int) { layerExport(a, s); }},
    {cmd::kLayerShowAll, cmd::kLayerShowCurrent, nullptr,
     [](Application& a, Shell& s, int id) { layerVisibility(a, s, id - cmd::kLayerShowAll); }},
    {cmd::kLayerMergeVisibleKeep, cmd::kLayerMergeVisibleKeep, nullptr, [](Application& a, Shell& s, int) { layerMergeVisible(a, s, true); }},
    {cmd::kLayerMergeIntoNew, cmd::kLayerMergeIntoNew, nullptr, [](Application& a, Shell& s, int) { layerMergeIntoNew(a, s); }},
};

}  // namespace

std::span<const Command> layerCommands() { return kLayerRows; }

bool isLayerCommand(int id) { return id >= cmd::kLayerFirst && id <= cmd::kLayerLast && findCommand(id) != nullptr; }

bool layerCommandEnabled(const Application& app, int id) {
  return isLayerCommand(id) && commandEnabled(app, id);
}

bool runLayerCommand(Application& app, Shell& shell, int id) {
  return isLayerCommand(id) && runCommand(app, shell, id);
}

}  // namespace tessel
