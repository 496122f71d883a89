#include "ui/failure_report.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMessageBox>

namespace kx71 {

QString TitleFromFileName(const QString& fileName) {
  QString title = fileName.left(fileName.indexOf(u'.'));  // whole name when there is no '.'
  if (title.size() > 1) title = title.left(1) + title.mid(1).toLower();
  return title;
}

QString ApplicationTitle() {
  return TitleFromFileName(QFileInfo(QCoreApplication::applicationFilePath()).fileName());
}

QString WithFullStop(const QString& message) {
  if (!message.isEmpty() && message.back() > u'.') return message + u'.';
  return message;
}

void ShowFailure(const QString& message) {
  QMessageBox box(QMessageBox::Critical, ApplicationTitle(), WithFullStop(message), QMessageBox::Ok);
  box.exec();
}

QString CurrentExceptionMessage() {
  try {
    throw;
  } catch (const std::exception& e) {
    return QString::fromUtf8(e.what());
  } catch (...) {
    return QStringLiteral("Unknown failure");
  }
}

}  // namespace kx71
