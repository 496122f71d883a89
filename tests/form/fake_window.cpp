#include "fake_window.h"

namespace kx71::test {

TFakeWindow::TFakeWindow(TCommXEnvironment environment)
    : form_(std::make_unique<TMainForm>(*this, std::move(environment))) {
  for (const auto& c : form_->Controls()) {
    auto view = std::make_unique<TFakeView>();
    switch (c->Kind()) {
      case TControlKind::Panel:
        static_cast<TPanel&>(*c).Bind(view.get());
        break;
      case TControlKind::Caption:
      case TControlKind::StaticText:
        static_cast<TLabel&>(*c).Bind(view.get());
        break;
      case TControlKind::Edit:
        static_cast<TEdit&>(*c).Bind(view.get());
        break;
      case TControlKind::Bar:
        static_cast<TBar&>(*c).Bind(view.get());
        break;
      case TControlKind::Option:
        static_cast<TOption&>(*c).Bind(view.get());
        break;
      case TControlKind::ComboBox:
        static_cast<TComboBox&>(*c).Bind(view.get());
        break;
      default:
        break;
    }
    views_[c.get()] = std::move(view);
  }
  form_->Create();
}

void TFakeWindow::ProcessMessages() {
  ++pumps;
  if (onPump) onPump();
  std::deque<std::function<void()>> now;
  now.swap(posted_);
  for (auto& task : now) task();
}

void TFakeWindow::CloseWindow() {
  if (form_->CloseQuery()) closed = true;
}

}  // namespace kx71::test
