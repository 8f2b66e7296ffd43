#include "platform/uikit/uikit_fixture.h"

namespace {

TEST(UIColor, NamedGreysMatchThePlatformAndCompareByValue) {
  CGFloat white = -1, alpha = -1;
  ASSERT_TRUE(UIColor::lightGrayColor()->getWhite_alpha(&white, &alpha));
  EXPECT_DOUBLE_EQ(white, 2.0 / 3);
  EXPECT_EQ(alpha, 1);
  EXPECT_TRUE(UIColor::darkGrayColor()->isEqual(UIColor::colorWithWhite_alpha(1.0 / 3, 1)));
  EXPECT_EQ(UIColor::whiteColor(), UIColor::whiteColor()) << "named colours are made once";

  Ref<UIColor> track = UIColor::colorWithRed_green_blue_alpha(0.22, 0.22, 0.22, 1);
  Ref<UIColor> same = UIColor::colorWithRed_green_blue_alpha(0.22, 0.22, 0.22, 1);
  EXPECT_TRUE(objc_isEqual(track, same)) << "by message too";
  EXPECT_EQ(track->hash(), same->hash());
  EXPECT_FALSE(track->isEqual(UIColor::colorWithRed_green_blue_alpha(0.22, 0.22, 0.22, 0.5)));

  Ref<UIColor> red = UIColor::colorWithRed_green_blue_alpha(0.9, 0.051, 0.078, 1);
  EXPECT_FALSE(red->getWhite_alpha(&white, &alpha)) << "not a grey";
  CGFloat r, g, b, a;
  ASSERT_TRUE(red->getRed_green_blue_alpha(&r, &g, &b, &a));
  EXPECT_EQ(g, 0.051);
  EXPECT_EQ(UIColor::clearColor()->alpha(), 0);
}

TEST(UIFont, ANamedTypefaceExistsOnlyOnceTheHostRegistersIt) {
  const char* host = "UIKitTestSans-Regular";
  EXPECT_EQ(UIFont::fontWithName_size(NSString::stringWithUTF8String(host), 14), nullptr)
      << "the process does not carry it";
  UIFont::registerFontName(host);
  Ref<UIFont> font = UIFont::fontWithName_size(NSString::stringWithUTF8String(host), 14);
  UIFont::unregisterFontName(host);
  ASSERT_TRUE(font);
  EXPECT_EQ(utf8(font->fontName()), host);
  EXPECT_EQ(font->pointSize(), 14);
  EXPECT_EQ(UIFont::fontWithName_size(nullptr, 14), nullptr);

  Ref<UIFont> system = UIFont::systemFontOfSize(12);
  EXPECT_TRUE(UIFont::fontWithName_size(system->fontName(), 12)->isEqual(system)) << "system typefaces are always there";
  UIFont::unregisterFontName(kUISystemFontName);
  EXPECT_TRUE(UIFont::isFontNameRegistered(kUISystemFontName)) << "and cannot be removed";
}

TEST(UIScreen, IsAPhoneUntilConfiguredOtherwise) {
  UIScreen* screen = UIScreen::mainScreen();
  EXPECT_EQ(screen->scale(), 3);
  EXPECT_EQ(screen->bounds(), CGRectMake(0, 0, 375, 812));
  screen->configureAsPad();
  EXPECT_EQ(screen->scale(), 2);
  EXPECT_EQ(screen->bounds(), CGRectMake(0, 0, 768, 1024));
  screen->configureAsPhone();
}

}  // namespace
