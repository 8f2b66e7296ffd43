#include "platform/uikit/UIImageView.h"

UIImageView::UIImageView(UIImage* image) : UIView(image ? CGRect{{0, 0}, image->size()} : CGRectZero), image_(image) {
  userInteractionEnabled_ = false;
}

void UIImageView::setImage(UIImage* image) {
  UIKIT_MAIN_THREAD_ONLY();
  if (image == image_.get()) return;
  transitionContents(image_);
  image_ = image;
  setNeedsLayout();  // the image decides the view's natural size
  setNeedsDisplay();
}

Ref<UIImage> UIImageView::presentationImage() const {
  StrongId shown = presentationContents(image_);
  return Ref<UIImage>(objc_cast<UIImage>(shown.get()));
}

CGSize UIImageView::intrinsicContentSize() const {
  UIKIT_MAIN_THREAD_ONLY();
  return image_ ? image_->size() : CGSize{UIViewNoIntrinsicMetric, UIViewNoIntrinsicMetric};
}

Ref<UIColor> UIImageView::paintColor() const {
  UIKIT_MAIN_THREAD_ONLY();
  if (!image_ || image_->renderingMode() != UIImageRenderingModeAlwaysTemplate) return nullptr;
  return tintColor();
}
