#include "ui/qt/comm_box.h"

#include <QApplication>
#include <QPointer>
#include <QProxyStyle>
#include <QSize>
#include <QStyleFactory>

#include "ui/qt/controls.h"

namespace kx71 {
namespace {

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

TQtCommBox::TQtCommBox(QWidget* parent, const TControlDef& def, TComboBox* control)
    : QComboBox(parent), control_(control), rowHeight_(def.rowHeight) {
  setEditable(false);
  setMaxVisibleItems(def.visibleRows);
  setStyle(ListPopupStyle());
  connect(this, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (!echo_ && control_) control_->UserSelected(index);
  });
}

void TQtCommBox::showPopup() {
  emit dropDown();
  dropped_ = true;
  QComboBox::showPopup();
}

void TQtCommBox::hidePopup() {
  QComboBox::hidePopup();
  if (!dropped_) return;
  dropped_ = false;
  // QComboBox updates the current index only after hidePopup returns, so close-up is delivered
  // queued to see the entry just chosen.
  QMetaObject::invokeMethod(
      this, [this] { emit closeUp(); }, Qt::QueuedConnection);
}

void TQtCommBox::ShowItems(const std::vector<std::string>& items) {
  TEchoGuard echo(echo_);
  clear();
  for (const auto& item : items) addItem(QString::fromStdString(item));
  for (int i = 0; i < count(); ++i) setItemData(i, QSize(0, rowHeight_), Qt::SizeHintRole);
}

void TQtCommBox::ShowSelected(int index) {
  TEchoGuard echo(echo_);
  setCurrentIndex(index);
}

}  // namespace kx71
