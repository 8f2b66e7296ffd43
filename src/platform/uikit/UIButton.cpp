#include "platform/uikit/UIButton.h"

Ref<UIButton> UIButton::buttonWithType(UIButtonType type) {
  UIKIT_MAIN_THREAD_ONLY();
  Ref<UIButton> b = make<UIButton>();
  b->type_ = type;
  return b;
}

void UIButton::setTitle_forState(const NSString* title, UIControlState state) {
  UIKIT_MAIN_THREAD_ONLY();
  auto it = titles_.find(state);
  NSString* current = it == titles_.end() ? nullptr : it->second.get();
  if (UIStringEqual(title, current)) return;
  if (title)
    titles_[state] = const_cast<NSString*>(title);
  else
    titles_.erase(state);
  setNeedsLayout();
  setNeedsDisplay();
}

NSString* UIButton::titleForState(UIControlState state) const {
  UIKIT_MAIN_THREAD_ONLY();
  auto it = titles_.find(state);
  if (it != titles_.end()) return it->second.get();
  it = titles_.find(UIControlStateNormal);
  return it == titles_.end() ? nullptr : it->second.get();
}

NSString* UIButton::currentTitle() const {
  UIKIT_MAIN_THREAD_ONLY();
  unsigned long state = UIControlStateNormal;
  if (!isEnabled()) state |= UIControlStateDisabled;
  if (isSelected()) state |= UIControlStateSelected;
  return titleForState(static_cast<UIControlState>(state));
}
