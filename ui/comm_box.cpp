#include "ui/comm_box.h"

#include <QApplication>
#include <QPointer>
#include <QProxyStyle>
#include <QSize>
#include <QStyleFactory>

#include "ui/failure_report.h"

namespace kx71 {
namespace {
constexpr int kItemHeight = 12;
constexpr int kVisibleItems = 20;

// The Fusion style shows every entry in one tall popup and ignores the visible-items limit; the
// list popup below the selector keeps it.
class TListPopupStyle : public QProxyStyle {
 public:
  using QProxyStyle::QProxyStyle;
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* data) const override {
    if (hint == SH_ComboBox_Popup) return 0;
    return QProxyStyle::styleHint(hint, option, widget, data);
  }
};

// One instance for every selector, owned by the application.
QStyle* ListPopupStyle() {
  static QPointer<QStyle> style;
  if (!style) {
    style = new TListPopupStyle(QStyleFactory::create(QApplication::style()->name()));
    style->setParent(qApp);
  }
  return style;
}

}  // namespace

TCommBox::TCommBox(QWidget* parent) : QComboBox(parent) {
  setEditable(false);
  setMaxVisibleItems(kVisibleItems);
  setStyle(ListPopupStyle());
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
  QMetaObject::invokeMethod(
      this, [this] { emit closeUp(); }, Qt::QueuedConnection);
}

std::string TCommBox::SelectedText() const {
  return currentIndex() < 0 ? std::string() : currentText().toStdString();
}

void TCommBox::Clear() {
  clear();
}

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

void TCommBox::Select(int index) {
  setCurrentIndex(index);
}

void TCommBox::SetItemHeights(int from) {
  for (int i = from; i < count(); ++i) setItemData(i, QSize(0, kItemHeight), Qt::SizeHintRole);
}

}  // namespace kx71
