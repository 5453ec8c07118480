// The scanner dialogs: what they offer and what OK hands back.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QListWidget>
#include <QSpinBox>

#include "ui/scan_dialog.h"

namespace tessel {
namespace {

TEST(ScanDialogs, SettingsStartFromTheRequestAndKeepTheAreaOnTheBed) {
  ScanCapabilities caps;
  caps.minResolution = 50;
  caps.maxResolution = 1200;
  caps.modes = {ScanMode::Grey, ScanMode::Colour, ScanMode::LineArt};
  caps.hasArea = true;
  caps.bedRight = 200;
  caps.bedBottom = 100;
  ScanRequest request = defaultScanRequest("test:0", caps);
  ScanSettingsDialog dialog(request, caps, nullptr);
  auto* resolution = dialog.findChild<QSpinBox*>(QStringLiteral("resolution"));
  auto* mode = dialog.findChild<QComboBox*>(QStringLiteral("mode"));
  ASSERT_TRUE(resolution && mode);
  EXPECT_EQ(resolution->value(), 300);
  EXPECT_EQ(mode->currentText(), QStringLiteral("彩色"));
  EXPECT_EQ(mode->count(), 3);
  // 200 x 100 mm at 300 dpi.
  EXPECT_EQ(dialog.findChild<QLabel*>(QStringLiteral("pixelSize"))->text(), QStringLiteral("2362 x 1181"));
  resolution->setValue(100);
  mode->setCurrentIndex(2);
  QList<QDoubleSpinBox*> area = dialog.findChildren<QDoubleSpinBox*>();
  ASSERT_EQ(area.size(), 4);
  area[0]->setValue(150);   // left 150 mm, width still 200: cut at the bed's edge
  dialog.store(request);
  EXPECT_EQ(request.resolution, 100);
  EXPECT_EQ(request.mode, ScanMode::LineArt);
  EXPECT_EQ(request.left, 150);
  EXPECT_EQ(request.width, 50);
  EXPECT_EQ(request.height, 100);
  EXPECT_EQ(request.device, "test:0");
}

TEST(ScanDialogs, ScannerListPreselectsTheRememberedDevice) {
  std::vector<ScannerDevice> devices{{"a:0", "Acme", "Flat", "flatbed"}, {"b:1", "Brand", "Hand", "hand"}};
  ScannerListDialog dialog(devices, 1, nullptr);
  auto* list = dialog.findChild<QListWidget*>(QStringLiteral("scannerList"));
  ASSERT_TRUE(list);
  EXPECT_EQ(list->item(0)->text(), QStringLiteral("Acme Flat (a:0)"));
  EXPECT_EQ(dialog.chosen(), 1);
  ScannerListDialog none(devices, -1, nullptr);
  EXPECT_EQ(none.chosen(), 0);
}

}  // namespace
}  // namespace tessel
