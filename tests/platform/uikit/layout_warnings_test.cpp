// Self-sizing cells and the layout warnings: what the engine reports, and
// that a cell asked for its size makes room for a view inserted above its
// content instead of squashing it.

#include <algorithm>

#include "platform/uikit/layout_engine.h"
#include "platform/uikit/uikit_fixture.h"

namespace {

void pinEdge(UIView* a, NSLayoutAttribute aa, UIView* b, NSLayoutAttribute ba, CGFloat constant = 0) {
  NSLayoutConstraint::constraintWithItem_attribute_relatedBy_toItem_attribute_multiplier_constant(
      a, aa, NSLayoutRelationEqual, b, ba, 1.0, constant)
      ->setActive(true);
}
void fixEdge(UIView* v, NSLayoutAttribute attribute, CGFloat constant) {
  pinEdge(v, attribute, nullptr, NSLayoutAttributeNotAnAttribute, constant);
}

// A view with a natural height, as a button row is.
class Tall : public UIView {
 public:
  CGSize intrinsicContentSize() const override { return {UIViewNoIntrinsicMetric, 104}; }
};

template <class V = UIView>
Ref<V> placed(UIView* parent, const char* name) {
  Ref<V> v = make<V>();
  v->setTranslatesAutoresizingMaskIntoConstraints(false);
  v->setAccessibilityIdentifier(NSString::stringWithUTF8String(name));
  v->setBackgroundColor(UIColor::redColor());
  parent->addSubview(v);
  return v;
}

bool mentions(const std::vector<std::string>& warnings, const std::string& text) {
  return std::any_of(warnings.begin(), warnings.end(), [&](const std::string& w) { return w.find(text) != w.npos; });
}

std::string joined(const std::vector<std::string>& warnings) {
  std::string out;
  for (const std::string& w : warnings) out += w + "\n";
  return out;
}

class LayoutWarningsTest : public UIKitTest {
 protected:
  void SetUp() override {
    UIKitTest::SetUp();
    uikit::installConstraintLayout();
    uikit::clearLayoutWarnings();
    static Class tall = objc::registerClass<Tall>("LayoutWarningsTestTall", objc::classOf<UIView>());
    (void)tall;
  }

  // A cell like the current page's play-button cell once a strip is in it:
  // the strip pokes 8 points above the top, the button hangs 8 below it.
  struct StripCell {
    Ref<UICollectionViewCell> cell;
    Ref<UIView> strip, button;
  };
  static StripCell stripCell() {
    StripCell s{make<UICollectionViewCell>(CGRectZero), nullptr, nullptr};
    UIView* content = s.cell->contentView();
    s.button = placed<Tall>(content, "button");
    s.strip = placed(content, "strip");
    pinEdge(s.button, NSLayoutAttributeLeading, content, NSLayoutAttributeLeading);
    pinEdge(s.button, NSLayoutAttributeTrailing, content, NSLayoutAttributeTrailing);
    pinEdge(s.button, NSLayoutAttributeBottom, content, NSLayoutAttributeBottom);
    pinEdge(s.strip, NSLayoutAttributeLeading, content, NSLayoutAttributeLeading);
    pinEdge(s.strip, NSLayoutAttributeTrailing, content, NSLayoutAttributeTrailing);
    pinEdge(s.strip, NSLayoutAttributeTop, content, NSLayoutAttributeTop, -8);
    fixEdge(s.strip, NSLayoutAttributeHeight, 80);
    pinEdge(s.strip, NSLayoutAttributeBottom, s.button, NSLayoutAttributeTop, -8);
    return s;
  }
};

TEST_F(LayoutWarningsTest, ASelfSizingCellGrowsForAnInsertedViewAndKeepsItsNeighboursHeight) {
  StripCell s = stripCell();
  CGSize size = s.cell->systemLayoutSizeFittingSize(CGSizeMake(375, 0));
  EXPECT_EQ(size, CGSizeMake(375, 184)) << "-8 + 80 + 8 + the button's own 104";
  s.cell->setFrame(CGRectMake(0, 0, size.width, size.height));
  s.cell->layoutIfNeeded();
  EXPECT_EQ(s.strip->frame(), CGRectMake(0, -8, 375, 80));
  EXPECT_EQ(s.button->frame(), CGRectMake(0, 80, 375, 104)) << "the button keeps its height below the strip";
  EXPECT_TRUE(uikit::auditLayout(s.cell).empty()) << joined(uikit::layoutWarnings())
                                                  << "an overhang into the cell above is the design's";
  EXPECT_TRUE(uikit::layoutWarnings().empty());
}

TEST_F(LayoutWarningsTest, AFixedHeightCellSquashesTheButtonBelowItsNaturalHeight) {
  StripCell s = stripCell();
  s.cell->setFrame(CGRectMake(0, 0, 375, 104));
  s.cell->layoutIfNeeded();
  EXPECT_TRUE(uikit::layoutWarnings().empty()) << "a natural size gives way without breaking a constraint";
  std::vector<std::string> audit = uikit::auditLayout(s.cell);
  ASSERT_EQ(audit.size(), 1u) << joined(audit);
  EXPECT_EQ(audit[0], "Squashed in UIView: button is 24 high, below its natural 104");
}

TEST_F(LayoutWarningsTest, AConflictIntroducedOnPurposeIsReportedOnlyWhileItStands) {
  Ref<UIView> root = make<UIView>(CGRectMake(0, 0, 200, 100));
  Ref<UIView> a = placed(root, "a");
  pinEdge(a, NSLayoutAttributeLeading, root, NSLayoutAttributeLeading);
  pinEdge(a, NSLayoutAttributeTop, root, NSLayoutAttributeTop);
  fixEdge(a, NSLayoutAttributeWidth, 50);
  fixEdge(a, NSLayoutAttributeHeight, 40);
  root->layoutIfNeeded();
  EXPECT_TRUE(uikit::auditLayout(root).empty()) << joined(uikit::layoutWarnings());

  Ref<NSLayoutConstraint> conflict = NSLayoutConstraint::constraintWithItem_attribute_relatedBy_toItem_attribute_multiplier_constant(
      a, NSLayoutAttributeBottom, NSLayoutRelationEqual, root, NSLayoutAttributeBottom, 1.0, 0);
  conflict->setActive(true);
  root->layoutIfNeeded();
  ASSERT_EQ(uikit::layoutWarnings().size(), 1u) << joined(uikit::layoutWarnings());
  EXPECT_EQ(uikit::layoutWarnings()[0], "Unable to simultaneously satisfy constraints in UIView: breaking a.height == 40")
      << "the container's constraints are met first; the one broken is named by its views";
  conflict->setActive(false);
  uikit::clearLayoutWarnings();
  root->setNeedsLayout();
  root->layoutIfNeeded();
  EXPECT_TRUE(uikit::auditLayout(root).empty()) << joined(uikit::layoutWarnings());
}

TEST_F(LayoutWarningsTest, AnAuditFindsAmbiguityOverlapAndViewsOutsideTheirCell) {
  Ref<UICollectionViewCell> cell = make<UICollectionViewCell>(CGRectMake(0, 0, 300, 44));
  UIView* content = cell->contentView();
  Ref<UIView> loose = placed(content, "loose");
  pinEdge(loose, NSLayoutAttributeLeading, content, NSLayoutAttributeLeading);
  fixEdge(loose, NSLayoutAttributeWidth, 10);
  fixEdge(loose, NSLayoutAttributeHeight, 10);  // no vertical place
  Ref<UIView> first = placed(content, "first"), second = placed(content, "second"), below = placed(content, "below");
  for (UIView* v : {first.get(), second.get(), below.get()}) {
    fixEdge(v, NSLayoutAttributeWidth, 40);
    fixEdge(v, NSLayoutAttributeHeight, 20);
    pinEdge(v, NSLayoutAttributeLeading, content, NSLayoutAttributeLeading, 100);
  }
  pinEdge(first, NSLayoutAttributeTop, content, NSLayoutAttributeTop, 0);
  pinEdge(second, NSLayoutAttributeTop, content, NSLayoutAttributeTop, 10);
  pinEdge(below, NSLayoutAttributeTop, content, NSLayoutAttributeTop, 60);
  cell->layoutIfNeeded();

  std::vector<std::string> audit = uikit::auditLayout(cell);
  EXPECT_TRUE(mentions(audit, "Ambiguous layout in UIView: no constraint decides the vertical frame of loose"))
      << joined(audit);
  EXPECT_TRUE(mentions(audit, "Overlap in UIView: first and second paint over each other")) << joined(audit);
  EXPECT_TRUE(mentions(audit, "Outside its cell: below in UICollectionViewCell")) << joined(audit);
  EXPECT_FALSE(mentions(audit, "first and below")) << joined(audit);

  // What paints nothing overlaps nothing and is nowhere.
  second->setAlpha(0);
  below->setHidden(true);
  audit = uikit::auditLayout(cell);
  EXPECT_FALSE(mentions(audit, "Overlap")) << joined(audit);
  EXPECT_FALSE(mentions(audit, "Outside")) << joined(audit);
  EXPECT_EQ(uikit::layoutWarnings().size(), 3u) << "each text once, for the process: " << joined(uikit::layoutWarnings());
}

// As a one-row strip leaves its unused second row: a hidden label with no
// horizontal place, and a bar hanging from its trailing edge.
TEST_F(LayoutWarningsTest, AHiddenViewStillTakesPartSoItsAmbiguityAndWhatHangsOnItAreReported) {
  Ref<UICollectionViewCell> cell = make<UICollectionViewCell>(CGRectMake(0, 0, 300, 44));
  UIView* content = cell->contentView();
  Ref<UIView> label = placed(content, "label"), bar = placed(content, "bar"), solid = placed(content, "solid");
  label->setHidden(true);
  for (UIView* v : {label.get(), bar.get(), solid.get()}) {
    fixEdge(v, NSLayoutAttributeWidth, 20);
    fixEdge(v, NSLayoutAttributeHeight, 4);
    pinEdge(v, NSLayoutAttributeCenterY, content, NSLayoutAttributeCenterY);
  }
  pinEdge(bar, NSLayoutAttributeLeading, label, NSLayoutAttributeTrailing, 4);
  pinEdge(solid, NSLayoutAttributeLeading, content, NSLayoutAttributeLeading, 200);
  cell->layoutIfNeeded();

  std::vector<std::string> audit = uikit::auditLayout(cell);
  EXPECT_TRUE(mentions(audit, "no constraint decides the horizontal frame of label")) << joined(audit);
  EXPECT_TRUE(mentions(audit, "no constraint decides the horizontal frame of bar")) << joined(audit);
  EXPECT_FALSE(mentions(audit, "of solid")) << joined(audit);
  EXPECT_FALSE(mentions(audit, "vertical")) << joined(audit);
}

// The older title page on 11.0 to 13.13 placed its strip 8 points above the
// summary cell while nothing stood above the cell: the screen's top cut it.
TEST_F(LayoutWarningsTest, TheScreensEdgeCuttingAViewIsReportedButAnOverhangOntoTheArtAboveIsNot) {
  Ref<UIView> screen = make<UIView>(CGRectMake(0, 0, 375, 300));
  screen->setBackgroundColor(UIColor::blackColor());
  Ref<UICollectionView> list = make<UICollectionView>(CGRectMake(0, 0, 375, 300));
  screen->addSubview(list);
  Ref<UICollectionViewCell> art = make<UICollectionViewCell>(CGRectMake(0, 0, 375, 100));
  art->contentView()->setBackgroundColor(UIColor::grayColor());
  StripCell s = stripCell();
  s.cell->setFrame(CGRectMake(0, 100, 375, 184));
  Ref<UICollectionViewCell> below = make<UICollectionViewCell>(CGRectMake(0, 284, 375, 100));
  below->contentView()->setBackgroundColor(UIColor::redColor());
  for (UICollectionViewCell* cell : {art.get(), s.cell.get(), below.get()}) list->addSubview(cell);
  s.cell->layoutIfNeeded();
  ASSERT_EQ(s.strip->frame().origin.y, -8);
  std::vector<std::string> audit = uikit::auditLayout(screen);
  EXPECT_TRUE(audit.empty()) << joined(audit) << "the strip reaches onto the art; the list scrolls to the rest";

  art->removeFromSuperview();
  s.cell->setFrame(CGRectMake(0, 0, 375, 184));
  audit = uikit::auditLayout(screen);
  ASSERT_EQ(audit.size(), 1u) << joined(audit);
  EXPECT_EQ(audit[0], "Cut by the screen's edge: strip in UIView lies at x 0 to 375, y -8 to 72; the screen shows x 0 to "
                      "375, y 0 down");

  Ref<UIView> wide = placed(screen, "wide");
  wide->setFrame(CGRectMake(300, 10, 100, 20));
  EXPECT_TRUE(mentions(uikit::auditLayout(screen), "Cut by the screen's edge: wide in UIView lies at x 300 to 400"));
  EXPECT_FALSE(mentions(uikit::auditLayout(s.cell), "Cut")) << "a cell audited alone is no screen";
}

}  // namespace
