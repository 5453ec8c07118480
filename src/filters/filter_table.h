#pragma once
#include <span>
#include <string>
#include <vector>

#include "filters/filter_template.h"
#include "filters/filter_types.h"

namespace tessel {

constexpr int kFirstFilterCommand = 41000;
constexpr int kFilterCommandCount = 52;

// How a command gets its parameters.
enum class FilterDialog { Template, Own, None };
// Where its dialog shows the result before OK.
enum class FilterPreview { None, Box, Canvas };

// One filter command: the table's 52 entries and the menu's extra commands.
struct FilterEntry {
  int command = 0;                 // menu command identifier
  const char* menuName = "";       // UTF-8, as the menu shows it
  const char* cliName = "";        // tessel-cli name
  int templateId = 0;              // 0: no template
  FilterDialog dialog = FilterDialog::None;
  FilterPreview preview = FilterPreview::None;
  bool progress = false;           // applied by the progress worker
  bool resetEnabled = false;       // the dialog's reset button
  bool inPlace = false;            // reads the layer it writes
  bool wholeLayer = false;         // works on the whole layer, not the selection
  int previewWidth = 160, previewHeight = 150;
  // The menu's extra commands name their function; the table's 52 are found by index.
  FilterFunction function = nullptr;
  // Command-line parameter names in template order (control i), then null.
  const char* params[8] = {};

  int index() const { return command - kFirstFilterCommand; }   // table position
  int paramCount() const;
};

std::span<const FilterEntry> filterTable();      // the 52 commands 41000 … 41051
std::span<const FilterEntry> extraFilters();     // 41800 … 41803, 41810 … 41813, 41820 … 41822
const FilterEntry* filterByCommand(int command);
const FilterEntry* filterByName(const std::string& cliName);

// A command-line parameter: where it goes in the value block, its raw range
// and default (a list: item positions; a layer chooser: layer indices; a
// colour: 0x00RRGGBB).
struct FilterParam {
  enum Kind { Integer, Decimal, Check, List, Layer, Colour };
  std::string name;
  Kind kind = Integer;
  ValueSlot slot;
  int min = 0, max = 0, defaultValue = 0;
  std::vector<std::string> items;   // UTF-8 list items
};

// The parameters of a command against a target (the sizes matter for sliders
// that follow the image). False when the entry and its template disagree.
bool filterParams(const FilterEntry& entry, const TemplateTarget& target,
                  std::vector<FilterParam>& out);

// Sets one parameter in a value block, clamped to its range as the dialog's
// number fields do.
void setFilterParam(const FilterParam& param, int value, FilterValues& values);

}  // namespace tessel
