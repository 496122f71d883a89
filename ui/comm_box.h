// The port selector: a drop-down list that cannot be typed into, with a drop-down event before the
// list shows and a close-up event each time the list closes, and the list operations that
// RefreshCommList works on.
#pragma once

#include <QComboBox>
#include <string>
#include <vector>

#include "comm/port_discovery.h"

namespace kx71 {

class TCommBox : public QComboBox, public TCommList {
  Q_OBJECT

 public:
  explicit TCommBox(QWidget* parent);

  void showPopup() override;
  void hidePopup() override;

  // TCommList
  std::string SelectedText() const override;
  void Clear() override;
  void Assign(const std::vector<std::string>& items) override;
  void Insert0(const std::string& item) override;
  int IndexOfIgnoreCase(const std::string& text) const override;
  void Select(int index) override;

 signals:
  // Before the list shows; a handler may rebuild the entries.
  void dropDown();
  // After the list has closed, whatever closed it, with the selection already updated.
  void closeUp();

 private:
  void SetItemHeights(int from);

  bool dropped_ = false;
};

}  // namespace kx71
