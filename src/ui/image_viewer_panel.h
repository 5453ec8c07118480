#pragma once
#include <QWidget>
#include <atomic>
#include <memory>

#include "app/files/thumbnail_loader.h"

class QLabel;
class QListWidget;
class QListWidgetItem;

namespace tessel {

class Application;

// The image viewer: a folder's image files as thumbnails, read on worker
// threads, those in view first; a double-click opens the file as the document.
class ImageViewerPanel : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kThumbSide = 72;            // at 100 %
  static constexpr int kNamesHiddenFlag = 0x1;     // thumbnails without file names

  ImageViewerPanel(Application& app, QWidget* parent);
  ~ImageViewerPanel() override;

  // Lists the folder at once and starts reading its thumbnails.
  void showFolder(const QString& folder);
  QString folder() const { return folder_; }
  QListWidget* list() const { return list_; }
  // Opens the row's file through the open flow (which asks about unsaved changes).
  bool openRow(int row);
  // Thumbnails read so far.
  int thumbnailsDone() const { return done_; }
  // The thumbnails' size in percent of kThumbSide (kept in the settings).
  void setScale(int percent);
  void setNamesShown(bool shown);
  int thumbSide() const { return loader_.side(); }

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void stopWorker();
  void chooseFolder();
  void applyGrid();
  // Tells the loader which rows are in view.
  void prioritizeVisible();

  Application& app_;
  QLabel* path_ = nullptr;
  QListWidget* list_ = nullptr;
  QString folder_;
  ThumbnailCache cache_;   // for the session
  ThumbnailLoader loader_;
  std::shared_ptr<std::atomic<bool>> cancel_;
  int done_ = 0;
};

}  // namespace tessel
