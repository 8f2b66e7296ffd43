// The strip as a picture shows what its views say: the icons' own pixels,
// meters filled to the scores, the percentages inside their labels.

#include <cmath>

#include "platform/uikit/render/picture.h"
#include "strip_fixture.h"

using namespace strip_test;
using uikit::render::Picture;
using uikit::render::RGBA;

namespace {

using StripPicture = StripTest;

bool near(RGBA a, RGBA b, int tolerance) {
  return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance && std::abs(a.b - b.b) <= tolerance;
}

// How many of the icon file's opaque pixels the picture shows unchanged at
// the image view's place (the icon file at the picture's scale fills the
// 32-point box exactly), and how many it has.
std::pair<int, int> iconPixelsShown(const Picture& p, UIImageView* view) {
  std::string file = view->image()->filePath();
  file = file.substr(0, file.rfind('.'));
  if (file.ends_with("@2x") || file.ends_with("@3x")) file.resize(file.size() - 3);
  Picture own = Picture::readPNG(file + "@" + std::to_string(p.scale()) + "x.png", p.scale());
  int x0 = static_cast<int>(std::lround(view->frame().origin.x * p.scale()));
  int y0 = static_cast<int>(std::lround(view->frame().origin.y * p.scale()));
  int opaque = 0, same = 0;
  for (int y = 0; y < own.height(); ++y)
    for (int x = 0; x < own.width(); ++x) {
      if (own.at(x, y).a != 255) continue;
      ++opaque;
      same += near(p.at(x0 + x, y0 + y), own.at(x, y), 3);
    }
  return {same, opaque};
}

// The pixels in the progress colour along the bar's middle row.
int filledPixels(const Picture& p, UIProgressView* bar) {
  CGRect f = bar->frame();
  int y = static_cast<int>((f.origin.y + f.size.height / 2) * p.scale());
  int filled = 0;
  for (int x = static_cast<int>(f.origin.x * p.scale()); x <= (f.origin.x + f.size.width) * p.scale(); ++x)
    filled += near(p.at(x, y), {230, 13, 20, 255}, 30);
  return filled;
}

}  // namespace

TEST_F(StripPicture, IconsAreTheIconsOwnPixelsAndMetersFillToTheScores) {
  if (!hasArtwork()) GTEST_SKIP() << "the module's resource folder is not reachable";
  Ref<CXEnhancedRatingViewContainer> strip = makeStrip();
  strip->updateContainerWithDisplayPageModel(cached(rating({.movie = false, .critic = 87, .audience = 55})));
  dispatch::MainRunLoop::runOnce();
  finishFadeIn();
  for (int i = 0; i < 100 && UIView::hasRunningAnimations(); ++i) {  // the meters fill after the fade
    advance(0.1);
    dispatch::MainRunLoop::runOnce();
  }
  strip->layoutIfNeeded();

  for (int scale : {2, 3}) {
    Picture p = uikit::render::drawView(strip, scale, UIColor::blackColor());
    for (UIImageView* icon : {strip->firstRatingImageView(), strip->secondRatingImageView()}) {
      auto [same, opaque] = iconPixelsShown(p, icon);
      EXPECT_GT(opaque, 100);
      EXPECT_EQ(same, opaque) << "scale " << scale << ", icon at x " << icon->frame().origin.x;
    }
    UIProgressView* critic = strip->firstRatingMeterProgressView();
    UIProgressView* audience = strip->secondRatingMeterProgressView();
    EXPECT_NEAR(filledPixels(p, critic), 0.87 * critic->frame().size.width * scale, 1 + 1e-9);
    EXPECT_NEAR(filledPixels(p, audience), 0.55 * audience->frame().size.width * scale, 1 + 1e-9);
  }
}
