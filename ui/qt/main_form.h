// The program's one window on Qt Widgets: the widgets built from the layout table, each showing
// its control in the window's logic (TMainForm, ui/form) and passing the user's actions to it, and
// the services the logic asks of its front end (message pump, focus, close, the failure box).
#pragma once

#include <QCloseEvent>
#include <QFrame>
#include <QHash>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
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
  QRadioButton* LevelOption(HandicapLevel level) const;

  // TFormHost
  void FocusControl(TControl& control) override;
  void CloseWindow() override;
  void PostCloseWindow() override;
  std::string ProgramFileName() override;
  void ShowFailureBox(const std::string& caption, const std::string& text) override;

  // --- Widgets, named as their controls (the ones tests and tools reach directly).
  QFrame *Panel15 = nullptr, *Panel1 = nullptr, *Panel2 = nullptr, *Panel3 = nullptr, *Panel4 = nullptr,
         *Panel5 = nullptr, *Panel6 = nullptr, *Panel7 = nullptr, *Panel8 = nullptr, *Panel9 = nullptr,
         *Panel10 = nullptr, *Panel11 = nullptr, *Panel12 = nullptr, *Panel13 = nullptr;
  QLabel *Image1 = nullptr, *Label15 = nullptr, *Label25 = nullptr, *Label26 = nullptr, *K_Comment = nullptr;
  QRadioButton *Handy_S = nullptr, *Handy_M = nullptr, *Handy0 = nullptr, *Handy1 = nullptr,
               *Handy3 = nullptr, *Handy4 = nullptr, *Handy6 = nullptr, *Handy_7 = nullptr;
  TQtCommBox* CommBox = nullptr;
  QPushButton *PROGRAM_BTN = nullptr, *READ_BTN = nullptr, *EXIT_BTN = nullptr;
  QRadioButton *OT_ON = nullptr, *OT_OFF = nullptr, *MAS_ON = nullptr, *MAS_OFF = nullptr, *BUP_00h = nullptr,
               *BUP_5Ah = nullptr;
  QScrollBar *THR_BAR = nullptr, *YOBI1_BAR = nullptr, *YOBI2_BAR = nullptr, *LAST_BAR = nullptr,
             *MODE_BAR = nullptr, *UA_BAR = nullptr, *LOW_BAR = nullptr, *HICH_BAR = nullptr;
  QLineEdit *MON_EDIT = nullptr, *THR_EDIT = nullptr, *YOBI1_EDIT = nullptr, *YOBI2_EDIT = nullptr,
            *LAST_EDIT = nullptr, *MODE_EDIT = nullptr, *UA_EDIT = nullptr, *LOW_EDIT = nullptr,
            *HICH_EDIT = nullptr, *YOUID_EDIT = nullptr, *MYID_EDIT = nullptr;
  QPushButton *YOUID_DEC = nullptr, *YOUID_INC = nullptr, *MYID_DEC = nullptr, *MYID_INC = nullptr;

  void setVisible(bool visible) override;

 protected:
  void closeEvent(QCloseEvent* event) override;
  // Tab and Shift+Tab: the focus goes where the logic's chain says.
  bool focusNextPrevChild(bool next) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void CreateWidgets();  // every control of the layout table, bound to its state in the logic
  void NameWidgets();
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
