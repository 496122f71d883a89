#include "ui/qt/failure_report.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMessageBox>

#include "ui/form/failure_text.h"

namespace kx71 {

std::string ProgramFileName() {
  return QFileInfo(QCoreApplication::applicationFilePath()).fileName().toStdString();
}

void ShowFailureBox(const std::string& caption, const std::string& text) {
  QMessageBox box(QMessageBox::Critical, QString::fromStdString(caption), QString::fromStdString(text),
                  QMessageBox::Ok);
  box.exec();
}

void ShowFailure(const std::string& message) {
  ShowFailureBox(TitleFromFileName(ProgramFileName()), WithFullStop(message));
}

TFailureSink& QtFailureBox() {
  struct TBox : TFailureSink {
    void ReportFailure(const std::string& message) override { ShowFailure(message); }
  };
  static TBox box;
  return box;
}

}  // namespace kx71
