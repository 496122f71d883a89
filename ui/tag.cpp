#include "ui/tag.h"

#include <QPointer>
#include <QVariant>

namespace kx71 {
namespace {
constexpr const char* kTagProperty = "Tag";
constexpr const char* kPartnerProperty = "Partner";
}  // namespace

std::int32_t Tag(const QObject* control) {
  return control->property(kTagProperty).toInt();
}

void SetTag(QObject* control, std::int32_t tag) {
  control->setProperty(kTagProperty, tag);
}

QWidget* Partner(const QObject* control) {
  return control->property(kPartnerProperty).value<QPointer<QWidget>>().data();
}

void SetPartner(QObject* control, QWidget* partner) {
  control->setProperty(kPartnerProperty, QVariant::fromValue(QPointer<QWidget>(partner)));
}

}  // namespace kx71
