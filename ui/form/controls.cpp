#include "ui/form/controls.h"

#include <algorithm>
#include <cctype>
#include <exception>

namespace kx71 {

std::string CurrentExceptionMessage() {
  try {
    throw;
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "Unknown failure";
  }
}

bool TakesFocus(TControlKind kind) {
  switch (kind) {
    case TControlKind::Option:
    case TControlKind::ComboBox:
    case TControlKind::PictureButton:
    case TControlKind::Edit:
    case TControlKind::Bar:
      return true;
    default:
      return false;
  }
}

bool TControl::Showing() const {
  for (const TControl* c = this; c; c = c->parent_) {
    if (!c->OwnVisible()) return false;
  }
  return true;
}

void TPanel::Bind(View* view) {
  view_ = view;
  if (view_) view_->ShowVisible(visible_);
}

void TPanel::SetVisible(bool visible) {
  visible_ = visible;
  if (view_) view_->ShowVisible(visible);
}

void TLabel::Bind(View* view) {
  view_ = view;
  if (view_) view_->ShowText(text_);
}

void TLabel::SetText(const std::string& text) {
  text_ = text;
  if (view_) view_->ShowText(text_);
}

void TEdit::Bind(View* view) {
  view_ = view;
  if (view_) view_->ShowText(text_);
}

void TEdit::SetText(const std::string& text) {
  text_ = text;
  if (view_) view_->ShowText(text_);
}

void TEdit::SelectAll() {
  if (view_) view_->SelectAll();
}

void TEdit::UserTyped(const std::string& text) {
  if (Showing()) text_ = text;
}

bool TEdit::UserKeyDown(int key) {
  if (!OnKeyDown) return true;
  FromUser([&] { OnKeyDown(*this, key); });
  return key != 0;
}

bool TEdit::UserKeyPress(char key) {
  if (!OnKeyPress) return true;
  FromUser([&] { OnKeyPress(*this, key); });
  return key != 0;
}

void TEdit::UserMouseUp() {
  if (OnMouseUp) FromUser([&] { OnMouseUp(*this); });
}

void TBar::Bind(View* view) {
  view_ = view;
  if (view_) view_->ShowPosition(position_);
}

bool TBar::Move(int position) {
  position = std::clamp(position, Min(), Max());
  if (position == position_) return false;
  position_ = position;
  if (view_) view_->ShowPosition(position_);
  return true;
}

void TBar::SetPosition(int position) {
  if (Move(position) && OnChange) OnChange(*this);
}

void TBar::UserMoved(int position) {
  if (!Showing()) {
    if (view_) view_->ShowPosition(position_);  // a hidden bar does not move
    return;
  }
  // A native bar that does not limit or has already moved shows the limited position again.
  const bool changed = Move(position);
  if (!changed && view_) view_->ShowPosition(position_);
  if (changed && OnChange) FromUser([&] { OnChange(*this); });
}

void TOption::Bind(View* view) {
  view_ = view;
  if (view_) view_->ShowChecked(checked_);
}

void TOption::SetChecked(bool checked) {
  checked_ = checked;
  if (view_) view_->ShowChecked(checked);
}

void TOption::Select() {
  if (checked_) return;
  for (TOption* other : group_) {
    if (other != this && other->checked_) other->SetChecked(false);
  }
  SetChecked(true);
  if (OnClick) OnClick(*this);
}

TOption& TOption::Neighbour(bool forward) const {
  const auto at = std::find(group_.begin(), group_.end(), this);
  if (at == group_.end()) return const_cast<TOption&>(*this);  // not grouped yet
  const auto index = static_cast<std::size_t>(at - group_.begin());
  return *group_[(index + (forward ? 1 : group_.size() - 1)) % group_.size()];
}

void TOption::UserClicked() {
  if (!Showing()) return;
  if (checked_) {
    if (view_) view_->ShowChecked(true);  // a native option may have toggled itself
    return;
  }
  FromUser([&] { Select(); });
}

void TButton::UserClicked() {
  if (OnClick) FromUser([&] { OnClick(*this); });
}

void TComboBox::Bind(View* view) {
  view_ = view;
  if (view_) {
    view_->ShowItems(items_);
    view_->ShowSelected(index_);
  }
}

std::string TComboBox::SelectedText() const {
  return index_ < 0 ? std::string() : items_[static_cast<std::size_t>(index_)];
}

void TComboBox::Clear() {
  items_.clear();
  index_ = -1;
  if (view_) view_->ShowItems(items_);
}

void TComboBox::Assign(const std::vector<std::string>& items) {
  items_ = items;
  index_ = -1;
  if (view_) view_->ShowItems(items_);
}

void TComboBox::Insert0(const std::string& item) {
  items_.insert(items_.begin(), item);
  if (index_ >= 0) ++index_;
  if (view_) {
    view_->ShowItems(items_);
    view_->ShowSelected(index_);
  }
}

int TComboBox::IndexOfIgnoreCase(const std::string& text) const {
  auto lower = [](std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
  };
  const std::string wanted = lower(text);
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (lower(items_[i]) == wanted) return static_cast<int>(i);
  }
  return -1;
}

void TComboBox::Select(int index) {
  index_ = index >= 0 && index < static_cast<int>(items_.size()) ? index : -1;
  if (view_) view_->ShowSelected(index_);
}

void TComboBox::UserDropDown() {
  if (OnDropDown) FromUser([&] { OnDropDown(*this); });
}

void TComboBox::UserCloseUp(int index) {
  if (!Showing()) return;
  UserSelected(index);
  if (OnCloseUp) FromUser([&] { OnCloseUp(*this); });
}

void TComboBox::UserSelected(int index) {
  if (Showing()) index_ = index >= 0 && index < static_cast<int>(items_.size()) ? index : -1;
}

}  // namespace kx71
