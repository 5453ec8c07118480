// The Qt tests share one application object that lives exactly as long as
// main(): a function-local static would be torn down after Qt's own globals.
#include <gtest/gtest.h>

#include <QApplication>

namespace {

QtMessageHandler qtDefault = nullptr;

// The offscreen platform cannot raise windows and says so on every raise().
void quietRaise(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (message.contains(QLatin1String("does not support raise()"))) return;
  if (qtDefault) qtDefault(type, context, message);
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  qtDefault = qInstallMessageHandler(quietRaise);
  ::testing::InitGoogleTest(&argc, argv);
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
