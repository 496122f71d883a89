#include "ui/comm_box.h"

#include <QSize>

#include "ui/failure_report.h"

namespace kx71 {
namespace {
constexpr int kItemHeight = 12;
constexpr int kVisibleItems = 20;
}  // namespace

TCommBox::TCommBox(QWidget* parent) : QComboBox(parent) {
  setEditable(false);
  setMaxVisibleItems(kVisibleItems);
  // The Fusion style shows every entry in one tall popup and ignores the visible-items limit; the
  // list popup keeps it.
  setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));
}

void TCommBox::showPopup() {
  Guarded([this] { emit dropDown(); });
  dropped_ = true;
  QComboBox::showPopup();
}

void TCommBox::hidePopup() {
  QComboBox::hidePopup();
  if (!dropped_) return;
  dropped_ = false;
  // QComboBox updates the current index only after hidePopup returns, so close-up is delivered
  // queued to see the entry just chosen.
  QMetaObject::invokeMethod(this, [this] { emit closeUp(); }, Qt::QueuedConnection);
}

std::string TCommBox::SelectedText() const {
  return currentIndex() < 0 ? std::string() : currentText().toStdString();
}

void TCommBox::Clear() { clear(); }

void TCommBox::Assign(const std::vector<std::string>& items) {
  clear();
  for (const auto& item : items) addItem(QString::fromStdString(item));
  SetItemHeights(0);
}

void TCommBox::Insert0(const std::string& item) {
  insertItem(0, QString::fromStdString(item));
  SetItemHeights(0);
}

int TCommBox::IndexOfIgnoreCase(const std::string& text) const {
  const QString wanted = QString::fromStdString(text);
  for (int i = 0; i < count(); ++i) {
    if (itemText(i).compare(wanted, Qt::CaseInsensitive) == 0) return i;
  }
  return -1;
}

void TCommBox::Select(int index) { setCurrentIndex(index); }

void TCommBox::SetItemHeights(int from) {
  for (int i = from; i < count(); ++i) setItemData(i, QSize(0, kItemHeight), Qt::SizeHintRole);
}

}  // namespace kx71
