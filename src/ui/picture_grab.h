#pragma once
#include <QString>

namespace tessel {

class MainWindow;

// Saves pictures of the panels and of two dialogs (Gaussian blur, the
// environment settings) as PNG files named PREFIX-NAME.png in folder, for the
// manual; the image viewer shows viewerFolder. Ends the event loop when done.
// True when every picture was written.
bool grabManualPictures(MainWindow& window, const QString& folder, const QString& prefix,
                        const QString& viewerFolder);

}  // namespace tessel
