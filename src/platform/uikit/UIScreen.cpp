#include "platform/uikit/UIScreen.h"

#include <mutex>

#include "platform/uikit/UIKitDefines.h"

namespace {
struct ScreenState {
  std::mutex lock;
  CGSize size{375, 812};
  CGFloat scale = 3;
};
ScreenState& state() {
  static ScreenState* s = new ScreenState;
  return *s;
}
}  // namespace

UIScreen* UIScreen::mainScreen() {
  static UIScreen* screen = [] {
    UIScreen* s = make<UIScreen>().leak();
    s->makeImmortal();
    return s;
  }();
  return screen;
}

CGFloat UIScreen::scale() const {
  std::lock_guard guard(state().lock);
  return state().scale;
}

CGRect UIScreen::bounds() const {
  std::lock_guard guard(state().lock);
  return {{0, 0}, state().size};
}

void UIScreen::setBounds_scale(CGSize size, CGFloat scale) {
  if (scale <= 0 || size.width < 0 || size.height < 0)
    uikit::detail::misuse("UIScreen: a screen needs a positive scale and a non-negative size");
  std::lock_guard guard(state().lock);
  state().size = size;
  state().scale = scale;
}
