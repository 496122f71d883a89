// The port selector on Qt: a drop-down list that cannot be typed into, with a drop-down signal
// before the list shows and a close-up signal each time the list closes, showing the entries and
// the selection of its control in the window's logic.
#pragma once

#include <QComboBox>
#include <string>
#include <vector>

#include "ui/form/controls.h"

namespace kx71 {

class TQtCommBox : public QComboBox, public TComboBox::View {
  Q_OBJECT

 public:
  // Rows as high and as many shown as the layout's row `def` says. `control`, when given, hears of
  // a selection the user makes with the keys on the closed box.
  TQtCommBox(QWidget* parent, const TControlDef& def, TComboBox* control = nullptr);

  void showPopup() override;
  void hidePopup() override;

  // TComboBox::View
  void ShowItems(const std::vector<std::string>& items) override;
  void ShowSelected(int index) override;

 signals:
  // Before the list shows; a handler may rebuild the entries.
  void dropDown();
  // After the list has closed, whatever closed it, with the selection already updated.
  void closeUp();

 private:
  TComboBox* control_;
  int rowHeight_;
  bool dropped_ = false;
  bool echo_ = false;
};

}  // namespace kx71
