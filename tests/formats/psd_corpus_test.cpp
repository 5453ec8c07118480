#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "app/files/document_io.h"
#include "document/document.h"
#include "formats/native_document.h"
#include "formats/psd_document.h"
#include "formats/psd_file.h"
#include "formats/psd_records.h"

namespace tessel {
namespace {

namespace fs = std::filesystem;

fs::path corpusFolder() {
  return fs::path(TESSEL_REPO_ROOT) / ".." / "shared" / "corpus" / "psd";
}

// What in a file this program does not reproduce, as short words; empty for
// pixel layers in Normal mode with masks, groups, clipping and opacities.
std::string differences(const std::string& path) {
  File file;
  PsdHeader h;
  if (!file.openRead(path) || readPsdHeader(file, h) != kReadOk) return "header";
  std::set<std::string> found;
  if (h.mode != kPsdRgb) found.insert(std::string("mode ") + psdColourModeName(h.mode));
  if (h.depth != 8) found.insert("depth " + std::to_string(h.depth));
  uint32_t sectionLength = 0;
  PsdLayerInfo info;
  std::vector<PsdRecord> records;
  if (file.readU32BE(sectionLength) &&
      findPsdLayerInfo(file, file.position() + sectionLength, h.depth, info) &&
      readPsdRecords(file, info, records) == kReadOk) {
    for (const PsdRecord& r : records) {
      if (r.section == kPsdSectionDivider) continue;
      std::string key(r.section ? (r.hasSectionKey ? r.sectionKey : r.key) : r.key, 4);
      if (key != "norm" && key != "pass") found.insert("blend " + key);
      if (r.section && key == "pass" && r.opacity != 255) found.insert("pass-through opacity");
      if (r.effects) found.insert("effects");
      if (r.adjustment) found.insert("adjustment");
      if (r.fill) found.insert(r.vectorMask ? "shape" : "fill layer");
      else if (r.vectorMask) found.insert("vector mask");
      if (r.smartObject) found.insert("smart object");
      if (r.artboard) found.insert("artboard");
    }
  }
  std::string text;
  for (const std::string& f : found) text += (text.empty() ? "" : ", ") + f;
  return text;
}

struct Row {
  std::string file, result, why;
  int layers = 0;
  double share = -1;
};

// Layers flattened onto white against the stored composite over white.
Row check(const fs::path& path) {
  Row row{path.filename().string(), "opened", differences(path.string())};
  Document doc;
  std::string notice;
  const int code = readPsdLayers(path.string(), doc, nullptr, &notice);
  if (code != kReadOk) {
    LoadOutcome outcome;
    outcome.notice = notice;
    row.result = loadResultMessage(code, outcome);
    return row;
  }
  if (!notice.empty()) row.result += " (" + notice.substr(notice.find('\n') + 1) + ")";
  for (char& c : row.result)
    if (c == '\n') c = ';';
  row.layers = doc.layerCount();
  Image32 flat, stored;
  if (!doc.flatten(flat, nullptr, false) || !readPsdComposite(path.string(), stored) ||
      stored.width() != flat.width() || stored.height() != flat.height())
    return row;
  size_t close = 0, total = size_t(flat.width()) * flat.height();
  const uint8_t* a = flat.bits();
  const uint8_t* b = stored.bits();
  for (size_t i = 0; i < total; ++i) {
    bool ok = true;
    for (int k = 0; k < 3; ++k) ok = ok && std::abs(a[4 * i + k] - b[4 * i + k]) <= 4;
    close += ok;
  }
  row.share = 100.0 * double(close) / double(total);
  return row;
}

TEST(PsdCorpus, BundledPhotoshopFilesMatchTheirComposite) {
  // A flattened Background, 16- and 32-bit, indexed, fill opacity, hidden
  // and nested groups, semi-transparent layers.
  const fs::path folder = fs::path(TESSEL_REPO_ROOT) / "tests" / "data" / "psd";
  int files = 0;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.path().extension() != ".psd") continue;
    ++files;
    Row row = check(entry.path());
    EXPECT_EQ(row.result, "opened") << row.file;
    EXPECT_GE(row.share, 99.0) << row.file;
  }
  EXPECT_EQ(files, 8);
}

TEST(PsdCorpus, EveryFileOpensOrSaysWhyAndPlainFilesMatchTheirComposite) {
  const fs::path folder = corpusFolder();
  if (!fs::is_directory(folder)) GTEST_SKIP() << "no PSD corpus at " << folder;
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(folder))
    if (entry.path().extension() == ".psd") files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  const bool table = std::getenv("TESSEL_PSD_TABLE") != nullptr;
  if (table) std::printf("| file | result | layers | within 4 levels | what differs |\n|---|---|---|---|---|\n");
  for (const fs::path& path : files) {
    Row row = check(path);
    if (table) {
      char share[32] = "-";
      if (row.share >= 0) std::snprintf(share, sizeof share, "%.2f %%", row.share);
      std::printf("| %s | %s | %d | %s | %s |\n", row.file.c_str(), row.result.c_str(), row.layers, share,
                  row.why.c_str());
    }
    if (row.result.rfind("opened", 0) != 0) {
      EXPECT_NE(row.result, "打开图像失败") << row.file;
      continue;
    }
    if (row.why.empty()) {
      EXPECT_GE(row.share, 99.0) << row.file;
    }
  }
}

}  // namespace
}  // namespace tessel
