// The selector: an owner-drawn drop-down list.
#include "ui/win32/win_control_kinds.h"

#include <commctrl.h>

#include <algorithm>

#include "ui/win32/wide_text.h"
#include "ui/win32/win_paint.h"

namespace kx71 {
namespace {

class TWinComboBox final : public TWinControl, public TComboBox::View {
 public:
  using TWinControl::TWinControl;
  void Bind() override { Box().Bind(this); }
  void ShowItems(const std::vector<std::string>& items) override {
    updating_ = true;
    SendMessageW(hwnd_, CB_RESETCONTENT, 0, 0);
    for (const std::string& item : items)
      SendMessageW(hwnd_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(item).c_str()));
    updating_ = false;
  }
  void ShowSelected(int index) override {
    updating_ = true;
    SendMessageW(hwnd_, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    updating_ = false;
  }
  void Notify(int code) override {
    if (code == CBN_SETFOCUS) host_.Form().UserFocused(*control_);
    if (updating_) return;
    if (code == CBN_DROPDOWN) {
      Box().UserDropDown();
    } else if (code == CBN_CLOSEUP) {
      // The order of the selection notifications around the close-up is not fixed: the selection
      // is read once they are all delivered.
      host_.PostCloseUp(*this);
    } else if (code == CBN_SELCHANGE && !SendMessageW(hwnd_, CB_GETDROPPEDSTATE, 0, 0)) {
      Box().UserSelected(Selection());
    }
  }
  void ClosedUp() override { Box().UserCloseUp(Selection()); }
  // Drawn here so that the face's text sits where the layout puts it: centred on the closed box,
  // clear of its edge and of the focus rectangle.
  void DrawItem(const DRAWITEMSTRUCT& item) override {
    std::wstring text;
    const bool entry = item.itemID != static_cast<UINT>(-1);
    const LRESULT length = entry ? SendMessageW(hwnd_, CB_GETLBTEXTLEN, item.itemID, 0) : -1;
    if (length >= 0) {
      text.resize(static_cast<std::size_t>(length) + 1);
      const LRESULT n = SendMessageW(hwnd_, CB_GETLBTEXT, item.itemID, reinterpret_cast<LPARAM>(text.data()));
      text.resize(static_cast<std::size_t>(std::max<LRESULT>(n, 0)));
    }
    RECT line = item.rcItem;
    if ((item.itemState & ODS_COMBOBOXEDIT) != 0) line = {line.left, 0, line.right, host_.Scale().Bounds(def_).h};
    DrawSelectorItem(item, Font(), line, text);
  }

 protected:
  TCreateParams CreateParams() const override {
    // The height includes the dropped-down list.
    // Owner-drawn rows of the table's height (WM_MEASUREITEM); the texts stay the box's.
    const TScale& scale = host_.Scale();
    return {L"COMBOBOX",
            kChild | WS_VISIBLE | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS | WS_VSCROLL | WS_TABSTOP, 0,
            scale.Bounds(def_).h + def_.visibleRows * scale.RowHeight(def_) + scale.Pixels(2)};
  }
  void Setup() override {
    Scaled();
    SendMessageW(hwnd_, CB_SETMINVISIBLE, static_cast<WPARAM>(def_.visibleRows), 0);
  }
  void Scaled() override {
    const int rowHeight = host_.Scale().RowHeight(def_);
    // The face is as high as the closed box's row says: what the box's edges, which keep their
    // width at every DPI, leave of it (a list row's height at 96 DPI).
    SendMessageW(hwnd_, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), rowHeight);
    RECT box{};
    GetWindowRect(hwnd_, &box);
    const int edges = box.bottom - box.top - rowHeight;
    SendMessageW(hwnd_, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), host_.Scale().Bounds(def_).h - edges);
    SendMessageW(hwnd_, CB_SETITEMHEIGHT, 0, rowHeight);  // the list's rows
  }

 private:
  TComboBox& Box() const { return *static_cast<TComboBox*>(control_); }
  int Selection() const { return static_cast<int>(SendMessageW(hwnd_, CB_GETCURSEL, 0, 0)); }
};

}  // namespace

std::unique_ptr<TWinControl> MakeWinComboBox(TWinHost& host, const TControlDef& def, TControl* control) {
  return std::make_unique<TWinComboBox>(host, def, control);
}

}  // namespace kx71
