// The program's one window without its toolkit: every control's state, the links between them, all
// the handlers (start-up, bars, value editing, level options, port selection, the commands), the
// deferred close and the failure report. A front end (ui/qt, the Win32 one) builds the native
// widgets from Layout(), binds them to the controls here (ui/form/controls.h) and passes the user's
// actions in; the logic shows state through the views and asks the front end, through TFormHost,
// to process messages, move the focus, close the window and show the failure box.
//
// Lifecycle: construct (controls from the table, CommX1 on the host's main thread), bind the
// views, then Create() (FormCreate, the focus to CommBox). A native close request asks
// CloseQuery(); false means "not now": the close is carried out with PostCloseWindow() once the
// outermost handler that pumps messages has returned.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "comm/CommX.h"
#include "protocol/settings_block.h"
#include "ui/form/busy_depth.h"
#include "ui/form/controls.h"
#include "ui/form/form_host.h"

namespace kx71 {

class TMainForm : public TFailureSink {
 public:
  explicit TMainForm(TFormHost& host, TCommXEnvironment commEnvironment = {});
  ~TMainForm() override;  // CommX1 closes an open port before the controls go

  // FormCreate, then the keyboard focus to the port selector.
  void Create();

  // Every control in table order, and by name (nullptr for an unknown name).
  const std::vector<std::unique_ptr<TControl>>& Controls() const { return controls_; }
  TControl* Find(std::string_view name) const;

  // --- Front end entries.
  // The native focus moved to `control` (by a click or Tab): the control that had it is left. A
  // control that takes no focus (TakesFocus) leaves the focus where it was.
  void UserFocused(TControl& control);
  // The user or the system asks to close the window: true to let it close now.
  bool CloseQuery();
  // The control after (or before) `from` in the Tab order, among the showing controls that take
  // focus from Tab; the first (last) when `from` is nullptr. Every front end moves the focus on Tab
  // and Shift+Tab to it; the arrow keys on an option go to TOption::Neighbour.
  TControl* TabNext(const TControl* from, bool forward = true) const;
  // The client area the window has: the extent of the panels that are visible now. Both front ends
  // keep the window at it, again whenever a panel is shown or hidden.
  TSize ClientSize() const;

  // --- Services for handlers.
  // Moves the keyboard focus to a showing control; the one that had it is left (its OnExit runs).
  void SetFocus(TControl& control);
  TControl* Focused() const { return focused_; }
  // Handles the waiting window messages; a close they request waits until the outermost pumping
  // handler has returned.
  void ProcessMessages();
  TBusyDepth& Busy() { return busy_; }
  // TFailureSink: the failure box, with the program's title as caption.
  void ReportFailure(const std::string& message) override;

  // --- Handlers, one per control event.
  void FormCreate();
  void BARChange(TControl& sender);   // THR_BAR: the edit shows the position
  void BARChange2(TControl& sender);  // the six other value bars: likewise
  void BARChange3(TControl& sender);  // YOBI2_BAR: the position rounded down to even
  void EXIT_BTNClick();
  void CommBoxDropDown();
  void CommBoxCloseUp();
  void READ_BTNClick();
  void PROGRAM_BTNClick();
  void YOU_BTNClick(TControl& sender);
  void MYID_BTNClick(TControl& sender);
  void YOUID_EDITKeyDown(TControl& sender, int& key);
  void MYID_EDITKeyDown(TControl& sender, int& key);
  void ID_Exit(TControl& sender);
  void EDITKeyPress(TControl& sender, char& key);
  void EDITExit(TControl& sender);
  void EDITMouseUp(TControl& sender);
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

  TOption& LevelOption(HandicapLevel level) const;

 private:
  // The component's view of the main thread: the host's, with the busy depth held while it pumps.
  class TBusyMainThread : public TMainThread {
   public:
    TBusyMainThread(TMainThread& inner, TBusyDepth& busy) : inner_(inner), busy_(busy) {}
    void Post(std::function<void()> task) override { inner_.Post(std::move(task)); }
    void ProcessMessages() override;

   private:
    TMainThread& inner_;
    TBusyDepth& busy_;
  };

  // The layout's control `name`, which the window's members name.
  template <class T>
  T& Get(std::string_view name) const {
    auto* control = dynamic_cast<T*>(Find(name));
    if (!control) Missing(name);
    return *control;
  }
  [[noreturn]] static void Missing(std::string_view name);
  void Wire();
  void LevelClick(HandicapLevel level);
  // The bars that hold bytes 8 to 15, in byte order, each with the value it holds. The bars keep
  // the window's control names, which for bytes 10 to 12 do not follow their labels (UA_BAR shows
  // "LOW CH", LOW_BAR "HIGH CH", HICH_BAR "ST ADJ"). The first five are the unit's own settings.
  struct TValueBar {
    TBar& bar;
    int SettingsValues::*value;
  };
  static constexpr std::size_t kUnitBarCount = 5;
  std::array<TValueBar, 8> ValueBars();
  void TakeUnitSettings(const SettingsValues& v);
  // The read exchange both commands begin with: the unit's values, shown in the editors and the
  // information line, or nothing (and "Loading NG") when the exchange failed.
  std::optional<SettingsValues> ReadUnit();
  // The overtake flag and bytes 13 to 15 of `v` in their editors.
  void ShowValues(const SettingsValues& v);
  void StepIdentifier(TControl& sender);
  void IdentifierKey(TControl& sender, int& key, TControl& inc, TControl& dec);

  TFormHost& host_;
  TBusyDepth busy_;
  TBusyMainThread mainThread_{host_.MainThread(), busy_};
  std::vector<std::unique_ptr<TControl>> controls_;
  TControl* focused_ = nullptr;

 public:
  // --- The serial port component (FlowCtrl cfcNone).
  TCommX CommX1;

  // --- Controls, named as in the layout.
  TPanel &Panel15 = Get<TPanel>("Panel15"), &Panel14 = Get<TPanel>("Panel14"),
         &CMD_PANEL = Get<TPanel>("CMD_PANEL"), &Panel16 = Get<TPanel>("Panel16");
  TOption &Handy_S = Get<TOption>("Handy_S"), &Handy_M = Get<TOption>("Handy_M"),
          &Handy0 = Get<TOption>("Handy0"), &Handy1 = Get<TOption>("Handy1"), &Handy2 = Get<TOption>("Handy2"),
          &Handy3 = Get<TOption>("Handy3"), &Handy4 = Get<TOption>("Handy4"), &Handy5 = Get<TOption>("Handy5"),
          &Handy6 = Get<TOption>("Handy6"), &Handy_7 = Get<TOption>("Handy_7");
  TLabel& K_Comment = Get<TLabel>("K_Comment");
  TComboBox& CommBox = Get<TComboBox>("CommBox");
  TButton &PROGRAM_BTN = Get<TButton>("PROGRAM_BTN"), &READ_BTN = Get<TButton>("READ_BTN"),
          &EXIT_BTN = Get<TButton>("EXIT_BTN");
  TEdit& MON_EDIT = Get<TEdit>("MON_EDIT");
  TPanel &Panel1 = Get<TPanel>("Panel1"), &Panel2 = Get<TPanel>("Panel2"), &Panel3 = Get<TPanel>("Panel3"),
         &Panel4 = Get<TPanel>("Panel4"), &Panel5 = Get<TPanel>("Panel5"), &Panel6 = Get<TPanel>("Panel6"),
         &Panel7 = Get<TPanel>("Panel7"), &Panel8 = Get<TPanel>("Panel8"), &Panel9 = Get<TPanel>("Panel9"),
         &Panel10 = Get<TPanel>("Panel10"), &Panel11 = Get<TPanel>("Panel11"),
         &Panel12 = Get<TPanel>("Panel12"), &Panel13 = Get<TPanel>("Panel13");
  TOption &OT_ON = Get<TOption>("OT_ON"), &OT_OFF = Get<TOption>("OT_OFF"), &MAS_ON = Get<TOption>("MAS_ON"),
          &MAS_OFF = Get<TOption>("MAS_OFF"), &BUP_00h = Get<TOption>("BUP_00h"),
          &BUP_5Ah = Get<TOption>("BUP_5Ah");
  TBar &THR_BAR = Get<TBar>("THR_BAR"), &YOBI1_BAR = Get<TBar>("YOBI1_BAR"), &YOBI2_BAR = Get<TBar>("YOBI2_BAR"),
       &LAST_BAR = Get<TBar>("LAST_BAR"), &MODE_BAR = Get<TBar>("MODE_BAR"), &UA_BAR = Get<TBar>("UA_BAR"),
       &LOW_BAR = Get<TBar>("LOW_BAR"), &HICH_BAR = Get<TBar>("HICH_BAR");
  TEdit &THR_EDIT = Get<TEdit>("THR_EDIT"), &YOBI1_EDIT = Get<TEdit>("YOBI1_EDIT"),
        &YOBI2_EDIT = Get<TEdit>("YOBI2_EDIT"), &LAST_EDIT = Get<TEdit>("LAST_EDIT"),
        &MODE_EDIT = Get<TEdit>("MODE_EDIT"), &UA_EDIT = Get<TEdit>("UA_EDIT"), &LOW_EDIT = Get<TEdit>("LOW_EDIT"),
        &HICH_EDIT = Get<TEdit>("HICH_EDIT");
  TEdit &YOUID_EDIT = Get<TEdit>("YOUID_EDIT"), &MYID_EDIT = Get<TEdit>("MYID_EDIT");
  TButton &YOUID_DEC = Get<TButton>("YOUID_DEC"), &YOUID_INC = Get<TButton>("YOUID_INC"),
          &MYID_DEC = Get<TButton>("MYID_DEC"), &MYID_INC = Get<TButton>("MYID_INC");

  // The panels, in their tab order.
  const std::array<TPanel*, 17> Panels{&Panel14, &CMD_PANEL, &Panel1,  &Panel2,  &Panel3,  &Panel4,
                                       &Panel5,  &Panel6,    &Panel7,  &Panel8,  &Panel9,  &Panel10,
                                       &Panel11, &Panel12,   &Panel13, &Panel16, &Panel15};
};

}  // namespace kx71
