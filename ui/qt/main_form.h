// The program's one window on Qt Widgets: the widgets built from the layout table, each showing
// its control in the window's logic (TMainForm, ui/form) and passing the user's actions to it, and
// the services the logic asks of its front end (message pump, focus, close, the failure box).
#pragma once

#include <QCloseEvent>
#include <QHash>
#include <QWidget>
#include <memory>

#include "ui/form/main_form.h"
#include "ui/qt/comm_box.h"
#include "ui/qt/controls.h"
#include "ui/qt/qt_main_thread.h"

namespace kx71 {

class TQtMainForm : public QWidget, public TFormHost {
  Q_OBJECT

 public:
  explicit TQtMainForm(QWidget* parent = nullptr);
  // With the port component reaching its devices and making its pauses through `commEnvironment`.
  explicit TQtMainForm(TCommXEnvironment commEnvironment, QWidget* parent = nullptr);
  ~TQtMainForm() override;

  TMainForm& Logic() { return *logic_; }
  const TMainForm& Logic() const { return *logic_; }
  TQtMainThread& MainThread() override { return mainThread_; }

  // The widget of a layout control.
  QWidget* Widget(const TControl& control) const { return widgets_.value(&control); }

  // TFormHost
  void FocusControl(TControl& control) override;
  void CloseWindow() override;
  void PostCloseWindow() override;
  std::string ProgramFileName() override;
  void ShowFailureBox(const std::string& caption, const std::string& text) override;

  void setVisible(bool visible) override;

 protected:
  void closeEvent(QCloseEvent* event) override;
  // Tab and Shift+Tab: the focus goes where the logic's chain says.
  bool focusNextPrevChild(bool next) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void CreateWidgets();  // every control of the layout table, bound to its state in the logic
  void FitToPanels();  // the client area becomes the logic's size, and stays so

  // Declared before the logic: the component's events are delivered through it until it is gone.
  TQtMainThread mainThread_;
  std::unique_ptr<TMainForm> logic_;
  QHash<const TControl*, QWidget*> widgets_;
  QHash<const QWidget*, TControl*> controls_;
  QMetaObject::Connection focusWatch_;
  bool shown_ = false;
};

}  // namespace kx71
