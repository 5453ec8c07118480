#pragma once
#include <string>

class QApplication;

namespace tessel {

// The Qt platform to ask for before the application object exists: "xcb"
// in a Wayland session that also offers an X display (XWayland), where the
// program can place its floating panels and keep their places; empty to
// leave Qt's own choice. A platform the user chose (qpaPlatform set) wins.
// Each argument is the environment variable's value, nullptr when unset.
std::string preferredPlatform(const char* qpaPlatform, const char* waylandDisplay, const char* display);

// Qt's own texts (standard buttons, file dialogs) in Chinese, like the rest
// of the interface; false when Qt's translations are not installed. Once
// per process.
bool installQtTranslations();

// Message boxes wide enough to show their whole title, file dialogs with
// columns wide enough for their headers. Once per process.
void installDialogFitting(QApplication& app);

}  // namespace tessel
