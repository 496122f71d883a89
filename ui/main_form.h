// The program's one window: the level options over the decorative picture, the port selector, the
// command buttons, the information line, and the hidden editors that hold the working copy of the
// unit's settings block.
#pragma once

#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>
#include <array>

#include "comm/CommX.h"
#include "protocol/settings_block.h"
#include "ui/form/busy_depth.h"
#include "ui/comm_box.h"
#include "ui/controls.h"
#include "ui/qt_main_thread.h"

namespace kx71 {

class TMainForm : public QWidget {
  Q_OBJECT

 public:
  explicit TMainForm(QWidget* parent = nullptr);
  // With the port component reaching its devices and making its pauses through `commEnvironment`.
  explicit TMainForm(TCommXEnvironment commEnvironment, QWidget* parent = nullptr);
  ~TMainForm() override;

  // Held by every handler that lets other messages run before it ends (the commands, the exchange
  // wait). While one is held a close request waits, and a command can refuse to start.
  TBusyDepth& Busy() { return busy_; }
  TQtMainThread& MainThread() { return mainThread_; }

  // The window's title and the size of its client area with the hidden panels left out.
  static constexpr const char* kTitle = "KX-71VantorManager V1.00";
  static constexpr int kClientWidth = 310, kClientHeight = 416;

  // --- Handlers, one per control event (public so that tests can drive them as events do).
  void FormCreate();
  void BARChange(QObject* sender);   // THR_BAR: the edit shows the position
  void BARChange2(QObject* sender);  // the six other value bars: likewise
  void BARChange3(QObject* sender);  // YOBI2_BAR: the position rounded down to even
  void EXIT_BTNClick();
  // Port selection and the device commands.
  void CommBoxDropDown();
  void CommBoxCloseUp();
  void READ_BTNClick();
  void PROGRAM_BTNClick();
  // Value editing.
  void YOU_BTNClick(QObject* sender);
  void MYID_BTNClick(QObject* sender);
  void YOUID_EDITKeyDown(QObject* sender, int& key);
  void MYID_EDITKeyDown(QObject* sender, int& key);
  void ID_Exit(QObject* sender);
  void EDITKeyPress(QObject* sender, QChar& key);
  void EDITExit(QObject* sender);
  void EDITMouseUp(QObject* sender);
  // The level options.
  void Handy_SClick();
  void Handy_MClick();
  void Handy0Click();
  void Handy1Click();
  void Handy2Click();
  void Handy3Click();
  void Handy4Click();
  void Handy5Click();
  void Handy6Click();
  void Handy_7Click();

  // The option of each level, in window order.
  QRadioButton* LevelOption(HandicapLevel level) const;

 private:
  // Declared before CommX1: the component's events are delivered through it until it is gone.
  TBusyDepth busy_;
  TQtMainThread mainThread_{&busy_};

 public:
  // --- The serial port component (FlowCtrl cfcNone); destroyed, closing an open port, with the window.
  TCommX CommX1;

  // --- Controls, named as their objectName.
  // Visible panels.
  QFrame *Panel15 = nullptr, *Panel14 = nullptr, *CMD_PANEL = nullptr, *Panel16 = nullptr;
  QLabel* Image1 = nullptr;
  QLabel *Label15 = nullptr, *Label16 = nullptr, *Label17 = nullptr, *Label18 = nullptr, *Label19 = nullptr,
         *Label20 = nullptr, *Label21 = nullptr, *Label22 = nullptr, *Label23 = nullptr, *Label24 = nullptr,
         *Label25 = nullptr, *Label26 = nullptr;
  QRadioButton *Handy_S = nullptr, *Handy_M = nullptr, *Handy0 = nullptr, *Handy1 = nullptr,
               *Handy2 = nullptr, *Handy3 = nullptr, *Handy4 = nullptr, *Handy5 = nullptr, *Handy6 = nullptr,
               *Handy_7 = nullptr;
  QLabel* K_Comment = nullptr;
  QLabel* Label14 = nullptr;
  TCommBox* CommBox = nullptr;
  QPushButton *PROGRAM_BTN = nullptr, *READ_BTN = nullptr, *EXIT_BTN = nullptr;
  QLabel* Label27 = nullptr;
  TEdit* MON_EDIT = nullptr;
  // Hidden panels and their editors.
  QFrame *Panel1 = nullptr, *Panel2 = nullptr, *Panel3 = nullptr, *Panel4 = nullptr, *Panel5 = nullptr,
         *Panel6 = nullptr, *Panel7 = nullptr, *Panel8 = nullptr, *Panel9 = nullptr, *Panel10 = nullptr,
         *Panel11 = nullptr, *Panel12 = nullptr, *Panel13 = nullptr;
  QRadioButton *OT_ON = nullptr, *OT_OFF = nullptr, *MAS_ON = nullptr, *MAS_OFF = nullptr, *BUP_00h = nullptr,
               *BUP_5Ah = nullptr;
  TScrollBar *THR_BAR = nullptr, *YOBI1_BAR = nullptr, *YOBI2_BAR = nullptr, *LAST_BAR = nullptr,
             *MODE_BAR = nullptr, *UA_BAR = nullptr, *LOW_BAR = nullptr, *HICH_BAR = nullptr;
  TEdit *THR_EDIT = nullptr, *YOBI1_EDIT = nullptr, *YOBI2_EDIT = nullptr, *LAST_EDIT = nullptr,
        *MODE_EDIT = nullptr, *UA_EDIT = nullptr, *LOW_EDIT = nullptr, *HICH_EDIT = nullptr;
  TEdit *YOUID_EDIT = nullptr, *MYID_EDIT = nullptr;
  TSpeedButton *YOUID_DEC = nullptr, *YOUID_INC = nullptr, *MYID_DEC = nullptr, *MYID_INC = nullptr;

  void setVisible(bool visible) override;

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void CreateControls();  // the layout: every control with its bounds, look and initial value
  void SetTabOrder();
  void WireEvents();
  void FitToPanels();  // the client area becomes the extent of the visible panels, and stays so
  void LevelClick(HandicapLevel level);
  // The editors of what both commands take from the unit's block: marker, identifiers, master flag,
  // bytes 8 to 12.
  void TakeUnitSettings(const SettingsValues& v);
  void StepIdentifier(QObject* sender);
  void IdentifierKey(QObject* sender, int& key, QPushButton* inc, QPushButton* dec);
  std::array<QFrame*, 17> Panels() const;

  std::array<QRadioButton*, kLevelCount> levelOptions_{};
  bool shown_ = false;
};

}  // namespace kx71
