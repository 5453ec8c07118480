#include "ui/selection_dialogs.h"
#include "ui/ui_texts.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QSpinBox>

namespace tessel {

namespace {

QSpinBox* addSpin(QDialog& dialog, QFormLayout* form, const QString& label, int low, int high, int value) {
  auto* box = new QSpinBox(&dialog);
  box->setRange(low, high);
  box->setValue(value);
  form->addRow(label, box);
  return box;
}

bool runWithButtons(QDialog& dialog, QFormLayout* form) {
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  form->addRow(buttons);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace

bool rotateAngleDialog(QWidget* parent, int& degrees, bool& smooth) {
  QDialog dialog(parent);
  dialog.setWindowTitle(trq("任意旋转"));
  auto* form = new QFormLayout(&dialog);
  QSpinBox* angle = addSpin(dialog, form, trq("角度"), -360, 360, degrees);
  auto* smoothing = new QCheckBox(trq("平滑"), &dialog);
  smoothing->setChecked(smooth);
  form->addRow(smoothing);
  if (!runWithButtons(dialog, form)) return false;
  degrees = angle->value();
  smooth = smoothing->isChecked();
  return true;
}

bool selectionRectDialog(QWidget* parent, int& left, int& top, int& right, int& bottom) {
  QDialog dialog(parent);
  dialog.setWindowTitle(trq("指定选区坐标"));
  auto* form = new QFormLayout(&dialog);
  QSpinBox* l = addSpin(dialog, form, trq("左"), -9999, 9999, left);
  QSpinBox* t = addSpin(dialog, form, trq("上"), -9999, 9999, top);
  QSpinBox* r = addSpin(dialog, form, trq("右"), -9999, 9999, right);
  QSpinBox* b = addSpin(dialog, form, trq("下"), -9999, 9999, bottom);
  if (!runWithButtons(dialog, form)) return false;
  left = l->value();
  top = t->value();
  right = r->value();
  bottom = b->value();
  return true;
}

}  // namespace tessel
