// The horizontal scroll bar, moved only by the logic.
#include "ui/win32/win_control_kinds.h"

#include <algorithm>

namespace kx71 {
namespace {

class TWinBar final : public TWinControl, public TBar::View {
 public:
  using TWinControl::TWinControl;
  void Bind() override { Bar().Bind(this); }
  void ShowPosition(int position) override { SetScrollPos(hwnd_, SB_CTL, position, TRUE); }
  // A scroll bar control does not move itself: the position goes to the logic, which limits it to
  // the range and shows it back.
  void Scroll(int code) override {
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL;
    GetScrollInfo(hwnd_, SB_CTL, &si);
    const int step = std::max(Bar().Step(), 1);
    int to = Bar().Position();
    switch (code) {
      case SB_LINELEFT:
      case SB_PAGELEFT:
        to -= step;
        break;
      case SB_LINERIGHT:
      case SB_PAGERIGHT:
        to += step;
        break;
      case SB_LEFT:
        to = Bar().Min();
        break;
      case SB_RIGHT:
        to = Bar().Max();
        break;
      case SB_THUMBTRACK:
      case SB_THUMBPOSITION:
        to = si.nTrackPos;
        break;
      default:
        return;  // SB_ENDSCROLL
    }
    Bar().UserMoved(to);
  }

 protected:
  TCreateParams CreateParams() const override { return {L"SCROLLBAR", kChild | WS_VISIBLE | SBS_HORZ | WS_TABSTOP}; }
  void Setup() override {
    SCROLLINFO si{sizeof si, SIF_RANGE | SIF_POS | SIF_PAGE, def_.min, def_.max, 0, def_.position, 0};  // no page
    SetScrollInfo(hwnd_, SB_CTL, &si, FALSE);
  }
  bool Subclassed() const override { return true; }  // keys and focus come only to the bar

 private:
  TBar& Bar() const { return *static_cast<TBar*>(control_); }
};

}  // namespace

std::unique_ptr<TWinControl> MakeWinBar(TWinHost& host, const TControlDef& def, TControl* control) {
  return std::make_unique<TWinBar>(host, def, control);
}

}  // namespace kx71
