#pragma once
// Shows an image, scaled by its content mode; template images are painted in
// the view's tint colour. Starts with interaction off. Main thread only.

#include "platform/uikit/UIImage.h"
#include "platform/uikit/UIView.h"

class UIImageView : public UIView {
 public:
  UIImageView() : UIImageView(CGRectZero) {}
  explicit UIImageView(CGRect frame) : UIView(frame) { userInteractionEnabled_ = false; }
  explicit UIImageView(UIImage* image);

  UIImage* image() const {
    UIKIT_MAIN_THREAD_ONLY();
    return image_.get();
  }
  // Same object: nothing. Inside a transition of this view or an ancestor,
  // the old image dissolves into the new one.
  void setImage(UIImage* image);

  // The image on screen at dispatch::Clock's present: the old image until a
  // dissolve ends, then the model's.
  Ref<UIImage> presentationImage() const;
  // How far a dissolve of the image is, 0...1 (1 when none runs).
  double imageTransitionFraction() const {
    UIKIT_MAIN_THREAD_ONLY();
    return contentsTransitionFraction();
  }

  // The colour a template image is painted in (the tint colour); nil for an
  // image drawn as it is, or no image. An automatic image draws as it is.
  Ref<UIColor> paintColor() const;

  // The image's size, or none without an image.
  CGSize intrinsicContentSize() const override;

 private:
  Ref<UIImage> image_;
};
