#include "platform/uikit/UIActivityIndicatorView.h"

namespace {
bool isLarge(UIActivityIndicatorViewStyle s) {
  return s == UIActivityIndicatorViewStyleWhiteLarge || s == UIActivityIndicatorViewStyleLarge;
}
}  // namespace

UIActivityIndicatorView::UIActivityIndicatorView(UIActivityIndicatorViewStyle style) {
  applyStyle(style);
  setHidden(true);
}

UIActivityIndicatorView* UIActivityIndicatorView::initWithActivityIndicatorStyle(UIActivityIndicatorViewStyle style) {
  UIKIT_MAIN_THREAD_ONLY();
  setActivityIndicatorViewStyle(style);
  return this;
}

void UIActivityIndicatorView::applyStyle(UIActivityIndicatorViewStyle style) {
  style_ = style;
  bool white = style == UIActivityIndicatorViewStyleWhiteLarge || style == UIActivityIndicatorViewStyleWhite;
  color_ = white ? UIColor::whiteColor() : UIColor::grayColor();
  CGSize size = intrinsicContentSize();
  setFrame({frame().origin, size});
}

void UIActivityIndicatorView::setActivityIndicatorViewStyle(UIActivityIndicatorViewStyle style) {
  UIKIT_MAIN_THREAD_ONLY();
  if (style == style_) return;
  applyStyle(style);
  setNeedsDisplay();
}

void UIActivityIndicatorView::setColor(UIColor* color) {
  UIKIT_MAIN_THREAD_ONLY();
  if (UIColorEqual(color, color_.get())) return;
  color_ = color;
  setNeedsDisplay();
}

void UIActivityIndicatorView::setHidesWhenStopped(bool hides) {
  UIKIT_MAIN_THREAD_ONLY();
  if (hides == hidesWhenStopped_) return;
  hidesWhenStopped_ = hides;
  if (!animating_) setHidden(hides);
}

void UIActivityIndicatorView::startAnimating() {
  UIKIT_MAIN_THREAD_ONLY();
  if (animating_) return;
  animating_ = true;
  setHidden(false);
}

void UIActivityIndicatorView::stopAnimating() {
  UIKIT_MAIN_THREAD_ONLY();
  if (!animating_) return;
  animating_ = false;
  if (hidesWhenStopped_) setHidden(true);
}

CGSize UIActivityIndicatorView::intrinsicContentSize() const {
  UIKIT_MAIN_THREAD_ONLY();
  return isLarge(style_) ? CGSize{37, 37} : CGSize{20, 20};
}
