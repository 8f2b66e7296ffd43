#include "platform/uikit/layout_engine.h"

#include "platform/uikit/text_metrics.h"
#include "platform/uikit/uikit_fixture.h"

namespace {

Ref<NSLayoutConstraint> equal(UIView* a, NSLayoutAttribute aa, UIView* b, NSLayoutAttribute ba, CGFloat constant = 0) {
  return NSLayoutConstraint::constraintWithItem_attribute_relatedBy_toItem_attribute_multiplier_constant(
      a, aa, NSLayoutRelationEqual, b, ba, 1.0, constant);
}
void pinTo(UIView* a, NSLayoutAttribute aa, UIView* b, NSLayoutAttribute ba, CGFloat constant = 0) {
  equal(a, aa, b, ba, constant)->setActive(true);
}
void fix(UIView* v, NSLayoutAttribute attribute, CGFloat constant) {
  equal(v, attribute, nullptr, NSLayoutAttributeNotAnAttribute, constant)->setActive(true);
}

template <class V = UIView>
Ref<V> placed(UIView* parent) {
  Ref<V> v = make<V>();
  v->setTranslatesAutoresizingMaskIntoConstraints(false);
  parent->addSubview(v);
  return v;
}

Ref<UIView> rootOfSize(CGFloat width, CGFloat height) { return make<UIView>(CGRectMake(0, 0, width, height)); }

std::string str(CGRect r) {
  return "{" + std::to_string(r.origin.x) + ", " + std::to_string(r.origin.y) + ", " + std::to_string(r.size.width) +
         ", " + std::to_string(r.size.height) + "}";
}

#define EXPECT_FRAME(view, x, y, w, h) \
  EXPECT_EQ((view)->frame(), CGRectMake(x, y, w, h)) << #view " is at " << str((view)->frame())

// Tests that another test replaced the layout hook must not depend on order.
class ConstraintLayoutTest : public UIKitTest {
 protected:
  void SetUp() override {
    UIKitTest::SetUp();
    uikit::installConstraintLayout();
  }
};

}  // namespace

// Sizes come from the installed typeface, so these hold relations between
// measurements rather than numbers of one font.
TEST(TextMetrics, MeasuresWithTheInstalledTypefaceAtThePointSize) {
  CGSize size = uikit::measureText("87%"_ns, 14);
  EXPECT_GT(size.width, 14);
  EXPECT_LT(size.width, 3 * 14);
  EXPECT_NEAR(uikit::measureText("87%"_ns, 28).width, 2 * size.width, 0.01) << "widths scale with the size";
  EXPECT_NEAR(uikit::measureText("8787%%"_ns, 14).width, 2 * size.width, 0.5);
  EXPECT_EQ(uikit::measureText(nullptr, 14), CGSizeZero);
  EXPECT_EQ(uikit::measureText(""_ns, 14), CGSizeZero);
  CGSize lines = uikit::measureText("ab\nabcd"_ns, 10);
  EXPECT_DOUBLE_EQ(lines.width, uikit::measureText("abcd"_ns, 10).width) << "the widest line";
  EXPECT_DOUBLE_EQ(lines.height, 2 * uikit::measureText("ab"_ns, 10).height);
  // The host's typeface and the system's map to the regular face; bold is wider.
  UIFont::registerFontName("NetflixSansApp-Regular");
  Ref<UIFont> host = UIFont::fontWithName_size("NetflixSansApp-Regular"_ns, 14);
  EXPECT_EQ(uikit::measureText("87%"_ns, host), size);
  EXPECT_GT(uikit::measureText("87%"_ns, UIFont::boldSystemFontOfSize(14)).width, size.width);
}

TEST(TextMetrics, WrapsAtSpacesAndCutsAtTheLineLimit) {
  CGFloat line = uikit::measureText("aaa"_ns, 10).height;
  CGFloat room = uikit::measureText("aaa bbb"_ns, 10).width + 1;
  CGSize wrapped = uikit::measureText("aaa bbb ccc"_ns, 10, 0, room);
  EXPECT_NEAR(wrapped.width, room - 1, 0.5) << "\"aaa bbb\" fits, \"ccc\" goes to the next line";
  EXPECT_DOUBLE_EQ(wrapped.height, 2 * line);
  CGFloat word = uikit::measureText("abcdefghijkl"_ns, 10).width;
  EXPECT_DOUBLE_EQ(uikit::measureText("abcdefghijkl"_ns, 10, 0, word * 0.6).height, 2 * line)
      << "a word longer than the line is broken";
  EXPECT_DOUBLE_EQ(uikit::measureText("a b c d e f g h i j"_ns, 10, 2, 11).height, 2 * line) << "cut to two lines";
}

TEST_F(ConstraintLayoutTest, EdgesCentresAndConstantsPlaceSubviews) {
  Ref<UIView> root = rootOfSize(375, 80);
  Ref<UIView> icon = placed(root), bar = placed(root), centred = placed(root);
  pinTo(icon, NSLayoutAttributeLeading, root, NSLayoutAttributeLeading, 4);
  pinTo(icon, NSLayoutAttributeBottom, root, NSLayoutAttributeBottom, -4);
  fix(icon, NSLayoutAttributeWidth, 32);
  fix(icon, NSLayoutAttributeHeight, 32);
  pinTo(bar, NSLayoutAttributeLeading, icon, NSLayoutAttributeTrailing, 4);
  pinTo(bar, NSLayoutAttributeTrailing, root, NSLayoutAttributeTrailing, -4);
  pinTo(bar, NSLayoutAttributeCenterY, icon, NSLayoutAttributeCenterY);
  fix(bar, NSLayoutAttributeHeight, 2);
  pinTo(centred, NSLayoutAttributeCenterX, root, NSLayoutAttributeCenterX);
  pinTo(centred, NSLayoutAttributeCenterY, root, NSLayoutAttributeCenterY);
  fix(centred, NSLayoutAttributeWidth, 10);
  fix(centred, NSLayoutAttributeHeight, 20);

  root->layoutIfNeeded();
  EXPECT_FRAME(icon, 4, 44, 32, 32);
  EXPECT_FRAME(bar, 40, 59, 331, 2) << "its width follows from both edges";
  EXPECT_FRAME(centred, 182.5, 30, 10, 20);

  root->setFrame(CGRectMake(0, 0, 200, 40));
  root->layoutIfNeeded();
  EXPECT_FRAME(icon, 4, 4, 32, 32) << "a new size lays the subviews out again";
  EXPECT_FRAME(bar, 40, 19, 156, 2);
}

TEST_F(ConstraintLayoutTest, ViewsTakeTheirNaturalSizeWhereNothingFixesIt) {
  Ref<UIView> root = rootOfSize(300, 40);
  Ref<UILabel> label = placed<UILabel>(root);
  label->setFont(UIFont::systemFontOfSize(10));
  label->setText("100%"_ns);
  pinTo(label, NSLayoutAttributeLeading, root, NSLayoutAttributeLeading, 40);
  pinTo(label, NSLayoutAttributeCenterY, root, NSLayoutAttributeCenterY);
  Ref<UIView> after = placed(root);
  pinTo(after, NSLayoutAttributeLeading, label, NSLayoutAttributeTrailing, 4);
  pinTo(after, NSLayoutAttributeTop, root, NSLayoutAttributeTop);
  fix(after, NSLayoutAttributeWidth, 10);
  fix(after, NSLayoutAttributeHeight, 10);
  Ref<UIImageView> image = placed<UIImageView>(root);
  pinTo(image, NSLayoutAttributeTrailing, root, NSLayoutAttributeTrailing);
  pinTo(image, NSLayoutAttributeTop, root, NSLayoutAttributeTop);

  root->layoutIfNeeded();
  CGSize text = uikit::measureText("100%"_ns, 10);
  EXPECT_FRAME(label, 40, 20 - text.height / 2, text.width, text.height) << "the text's own size";
  EXPECT_FRAME(after, 44 + text.width, 0, 10, 10);
  EXPECT_FRAME(image, 300, 0, 0, 0) << "no image, no natural size: its size stays as it was";

  label->setText("5%"_ns);
  root->layoutIfNeeded();
  text = uikit::measureText("5%"_ns, 10);
  EXPECT_FRAME(label, 40, 20 - text.height / 2, text.width, text.height) << "a new text resizes the label";
  EXPECT_FRAME(after, 44 + text.width, 0, 10, 10) << "and moves the view that follows it";
}

TEST_F(ConstraintLayoutTest, TheLongerOfTwoAlignedLabelsDecidesTheirCommonEdge) {
  Ref<UIView> root = rootOfSize(300, 80);
  Ref<UILabel> shortText = placed<UILabel>(root), longText = placed<UILabel>(root);
  for (UILabel* l : {shortText.get(), longText.get()}) {
    l->setFont(UIFont::systemFontOfSize(10));
    pinTo(l, NSLayoutAttributeLeading, root, NSLayoutAttributeLeading, 40);
    pinTo(l, NSLayoutAttributeTop, root, NSLayoutAttributeTop);
  }
  shortText->setText("5%"_ns);
  longText->setText("100%"_ns);
  pinTo(shortText, NSLayoutAttributeTrailing, longText, NSLayoutAttributeTrailing);
  root->layoutIfNeeded();
  CGFloat longer = uikit::measureText("100%"_ns, 10).width;
  EXPECT_EQ(shortText->frame().size.width, longer) << "stretched to the longer text rather than cutting it";
  EXPECT_EQ(longText->frame().size.width, longer);
}

TEST_F(ConstraintLayoutTest, AWrappingLabelTakesTheLinesItsWidthNeeds) {
  Ref<UIView> root = rootOfSize(100, 100);
  Ref<UILabel> message = placed<UILabel>(root);
  message->setFont(UIFont::systemFontOfSize(10));
  message->setNumberOfLines(4);
  message->setText("aaa bbb ccc ddd eee fff ggg"_ns);
  pinTo(message, NSLayoutAttributeLeading, root, NSLayoutAttributeLeading, 28);
  pinTo(message, NSLayoutAttributeTrailing, root, NSLayoutAttributeTrailing, -28);
  pinTo(message, NSLayoutAttributeCenterY, root, NSLayoutAttributeCenterY);
  root->layoutIfNeeded();
  CGFloat line = uikit::measureText("aaa"_ns, 10).height;
  EXPECT_FRAME(message, 28, 50 - 2 * line, 44, 4 * line) << "two words a line: four lines, the last cut";
}

TEST_F(ConstraintLayoutTest, WhatNoConstraintDecidesKeepsItsFrame) {
  Ref<UIView> root = rootOfSize(300, 80);
  Ref<UIView> loose = placed(root);
  loose->setFrame(CGRectMake(7, 9, 11, 13));
  pinTo(loose, NSLayoutAttributeTop, root, NSLayoutAttributeTop, 2);
  Ref<UIView> framed = make<UIView>(CGRectMake(100, 10, 50, 20));  // translates its frame
  root->addSubview(framed);
  Ref<UIView> follower = placed(root);
  pinTo(follower, NSLayoutAttributeLeading, framed, NSLayoutAttributeTrailing, 5);
  pinTo(follower, NSLayoutAttributeTop, framed, NSLayoutAttributeBottom);
  fix(follower, NSLayoutAttributeWidth, 1);
  fix(follower, NSLayoutAttributeHeight, 1);
  // Neither solved nor a source of trouble: an inequality and an optional equality.
  NSLayoutConstraint::constraintWithItem_attribute_relatedBy_toItem_attribute_multiplier_constant(
      loose, NSLayoutAttributeLeading, NSLayoutRelationGreaterThanOrEqual, root, NSLayoutAttributeLeading, 1, 50)
      ->setActive(true);
  Ref<NSLayoutConstraint> optional = equal(loose, NSLayoutAttributeWidth, nullptr, NSLayoutAttributeNotAnAttribute, 99);
  optional->setPriority(UILayoutPriorityDefaultLow);
  optional->setActive(true);

  root->layoutIfNeeded();
  EXPECT_FRAME(loose, 7, 2, 11, 13) << "only its top is decided";
  EXPECT_FRAME(framed, 100, 10, 50, 20) << "a view that translates its frame stays where it is put";
  EXPECT_FRAME(follower, 155, 30, 1, 1);
}

TEST_F(ConstraintLayoutTest, ConstraintsToViewsElsewhereReadThemWhereTheyAre) {
  Ref<UIView> root = rootOfSize(300, 300);
  Ref<UIView> box = make<UIView>(CGRectMake(50, 100, 200, 100));
  root->addSubview(box);
  Ref<UIView> anchor = make<UIView>(CGRectMake(20, 0, 10, 30));
  root->addSubview(anchor);
  Ref<UIView> inner = placed(box);
  pinTo(inner, NSLayoutAttributeLeading, anchor, NSLayoutAttributeTrailing, 0);  // held by root
  pinTo(inner, NSLayoutAttributeTop, box, NSLayoutAttributeTop, 8);
  fix(inner, NSLayoutAttributeWidth, 5);
  fix(inner, NSLayoutAttributeHeight, 5);
  root->layoutIfNeeded();
  EXPECT_FRAME(inner, -20, 8, 5, 5) << "the anchor's trailing edge (x 30) in the box's coordinates";
}

TEST_F(ConstraintLayoutTest, ALayoutReportsTheFramesItChose) {
  Ref<UIView> root = rootOfSize(100, 50);
  Ref<UIView> child = placed(root);
  pinTo(child, NSLayoutAttributeLeading, root, NSLayoutAttributeLeading, 10);
  pinTo(child, NSLayoutAttributeTrailing, root, NSLayoutAttributeTrailing, -10);
  pinTo(child, NSLayoutAttributeTop, root, NSLayoutAttributeTop);
  pinTo(child, NSLayoutAttributeBottom, root, NSLayoutAttributeBottom);
  uikit::ConstraintLayout layout(root);
  EXPECT_FALSE(layout.frameFor(child).has_value()) << "nothing is arranged yet";
  layout.measure();
  layout.arrange();
  EXPECT_EQ(layout.frameFor(child), CGRectMake(10, 0, 80, 50));
  EXPECT_FALSE(layout.frameFor(root).has_value()) << "the container is not one of its subviews";
}
