#include "fake_window.h"

namespace kx71::test {

TFakeWindow::TFakeWindow(TCommXEnvironment environment)
    : form_(std::make_unique<TMainForm>(*this, std::move(environment))) {
  for (const auto& c : form_->Controls()) {
    auto view = std::make_unique<TFakeView>();
    BindView(*c, view.get());
    views_[c.get()] = std::move(view);
  }
  form_->Create();
}

void TFakeWindow::ProcessMessages() {
  ++pumps;
  if (onPump) onPump();
  queue_.ProcessMessages();
}

void TFakeWindow::CloseWindow() {
  if (form_->CloseQuery()) closed = true;
}

}  // namespace kx71::test
