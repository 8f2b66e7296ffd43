// The strip's views and their fixed layout.

#include "scorelens/view/CXEnhancedRatingViewContainer.h"

#include "platform/uikit/NSLayoutConstraint.h"
#include "scorelens/prefs/CXPrefsManager.h"

namespace {

constexpr CGFloat kMargin = 4;
constexpr CGFloat kIconSide = 32;
constexpr CGFloat kMeterWidth = 100;
constexpr CGFloat kMeterHeight = 2;
constexpr NSInteger kMessageLines = 4;

// Two views: the strip holds the constraint.
void relate(UIView* strip, UIView* a, NSLayoutAttribute aa, UIView* b, NSLayoutAttribute ba, CGFloat constant) {
  strip->addConstraint(NSLayoutConstraint::constraintWithItem_attribute_relatedBy_toItem_attribute_multiplier_constant(
      a, aa, NSLayoutRelationEqual, b, ba, 1.0, constant));
}

// A constant width or height: the view it sizes holds it.
void fix(UIView* view, NSLayoutAttribute attribute, CGFloat constant) {
  view->addConstraint(NSLayoutConstraint::constraintWithItem_attribute_relatedBy_toItem_attribute_multiplier_constant(
      view, attribute, NSLayoutRelationEqual, nullptr, NSLayoutAttributeNotAnAttribute, 1.0, constant));
}

// Every subview starts with a zero frame, placed by constraints only, and
// invisible until a lookup's result fades it in.
template <class V>
Ref<V> addHidden(UIView* strip, Ref<V> view) {
  view->setTranslatesAutoresizingMaskIntoConstraints(false);
  view->setAlpha(0);
  strip->addSubview(view);
  return view;
}

}  // namespace

CGFloat CXEnhancedRatingViewContainer::appropriateHeight() {
  return CXPrefsManager::criticRatingEnabled() && CXPrefsManager::audienceRatingEnabled() ? 80.0 : 40.0;
}

CXEnhancedRatingViewContainer::CXEnhancedRatingViewContainer(CGRect frame) : UIView(frame) {
  twoRowForm_ = CXPrefsManager::criticRatingEnabled() && CXPrefsManager::audienceRatingEnabled();
  createLoadingIndicatorView();
  createImageAndPercentageViews();
  createMeterViews();
}

void CXEnhancedRatingViewContainer::createLoadingIndicatorView() {
  loadingIndicatorView_ = make<UIActivityIndicatorView>(UIActivityIndicatorViewStyleLarge);
  loadingIndicatorView_->setColor(UIColor::whiteColor());
  loadingIndicatorView_->setHidesWhenStopped(true);
  loadingIndicatorView_->setTranslatesAutoresizingMaskIntoConstraints(false);
  addSubview(loadingIndicatorView_);
  relate(this, loadingIndicatorView_, NSLayoutAttributeCenterY, this, NSLayoutAttributeCenterY, 0);
  relate(this, loadingIndicatorView_, NSLayoutAttributeLeading, this, NSLayoutAttributeLeading, kMargin);
}

void CXEnhancedRatingViewContainer::createImageAndPercentageViews() {
  messageImageView_ = addHidden(this, make<UIImageView>());
  firstRatingImageView_ = addHidden(this, make<UIImageView>());
  secondRatingImageView_ = addHidden(this, make<UIImageView>());
  firstRatingPercentageLabel_ = addHidden(this, make<UILabel>());
  secondRatingPercentageLabel_ = addHidden(this, make<UILabel>());
  messageLabel_ = addHidden(this, make<UILabel>());
  for (UIImageView* icon : {messageImageView_.get(), firstRatingImageView_.get(), secondRatingImageView_.get()})
    icon->setContentMode(UIViewContentModeScaleAspectFit);
  for (UILabel* label : {firstRatingPercentageLabel_.get(), secondRatingPercentageLabel_.get(), messageLabel_.get()})
    label->setOpaque(false);
  messageLabel_->setNumberOfLines(kMessageLines);

  UIImageView* message = messageImageView_;
  UIImageView* icon1 = firstRatingImageView_;
  UIImageView* icon2 = secondRatingImageView_;
  UILabel* label1 = firstRatingPercentageLabel_;
  UILabel* label2 = secondRatingPercentageLabel_;

  // Icons: one column 4 from the leading edge; row 1 hangs from the top,
  // row 2 stands on the bottom, the message icon is centred.
  relate(this, message, NSLayoutAttributeLeading, this, NSLayoutAttributeLeading, kMargin);
  relate(this, icon1, NSLayoutAttributeLeading, this, NSLayoutAttributeLeading, kMargin);
  relate(this, icon2, NSLayoutAttributeLeading, this, NSLayoutAttributeLeading, kMargin);
  relate(this, message, NSLayoutAttributeCenterY, this, NSLayoutAttributeCenterY, 0);
  relate(this, icon1, NSLayoutAttributeTop, this, NSLayoutAttributeTop, kMargin);
  relate(this, icon2, NSLayoutAttributeBottom, this, NSLayoutAttributeBottom, -kMargin);
  fix(message, NSLayoutAttributeWidth, kIconSide);
  fix(message, NSLayoutAttributeHeight, kIconSide);
  fix(icon1, NSLayoutAttributeWidth, kIconSide);
  fix(icon1, NSLayoutAttributeHeight, kIconSide);
  fix(icon2, NSLayoutAttributeWidth, kIconSide);

  // Labels: each row's text on its icon's centre line; the message text
  // fills the rest of the strip beside its icon.
  relate(this, label1, NSLayoutAttributeCenterY, icon1, NSLayoutAttributeCenterY, 0);
  relate(this, label2, NSLayoutAttributeCenterY, icon2, NSLayoutAttributeCenterY, 0);
  relate(this, messageLabel_, NSLayoutAttributeLeading, message, NSLayoutAttributeTrailing, kMargin);
  relate(this, messageLabel_, NSLayoutAttributeTrailing, this, NSLayoutAttributeTrailing, -kMargin);
  relate(this, messageLabel_, NSLayoutAttributeCenterY, message, NSLayoutAttributeCenterY, 0);

  bool criticPercentage = CXPrefsManager::criticRatingPercentageEnabled();
  bool audiencePercentage = CXPrefsManager::audienceRatingPercentageEnabled();
  if (twoRowForm_) {
    fix(icon2, NSLayoutAttributeHeight, kIconSide);
    if (audiencePercentage) {
      // Equal trailing edges, so that both meters start at the same place.
      if (criticPercentage) relate(this, label1, NSLayoutAttributeTrailing, label2, NSLayoutAttributeTrailing, 0);
      relate(this, label2, NSLayoutAttributeLeading, icon2, NSLayoutAttributeTrailing, kMargin);
    } else {
      fix(label2, NSLayoutAttributeWidth, 0);
      relate(this, label2, NSLayoutAttributeLeading, icon2, NSLayoutAttributeTrailing, 0);
    }
  } else {
    // Row 2 collapses; its label is never shown and gets no horizontal place.
    fix(icon2, NSLayoutAttributeHeight, 0);
  }
  if (!criticPercentage && !audiencePercentage) {
    fix(label1, NSLayoutAttributeWidth, 0);
    relate(this, label1, NSLayoutAttributeLeading, icon1, NSLayoutAttributeTrailing, 0);
  } else {
    relate(this, label1, NSLayoutAttributeLeading, icon1, NSLayoutAttributeTrailing, kMargin);
  }
}

void CXEnhancedRatingViewContainer::createMeterViews() {
  firstRatingMeterProgressView_ = addHidden(this, make<UIProgressView>(UIProgressViewStyleDefault));
  secondRatingMeterProgressView_ = addHidden(this, make<UIProgressView>(UIProgressViewStyleDefault));
  UIProgressView* meter1 = firstRatingMeterProgressView_;
  UIProgressView* meter2 = secondRatingMeterProgressView_;

  relate(this, meter1, NSLayoutAttributeCenterY, firstRatingImageView_, NSLayoutAttributeCenterY, 0);
  relate(this, meter2, NSLayoutAttributeCenterY, secondRatingImageView_, NSLayoutAttributeCenterY, 0);
  fix(meter1, NSLayoutAttributeHeight, kMeterHeight);
  fix(meter2, NSLayoutAttributeHeight, kMeterHeight);
  relate(this, meter1, NSLayoutAttributeLeading, firstRatingPercentageLabel_, NSLayoutAttributeTrailing, kMargin);
  relate(this, meter2, NSLayoutAttributeLeading, secondRatingPercentageLabel_, NSLayoutAttributeTrailing, kMargin);

  bool criticMeter = CXPrefsManager::criticRatingMeterEnabled();
  bool audienceMeter = CXPrefsManager::audienceRatingMeterEnabled();
  if (twoRowForm_) {
    fix(meter1, NSLayoutAttributeWidth, criticMeter ? kMeterWidth : 0);
    fix(meter2, NSLayoutAttributeWidth, audienceMeter ? kMeterWidth : 0);
  } else {
    fix(meter1, NSLayoutAttributeWidth, criticMeter || audienceMeter ? kMeterWidth : 0);
    fix(meter2, NSLayoutAttributeWidth, 0);
  }
}

void CXEnhancedRatingViewContainer::setCustomBackgroundColor(UIColor* color) {
  UIKIT_MAIN_THREAD_ONLY();
  setBackgroundColor(color);
  for (UIView* view : std::initializer_list<UIView*>{
           messageLabel_, loadingIndicatorView_, messageImageView_, firstRatingImageView_, firstRatingPercentageLabel_,
           firstRatingMeterProgressView_, secondRatingImageView_, secondRatingPercentageLabel_,
           secondRatingMeterProgressView_})
    view->setBackgroundColor(color);
}
