#include "app/models/manual.h"

#include <cstdio>
#include <vector>

#include "app/models/key_dialog_model.h"
#include "config/key_table.h"
#include "filters/filter_table.h"
#include "filters/filter_template.h"
#include "resources/accelerators.h"
#include "resources/menus.h"
#include "resources/strings.h"

namespace tessel {

namespace {

// The generated lists use the interface's texts in the page's language.
class LanguageScope {
 public:
  explicit LanguageScope(text::Language l) : saved_(text::language()) { text::setLanguage(l); }
  ~LanguageScope() { text::setLanguage(saved_); }

 private:
  text::Language saved_;
};

std::string escaped(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == '<') out += "&lt;";
    else if (c == '>') out += "&gt;";
    else if (c == '&') out += "&amp;";
    else if (c == '"') out += "&quot;";
    else out += c;
  }
  return out;
}

std::string t(const char* chinese) { return escaped(text::tr(chinese)); }

struct Pair {
  const char* zh;
  const char* en;
};
const char* pick(const Pair& p) { return text::language() == text::Language::Chinese ? p.zh : p.en; }

// What each tool does, in tool-number order.
constexpr Pair kToolUses[19] = {
    {"逐像素描画，不做抗锯齿", "draws pixel by pixel, without antialiasing"},
    {"一像素宽的细线", "draws lines one pixel wide"},
    {"平滑的笔触，笔压改变直径和浓度", "draws smooth strokes; pressure changes the diameter and density"},
    {"第二支笔，设置与笔分开保存", "paints as the pen does, with settings of its own"},
    {"柔和的画笔，可使用纹理", "paints with a soft brush that can use a texture"},
    {"拾取画布颜色并与绘图颜色混合", "picks up the canvas colour and mixes it with the drawing colour"},
    {"喷涂，按住不动时持续累积", "sprays paint; keeps building up while held still"},
    {"把像素擦成透明（硬边）", "erases to transparency with a hard edge"},
    {"以笔的笔触擦除", "erases with a pen stroke"},
    {"以画笔的笔触擦除", "erases with a brush stroke"},
    {"模糊笔触下的像素", "blurs the pixels under the stroke"},
    {"沿笔触涂抹像素", "smudges pixels along the stroke"},
    {"使笔触下的像素变亮", "lightens the pixels under the stroke"},
    {"使笔触下的像素变暗", "darkens the pixels under the stroke"},
    {"填充相连的同色区域；Ctrl 擦除，Shift 按边缘模式，Alt 反转判定层选择",
     "fills a connected area of one colour; Ctrl erases, Shift fills the fringe, Alt inverts which layers count as references"},
    {"拖曳画出渐变：线性、放射、矩形或角度", "draws a gradient along a drag: linear, radial, box or angular"},
    {"单击画布打开文字对话框", "opens the text dialog where the canvas is clicked"},
    {"拖曳移动当前图层；Ctrl+方向键移动一个像素", "moves the current layer by dragging; Ctrl+arrow keys move it by one pixel"},
    {"拖曳选择矩形区域", "selects a rectangle by dragging"},
};

// What each blend mode computes per channel: d the pixels below, s the layer (0-255).
constexpr Pair kBlendFormulas[21] = {
    {"s", "s"},
    {"d·s/255", "d·s/255"},
    {"min(255, d + s)", "min(255, d + s)"},
    {"max(0, d − s)", "max(0, d − s)"},
    {"d + s − d·s/255", "d + s − d·s/255"},
    {"d ≥ 128 时 255 − (255−d)(255−s)/128，否则 d·s/128", "255 − (255−d)(255−s)/128 when d ≥ 128, else d·s/128"},
    {"m = d·s/255，r = 255 − (255−d)(255−s)/255，结果 m + (r − m)·d/255",
     "m = d·s/255, r = 255 − (255−d)(255−s)/255, result m + (r − m)·d/255"},
    {"s ≥ 128 时 255 − (255−d)(255−s)/128，否则 d·s/128", "255 − (255−d)(255−s)/128 when s ≥ 128, else d·s/128"},
    {"s = 255 时 255，否则 min(255, 255·d/(255 − s))", "255 when s = 255, else min(255, 255·d/(255 − s))"},
    {"s = 0 时 0，否则 max(0, 255 − 255·(255 − d)/s)", "0 when s = 0, else max(0, 255 − 255·(255 − d)/s)"},
    {"max(0, d + s − 255)", "max(0, d + s − 255)"},
    {"s ≥ 128：c = 510 − 2s，d &lt; c 时 255·d/c，否则 255；s &lt; 128：d ≤ 255 − 2s 时 0，否则 255·(d − (255 − 2s))/(2s)",
     "s ≥ 128: c = 510 − 2s, 255·d/c when d &lt; c, else 255; s &lt; 128: 0 when d ≤ 255 − 2s, else 255·(d − (255 − 2s))/(2s)"},
    {"clamp(d + 2s − 255, 0, 255)", "clamp(d + 2s − 255, 0, 255)"},
    {"s ≥ 128 时 max(d, 2s − 255)，否则 min(d, 2s)", "max(d, 2s − 255) when s ≥ 128, else min(d, 2s)"},
    {"|d − s|", "|d − s|"},
    {"max(d, s)", "max(d, s)"},
    {"min(d, s)", "min(d, s)"},
    {"取 s 的色相，d 的色度和亮度", "the hue of s with the chroma and luma of d"},
    {"取 s 的色度，d 的色相和亮度", "the chroma of s with the hue and luma of d"},
    {"取 s 的色相和色度，d 的亮度", "the hue and chroma of s with the luma of d"},
    {"取 s 的亮度，d 的色相和色度", "the luma of s with the hue and chroma of d"},
};

constexpr Pair kMaskUses[4] = {
    {"绘画可以改变所有像素", "painting may change any pixel"},
    {"保护透明部分：只在不透明（alpha &gt; 0）的像素上绘画", "protects the transparent areas: paints only where alpha &gt; 0"},
    {"保护不透明部分：只在完全透明的像素上绘画", "protects the opaque areas: paints only on fully transparent pixels"},
    {"只改变颜色，alpha 保持不变", "changes the colour only and keeps the alpha"},
};

constexpr int kPaintingTools = 14;

std::string toolsTable() {
  std::string out = "<table>\n<tr><th>" + std::string(pick({"编号", "No."})) + "</th><th>" +
                    pick({"工具", "Tool"}) + "</th><th>" + pick({"用途", "What it does"}) + "</th><th>" +
                    pick({"笔触（直径 12）", "A stroke (diameter 12)"}) + "</th></tr>\n";
  for (int i = 0; i < 19; ++i) {
    // The painting tools' pictures are drawn by scripts/manual_pictures at build time.
    const std::string picture =
        i < kPaintingTools ? "<img src=\"manual/tool-" + std::to_string(i) + ".png\" alt=\"\">" : std::string();
    out += "<tr><td>" + std::to_string(i) + "</td><td>" + t(text::kToolNames[i]) + "</td><td>" +
           pick(kToolUses[i]) + "</td><td>" + picture + "</td></tr>\n";
  }
  return out + "</table>\n";
}

std::string keyCell(uint16_t id) {
  const char* keys = acceleratorFor(id);
  return keys ? escaped(keys) : std::string();
}

// A menu tree as nested lists, each command with its key.
std::string menuList(std::span<const MenuEntry> entries) {
  std::string out;
  int depth = 0;
  for (const MenuEntry& e : entries) {
    switch (e.kind) {
      case MenuKind::Popup:
        out += depth == 0 ? "<h3>" + t(e.label) + "</h3>\n<ul>\n" : "<li>" + t(e.label) + "\n<ul>\n";
        ++depth;
        break;
      case MenuKind::End:
        if (depth == 0) break;
        --depth;
        out += depth == 0 ? "</ul>\n" : "</ul></li>\n";
        break;
      case MenuKind::Separator:
        break;
      case MenuKind::Item: {
        std::string key = keyCell(e.id);
        out += "<li>" + t(e.label) + (key.empty() ? "" : " <kbd>" + key + "</kbd>") + "</li>\n";
        break;
      }
    }
  }
  return out;
}

std::string layerMenuList() {
  std::string out = "<ul>\n";
  for (const MenuEntry& e : layerPanelMenu()) {
    if (e.kind != MenuKind::Item) continue;
    std::string key = keyCell(e.id);
    out += "<li>" + t(e.label) + (key.empty() ? "" : " <kbd>" + key + "</kbd>") + "</li>\n";
  }
  return out + "</ul>\n";
}

std::string blendTable() {
  std::string out = "<table>\n<tr><th>" + std::string(pick({"混合模式", "Blend mode"})) + "</th><th>" +
                    pick({"结果", "Result"}) + "</th></tr>\n";
  for (int i = 0; i < 21; ++i)
    out += "<tr><td>" + t(text::kBlendModeNames[i]) + "</td><td>" + pick(kBlendFormulas[i]) + "</td></tr>\n";
  return out + "</table>\n";
}

std::string maskTable() {
  std::string out = "<table>\n";
  for (int i = 0; i < 4; ++i)
    out += "<tr><td>" + t(text::kMaskModeNames[i]) + "</td><td>" + pick(kMaskUses[i]) + "</td></tr>\n";
  return out + "</table>\n";
}

std::string paramRange(const FilterParam& p, const TemplateControl* control) {
  char text[96];
  switch (p.kind) {
    case FilterParam::Decimal:
      std::snprintf(text, sizeof text, "%.2f – %.2f (%.2f)", p.min / 100.0, p.max / 100.0, p.defaultValue / 100.0);
      return text;
    case FilterParam::Check:
      return p.defaultValue ? pick({"开", "on"}) : pick({"关", "off"});
    case FilterParam::List: {
      std::string out;
      for (size_t i = 0; i < p.items.size(); ++i) {
        std::string item = escaped(text::trPadded(p.items[i]));
        out += (i ? ", " : "") + (int(i) == p.defaultValue ? "<b>" + item + "</b>" : item);
      }
      return out;
    }
    case FilterParam::Layer:
      return pick({"图层", "a layer"});
    case FilterParam::Colour:
      return pick({"颜色", "a colour"});
    case FilterParam::Integer:
    default:
      break;
  }
  const bool follows = control && control->hasSizeFlags;
  if (follows)
    std::snprintf(text, sizeof text, "%d – %s (%d)", p.min, pick({"图像尺寸 − 1", "image size − 1"}), p.defaultValue);
  else
    std::snprintf(text, sizeof text, "%d – %d (%d)", p.min, p.max, p.defaultValue);
  return text;
}

std::string filterSection(const FilterEntry& e) {
  std::string out = "<h4>" + t(e.menuName) + " <code>" + escaped(e.cliName) + "</code>";
  if (const char* key = acceleratorFor(uint16_t(e.command))) out += " <kbd>" + escaped(key) + "</kbd>";
  out += "</h4>\n";
  TemplateTarget target;
  target.imageWidth = target.imageHeight = 1000;
  target.rect = {0, 0, 1000, 1000};
  std::vector<FilterParam> params;
  std::vector<TemplateControl> controls;
  if (e.templateId) loadFilterTemplate(e.templateId, controls);
  if (!filterParams(e, target, params) || params.empty()) {
    out += std::string("<p>") +
           (e.dialog == FilterDialog::Own ? pick({"使用自己的对话框。", "Has a dialog of its own."})
                                          : pick({"没有参数，立即应用。", "No parameters: applied at once."})) +
           "</p>\n";
    return out;
  }
  out += "<table>\n<tr><th>" + std::string(pick({"参数", "Parameter"})) + "</th><th><code>tessel-cli</code></th><th>" +
         pick({"范围（默认）", "Range (default)"}) + "</th></tr>\n";
  for (size_t i = 0; i < params.size(); ++i) {
    const TemplateControl* control = i < controls.size() ? &controls[i] : nullptr;
    std::string label = control ? escaped(text::trPadded(codePage936ToUtf8(control->label))) : std::string();
    out += "<tr><td>" + label + "</td><td><code>" + escaped(params[i].name) + "</code></td><td>" +
           paramRange(params[i], control) + "</td></tr>\n";
  }
  return out + "</table>\n";
}

std::string filterList() {
  std::string out;
  for (const FilterEntry& e : filterTable()) out += filterSection(e);
  for (const FilterEntry& e : extraFilters()) out += filterSection(e);
  return out;
}

std::string keyTable() {
  KeyTable defaults;
  std::string out = "<table>\n<tr><th>" + std::string(pick({"功能", "Action"})) + "</th><th>" +
                    pick({"默认按键", "Default key"}) + "</th></tr>\n";
  for (const KeyDialogRow& row : keyDialogRows()) {
    if (row.item < 0) {
      out += "<tr><th colspan=\"2\">" + escaped(row.label) + "</th></tr>\n";
      continue;
    }
    const std::string key = virtualKeyName(defaults.keyFor(row.group, row.item));
    out += "<tr><td>" + escaped(row.label) + "</td><td>" + (key.empty() ? "—" : escaped(key)) + "</td></tr>\n";
  }
  return out + "</table>\n";
}

void replaceAll(std::string& page, const std::string& mark, const std::string& with) {
  for (size_t at = page.find(mark); at != std::string::npos; at = page.find(mark, at + with.size()))
    page.replace(at, mark.size(), with);
}

}  // namespace

std::string fillManual(const std::string& page, text::Language language) {
  LanguageScope scope(language);
  std::string out = page;
  replaceAll(out, "@TOOLS@", toolsTable());
  replaceAll(out, "@MENUS@", menuList(mainMenu()));
  replaceAll(out, "@LAYER_MENU@", layerMenuList());
  replaceAll(out, "@BLEND_MODES@", blendTable());
  replaceAll(out, "@MASK_MODES@", maskTable());
  replaceAll(out, "@FILTERS@", filterList());
  replaceAll(out, "@KEYS@", keyTable());
  return out;
}

const char* helpFileFor(text::Language language) {
  return language == text::Language::English ? "help.en.html" : text::kHelpFile;
}

}  // namespace tessel
