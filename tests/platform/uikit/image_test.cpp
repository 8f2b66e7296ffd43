#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "platform/uikit/uikit_fixture.h"

namespace {

bool endsWith(const std::string& s, const std::string& suffix) {
  return s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

class UIImageTest : public UIKitTest {
 protected:
  void SetUp() override {
    UIKitTest::SetUp();
    bundle = NSBundle::bundleWithPath(NSString::stringWithUTF8String(resourceBundlePath()));
    ASSERT_TRUE(bundle) << "the shipped resource folder at " << resourceBundlePath();
  }
  Ref<UIImage> named(const char* name) {
    return UIImage::imageNamed_inBundle_compatibleWithTraitCollection(NSString::stringWithUTF8String(name), bundle,
                                                                      nullptr);
  }
  Ref<NSBundle> bundle;
};

TEST_F(UIImageTest, LoadsTheVariantOfTheScreensScaleWithItsSizeInPoints) {
  Ref<UIImage> tomato = named("tomato");
  ASSERT_TRUE(tomato);
  EXPECT_TRUE(endsWith(tomato->filePath(), "/tomato@3x.png")) << tomato->filePath();
  EXPECT_EQ(tomato->scale(), 3);
  EXPECT_EQ(tomato->size(), CGSizeMake(32, 32)) << "96 pixels at 3x";
  EXPECT_EQ(utf8(tomato->name()), "tomato");

  Ref<UIImage> chevron = named("new_chevron.png");
  ASSERT_TRUE(chevron) << "a trailing .png is accepted";
  EXPECT_EQ(chevron->size(), CGSizeMake(12, 20));

  UIScreen::mainScreen()->configureAsPad();
  Ref<UIImage> onPad = named("tomato");
  ASSERT_TRUE(onPad);
  EXPECT_TRUE(endsWith(onPad->filePath(), "/tomato@2x.png")) << onPad->filePath();
  EXPECT_EQ(onPad->size(), CGSizeMake(32, 32));
}

TEST_F(UIImageTest, AnswersNilForMissingOrEmptyNames) {
  EXPECT_EQ(named("no_such_image"), nullptr);
  EXPECT_EQ(named(""), nullptr);
  EXPECT_EQ(UIImage::imageNamed_inBundle_compatibleWithTraitCollection(nullptr, bundle, nullptr), nullptr);
}

TEST_F(UIImageTest, ANilBundleMeansTheMainBundle) {
  NSBundle::setMainBundlePath(resourceBundlePath());
  Ref<UIImage> x = UIImage::imageNamed("x"_ns);
  NSBundle::setMainBundlePath(std::filesystem::current_path().string());
  ASSERT_TRUE(x);
  EXPECT_TRUE(endsWith(x->filePath(), "/x@3x.png"));
}

TEST_F(UIImageTest, TemplateModeGivesANewImageOfTheSameFile) {
  Ref<UIImage> chevron = named("new_chevron");
  ASSERT_TRUE(chevron);
  EXPECT_EQ(chevron->renderingMode(), UIImageRenderingModeAutomatic);
  Ref<UIImage> tinted = chevron->imageWithRenderingMode(UIImageRenderingModeAlwaysTemplate);
  EXPECT_NE(tinted.get(), chevron.get());
  EXPECT_EQ(tinted->renderingMode(), UIImageRenderingModeAlwaysTemplate);
  EXPECT_EQ(chevron->renderingMode(), UIImageRenderingModeAutomatic) << "the original is unchanged";
  EXPECT_EQ(tinted->filePath(), chevron->filePath());
  EXPECT_EQ(tinted->size(), chevron->size());
}

TEST_F(UIImageTest, AFileThatIsNotAPNGGivesNil) {
  char dir[] = "/tmp/uikit-image-XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  std::ofstream(std::string(dir) + "/broken@3x.png") << "not a picture";
  // A 1x-only image: signature, then an IHDR of 40 x 20 pixels.
  const unsigned char head[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R',
                                0,    0,   0,   40,  0,    0,    0,    20};
  std::ofstream(std::string(dir) + "/plain.png", std::ios::binary).write(reinterpret_cast<const char*>(head), sizeof head);
  Ref<NSBundle> scratch = NSBundle::bundleWithPath(NSString::stringWithUTF8String(dir));
  ASSERT_TRUE(scratch);

  EXPECT_EQ(UIImage::imageNamed_inBundle_compatibleWithTraitCollection("broken"_ns, scratch, nullptr), nullptr);
  Ref<UIImage> plain = UIImage::imageNamed_inBundle_compatibleWithTraitCollection("plain"_ns, scratch, nullptr);
  ASSERT_TRUE(plain) << "the 1x file serves a 3x screen when it is the only one";
  EXPECT_EQ(plain->size(), CGSizeMake(40, 20));
  std::filesystem::remove_all(dir);
}

using UIImageViewTest = UIImageTest;

TEST_F(UIImageViewTest, ShowsItsImageAtItsNaturalSize) {
  Ref<UIImageView> icon = make<UIImageView>(CGRectZero);
  icon->setContentMode(UIViewContentModeScaleAspectFit);
  Ref<UIImage> smile = named("smile");
  icon->setImage(smile);
  EXPECT_EQ(objc_msgSend<Ref<UIImage>>(icon, "image").get(), smile.get());
  EXPECT_EQ(icon->intrinsicContentSize(), CGSizeMake(32, 32));
  EXPECT_EQ(icon->contentMode(), UIViewContentModeScaleAspectFit);
  EXPECT_FALSE(icon->isUserInteractionEnabled());
}

}  // namespace
