// Every control carries a 32-bit Tag, and editors are linked to their partner controls (a spin
// button to its identifier editor, a bar to its edit and back).
#pragma once

#include <QObject>
#include <QWidget>
#include <cstdint>

namespace kx71 {

std::int32_t Tag(const QObject* control);  // 0 until set
void SetTag(QObject* control, std::int32_t tag);

QWidget* Partner(const QObject* control);  // nullptr until linked
void SetPartner(QObject* control, QWidget* partner);

}  // namespace kx71
