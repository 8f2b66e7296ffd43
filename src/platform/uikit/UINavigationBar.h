#pragma once
// The bar across the top of a navigation controller's view: the top
// controller's title in the middle and, below the root, a back button at the
// left titled with the previous controller's title ("Back" when it has none
// or it is too long),
// which pops the stack when a finger taps it. It spans the status bar too.
// Main thread only.

#include "platform/uikit/UIButton.h"
#include "platform/uikit/UILabel.h"

class UINavigationController;

class UINavigationBar : public UIView {
 public:
  UINavigationBar();

  static constexpr CGFloat kHeight = 44;
  static constexpr NSUInteger kLongestBackTitle = 8;
  // The status bar's height on the main screen: taller on the phone with the notch.
  static CGFloat statusBarHeight();

  UILabel* titleLabel() const {
    UIKIT_MAIN_THREAD_ONLY();
    return title_.get();
  }
  UIButton* backButton() const {
    UIKIT_MAIN_THREAD_ONLY();
    return back_.get();
  }
  // Shows title and, when showBack, the back button with backTitle.
  void showItems(const NSString* title, bool showBack, const NSString* backTitle);
  // Full width at the top of width, status bar included.
  void placeInWidth(CGFloat width);

  // The back button's action ("backButtonTapped:"): pops the navigation controller it belongs to.
  void backButtonTapped(id sender);

 private:
  friend class UINavigationController;
  Weak<UINavigationController> navigation_;
  Ref<UILabel> title_;
  Ref<UIButton> back_;
};
