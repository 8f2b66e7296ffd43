#include "platform/uikit/UINavigationBar.h"

#include <algorithm>

#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UIScreen.h"

UINavigationBar::UINavigationBar() {
  UIKIT_MAIN_THREAD_ONLY();
  setBackgroundColor(UIColor::colorWithWhite_alpha(0.08, 0.92).get());
  title_ = make<UILabel>();
  title_->setTextColor(UIColor::whiteColor());
  title_->setFont(UIFont::boldSystemFontOfSize(17).get());
  title_->setTextAlignment(NSTextAlignmentCenter);
  addSubview(title_.get());
  back_ = UIButton::buttonWithType(UIButtonTypeSystem);
  back_->setTintColor(UIColor::whiteColor());
  back_->setHidden(true);
  back_->addTarget_action_forControlEvents(this, sel_registerName("backButtonTapped:"), UIControlEventTouchUpInside);
  addSubview(back_.get());
}

CGFloat UINavigationBar::statusBarHeight() {
  CGSize screen = UIScreen::mainScreen()->bounds().size;
  return screen.height >= 812 && screen.width < 600 ? 44 : 20;
}

void UINavigationBar::showItems(const NSString* title, bool showBack, const NSString* backTitle) {
  UIKIT_MAIN_THREAD_ONLY();
  title_->setText(title);
  back_->setHidden(!showBack);
  // A title too long for the button's room reads "Back", as on the device.
  std::string back = "\u2039 ";
  back += backTitle && backTitle->length() && backTitle->length() <= kLongestBackTitle ? backTitle->UTF8String()
                                                                                        : std::string("Back");
  back_->setTitle_forState(NSString::stringWithUTF8String(back), UIControlStateNormal);
}

void UINavigationBar::placeInWidth(CGFloat width) {
  UIKIT_MAIN_THREAD_ONLY();
  CGFloat top = statusBarHeight();
  setFrame({{0, 0}, {width, top + kHeight}});
  // The back button keeps its side; the title is centred over the whole bar, clear of it.
  CGFloat side = std::min<CGFloat>(110, width / 4);
  back_->setFrame({{4, top}, {side - 8, kHeight}});
  title_->setFrame({{side, top}, {width - 2 * side, kHeight}});
}

void UINavigationBar::backButtonTapped(id /*sender*/) {
  UIKIT_MAIN_THREAD_ONLY();
  if (Ref<UINavigationController> navigation = navigation_.lock())
    objc_msgSend<StrongId>(navigation, "popViewControllerAnimated:", true);
}
