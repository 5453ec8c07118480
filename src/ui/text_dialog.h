#pragma once
#include <QDialog>
#include <QPoint>
#include <QRect>
#include <functional>
#include <optional>
#include <string>

#include "draw/text/text_settings.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QSpinBox;
class QTimer;

namespace tessel {

class Application;
struct PaintingTools;

// The text tool's modeless dialog "文字": font, size, spacings, styles and
// the text. Every change redraws the preview in the layer; OK renders the
// text for good, Cancel (or closing) leaves the layer as it was.
class TextDialog : public QDialog {
  Q_OBJECT
 public:
  TextDialog(PaintingTools& painting, Settings& config, QWidget* parent);
  ~TextDialog() override;

  std::function<void()> afterFinish;   // the layer panel, navigator and title
  // An image point on the screen, when the canvas shows the image.
  std::function<std::optional<QPoint>(int x, int y)> imageToScreen;

  // Moves the dialog beside the text and its anchor: always, or only when
  // it covers them or leaves the screen.
  void keepClearOfText(bool always = false);

  // A placement began: fills the controls from the settings and shows.
  void start();
  void done(int result) override;

  QPlainTextEdit* editor() const { return edit_; }
  QComboBox* faces() const { return face_; }
  QSpinBox* sizeBox() const { return size_; }
  QCheckBox* check(uint32_t flag) const;
  QLabel* faceUsed() const { return used_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void build();
  TextSettings current() const;
  std::u16string text() const;
  void changed(bool fontChanged);
  void fill(const TextSettings& s);

  PaintingTools& p_;
  Settings& config_;
  QComboBox* face_ = nullptr;
  QSpinBox* size_ = nullptr;
  QSpinBox* charSpace_ = nullptr;
  QSpinBox* lineSpace_ = nullptr;
  QCheckBox* bold_ = nullptr;
  QCheckBox* italic_ = nullptr;
  QCheckBox* vertical_ = nullptr;
  QCheckBox* antiAlias_ = nullptr;
  QCheckBox* preview_ = nullptr;
  QLabel* used_ = nullptr;
  QPlainTextEdit* edit_ = nullptr;
  QTimer* typing_ = nullptr;
  bool filling_ = false;
  std::u16string kept_;   // the text between uses of the tool
};

// Where a dialog frame of the given size goes beside the text's rectangle:
// right of it, else left of it, else below or above it, always within screen.
QPoint besideText(QSize frame, const QRect& text, const QRect& screen);

// Creates the dialog for the application's text tool and connects it.
TextDialog* installTextDialog(Application& app, QWidget* parent, std::function<void()> afterFinish);

}  // namespace tessel
