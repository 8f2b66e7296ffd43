// Pictures hold to the view tree: each test draws a small tree and reads
// back the pixels where the views say something is.

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/uikit/render/picture.h"
#include "platform/uikit/text_metrics.h"
#include "platform/uikit/uikit_fixture.h"

using uikit::render::drawView;
using uikit::render::Picture;
using uikit::render::RGBA;

namespace {

RGBA rgba(const UIColor* c) {
  auto byte = [](CGFloat v) { return static_cast<std::uint8_t>(std::lround(std::clamp<double>(v, 0, 1) * 255)); };
  return {byte(c->red()), byte(c->green()), byte(c->blue()), byte(c->alpha())};
}

bool near(RGBA a, RGBA b, int tolerance = 2) {
  return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance && std::abs(a.b - b.b) <= tolerance &&
         std::abs(a.a - b.a) <= tolerance;
}

// The pixels (inclusive) that differ from the backdrop, or none.
struct Box {
  int left = 0, top = 0, right = -1, bottom = -1;
  bool empty() const { return right < left; }
};
Box inkOf(const Picture& p, RGBA backdrop, int x0 = 0, int y0 = 0, int x1 = -1, int y1 = -1) {
  if (x1 < 0) x1 = p.width() - 1;
  if (y1 < 0) y1 = p.height() - 1;
  Box box{x1 + 1, y1 + 1, -1, -1};
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x)
      if (!near(p.at(x, y), backdrop, 8)) {
        box.left = std::min(box.left, x), box.right = std::max(box.right, x);
        box.top = std::min(box.top, y), box.bottom = std::max(box.bottom, y);
      }
  if (box.right < 0) return {};
  return box;
}

const RGBA kBlack{0, 0, 0, 255};

Ref<UIView> blackRoot(CGFloat w, CGFloat h) {
  Ref<UIView> root = make<UIView>(CGRectMake(0, 0, w, h));
  root->setBackgroundColor(UIColor::blackColor());
  return root;
}

Ref<UILabel> whiteLabel(UIView* parent, CGRect frame, const char* text) {
  Ref<UILabel> label = make<UILabel>(frame);
  label->setText(NSString::stringWithUTF8String(text));
  label->setTextColor(UIColor::whiteColor());
  label->setFont(UIFont::systemFontOfSize(14));
  parent->addSubview(label);
  return label;
}

class RenderTest : public UIKitTest {};

}  // namespace

TEST_F(RenderTest, BackgroundsAlphaAndClippingShowAsTheViewsSay) {
  Ref<UIView> root = blackRoot(100, 60);
  Ref<UIView> red = make<UIView>(CGRectMake(10, 10, 30, 20));
  red->setBackgroundColor(UIColor::redColor());
  root->addSubview(red);
  Ref<UIView> half = make<UIView>(CGRectMake(50, 10, 30, 20));
  half->setBackgroundColor(UIColor::whiteColor());
  half->setAlpha(0.5);
  root->addSubview(half);
  // A clipping parent cuts its child at its own edge.
  Ref<UIView> clip = make<UIView>(CGRectMake(10, 40, 20, 10));
  clip->setClipsToBounds(true);
  Ref<UIView> wide = make<UIView>(CGRectMake(0, 0, 60, 10));
  wide->setBackgroundColor(UIColor::greenColor());
  clip->addSubview(wide);
  root->addSubview(clip);

  for (int scale : {1, 2, 3}) {
    Picture p = drawView(root, scale);
    ASSERT_EQ(p.width(), 100 * scale);
    ASSERT_EQ(p.height(), 60 * scale);
    EXPECT_EQ(p.atPoint({25, 20}), rgba(UIColor::redColor())) << "scale " << scale;
    EXPECT_TRUE(near(p.atPoint({65, 20}), {128, 128, 128, 255})) << "white at half alpha over black";
    EXPECT_EQ(p.atPoint({25, 45}), rgba(UIColor::greenColor()));
    EXPECT_EQ(p.atPoint({45, 45}), kBlack) << "clipped off";
  }
  clip->setClipsToBounds(false);
  EXPECT_EQ(drawView(root, 1).atPoint({45, 45}), rgba(UIColor::greenColor()));
}

TEST_F(RenderTest, HiddenOrTransparentViewsAndTheirSubviewsLeaveNoInk) {
  Ref<UIView> root = blackRoot(120, 40);
  Ref<UIView> parent = make<UIView>(CGRectMake(0, 0, 120, 40));
  root->addSubview(parent);
  Ref<UIView> box = make<UIView>(CGRectMake(5, 5, 20, 20));
  box->setBackgroundColor(UIColor::whiteColor());
  parent->addSubview(box);
  whiteLabel(parent, CGRectMake(30, 5, 80, 30), "Shown");
  ASSERT_FALSE(inkOf(drawView(root, 2), kBlack).empty());

  parent->setHidden(true);
  EXPECT_TRUE(inkOf(drawView(root, 2), kBlack).empty());
  parent->setHidden(false);
  parent->setAlpha(0);
  EXPECT_TRUE(inkOf(drawView(root, 2), kBlack).empty());
}

TEST_F(RenderTest, LabelInkLiesInsideItsFrameAndFollowsItsAlignment) {
  Ref<UIView> root = blackRoot(200, 60);
  Ref<UILabel> label = whiteLabel(root, CGRectMake(20, 10, 160, 40), "87%");
  for (NSTextAlignment align : {NSTextAlignmentLeft, NSTextAlignmentCenter, NSTextAlignmentRight}) {
    label->setTextAlignment(align);
    Picture p = drawView(root, 2);
    Box ink = inkOf(p, kBlack);
    ASSERT_FALSE(ink.empty());
    EXPECT_GE(ink.left, 20 * 2);
    EXPECT_LE(ink.right, 180 * 2);
    EXPECT_GE(ink.top, 10 * 2);
    EXPECT_LE(ink.bottom, 50 * 2);
    double middle = (ink.left + ink.right) / 4.0;  // in points
    double expected = align == NSTextAlignmentLeft ? 20 + (middle - 20) : align == NSTextAlignmentCenter ? 100 : 180 - (180 - middle);
    EXPECT_NEAR(middle, expected, 3);
    if (align == NSTextAlignmentLeft) {
      EXPECT_LT(middle, 50);
    } else if (align == NSTextAlignmentRight) {
      EXPECT_GT(middle, 150);
    }
    EXPECT_NEAR((ink.top + ink.bottom) / 4.0, 30, 3) << "set in the middle of its height";
  }
  // The measured width is the drawn one: text laid out to its size fits.
  CGSize size = uikit::measureText(label->text(), label->font());
  label->setTextAlignment(NSTextAlignmentLeft);
  label->setFrame(CGRectMake(20, 10, size.width, size.height));
  Box ink = inkOf(drawView(root, 3), kBlack);
  EXPECT_NEAR(ink.right / 3.0, 20 + size.width, 1.5);
}

TEST_F(RenderTest, ATooWideLabelIsCutAsItsLineBreakModeSays) {
  Ref<UIView> root = blackRoot(140, 30);
  Ref<UILabel> label = whiteLabel(root, CGRectMake(10, 5, 100, 20), "HHHHHHHHHHHHHHHHHHHHHHHHHHHH");
  ASSERT_GT(uikit::measureText(label->text(), label->font()).width, 150) << "the fault: wider than its frame";
  // The ellipsis is low dots; an H stands the whole cap height. So the ink
  // height at each end of the line shows where the text was cut.
  auto endHeights = [&](NSLineBreakMode mode) {
    label->setLineBreakMode(mode);
    Picture p = drawView(root, 2);
    Box all = inkOf(p, kBlack);
    EXPECT_GE(all.left, 20);
    EXPECT_LE(all.right, 220) << "no ink outside the frame, mode " << mode;
    Box left = inkOf(p, kBlack, all.left, 0, all.left + 4);
    Box right = inkOf(p, kBlack, all.right - 4, 0, all.right);
    return std::tuple(left.bottom - left.top, right.bottom - right.top, all.right);
  };
  auto [tailLeft, tailRight, tailEnd] = endHeights(NSLineBreakByTruncatingTail);
  EXPECT_GT(tailLeft, 2 * tailRight) << "letters first, an ellipsis last";
  auto [headLeft, headRight, headEnd] = endHeights(NSLineBreakByTruncatingHead);
  EXPECT_GT(headRight, 2 * headLeft) << "an ellipsis first, letters last";
  auto [clipLeft, clipRight, clipEnd] = endHeights(NSLineBreakByClipping);
  EXPECT_GT(clipLeft, 2 * tailRight) << "no ellipsis";
  EXPECT_GE(clipEnd, 218) << "letters run to the frame's edge and are cut there";
  (void)clipRight, (void)tailEnd, (void)headEnd;
}

TEST_F(RenderTest, AWrappingLabelShowsTheLinesItsHeightHoldsAndATooShortLineIsCentred) {
  Ref<UIView> root = blackRoot(140, 120);
  Ref<UILabel> label = whiteLabel(root, CGRectMake(10, 10, 100, 100), "one two three four five six seven eight nine ten");
  label->setNumberOfLines(0);
  CGFloat line = uikit::measureText("H"_ns, label->font()).height;
  CGFloat all = uikit::measureText(label->text(), label->font(), 0, 100).height;
  ASSERT_GT(all, 3.5 * line);
  label->setFrame(CGRectMake(10, 10, 100, all));
  Box ink = inkOf(drawView(root, 2), kBlack);
  EXPECT_GT((ink.bottom - ink.top) / 2.0, all - line) << "every line shows, not one ellipsized";
  // Room for two lines and a half: two show, centred, the second truncated.
  label->setFrame(CGRectMake(10, 10, 100, 2.5 * line));
  ink = inkOf(drawView(root, 2), kBlack);
  EXPECT_GT((ink.bottom - ink.top) / 2.0, line);
  EXPECT_LT((ink.bottom - ink.top) / 2.0, 2 * line);
  EXPECT_GE(ink.top, 2 * (10 + line / 4) - 2) << "the two lines sit in the middle";

  // One line in a frame shorter than it is cut evenly above and below, as on
  // the device, so capitals lose their tops where descenders lose their tails.
  label->setNumberOfLines(1);
  label->setText("Hg"_ns);
  label->setFrame(CGRectMake(10, 10, 100, line - 6));
  ink = inkOf(drawView(root, 2), kBlack);
  EXPECT_EQ(ink.top, 2 * 10) << "the capital reaches past the top edge";
  EXPECT_NEAR(ink.bottom, 2 * (10 + line - 6), 1) << "the tail is cut at the bottom edge";
}

TEST_F(RenderTest, AMeterFillsProgressTimesItsWidthWithinOnePixel) {
  Ref<UIView> root = blackRoot(200, 20);
  Ref<UIProgressView> bar = make<UIProgressView>();
  bar->setFrame(CGRectMake(13, 8, 151, 4));
  bar->setTrackTintColor(UIColor::lightGrayColor());
  bar->setProgressTintColor(UIColor::redColor());
  root->addSubview(bar);
  for (float progress : {0.0f, 0.13f, 0.5f, 0.87f, 1.0f})
    for (int scale : {1, 2, 3}) {
      bar->setProgress(progress);
      Picture p = drawView(root, scale);
      int filled = 0, track = 0;
      for (int x = 0; x < p.width(); ++x) {
        RGBA px = p.at(x, 10 * scale);
        filled += near(px, rgba(UIColor::redColor()), 40);
        track += near(px, rgba(UIColor::lightGrayColor()), 40);
      }
      EXPECT_NEAR(filled, progress * 151 * scale, 1) << "progress " << progress << " scale " << scale;
      EXPECT_NEAR(filled + track, 151 * scale, 1);
    }
}

TEST_F(RenderTest, ImagesShowTheirOwnPixelsAndTemplatesTakeTheTint) {
  Ref<NSBundle> bundle = NSBundle::bundleWithPath(NSString::stringWithUTF8String(resourceBundlePath()));
  ASSERT_TRUE(bundle);
  Ref<UIView> root = blackRoot(80, 40);
  Ref<UIImageView> tomato = make<UIImageView>(CGRectMake(4, 4, 32, 32));
  tomato->setImage(UIImage::imageNamed_inBundle_compatibleWithTraitCollection("tomato"_ns, bundle, nullptr));
  tomato->setContentMode(UIViewContentModeScaleAspectFit);
  root->addSubview(tomato);
  ASSERT_TRUE(tomato->image());

  // At 2x a 32-point box shows the @2x file pixel for pixel.
  Picture p = drawView(root, 2);
  Picture own = Picture::readPNG(resourceBundlePath() + "/tomato@2x.png", 2);
  ASSERT_EQ(own.width(), 64);
  int opaque = 0, differing = 0;
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      RGBA want = own.at(x, y);
      if (want.a != 255) continue;
      ++opaque;
      differing += !near(p.at(8 + x, 8 + y), want, 3);
    }
  EXPECT_GT(opaque, 500);
  EXPECT_EQ(differing, 0);

  Ref<UIImageView> chevron = make<UIImageView>(CGRectMake(44, 4, 32, 32));
  chevron->setImage(UIImage::imageNamed_inBundle_compatibleWithTraitCollection("new_chevron"_ns, bundle, nullptr)
                        ->imageWithRenderingMode(UIImageRenderingModeAlwaysTemplate));
  chevron->setContentMode(UIViewContentModeCenter);
  chevron->setTintColor(UIColor::greenColor());
  root->addSubview(chevron);
  p = drawView(root, 2);
  Box ink = inkOf(p, kBlack, 88, 0);
  ASSERT_FALSE(ink.empty());
  int green = 0, other = 0;
  for (int y = ink.top; y <= ink.bottom; ++y)
    for (int x = ink.left; x <= ink.right; ++x) {
      RGBA px = p.at(x, y);
      if (near(px, kBlack, 8)) continue;
      (px.r == 0 && px.b == 0 && px.g > 0 ? green : other) += 1;
    }
  EXPECT_GT(green, 20);
  EXPECT_EQ(other, 0) << "a template keeps only its shape, in the tint";
}

TEST_F(RenderTest, SwitchesShowOnAndOffAndPicturesWriteAsPNG) {
  Ref<UIView> root = blackRoot(60, 40);
  Ref<UISwitch> toggle = make<UISwitch>();
  toggle->setFrame(CGRectMake(4, 4, 51, 31));
  root->addSubview(toggle);
  Picture off = drawView(root, 2);
  toggle->setOn(true);
  Picture on = drawView(root, 2);
  // The track's left end shows the on colour only when on; the knob moves.
  EXPECT_GT(on.atPoint({10, 19.5}).g, 150);
  toggle->setOnTintColor(UIColor::blueColor());
  EXPECT_EQ(drawView(root, 2).atPoint({10, 19.5}), rgba(UIColor::blueColor())) << "its own on colour";
  toggle->setOnTintColor(nullptr);
  EXPECT_LT(std::abs(off.atPoint({10, 19.5}).r - off.atPoint({10, 19.5}).g), 10) << "off: white knob on grey";
  EXPECT_EQ(on.atPoint({40, 19.5}), (RGBA{255, 255, 255, 255}));

  std::string path = ::testing::TempDir() + "/render_test_switch.png";
  std::string error;
  ASSERT_TRUE(on.writePNG(path, &error)) << error;
  Picture back = Picture::readPNG(path, 2);
  std::remove(path.c_str());
  EXPECT_EQ(back.width(), 120);
  EXPECT_EQ(back.atPoint({40, 19.5}), on.atPoint({40, 19.5}));
  EXPECT_FALSE(on.writePNG("/nonexistent-dir/x.png", &error));
  EXPECT_NE(error.find("/nonexistent-dir/x.png"), std::string::npos);
}

TEST_F(RenderTest, ACellDrawsItsStandardAccessoryOnlyWithoutAnAccessoryView) {
  Ref<UIView> root = blackRoot(200, 44);
  Ref<UITableViewCell> cell = make<UITableViewCell>(CGRectMake(0, 0, 200, 44));
  root->addSubview(cell);
  auto trailingInk = [&] { return inkOf(drawView(root, 2), kBlack, 2 * 166, 0); };
  EXPECT_TRUE(trailingInk().empty());
  cell->setAccessoryType(UITableViewCellAccessoryDisclosureIndicator);
  Box chevron = trailingInk();
  ASSERT_FALSE(chevron.empty());
  EXPECT_NEAR((chevron.top + chevron.bottom) / 4.0, 22, 1) << "centred on the row";

  Ref<UISwitch> toggle = make<UISwitch>();
  cell->setAccessoryView(toggle);
  cell->layoutIfNeeded();
  Picture p = drawView(root, 2);
  EXPECT_TRUE(near(p.atPoint({CGRectGetMidX(toggle->frame()) + 12, 22}), {229, 229, 234, 255})) << "the switch, off";
  EXPECT_TRUE(inkOf(p, kBlack, 2 * 186, 0).empty()) << "no chevron beside the accessory view";
}
