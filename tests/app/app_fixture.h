#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "app/application.h"
#include "fake_shell.h"

namespace tessel::testing {

// An application as start-up leaves it: the default document (of the given
// size, or the settings' default), the undo history in a temporary folder of
// its own, the painting tools, a view of the given size (240 x 200 unless
// said), and the scripted shell attached.
class AppFixture : public ::testing::Test {
 protected:
  explicit AppFixture(const std::string& name, int imageW = 0, int imageH = 0, int viewW = 240,
                      int viewH = 200)
      : name_(name), imageW_(imageW), imageH_(imageH), viewW_(viewW), viewH_(viewH) {}
  void SetUp() override {
    temp = std::filesystem::temp_directory_path() / (name_ + "-" + std::to_string(::getpid()));
    std::filesystem::create_directories(temp);
    app = std::make_unique<Application>();
    app->tempFolder = temp.string();
    if (imageW_ > 0) app->settings.defImgW = imageW_;
    if (imageH_ > 0) app->settings.defImgH = imageH_;
    ASSERT_TRUE(app->createScreenBuffer(viewW_, viewH_));
    ASSERT_TRUE(app->createDefaultDocument());
    prepareDocument();
    app->createUndoHistory();
    ASSERT_TRUE(app->painting.init());
    app->attachShell(shell);
    app->view.setClientSize(viewW_, viewH_);
    app->view.centreImage();
    app->view.refreshAll();
  }
  // Layers a test needs before the history starts recording.
  virtual void prepareDocument() {}
  void TearDown() override {
    app->document.setRecorder(nullptr);
    app.reset();
    std::error_code ignored;
    std::filesystem::remove_all(temp, ignored);
  }

  std::filesystem::path temp;
  FakeShell shell;
  std::unique_ptr<Application> app;

 private:
  std::string name_;
  int imageW_, imageH_, viewW_, viewH_;
};

}  // namespace tessel::testing
