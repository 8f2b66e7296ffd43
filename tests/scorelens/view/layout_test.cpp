// The strip's views and the geometry its constraints give, per form.

#include <cmath>

#include "platform/uikit/text_metrics.h"
#include "strip_fixture.h"

using namespace strip_test;

namespace {

std::string str(CGRect r) {
  return "{" + std::to_string(r.origin.x) + ", " + std::to_string(r.origin.y) + ", " + std::to_string(r.size.width) +
         ", " + std::to_string(r.size.height) + "}";
}
bool near(CGRect a, CGRect b) {
  auto close = [](CGFloat x, CGFloat y) { return std::abs(x - y) < 1e-9; };
  return close(a.origin.x, b.origin.x) && close(a.origin.y, b.origin.y) && close(a.size.width, b.size.width) &&
         close(a.size.height, b.size.height);
}
#define EXPECT_FRAME(view, x, y, w, h) \
  EXPECT_PRED2(near, (view)->frame(), CGRectMake(x, y, w, h)) << #view " is at " << str((view)->frame())

// The labels' 14-point text as the toolkit measures it.
CGFloat textWidth(const char* text) { return uikit::measureText(ns(text), 14).width; }
const CGFloat kLine = uikit::measureText(ns("87%"), 14).height;

using StripLayout = StripTest;

}  // namespace

TEST_F(StripLayout, AllFourPreferencesGiveTwoRowsWhoseMetersStartTogether) {
  Ref<CXEnhancedRatingViewContainer> strip = makeStrip();
  EXPECT_EQ(CXEnhancedRatingViewContainer::appropriateHeight(), 80);
  EXPECT_TRUE(strip->isTwoRowForm());
  strip->firstRatingPercentageLabel()->setText(ns("87%"));
  strip->secondRatingPercentageLabel()->setText(ns("100%"));
  strip->messageLabel()->setText(ns("No enhanced rating could be found."));
  strip->layoutIfNeeded();

  EXPECT_FRAME(strip->firstRatingImageView(), 4, 4, 32, 32);
  EXPECT_FRAME(strip->secondRatingImageView(), 4, 44, 32, 32);
  EXPECT_FRAME(strip->firstRatingPercentageLabel(), 40, 20 - kLine / 2, textWidth("100%"), kLine)
      << "stretched to the longer text, so both labels end together";
  EXPECT_FRAME(strip->secondRatingPercentageLabel(), 40, 60 - kLine / 2, textWidth("100%"), kLine);
  EXPECT_FRAME(strip->firstRatingMeterProgressView(), 44 + textWidth("100%"), 19, 100, 2);
  EXPECT_FRAME(strip->secondRatingMeterProgressView(), 44 + textWidth("100%"), 59, 100, 2);
  EXPECT_FRAME(strip->messageImageView(), 4, 24, 32, 32);
  EXPECT_FRAME(strip->messageLabel(), 40, 40 - kLine / 2, 331, kLine) << "from x 40 to 4 before the right edge";
  EXPECT_FRAME(strip->loadingIndicatorView(), 4, 21.5, 37, 37);
}

TEST_F(StripLayout, CriticPercentageAloneGivesOneRowWithoutAMeter) {
  setPreferences(true, false, false, false);
  Ref<CXEnhancedRatingViewContainer> strip = makeStrip();
  EXPECT_EQ(CXEnhancedRatingViewContainer::appropriateHeight(), 40);
  EXPECT_FALSE(strip->isTwoRowForm());
  strip->firstRatingPercentageLabel()->setText(ns("87%"));
  strip->layoutIfNeeded();

  EXPECT_FRAME(strip->firstRatingImageView(), 4, 4, 32, 32);
  EXPECT_FRAME(strip->firstRatingPercentageLabel(), 40, 20 - kLine / 2, textWidth("87%"), kLine) << "4 after the icon";
  EXPECT_EQ(strip->firstRatingMeterProgressView()->frame().size.width, 0);
  EXPECT_FRAME(strip->secondRatingImageView(), 4, 36, 32, 0) << "row 2 collapses to nothing at y 36";
  EXPECT_EQ(strip->secondRatingMeterProgressView()->frame().size.width, 0);
  EXPECT_FRAME(strip->messageImageView(), 4, 4, 32, 32) << "the message icon is centred in the strip";
  EXPECT_FRAME(strip->loadingIndicatorView(), 4, 1.5, 37, 37);
}

TEST_F(StripLayout, AudienceMeterAloneStartsItsMeterBesideTheIcon) {
  setPreferences(false, false, false, true);
  Ref<CXEnhancedRatingViewContainer> strip = makeStrip();
  EXPECT_FALSE(strip->isTwoRowForm());
  strip->firstRatingPercentageLabel()->setText(ns("55%"));  // never shown in this form
  strip->layoutIfNeeded();
  EXPECT_FRAME(strip->firstRatingPercentageLabel(), 36, 20 - kLine / 2, 0, kLine) << "forced to zero width at the icon's edge";
  EXPECT_FRAME(strip->firstRatingMeterProgressView(), 40, 19, 100, 2) << "row 1 holds the audience meter";
  setPreferences(false, true, false, false);
  Ref<CXEnhancedRatingViewContainer> critic = makeStrip();
  critic->layoutIfNeeded();
  EXPECT_EQ(critic->firstRatingMeterProgressView()->frame().size.width, 100) << "and the critic meter alone";
}

TEST_F(StripLayout, CriticMeterWithAudiencePercentageKeepsRowOneLabelFree) {
  setPreferences(false, true, true, false);
  Ref<CXEnhancedRatingViewContainer> strip = makeStrip();
  EXPECT_EQ(CXEnhancedRatingViewContainer::appropriateHeight(), 80);
  EXPECT_TRUE(strip->isTwoRowForm());
  strip->firstRatingPercentageLabel()->setText(ns("87%"));
  strip->secondRatingPercentageLabel()->setText(ns("55%"));
  strip->layoutIfNeeded();
  EXPECT_EQ(strip->firstRatingPercentageLabel()->frame().size.width, textWidth("87%")) << "not forced to zero width";
  EXPECT_FRAME(strip->firstRatingMeterProgressView(), 44 + textWidth("87%"), 19, 100, 2);
  EXPECT_FRAME(strip->secondRatingPercentageLabel(), 40, 60 - kLine / 2, textWidth("55%"), kLine);
  EXPECT_EQ(strip->secondRatingMeterProgressView()->frame().size.width, 0);
}

TEST_F(StripLayout, TwoRowsWithoutAudiencePercentageCollapseRowTwoLabel) {
  setPreferences(true, true, false, true);
  Ref<CXEnhancedRatingViewContainer> strip = makeStrip();
  strip->secondRatingPercentageLabel()->setText(ns("55%"));
  strip->layoutIfNeeded();
  EXPECT_FRAME(strip->secondRatingPercentageLabel(), 36, 60 - kLine / 2, 0, kLine);
  EXPECT_FRAME(strip->secondRatingMeterProgressView(), 40, 59, 100, 2);
}

TEST_F(StripLayout, APreferenceChangedLaterLeavesAStripAsItWasBuilt) {
  Ref<CXEnhancedRatingViewContainer> strip = makeStrip();
  setPreferences(true, false, false, false);
  EXPECT_EQ(CXEnhancedRatingViewContainer::appropriateHeight(), 40) << "new strips follow the new preferences";
  EXPECT_TRUE(strip->isTwoRowForm());
  strip->setFrame(CGRectMake(0, 0, 375, 80));
  strip->layoutIfNeeded();
  EXPECT_FRAME(strip->secondRatingImageView(), 4, 44, 32, 32) << "the existing strip keeps its two rows";
  EXPECT_EQ(strip->firstRatingMeterProgressView()->frame().size.width, 100);
}

TEST_F(StripLayout, SubviewsComeInDrawingOrderInvisibleAndPlacedByConstraintsOnly) {
  Ref<CXEnhancedRatingViewContainer> strip = makeStrip();
  std::vector<UIView*> expected{strip->loadingIndicatorView(),        strip->messageImageView(),
                                strip->firstRatingImageView(),        strip->secondRatingImageView(),
                                strip->firstRatingPercentageLabel(),  strip->secondRatingPercentageLabel(),
                                strip->messageLabel(),                strip->firstRatingMeterProgressView(),
                                strip->secondRatingMeterProgressView()};
  ASSERT_EQ(strip->subviewList().size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    UIView* view = strip->subviewList()[i];
    EXPECT_EQ(view, expected[i]) << "subview " << i;
    EXPECT_FALSE(view->translatesAutoresizingMaskIntoConstraints()) << "subview " << i;
    EXPECT_EQ(view->alpha(), i == 0 ? 1 : 0) << "only the spinner starts visible; subview " << i;
  }
  EXPECT_FALSE(strip->loadingIndicatorView()->isAnimating());
  EXPECT_TRUE(strip->loadingIndicatorView()->isHidden()) << "hidden while it does not turn";
  EXPECT_EQ(strip->messageLabel()->numberOfLines(), 4);
  EXPECT_FALSE(strip->firstRatingPercentageLabel()->isOpaque());
  EXPECT_EQ(strip->firstRatingImageView()->contentMode(), UIViewContentModeScaleAspectFit);
  EXPECT_EQ(strip->ratingDataTask(), nullptr);
  EXPECT_EQ(strip->ratingURL(), nullptr);

  for (const auto& c : strip->constraintList())
    EXPECT_NE(c->secondItem(), nullptr) << "the strip holds only constraints between two views";
  EXPECT_EQ(strip->firstRatingImageView()->constraintList().size(), 2u) << "an icon holds its width and height";
  EXPECT_EQ(strip->firstRatingMeterProgressView()->constraintList().size(), 2u);
}

TEST_F(StripLayout, ACustomBackgroundReachesEverySubview) {
  Ref<CXEnhancedRatingViewContainer> strip = makeStrip();
  Ref<UIColor> page = UIColor::colorWithRed_green_blue_alpha(0.1, 0.1, 0.1, 1);
  strip->setCustomBackgroundColor(page);
  EXPECT_TRUE(UIColorEqual(strip->backgroundColor(), page));
  for (const auto& view : strip->subviewList()) EXPECT_TRUE(UIColorEqual(view->backgroundColor(), page));
}

TEST_F(StripLayout, HooksReachTheStripByRunTimeMessages) {
  Class cls = objc_getClass("CXEnhancedRatingViewContainer");
  ASSERT_NE(cls, nullptr);
  EXPECT_EQ(class_getSuperclass(cls), objc_getClass("UIView"));
  EXPECT_EQ(objc_msgSend<double>(cls, "appropriateHeight"), 80.0);
  StrongId made = StrongId::adopt(class_createInstance(cls, 0));
  StrongId strip = objc_msgSend<StrongId>(made, "initWithFrame:", CGRectZero);
  ASSERT_NE(objc_cast<CXEnhancedRatingViewContainer>(strip.get()), nullptr);
  Ref<UILabel> label = objc_msgSend<Ref<UILabel>>(strip, "messageLabel");
  EXPECT_NE(label, nullptr);
  EXPECT_NE(objc_msgSend<Ref<UILabel>>(strip, "firstRatingPercentageLabel"), nullptr);
  EXPECT_NE(objc_msgSend<Ref<UILabel>>(strip, "secondRatingPercentageLabel"), nullptr);
  objc_msgSend(strip, "setCustomBackgroundColor:", UIColor::redColor());
  EXPECT_TRUE(UIColorEqual(label->backgroundColor(), UIColor::redColor()));
  EXPECT_TRUE(class_respondsToSelector(cls, sel("updateContainerWithDisplayPageModel:")));
  EXPECT_TRUE(class_respondsToSelector(cls, sel("ratingViewTapped:")));
}
