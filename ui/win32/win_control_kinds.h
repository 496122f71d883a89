// Inside the native controls: the view class of each kind lives in a file of its own
// (win_painted, win_label, win_buttons, win_selector, win_edit, win_bar) and is made through one of
// these, which MakeWinControl picks by the layout row's kind.
#pragma once

#include "ui/win32/win_controls.h"

namespace kx71 {

// Siblings overlap (panels over each other's edge rows): each control paints only its own
// uncovered part.
constexpr DWORD kChild = WS_CHILD | WS_CLIPSIBLINGS;

std::unique_ptr<TWinControl> MakeWinPanel(TWinHost& host, const TControlDef& def, TControl* control);
std::unique_ptr<TWinControl> MakeWinComment(TWinHost& host, const TControlDef& def, TControl* control);
std::unique_ptr<TWinControl> MakeWinLabel(TWinHost& host, const TControlDef& def, TControl* control);
std::unique_ptr<TWinControl> MakeWinOption(TWinHost& host, const TControlDef& def, TControl* control);
std::unique_ptr<TWinControl> MakeWinButton(TWinHost& host, const TControlDef& def, TControl* control);
std::unique_ptr<TWinControl> MakeWinComboBox(TWinHost& host, const TControlDef& def, TControl* control);
std::unique_ptr<TWinControl> MakeWinEdit(TWinHost& host, const TControlDef& def, TControl* control);
std::unique_ptr<TWinControl> MakeWinBar(TWinHost& host, const TControlDef& def, TControl* control);

}  // namespace kx71
