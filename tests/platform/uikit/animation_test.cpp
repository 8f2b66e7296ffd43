#include "platform/uikit/uikit_fixture.h"

namespace {

using UIViewAnimation = UIKitTest;

TEST_F(UIViewAnimation, ModelChangesAtOnceWhileThePresentationFollowsTheClock) {
  Ref<UIView> icon = make<UIView>();
  icon->setAlpha(0);
  bool finished = false;
  int completions = 0;
  UIView::animateWithDuration_delay_options_animations_completion(
      0.5, 0, UIViewAnimationOptionCurveEaseInOut, [&] { icon->setAlpha(1); },
      [&](bool f) {
        finished = f;
        ++completions;
      });
  EXPECT_EQ(icon->alpha(), 1) << "the model value changes inside the block";
  EXPECT_EQ(icon->presentationAlpha(), 0) << "nothing is on screen yet";
  EXPECT_TRUE(UIView::hasRunningAnimations());
  EXPECT_TRUE(icon->hasAnimations());

  advance(0.25);
  dispatch::MainRunLoop::runOnce();
  EXPECT_NEAR(icon->presentationAlpha(), 0.5, 1e-6) << "half way on a symmetric curve";
  EXPECT_EQ(completions, 0) << "the completion waits for the whole duration";

  advance(0.25);
  ASSERT_TRUE(runUntil([&] { return completions == 1; }));
  EXPECT_TRUE(finished);
  EXPECT_EQ(icon->presentationAlpha(), 1);
  EXPECT_FALSE(UIView::hasRunningAnimations());
  EXPECT_FALSE(icon->hasAnimations());
}

TEST_F(UIViewAnimation, ADelayHoldsTheOldValueAndALinearCurveMovesEvenly) {
  Ref<UIView> v = make<UIView>();
  UIView::animateWithDuration_delay_options_animations_completion(1.0, 0.5, UIViewAnimationOptionCurveLinear,
                                                                  [&] { v->setAlpha(0); }, nullptr);
  advance(0.4);
  EXPECT_EQ(v->presentationAlpha(), 1);
  advance(0.35);
  EXPECT_NEAR(v->presentationAlpha(), 0.75, 1e-6);
}

TEST_F(UIViewAnimation, AZeroDurationCompletesOnTheNextRunLoopTurn) {
  Ref<UIView> v = make<UIView>();
  bool done = false;
  UIView::animateWithDuration_animations_completion(0, [&] { v->setAlpha(0.3); }, [&](bool) { done = true; });
  EXPECT_FALSE(done) << "never synchronously";
  EXPECT_EQ(v->presentationAlpha(), 0.3) << "nothing to animate";
  dispatch::MainRunLoop::runOnce();
  EXPECT_TRUE(done);
}

TEST_F(UIViewAnimation, ChangesOutsideABlockOrWithoutAnimationAreImmediate) {
  Ref<UIView> v = make<UIView>();
  v->setAlpha(0.5);
  EXPECT_EQ(v->presentationAlpha(), 0.5);
  UIView::animateWithDuration_animations_completion(
      1.0, [&] { UIView::performWithoutAnimation([&] { v->setAlpha(0); }); }, nullptr);
  EXPECT_EQ(v->presentationAlpha(), 0);
  UIView::animateWithDuration_animations_completion(1.0, [&] { v->setAlpha(0); }, nullptr);
  EXPECT_FALSE(v->hasAnimations()) << "an unchanged value starts nothing";
}

TEST_F(UIViewAnimation, AnimatedProgressRunsOnItsOwnTimingOutsideABlock) {
  Ref<UIProgressView> meter = make<UIProgressView>(UIProgressViewStyleDefault);
  meter->setProgress_animated(0.87f, true);
  EXPECT_FLOAT_EQ(meter->progress(), 0.87f);
  EXPECT_EQ(meter->presentationProgress(), 0);
  EXPECT_TRUE(UIView::hasRunningAnimations()) << "tools can wait for the bar to fill";
  advance(UIProgressView::kProgressAnimationDuration);
  EXPECT_FLOAT_EQ(meter->presentationProgress(), 0.87f);
  ASSERT_TRUE(runUntil([] { return !UIView::hasRunningAnimations(); }));
}

TEST_F(UIViewAnimation, ATransitionCrossDissolvesAnImageViewsImage) {
  Ref<NSBundle> bundle = NSBundle::bundleWithPath(NSString::stringWithUTF8String(resourceBundlePath()));
  Ref<UIImage> tomato = UIImage::imageNamed_inBundle_compatibleWithTraitCollection("tomato"_ns, bundle, nullptr);
  Ref<UIImage> star = UIImage::imageNamed_inBundle_compatibleWithTraitCollection("shooting_star"_ns, bundle, nullptr);
  ASSERT_TRUE(tomato && star);
  Ref<UIImageView> icon = make<UIImageView>(tomato.get());
  bool done = false;
  UIView::transitionWithView_duration_options_animations_completion(
      icon, 1.0, UIViewAnimationOptionTransitionCrossDissolve, [&] { icon->setImage(star); },
      [&](bool) { done = true; });
  EXPECT_EQ(icon->image(), star.get());
  EXPECT_EQ(icon->presentationImage().get(), tomato.get()) << "the old image is still dissolving away";
  advance(0.5);
  EXPECT_NEAR(icon->imageTransitionFraction(), 0.5, 1e-9);
  advance(0.5);
  EXPECT_EQ(icon->presentationImage().get(), star.get());
  ASSERT_TRUE(runUntil([&] { return done; }));

  icon->setImage(tomato);
  EXPECT_EQ(icon->presentationImage().get(), tomato.get()) << "outside a transition the swap is immediate";
}

TEST_F(UIViewAnimation, ACompletionDroppedWithTheMainQueueStopsCounting) {
  UIView::animateWithDuration_animations_completion(5.0, nullptr, nullptr);
  EXPECT_EQ(UIView::runningAnimationCount(), 1u);
  dispatch::MainRunLoop::resetForTesting();
  EXPECT_EQ(UIView::runningAnimationCount(), 0u) << "an end that can never run is not waited for";
}

}  // namespace
