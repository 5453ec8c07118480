#pragma once
#include <QWidget>

class QListWidget;

namespace tessel {

class Application;

// The texture panel: the library as thumbnails. Choosing one makes it the
// brushes' texture; the right button adds from an image, removes, and loads
// or saves whole library files.
class TexturePanel : public QWidget {
  Q_OBJECT
 public:
  TexturePanel(Application& app, QWidget* parent);

  // The thumbnails again from the library.
  void refresh();
  void choose(int index);
  // The file actions with a path chosen already; failures show the message
  // and leave the library as it was.
  bool addFrom(const QString& path);
  bool loadLibrary(const QString& path);
  bool saveLibrary(const QString& path);
  void removeCurrent();
  // Small, medium or large thumbnails (kept in the settings).
  void setViewSize(int size);
  QListWidget* list() const { return list_; }

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void libraryChanged();

  Application& app_;
  QListWidget* list_ = nullptr;
};

}  // namespace tessel
