// The program's one window on Qt Widgets: the widgets built from the layout table, each showing
// its control in the window's logic (TMainForm, ui/form) and passing the user's actions to it, and
// the services the logic asks of its front end (message pump, focus, close, the failure box).
#pragma once

#include <QCloseEvent>
#include <QHash>
#include <QWidget>
#include <memory>
#include <vector>

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

  // The widget of a layout control. The controls of a hidden panel get their widgets only when
  // the panel is first shown, or here when one of them is asked for.
  QWidget* Widget(const TControl& control);

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
  // Stands for a hidden panel until it is first shown.
  class TLatePanel : public TPanel::View {
   public:
    TLatePanel(TQtMainForm& form, TPanel& panel) : form_(form), panel_(panel) {}
    void ShowVisible(bool visible) override {
      if (visible) form_.MakePanel(panel_);
    }

   private:
    TQtMainForm& form_;
    TPanel& panel_;
  };

  // The widgets of the layout table's controls, bound to their state in the logic; the hidden
  // panels' are left for MakePanel.
  void CreateWidgets();
  // `panel`'s widget and those of its controls, in table order, showing the state the logic holds
  // now; the panel lies under the panels that follow it in the table, as if made in order.
  void MakePanel(TPanel& panel);
  QWidget* MakeBound(TControl& control, bool bind = true);
  void FitToPanels();  // the client area becomes the logic's size, and stays so

  // Declared before the logic: the component's events are delivered through it until it is gone.
  TQtMainThread mainThread_;
  std::unique_ptr<TMainForm> logic_;
  QHash<const TControl*, QWidget*> widgets_;
  QHash<const QWidget*, TControl*> controls_;
  std::vector<std::unique_ptr<TLatePanel>> latePanels_;
  QMetaObject::Connection focusWatch_;
  bool shown_ = false;
};

}  // namespace kx71
