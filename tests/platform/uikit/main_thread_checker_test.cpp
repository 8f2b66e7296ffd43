#include "platform/uikit/uikit_fixture.h"

namespace {

using MainThreadChecker = UIKitTest;

TEST_F(MainThreadChecker, AToolkitCallFromASerialQueueIsALoudError) {
  Ref<UIView> view = make<UIView>();
  EXPECT_DEATH(
      {
        dispatch_queue_t callbacks = dispatch_queue_create("session.callbacks");
        dispatch_sync(callbacks, [&] { view->setAlpha(0.5); });
      },
      "UIKit called off the main thread: .*UIView::setAlpha");
  EXPECT_DEATH(
      {
        dispatch_queue_t callbacks = dispatch_queue_create("session.callbacks");
        dispatch_sync(callbacks, [] { make<UILabel>(); });
      },
      "UIKit called off the main thread");
}

TEST_F(MainThreadChecker, ImagesColoursAndFontsMayBeMadeOnAnyThread) {
  Ref<NSBundle> bundle = NSBundle::bundleWithPath(NSString::stringWithUTF8String(resourceBundlePath()));
  Ref<UIImage> image;
  Ref<UIColor> colour;
  Ref<UIFont> font;
  dispatch_queue_t callbacks = dispatch_queue_create("session.callbacks");
  dispatch_sync(callbacks, [&] {
    image = UIImage::imageNamed_inBundle_compatibleWithTraitCollection("x"_ns, bundle, nullptr);
    colour = UIColor::colorWithWhite_alpha(0.5, 1);
    font = UIFont::systemFontOfSize(14);
  });
  EXPECT_TRUE(image && colour && font) << "the error message's icon is loaded on the session's queue";
}

}  // namespace
