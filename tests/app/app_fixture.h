#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "app/application.h"
#include "fake_shell.h"

namespace tessel::testing {

// An application as start-up leaves it: the default document, the undo
// history in a temporary folder of its own, the painting tools, a 240 x 200
// view, and the scripted shell attached.
class AppFixture : public ::testing::Test {
 protected:
  explicit AppFixture(const std::string& name) : name_(name) {}
  void SetUp() override {
    temp = std::filesystem::temp_directory_path() / (name_ + "-" + std::to_string(::getpid()));
    std::filesystem::create_directories(temp);
    app = std::make_unique<Application>();
    app->tempFolder = temp.string();
    ASSERT_TRUE(app->createScreenBuffer(240, 200));
    ASSERT_TRUE(app->createDefaultDocument());
    app->createUndoHistory();
    ASSERT_TRUE(app->painting.init());
    app->attachShell(shell);
    app->view.setClientSize(240, 200);
    app->view.centreImage();
    app->view.refreshAll();
  }
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
};

}  // namespace tessel::testing
