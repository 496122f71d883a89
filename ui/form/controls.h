// The state of each control of the window and the small view interfaces through which a front end
// shows it. The logic owns the state (position, checked option, text as set, list entries); the
// front end's native widget only shows it and reports what the user did through the User* calls.
//
// Binding a front end:
//   - Build one native widget per row of Layout() (ui/form/layout.h), in table order, then give
//     each TControl of TMainForm::Controls() a view with Bind() (or BindView below); Bind shows the
//     current state.
//   - User events enter through the User* members of the control (UserMoved, UserClicked,
//     UserTyped, UserKeyDown, UserKeyPress, UserMouseUp, UserDropDown, UserCloseUp) and through
//     TMainForm::UserFocused for focus changes. These run the control's handler guarded: a failure
//     is reported through the form's failure box and goes no further.
//   - The logic changes state from code (SetPosition, Select, SetText, ...) and calls the view's
//     Show* member; the front end shows the value without reporting it back as a user event.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "comm/port_discovery.h"
#include "ui/form/layout.h"

namespace kx71 {

class TControl;

// Whether a control of `kind` takes the keyboard focus at all (by a click, Tab or code): flat
// buttons never do, so the editor they step keeps it; labels, panels and the picture neither.
bool TakesFocus(TControlKind kind);

// Where a failure that a user event's handler lets escape goes (the form's failure box).
class TFailureSink {
 public:
  virtual ~TFailureSink() = default;
  virtual void ReportFailure(const std::string& message) = 0;
};

// The message of the exception being handled (call inside a catch block).
std::string CurrentExceptionMessage();

// Runs `fn`; a failure escaping it is reported to `sink` (once the exception is left behind).
template <class Fn>
void Guarded(TFailureSink* sink, Fn&& fn) {
  std::string failure;
  bool failed = false;
  try {
    fn();
  } catch (...) {
    failure = CurrentExceptionMessage();
    failed = true;
  }
  if (failed && sink) sink->ReportFailure(failure);
}

using TNotifyEvent = std::function<void(TControl& sender)>;
using TKeyEvent = std::function<void(TControl& sender, int& key)>;       // key code; set to 0 to consume
using TKeyPressEvent = std::function<void(TControl& sender, char& key)>;  // typed character; 0 consumes

// Key codes as the handlers see them (a front end maps its own keys onto these; others pass as
// kKeyOther or their character code).
inline constexpr int kKeyReturn = 13, kKeyUp = 38, kKeyDown = 40, kKeyOther = 0xFF;

class TControl {
 public:
  explicit TControl(const TControlDef& def) : def_(def) {}
  virtual ~TControl() = default;
  TControl(const TControl&) = delete;
  TControl& operator=(const TControl&) = delete;

  const TControlDef& Def() const { return def_; }
  const char* Name() const { return def_.name; }
  TControlKind Kind() const { return def_.kind; }

  // The 32-bit Tag every control carries, and the partner control an editor is linked to.
  std::int32_t Tag() const { return tag_; }
  void SetTag(std::int32_t tag) { tag_ = tag; }
  TControl* Partner() const { return partner_; }
  void SetPartner(TControl* partner) { partner_ = partner; }

  TControl* Parent() const { return parent_; }
  // The control and all its parents are visible: only then does it take clicks, keys or focus.
  bool Showing() const;

  TNotifyEvent OnExit;  // the focus moved from this control to another of the window

  // Set up by the form.
  void Attach(TControl* parent, TFailureSink* failures) {
    parent_ = parent;
    failures_ = failures;
  }

 protected:
  // Runs a handler for a user's action, guarded; nothing for a control that is not showing.
  template <class Fn>
  void FromUser(Fn&& fn) {
    if (Showing()) Guarded(failures_, fn);
  }
  virtual bool OwnVisible() const { return true; }

 private:
  const TControlDef& def_;
  std::int32_t tag_ = 0;
  TControl* partner_ = nullptr;
  TControl* parent_ = nullptr;
  TFailureSink* failures_ = nullptr;
};

// A panel: shown or hidden with everything on it.
class TPanel : public TControl {
 public:
  class View {
   public:
    virtual ~View() = default;
    virtual void ShowVisible(bool visible) = 0;
  };
  explicit TPanel(const TControlDef& def) : TControl(def), visible_(!def.Has(kHidden)) {}
  void Bind(View* view);
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);

 protected:
  bool OwnVisible() const override { return visible_; }

 private:
  View* view_ = nullptr;
  bool visible_;
};

// Anything with a text the window sets and the user does not edit: captions, the comment box.
class TLabel : public TControl {
 public:
  class View {
   public:
    virtual ~View() = default;
    virtual void ShowText(const std::string& text) = 0;
  };
  explicit TLabel(const TControlDef& def) : TControl(def), text_(def.caption) {}
  void Bind(View* view);
  const std::string& Text() const { return text_; }
  void SetText(const std::string& text);

 private:
  View* view_ = nullptr;
  std::string text_;
};

// A single-line edit. The text as set or typed lives here: a native edit that shows capitals may
// give back capitals.
class TEdit : public TControl {
 public:
  class View {
   public:
    virtual ~View() = default;
    virtual void ShowText(const std::string& text) = 0;
    virtual void SelectAll() = 0;
  };
  explicit TEdit(const TControlDef& def) : TControl(def), text_(def.caption) {}
  void Bind(View* view);
  const std::string& Text() const { return text_; }
  void SetText(const std::string& text);  // shown at once, even when unchanged
  void SelectAll();

  TKeyEvent OnKeyDown;
  TKeyPressEvent OnKeyPress;
  TNotifyEvent OnMouseUp;

  // The user changed the text (typing, pasting, deleting): the new text, not shown back. A native
  // edit that also reports the text the view was told to show leaves those reports out.
  void UserTyped(const std::string& text);
  // A key went down; false when a handler consumed it (the edit then does not act on it).
  bool UserKeyDown(int key);
  // A character was typed; false when a handler consumed it.
  bool UserKeyPress(char key);
  void UserMouseUp();

 private:
  View* view_ = nullptr;
  std::string text_;
};

// A horizontal scroll bar. Setting a position limits it to the range; the change event runs only
// when the position actually changes (by the user or from code).
class TBar : public TControl {
 public:
  class View {
   public:
    virtual ~View() = default;
    virtual void ShowPosition(int position) = 0;
  };
  explicit TBar(const TControlDef& def) : TControl(def), position_(def.position) {}
  void Bind(View* view);
  int Min() const { return Def().min; }
  int Max() const { return Def().max; }
  int Step() const { return Def().step; }  // small and large step alike
  int Position() const { return position_; }
  void SetPosition(int position);

  TNotifyEvent OnChange;

  // The user moved the bar (drag, arrows, keys, page clicks) to `position`, not yet limited.
  void UserMoved(int position);

 private:
  bool Move(int position);  // true when the position changed
  View* view_ = nullptr;
  int position_;
};

// A radio option; the options with the same parent form a group. Selecting an option that is not
// selected unselects the others and runs its click event; selecting the selected one does nothing,
// from code and by the user alike.
class TOption : public TControl {
 public:
  class View {
   public:
    virtual ~View() = default;
    virtual void ShowChecked(bool checked) = 0;
  };
  explicit TOption(const TControlDef& def) : TControl(def), checked_(def.Has(kChecked)) {}
  void Bind(View* view);
  bool Checked() const { return checked_; }
  void Select();

  TNotifyEvent OnClick;

  // The user clicked the option (or chose it with the keys), whether or not it was selected.
  void UserClicked();

  void SetGroup(std::vector<TOption*> group) { group_ = std::move(group); }
  // The option after (or before) this one in its group, in table order, wrapping round: where the
  // arrow keys go.
  TOption& Neighbour(bool forward) const;

 private:
  void SetChecked(bool checked);
  View* view_ = nullptr;
  bool checked_;
  std::vector<TOption*> group_;  // every option of the group, this one included
};

// A push button: picture or flat.
class TButton : public TControl {
 public:
  using TControl::TControl;
  TNotifyEvent OnClick;
  void UserClicked();
};

// The drop-down list of ports. Its entries and selection live here; RefreshCommList works on it.
class TComboBox : public TControl, public TCommList {
 public:
  class View {
   public:
    virtual ~View() = default;
    virtual void ShowItems(const std::vector<std::string>& items) = 0;
    virtual void ShowSelected(int index) = 0;  // -1: none
  };
  explicit TComboBox(const TControlDef& def) : TControl(def) {}
  void Bind(View* view);
  const std::vector<std::string>& Items() const { return items_; }
  int ItemIndex() const { return index_; }

  // TCommList
  std::string SelectedText() const override;
  void Clear() override;
  void Assign(const std::vector<std::string>& items) override;
  void Insert0(const std::string& item) override;
  int IndexOfIgnoreCase(const std::string& text) const override;
  void Select(int index) override;

  TNotifyEvent OnDropDown;  // before the list shows; may rebuild the entries
  TNotifyEvent OnCloseUp;   // each time the list closes, whether or not the choice changed

  void UserDropDown();
  // The list closed with `index` selected (read once the toolkit has settled it).
  void UserCloseUp(int index);
  // The user changed the selection without the list (arrow keys on the closed box): no event.
  void UserSelected(int index);

 private:
  View* view_ = nullptr;
  std::vector<std::string> items_;
  int index_ = -1;
};

// Binds `control` to `view` for the view interface of the control's kind; `view` is any
// polymorphic object (a native widget, a fake) that offers it. Controls without state take none.
template <class V>
void BindView(TControl& control, V* view) {
  if (auto* panel = dynamic_cast<TPanel*>(&control)) {
    panel->Bind(dynamic_cast<TPanel::View*>(view));
  } else if (auto* label = dynamic_cast<TLabel*>(&control)) {
    label->Bind(dynamic_cast<TLabel::View*>(view));
  } else if (auto* edit = dynamic_cast<TEdit*>(&control)) {
    edit->Bind(dynamic_cast<TEdit::View*>(view));
  } else if (auto* bar = dynamic_cast<TBar*>(&control)) {
    bar->Bind(dynamic_cast<TBar::View*>(view));
  } else if (auto* option = dynamic_cast<TOption*>(&control)) {
    option->Bind(dynamic_cast<TOption::View*>(view));
  } else if (auto* box = dynamic_cast<TComboBox*>(&control)) {
    box->Bind(dynamic_cast<TComboBox::View*>(view));
  }
}

}  // namespace kx71
