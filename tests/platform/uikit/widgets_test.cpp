#include <cmath>

#include "platform/uikit/uikit_fixture.h"

namespace {

using UILabelTest = UIKitTest;

TEST_F(UILabelTest, NilFontAndColourRestoreTheDefaults) {
  Ref<UILabel> label = make<UILabel>();
  EXPECT_FALSE(label->isOpaque());
  EXPECT_EQ(label->numberOfLines(), 1);
  EXPECT_EQ(label->font()->pointSize(), 17);
  label->setFont(UIFont::boldSystemFontOfSize(14));
  // What a caller gets when the host lacks its typeface: the default stays.
  label->setFont(UIFont::fontWithName_size("UIKitTestMissingFace"_ns, 14).get());
  EXPECT_TRUE(label->font()->isEqual(UIFont::systemFontOfSize(17)));
  label->setTextColor(nullptr);
  EXPECT_EQ(label->textColor(), UIColor::blackColor());

  objc_msgSend<void>(label, "setText:", "87%"_ns);
  EXPECT_EQ(utf8(objc_msgSend<Ref<NSString>>(label, "text").get()), "87%");
  label->displayIfNeeded();
  label->setText("87%"_ns);
  EXPECT_FALSE(label->needsDisplay()) << "equal text, nothing to redraw";
}

using UIProgressViewTest = UIKitTest;

TEST_F(UIProgressViewTest, ClampsProgressAndIgnoresNotANumber) {
  Ref<UIProgressView> meter = make<UIProgressView>(UIProgressViewStyleDefault);
  meter->setProgress(0.87f);
  EXPECT_FLOAT_EQ(meter->progress(), 0.87f);
  meter->setProgress(1.5f);
  EXPECT_EQ(meter->progress(), 1.0f);
  meter->setProgress(std::nanf(""));
  EXPECT_EQ(meter->progress(), 1.0f) << "NaN leaves the bar as it was";
  meter->setTrackTintColor(UIColor::lightGrayColor());
  EXPECT_EQ(meter->trackTintColor(), UIColor::lightGrayColor());
  EXPECT_EQ(meter->intrinsicContentSize().height, 2);
}

using UIActivityIndicatorViewTest = UIKitTest;

TEST_F(UIActivityIndicatorViewTest, HidesWheneverItIsStopped) {
  EXPECT_EQ(UIActivityIndicatorViewStyleLarge, 101);
  EXPECT_EQ(UIActivityIndicatorViewStyleWhiteLarge, 0);
  Ref<UIActivityIndicatorView> spinner = make<UIActivityIndicatorView>(UIActivityIndicatorViewStyleLarge);
  EXPECT_TRUE(spinner->hidesWhenStopped());
  EXPECT_TRUE(spinner->isHidden()) << "it starts stopped";
  EXPECT_EQ(spinner->intrinsicContentSize(), CGSizeMake(37, 37));

  objc_msgSend<void>(spinner, "startAnimating");
  EXPECT_TRUE(spinner->isAnimating());
  EXPECT_FALSE(spinner->isHidden());
  spinner->stopAnimating();
  EXPECT_TRUE(spinner->isHidden());
  spinner->setHidesWhenStopped(false);
  EXPECT_FALSE(spinner->isHidden()) << "a stopped spinner shows once it no longer hides when stopped";

  Ref<UIActivityIndicatorView> white = make<UIActivityIndicatorView>(UIActivityIndicatorViewStyleWhiteLarge);
  EXPECT_EQ(white->color(), UIColor::whiteColor());
  white->setColor(UIColor::redColor());
  EXPECT_EQ(white->color(), UIColor::redColor());
}

}  // namespace
