#include "platform/uikit/uikit_fixture.h"

namespace {

Ref<NSURL> url(const char* text) { return NSURL::URLWithString(NSString::stringWithUTF8String(text)); }

using UIApplicationTest = UIKitTest;

TEST_F(UIApplicationTest, RecordsEveryOpenedURLInOrder) {
  UIApplication* app = UIApplication::sharedApplication();
  EXPECT_TRUE(objc_msgSend<bool>(app, "openURL:", url("https://www.rottentomatoes.com/m/heat_1995")));
  EXPECT_TRUE(app->openURL(url("HTTP://example.com/a")));
  EXPECT_FALSE(app->openURL(url("mailto:someone@example.com"))) << "no app handles that scheme";
  EXPECT_FALSE(app->openURL(nullptr));
  ASSERT_EQ(app->openedURLs().size(), 2u);
  EXPECT_EQ(utf8(app->openedURLs()[0]->absoluteString().get()), "https://www.rottentomatoes.com/m/heat_1995");
  EXPECT_EQ(utf8(app->openedURLs()[1]->absoluteString().get()), "HTTP://example.com/a");
}

TEST_F(UIApplicationTest, OpenableSchemesAreConfiguration) {
  UIApplication* app = UIApplication::sharedApplication();
  EXPECT_FALSE(app->canOpenURL(url("nflx://title/80000")));
  app->addOpenableURLScheme("NFLX");
  EXPECT_TRUE(app->canOpenURL(url("nflx://title/80000")));
  app->setOpenableURLSchemes({"nflx"});
  EXPECT_FALSE(app->canOpenURL(url("https://example.com"))) << "the set is replaced";
}

TEST_F(UIApplicationTest, TheCompletionOfOpenURLComesLaterOnTheMainQueue) {
  UIApplication* app = UIApplication::sharedApplication();
  int answers = 0;
  bool opened = false;
  app->openURL_options_completionHandler(url("https://example.com"), nullptr, [&](bool ok) {
    opened = ok;
    ++answers;
  });
  EXPECT_EQ(answers, 0);
  ASSERT_TRUE(runUntil([&] { return answers == 1; }));
  EXPECT_TRUE(opened);
  EXPECT_EQ(app->openedURLs().size(), 1u);
}

}  // namespace
