#pragma once
// A spinner. By default it hides itself whenever it is stopped, and it starts
// stopped (so hidden). Main thread only.

#include "platform/uikit/UIView.h"

enum UIActivityIndicatorViewStyle : long {
  UIActivityIndicatorViewStyleWhiteLarge = 0,
  UIActivityIndicatorViewStyleWhite = 1,
  UIActivityIndicatorViewStyleGray = 2,
  UIActivityIndicatorViewStyleMedium = 100,
  UIActivityIndicatorViewStyleLarge = 101,
};
UIKIT_BOUNDARY_ENUM(UIActivityIndicatorViewStyle);

class UIActivityIndicatorView : public UIView {
 public:
  UIActivityIndicatorView() : UIActivityIndicatorView(UIActivityIndicatorViewStyleMedium) {}
  explicit UIActivityIndicatorView(UIActivityIndicatorViewStyle style);
  // The run time's initialiser for instances made by class_createInstance.
  UIActivityIndicatorView* initWithActivityIndicatorStyle(UIActivityIndicatorViewStyle style);

  UIActivityIndicatorViewStyle activityIndicatorViewStyle() const {
    UIKIT_MAIN_THREAD_ONLY();
    return style_;
  }
  // Changing the style also resets the colour to the style's own.
  void setActivityIndicatorViewStyle(UIActivityIndicatorViewStyle style);
  // The style's colour until set: white for the white styles, grey otherwise.
  UIColor* color() const {
    UIKIT_MAIN_THREAD_ONLY();
    return color_.get();
  }
  void setColor(UIColor* color);
  bool hidesWhenStopped() const {
    UIKIT_MAIN_THREAD_ONLY();
    return hidesWhenStopped_;
  }
  void setHidesWhenStopped(bool hides);

  void startAnimating();
  void stopAnimating();
  bool isAnimating() const {
    UIKIT_MAIN_THREAD_ONLY();
    return animating_;
  }

  // 37 points square for the large styles, 20 otherwise.
  CGSize intrinsicContentSize() const override;

 private:
  void applyStyle(UIActivityIndicatorViewStyle style);

  UIActivityIndicatorViewStyle style_ = UIActivityIndicatorViewStyleMedium;
  Ref<UIColor> color_;
  bool hidesWhenStopped_ = true;
  bool animating_ = false;
};
