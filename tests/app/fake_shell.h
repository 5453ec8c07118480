#pragma once
#include <array>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "app/models/env_settings.h"
#include "app/ops/filter_ops.h"
#include "config/key_table.h"
#include "app/files/open_save.h"
#include "app/progress_worker.h"
#include "app/models/scale_model.h"
#include "app/shell.h"
#include "formats/clipboard_dib.h"
#include "image/image32.h"

namespace tessel::testing {

// A scripted user: answers come from queues; a question with no answer queued
// fails the test through `unexpected`.
class FakeShell : public Shell {
 public:
  struct SaveCall {
    std::string folder, fileName;
    int formatIndex;
  };

  std::deque<Answer> yesNoCancel;
  std::deque<bool> yesNo;
  std::deque<std::pair<int, int>> newSizes;   // {0, 0}: cancel
  std::deque<std::string> openChoices;        // empty: cancel
  std::deque<std::pair<std::string, int>> saveChoices;   // empty path: cancel
  std::deque<bool> pngOptions;
  bool pngAlphaChoice = false;
  // GIF dialog: the colour it was offered each time, and the one it answers with.
  std::vector<int32_t> gifOffered;
  int32_t gifChoice = -1;
  Image32 clipboard;
  std::deque<GridSettings> gridAnswers;   // none queued: cancel
  bool programFilesOpen = true;
  // Filter dialogs: each answer edits the model (running previews as the
  // dialog would), then closes with OK or Cancel.
  struct FilterAnswer {
    std::function<void(FilterDialogModel&, FilterPreviewSession&)> edit;
    bool ok = true;
  };
  std::deque<FilterAnswer> filterAnswers;
  std::vector<std::string> filterTitles;
  std::deque<std::optional<FilterValues>> levelsAnswers;   // nullopt: cancel
  std::array<uint32_t, 256> lastHistogram{};
  std::deque<std::optional<std::pair<Pixel, Pixel>>> replaceAnswers;   // nullopt: cancel
  std::pair<Pixel, Pixel> replaceOffered{};
  bool clipboardHasAlpha = false;   // a 32-bit bitmap
  int clipboardWrites = 0;
  // Selection and image dialogs: the answers, each false (cancel) when unset.
  std::deque<std::pair<int, int>> scaleSizes;     // new width, height
  std::deque<std::array<int, 4>> canvasSizes;     // width, height, anchor, fill
  std::deque<std::pair<int, bool>> rotateAngles;
  std::deque<std::array<int, 4>> selectionRects;  // left, top, right, bottom
  std::vector<ScaleModel> scaleOffered;
  // Settings dialogs: each answer edits what the dialog was offered; none queued: cancel.
  std::deque<std::function<void(EnvSettings&)>> envAnswers;
  std::deque<std::function<void(KeyTable&)>> keyAnswers;
  std::deque<std::pair<std::string, int>> preferredAnswers;
  std::vector<EnvSettings> envOffered;
  std::vector<std::pair<std::string, int>> preferredOffered;

  std::vector<std::string> messages, questions, titles, openFolders, programFiles;
  std::vector<GridSettings> gridOffered;
  int closeRequests = 0;
  std::vector<SaveCall> saveCalls;
  std::vector<uint32_t> lastRecentSizes;
  std::vector<int> layerRows;   // refreshLayerPanel calls, -1 for every row
  int navigatorRefreshes = 0;
  int replaced = 0, recentChanged = 0, fronted = 0, progressRuns = 0, unexpected = 0;
  int lastRange = -1, lastSteps = 0;

  void showMessage(const std::string& text, const std::string&, MessageIcon) override { messages.push_back(text); }
  Answer askYesNoCancel(const std::string& text, const std::string&) override {
    questions.push_back(text);
    return take(yesNoCancel, Answer::Cancel);
  }
  bool askYesNo(const std::string& text, const std::string& caption, MessageIcon) override {
    questions.push_back(caption + "|" + text);
    return take(yesNo, false);
  }
  bool askNewImageSize(int& width, int& height, const std::vector<uint32_t>& recent) override {
    lastRecentSizes = recent;
    questions.push_back("new " + std::to_string(width) + "x" + std::to_string(height));
    auto size = take(newSizes, std::make_pair(0, 0));
    if (size.first == 0) return false;
    width = size.first;
    height = size.second;
    return true;
  }
  bool chooseOpenFile(const std::string& folder, std::string& path) override {
    openFolders.push_back(folder);
    path = take(openChoices, std::string());
    return !path.empty();
  }
  bool chooseSaveFile(const std::string& folder, const std::string& fileName, int& formatIndex,
                      std::string& path) override {
    saveCalls.push_back({folder, fileName, formatIndex});
    auto choice = take(saveChoices, std::make_pair(std::string(), 0));
    path = choice.first;
    formatIndex = choice.second;
    return !path.empty();
  }
  bool askPngOptions(ImageSaveOptions& options) override {
    options.pngAlpha = pngAlphaChoice;
    return take(pngOptions, false);
  }
  bool askGifOptions(ImageSaveOptions& options) override {
    gifOffered.push_back(options.gifTransparent);
    options.gifTransparent = gifChoice;
    return true;
  }
  bool clipboardImageSize(int& width, int& height) override {
    width = clipboard.width();
    height = clipboard.height();
    return clipboard.valid();
  }
  bool readClipboardImage(Image32& image) override {
    if (!clipboard.valid() || !image.valid()) return false;
    image.setFrom(clipboard);
    image.setAlphaRect(0, 0, image.width(), image.height(), 255);
    return true;
  }
  struct LayerSettingsCall {
    std::string name;
    int percent;
  };
  std::deque<std::pair<std::string, int>> layerSettings;   // answers; empty name: cancel
  std::vector<LayerSettingsCall> layerSettingsCalls;       // what the dialog was offered
  std::deque<std::string> imageChoices;                    // empty: cancel
  std::deque<std::string> pngChoices;                      // empty: cancel
  std::vector<SaveCall> pngCalls;
  int busyOn = 0, busyOff = 0;

  bool askLayerSettings(std::string& name, int& percent) override {
    layerSettingsCalls.push_back({name, percent});
    auto answer = take(layerSettings, std::make_pair(std::string(), 0));
    if (answer.first.empty()) return false;
    name = answer.first;
    percent = answer.second;
    return true;
  }
  bool chooseImageFile(const std::string& folder, std::string& path) override {
    openFolders.push_back(folder);
    path = take(imageChoices, std::string());
    return !path.empty();
  }
  bool choosePngFile(const std::string& folder, const std::string& fileName, std::string& path) override {
    pngCalls.push_back({folder, fileName, 3});
    path = take(pngChoices, std::string());
    return !path.empty();
  }
  void setBusy(bool busy) override { ++(busy ? busyOn : busyOff); }
  bool askImageSize(ScaleModel& model) override { return answerScale(model); }
  bool askSelectionScale(ScaleModel& model) override { return answerScale(model); }
  bool askCanvasSize(int& width, int& height, int& anchor, int& fill) override {
    if (canvasSizes.empty()) return take(yesNo, false);
    auto [w, h, a, f] = canvasSizes.front();
    canvasSizes.pop_front();
    width = w, height = h, anchor = a, fill = f;
    return true;
  }
  bool askRotateAngle(int& degrees, bool& smooth) override {
    questions.push_back("rotate " + std::to_string(degrees) + (smooth ? " smooth" : ""));
    auto answer = take(rotateAngles, std::make_pair(0, false));
    degrees = answer.first;
    smooth = answer.second;
    return true;
  }
  bool askSelectionRect(int& left, int& top, int& right, int& bottom) override {
    if (selectionRects.empty()) return take(yesNo, false);
    auto [l, t, r, b] = selectionRects.front();
    selectionRects.pop_front();
    left = l, top = t, right = r, bottom = b;
    return true;
  }
  bool writeClipboardImage(const Image32& image, bool withAlpha) override {
    ++clipboardWrites;
    if (!clipboard.create(image.width(), image.height())) return false;
    clipboard.copyFrom(image);
    if (!withAlpha) clipboard.setAlphaRect(0, 0, clipboard.width(), clipboard.height(), 255);
    clipboardHasAlpha = withAlpha;
    return true;
  }
  DibResult readClipboardImage32(Image32& image) override {
    if (!clipboard.valid() || !image.valid()) return DibResult::Invalid;
    if (!clipboardHasAlpha) return DibResult::Not32Bit;
    image.setFrom(clipboard);
    return DibResult::Ok;
  }
  int runWithProgress(const ProgressTask& task) override {
    ++progressRuns;
    struct Counter : Progress {
      int range = -1, steps = 0;
      void setRange(int n) override { range = n; }
      void step() override { ++steps; }
    } counter;
    int r = runOnWorkerThread(task, counter);
    lastRange = counter.range;
    lastSteps = counter.steps;
    return r;
  }
  bool askGridSettings(GridSettings& grid) override {
    gridOffered.push_back(grid);
    if (gridAnswers.empty()) return false;
    grid = gridAnswers.front();
    gridAnswers.pop_front();
    return true;
  }
  bool openProgramFile(const std::string& name) override {
    programFiles.push_back(name);
    return programFilesOpen;
  }
  void requestClose() override { ++closeRequests; }
  bool runFilterDialog(FilterDialogModel& model, FilterPreviewSession& session) override {
    filterTitles.push_back(model.setup().title);
    session.update(model);   // the first preview, as the dialog opens
    FilterAnswer answer = take(filterAnswers, FilterAnswer{nullptr, false});
    if (answer.edit) answer.edit(model, session);
    return answer.ok;
  }
  bool runLevelsDialog(FilterValues& values, const std::array<uint32_t, 256>& histogram,
                       FilterPreviewSession& session) override {
    lastHistogram = histogram;
    auto answer = take(levelsAnswers, std::optional<FilterValues>());
    if (!answer) return false;
    values = *answer;
    session.preview(values);   // the dialog previews what it was given
    if (onLevelsPreview) onLevelsPreview();
    return true;
  }
  std::function<void()> onLevelsPreview;
  bool askReplaceColours(Pixel& from, Pixel& to) override {
    replaceOffered = {from, to};
    auto answer = take(replaceAnswers, std::optional<std::pair<Pixel, Pixel>>());
    if (answer) std::tie(from, to) = *answer;
    return answer.has_value();
  }
  bool askEnvSettings(EnvSettings& env) override { return answerWith(envAnswers, env, envOffered); }
  bool askKeyAssignments(KeyTable& keys) override {
    std::vector<KeyTable> offered;
    return answerWith(keyAnswers, keys, offered);
  }
  bool askPreferredSave(std::string& folder, int& formatIndex) override {
    preferredOffered.emplace_back(folder, formatIndex);
    if (preferredAnswers.empty()) return false;
    std::tie(folder, formatIndex) = preferredAnswers.front();
    preferredAnswers.pop_front();
    return true;
  }
  template <typename T>
  static bool answerWith(std::deque<std::function<void(T&)>>& answers, T& value, std::vector<T>& offered) {
    offered.push_back(value);
    if (answers.empty()) return false;
    answers.front()(value);
    answers.pop_front();
    return true;
  }
  void setTitle(const std::string& title) override { titles.push_back(title); }
  void documentReplaced() override { ++replaced; }
  void refreshCanvas(const Rect&) override {}
  void refreshLayerPanel(int row) override { layerRows.push_back(row); }
  void refreshNavigator() override { ++navigatorRefreshes; }
  void recentListsChanged() override { ++recentChanged; }
  void bringToFront() override { ++fronted; }

 private:
  bool answerScale(ScaleModel& model) {
    scaleOffered.push_back(model);
    auto size = take(scaleSizes, std::make_pair(0, 0));
    if (size.first == 0) return false;
    model.width = size.first;
    model.height = size.second;
    return true;
  }
  template <class T>
  T take(std::deque<T>& queue, T fallback) {
    if (queue.empty()) {
      ++unexpected;
      return fallback;
    }
    T v = queue.front();
    queue.pop_front();
    return v;
  }
};

class FakeHistory : public EditHistory {
 public:
  bool isModified = false;
  int clears = 0, saves = 0;
  bool modified() const override { return isModified; }
  void clear() override {
    isModified = false;
    ++clears;
  }
  void markSaved() override {
    isModified = false;
    ++saves;
  }
};

}  // namespace tessel::testing
