#include "platform/uikit/UIProgressView.h"

#include <algorithm>

UIProgressView* UIProgressView::initWithProgressViewStyle(UIProgressViewStyle style) {
  UIKIT_MAIN_THREAD_ONLY();
  style_ = style;
  return this;
}

void UIProgressView::setProgress_animated(float progress, bool animated) {
  UIKIT_MAIN_THREAD_ONLY();
  // NaN is ignored, as the device draws nothing for it.
  if (progress != progress) return;
  progress = std::clamp(progress, 0.0f, 1.0f);
  if (progress == progress_) return;
  if (animated)
    animateChangeWithDuration(AnimatedProperty::Progress, progress_, progress, kProgressAnimationDuration);
  else
    animateChange(AnimatedProperty::Progress, progress_, progress);
  progress_ = progress;
  setNeedsDisplay();
}

float UIProgressView::presentationProgress() const {
  return static_cast<float>(presentationValue(AnimatedProperty::Progress, progress_));
}

void UIProgressView::setTrackTintColor(UIColor* color) {
  UIKIT_MAIN_THREAD_ONLY();
  if (UIColorEqual(color, trackTintColor_.get())) return;
  trackTintColor_ = color;
  setNeedsDisplay();
}

void UIProgressView::setProgressTintColor(UIColor* color) {
  UIKIT_MAIN_THREAD_ONLY();
  if (UIColorEqual(color, progressTintColor_.get())) return;
  progressTintColor_ = color;
  setNeedsDisplay();
}

CGSize UIProgressView::intrinsicContentSize() const {
  UIKIT_MAIN_THREAD_ONLY();
  return {UIViewNoIntrinsicMetric, style_ == UIProgressViewStyleBar ? 2.5 : 2.0};
}
