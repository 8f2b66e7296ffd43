#include <string>
#include <vector>

#include "platform/uikit/text_metrics.h"
#include "platform/uikit/touch.h"
#include "platform/uikit/uikit_fixture.h"

namespace {

std::vector<std::string>& journal() {
  static std::vector<std::string> calls;
  return calls;
}
long& sectionCount() {
  static long n = 2;
  return n;
}

// A host-style controller answering every table question by message; the
// journal records the order the table asked in.
Class sourceClass() {
  static Class cls = [] {
    Class c = runtimeSubclass(objc::classOf<NSObject>(), "UIKitTestTableSource");
    class_addMethod(c, sel("numberOfSectionsInTableView:"), IMP(+[](id, SEL, id) -> long {
                      journal().push_back("sections");
                      return sectionCount();
                    }),
                    "q@:@");
    class_addMethod(c, sel("tableView:numberOfRowsInSection:"), IMP(+[](id, SEL, id, long s) -> long {
                      journal().push_back("rows " + std::to_string(s));
                      return s + 1;
                    }),
                    "q@:@q");
    class_addMethod(c, sel("tableView:heightForHeaderInSection:"), IMP(+[](id, SEL, id, long s) -> double {
                      journal().push_back("height " + std::to_string(s));
                      return s == 0 ? 0.0 : UITableViewAutomaticDimension;
                    }),
                    "d@:@q");
    class_addMethod(c, sel("tableView:viewForHeaderInSection:"), IMP(+[](id, SEL, id table, long s) -> StrongId {
                      journal().push_back("header " + std::to_string(s));
                      return objc_msgSend<StrongId>(table, "dequeueReusableHeaderFooterViewWithIdentifier:", "group"_ns);
                    }),
                    "@@:@q");
    class_addMethod(c, sel("tableView:cellForRowAtIndexPath:"), IMP(+[](id, SEL, id table, id path) -> StrongId {
                      journal().push_back("cell " + std::to_string(objc_msgSend<long>(path, "section")) + "." +
                                          std::to_string(objc_msgSend<long>(path, "row")));
                      return objc_msgSend<StrongId>(table, "dequeueReusableCellWithIdentifier:forIndexPath:", "row"_ns, path);
                    }),
                    "@@:@@");
    class_addMethod(c, sel("tableView:willDisplayCell:forRowAtIndexPath:"),
                    IMP(+[](id, SEL, id, id, id) { journal().push_back("display"); }), "v@:@@@");
    // Deselects first, as host handlers do, then reads the path it was given.
    class_addMethod(c, sel("tableView:didSelectRowAtIndexPath:"), IMP(+[](id, SEL, id table, id path) {
                      objc_msgSend<void>(table, "deselectRowAtIndexPath:animated:", path, true);
                      journal().push_back("select " + std::to_string(objc_msgSend<long>(path, "row")));
                    }),
                    "v@:@@");
    return c;
  }();
  return cls;
}

class UITableViewTest : public UIKitTest {
 protected:
  void SetUp() override {
    UIKitTest::SetUp();
    journal().clear();
    sectionCount() = 2;
    table->registerClass_forCellReuseIdentifier(objc::classOf<UITableViewCell>(), "row"_ns);
    table->registerClass_forHeaderFooterViewReuseIdentifier(objc::classOf<UITableViewHeaderFooterView>(), "group"_ns);
    table->setDataSource(source);
    table->setDelegate(source);
  }
  StrongId source = StrongId::adopt(class_createInstance(sourceClass(), 0));
  Ref<UITableView> table = make<UITableView>(CGRectMake(0, 0, 375, 800));
};

TEST_F(UITableViewTest, LoadsOnFirstLayoutAskingInTheDevicesOrder) {
  table->layoutIfNeeded();
  EXPECT_EQ(journal(), (std::vector<std::string>{"sections", "rows 0", "rows 1", "height 0", "height 1", "header 0",
                                                 "cell 0.0", "display", "header 1", "cell 1.0", "display", "cell 1.1",
                                                 "display"}));
  journal().clear();
  table->setNeedsLayout();
  table->layoutIfNeeded();
  EXPECT_TRUE(journal().empty()) << "a later layout does not ask again";

  EXPECT_EQ(table->answeredHeaderHeightForSection(1), UITableViewAutomaticDimension);
  EXPECT_EQ(table->rectForHeaderInSection(0).size.height, 0) << "an explicit 0 takes no room";
  EXPECT_EQ(table->rectForHeaderInSection(1).size.height, UITableView::kAutomaticHeaderHeight);
  EXPECT_EQ(table->rectForRowAtIndexPath(NSIndexPath::indexPathForRow_inSection(1, 1)).origin.y,
            UITableView::kAutomaticRowHeight * 2 + UITableView::kAutomaticHeaderHeight);
  EXPECT_EQ(table->visibleCells()->count(), 3u);
  // A dequeued header is made at zero size; what it shows goes in its content view.
  Ref<UIView> header = table->headerViewForSection(1);
  auto* reusable = objc_cast<UITableViewHeaderFooterView>(header.get());
  ASSERT_TRUE(reusable);
  EXPECT_TRUE(CGRectEqualToRect(reusable->contentView()->frame(), CGRectMake(0, 0, 375, UITableView::kAutomaticHeaderHeight)))
      << "the content view fills the header the table placed";
}

TEST_F(UITableViewTest, AReplacedDataSourceMethodDecidesWhatIsShown) {
  // What a hooking module does: the replacement calls through and adds one.
  static IMP saved;
  MSHookMessageEx(sourceClass(), sel("numberOfSectionsInTableView:"),
                  IMP(+[](id self, SEL cmd, id tableView) -> long { return imp_call<long>(saved, self, cmd, tableView) + 1; }),
                  &saved);
  table->reloadData();
  MSHookMessageEx(sourceClass(), sel("numberOfSectionsInTableView:"), saved, &saved);
  EXPECT_EQ(table->numberOfSections(), 3);
  EXPECT_EQ(table->numberOfRowsInSection(2), 3);
}

TEST_F(UITableViewTest, ReloadRecyclesCellsAndHeadersAndFollowsTheNewCount) {
  table->reloadData();
  Ref<UIView> header = table->headerViewForSection(1);
  sectionCount() = 1;
  table->reloadData();
  EXPECT_EQ(table->numberOfSections(), 1);
  EXPECT_EQ(table->reusableCellCount("row"_ns), 2u) << "three shown, one taken again";
  EXPECT_EQ(table->headerViewForSection(0).get(), header.get()) << "the header view is reused";
  EXPECT_EQ(table->headerViewForSection(1).get(), nullptr);
  EXPECT_FALSE(table->dequeueReusableHeaderFooterViewWithIdentifier("unregistered"_ns))
      << "an unregistered header identifier gives nil, as on the device";
}

TEST_F(UITableViewTest, AFingersTapSelectsAndTellsTheDelegateUnlessHidden) {
  table->reloadData();
  Ref<NSIndexPath> path = NSIndexPath::indexPathForRow_inSection(1, 1);
  EXPECT_TRUE(table->simulateTapOnRowAtIndexPath(path));
  // Regression: the path the delegate got was the table's own, freed by the
  // delegate's deselection before it was read.
  EXPECT_EQ(journal().back(), "select 1");
  EXPECT_FALSE(table->indexPathForSelectedRow()) << "the delegate deselected it";
  EXPECT_FALSE(table->cellForRowAtIndexPath(path)->isSelected());

  // The same by a finger at a point of the window, after dragging the rows up
  // by more than the content has below the table: the scroll stops at its end.
  Ref<UIView> window = make<UIView>(CGRectMake(0, 0, 375, 100));
  table->setFrame(CGRectMake(0, 20, 375, 80));
  window->addSubview(table);
  window->layoutIfNeeded();
  const CGFloat end = table->contentHeight() - 80;
  ASSERT_GT(end, 0);
  EXPECT_EQ(uikit::dragIn(window.get(), {100, 90}, {100, 30}).get(), table.get());
  EXPECT_EQ(table->contentOffset(), 60);
  uikit::dragIn(window.get(), {100, 90}, {100, 30});
  EXPECT_EQ(table->contentOffset(), end);
  journal().clear();
  CGRect last = table->rectForRowAtIndexPath(path);
  uikit::TapResult tapped = uikit::tapAt(window.get(), {100, 20 + last.origin.y - end + 5});
  EXPECT_EQ(tapped.handler.get(), table->cellForRowAtIndexPath(path).get());
  EXPECT_EQ(journal(), (std::vector<std::string>{"select 1"})) << "the scrolled row under the finger";
  uikit::dragIn(window.get(), {100, 30}, {100, 500});
  EXPECT_EQ(table->contentOffset(), 0) << "and back to the top, no further";

  journal().clear();
  EXPECT_FALSE(table->simulateTapOnRowAtIndexPath(NSIndexPath::indexPathForRow_inSection(5, 0))) << "no such row";
  table->setHidden(true);
  EXPECT_FALSE(table->simulateTapOnRowAtIndexPath(path));
  EXPECT_TRUE(journal().empty());
}

// Rows as a self-sizing app makes them: a label hung in the content view by
// its four edges; row 1's text wraps, row 2 has the disclosure accessory too,
// and the delegate answers row 3's height itself.
const char* const kLongText = "a text long enough to wrap onto three lines at the width of a row, and onto four when narrower";
Class sizingSourceClass() {
  static Class cls = [] {
    Class c = runtimeSubclass(objc::classOf<NSObject>(), "UIKitTestSizingTableSource");
    class_addMethod(c, sel("tableView:numberOfRowsInSection:"), IMP(+[](id, SEL, id, long) -> long { return 4; }), "q@:@q");
    class_addMethod(c, sel("tableView:cellForRowAtIndexPath:"), IMP(+[](id, SEL, id table, id path) -> StrongId {
                      StrongId cell = objc_msgSend<StrongId>(table, "dequeueReusableCellWithIdentifier:forIndexPath:", "row"_ns, path);
                      auto* row = objc_cast<UITableViewCell>(cell.get());
                      long index = objc_msgSend<long>(path, "row");
                      UIView* content = row->contentView();
                      Ref<UILabel> label = make<UILabel>();
                      label->setTranslatesAutoresizingMaskIntoConstraints(false);
                      label->setText(NSString::stringWithUTF8String(index == 0 ? "short" : kLongText));
                      label->setNumberOfLines(0);
                      content->addSubview(label);
                      for (auto [attribute, constant] : {std::pair{NSLayoutAttributeTop, 10.0}, {NSLayoutAttributeLeading, 16.0},
                                                         {NSLayoutAttributeTrailing, -16.0}, {NSLayoutAttributeBottom, -10.0}})
                        content->addConstraint(NSLayoutConstraint::constraintWithItem_attribute_relatedBy_toItem_attribute_multiplier_constant(
                            label, attribute, NSLayoutRelationEqual, content, attribute, 1.0, constant));
                      if (index == 2) row->setAccessoryType(UITableViewCellAccessoryDisclosureIndicator);
                      return cell;
                    }),
                    "@@:@@");
    class_addMethod(c, sel("tableView:heightForRowAtIndexPath:"), IMP(+[](id, SEL, id, id path) -> double {
                      return objc_msgSend<long>(path, "row") == 3 ? 30.0 : UITableViewAutomaticDimension;
                    }),
                    "d@:@@");
    return c;
  }();
  return cls;
}

TEST_F(UIKitTest, AnAutomaticRowTakesItsContentsFittingHeightAndAWrappingLabelGrowsIt) {
  Ref<UITableView> table = make<UITableView>(CGRectMake(0, 0, 320, 800));
  table->registerClass_forCellReuseIdentifier(objc::classOf<UITableViewCell>(), "row"_ns);
  StrongId source = StrongId::adopt(class_createInstance(sizingSourceClass(), 0));
  table->setDataSource(source);
  table->setDelegate(source);
  table->layoutIfNeeded();
  auto height = [&](long row) { return table->rectForRowAtIndexPath(NSIndexPath::indexPathForRow_inSection(row, 0)).size.height; };
  Ref<UIFont> font = UIFont::systemFontOfSize(UIFont::labelFontSize());
  CGFloat line = uikit::measureText("short"_ns, font).height;
  EXPECT_NEAR(height(0), 10 + line + 10, 0.01) << "not the standard 44";
  CGFloat wrapped = uikit::measureText(NSString::stringWithUTF8String(kLongText), font, 0, 320 - 32).height;
  ASSERT_GT(wrapped, 2.5 * line) << "the text wraps at the row's width";
  EXPECT_NEAR(height(1), 10 + wrapped + 10, 0.01);
  CGFloat narrower = uikit::measureText(NSString::stringWithUTF8String(kLongText), font, 0, 320 - 34 - 32).height;
  ASSERT_GT(narrower, wrapped);
  EXPECT_NEAR(height(2), 10 + narrower + 10, 0.01) << "the accessory narrows the content, so the text takes more lines";
  EXPECT_EQ(height(3), 30) << "a height the delegate answers stays as answered";
  // The cells stand where their rows are, and their labels fill them.
  Ref<UITableViewCell> cell = table->cellForRowAtIndexPath(NSIndexPath::indexPathForRow_inSection(1, 0));
  cell->layoutIfNeeded();
  EXPECT_NEAR(cell->frame().origin.y, height(0), 0.01);
  EXPECT_NEAR(cell->contentView()->subviewList().front()->frame().size.height, wrapped, 0.01);
}

TEST_F(UIKitTest, ACellsReplacedAccessoryViewIsDroppedAndAStandardOneGivesWay) {
  Ref<UITableViewCell> cell = make<UITableViewCell>(CGRectMake(0, 0, 320, 44));
  Ref<UISwitch> first = make<UISwitch>();
  Weak<UISwitch> watch(first);
  cell->setAccessoryView(first);
  first.reset();
  cell->setAccessoryView(make<UISwitch>());
  EXPECT_FALSE(watch.lock()) << "the cell let go of the switch it showed before";
  cell->setAccessoryType(UITableViewCellAccessoryDisclosureIndicator);
  cell->layoutIfNeeded();
  EXPECT_EQ(cell->contentView()->frame().size.width, 320 - 51 - 16) << "the accessory view wins over the type";
  cell->setAccessoryView(nullptr);
  cell->layoutIfNeeded();
  EXPECT_EQ(cell->contentView()->frame().size.width, 320 - 34);
}

TEST_F(UIKitTest, ASwitchFlippedByAFingerSendsItsEventsInOrder) {
  static std::vector<std::string> seen;
  seen.clear();
  Class target = runtimeSubclass(objc::classOf<NSObject>(), "UIKitTestSwitchTarget");
  class_addMethod(target, sel("changed:"), IMP(+[](id, SEL, id sender) {
                    seen.push_back(objc_msgSend<bool>(sender, "isOn") ? "changed on" : "changed off");
                  }),
                  "v@:@");
  class_addMethod(target, sel("touched:"), IMP(+[](id, SEL, id) { seen.push_back("touched"); }), "v@:@");
  StrongId receiver = StrongId::adopt(class_createInstance(target, 0));
  Ref<UISwitch> toggle = make<UISwitch>();
  toggle->addTarget_action_forControlEvents(receiver, sel("touched:"), UIControlEventTouchDown | UIControlEventTouchUpInside);
  toggle->addTarget_action_forControlEvents(receiver, sel("changed:"), UIControlEventValueChanged);
  toggle->setOn_animated(true, false);
  EXPECT_TRUE(seen.empty()) << "code that sets a switch sends nothing";
  EXPECT_TRUE(toggle->simulateTap());
  EXPECT_EQ(seen, (std::vector<std::string>{"touched", "changed off", "touched"}));
  toggle->setEnabled(false);
  EXPECT_FALSE(toggle->simulateTap());
  EXPECT_FALSE(toggle->isOn());
}

TEST_F(UIKitTest, TemplateImagesArePaintedInTheTintAndOthersAsTheyAre) {
  Ref<NSBundle> bundle = NSBundle::bundleWithPath(NSString::stringWithUTF8String(resourceBundlePath()));
  Ref<UIImage> image = UIImage::imageNamed_inBundle_compatibleWithTraitCollection("settings"_ns, bundle, nullptr);
  ASSERT_TRUE(image);
  Ref<UIView> parent = make<UIView>();
  parent->setTintColor(UIColor::redColor());
  Ref<UIImageView> view = make<UIImageView>(image.get());
  parent->addSubview(view);
  EXPECT_FALSE(view->paintColor()) << "an automatic image draws as it is";
  view->setImage(image->imageWithRenderingMode(UIImageRenderingModeAlwaysTemplate));
  EXPECT_TRUE(UIColorEqual(view->paintColor(), UIColor::redColor())) << "the inherited tint";
  view->setTintColor(UIColor::whiteColor());
  EXPECT_TRUE(UIColorEqual(view->paintColor(), UIColor::whiteColor()));
}

TEST_F(UIKitTest, AStackViewArrangesItsViewsInOrderAndForgetsRemovedOnes) {
  Ref<UIStackView> stack = make<UIStackView>(CGRectMake(0, 0, 300, 200));
  stack->setAxis(UILayoutConstraintAxisVertical);
  Ref<UIView> a = make<UIView>(CGRectMake(0, 0, 10, 30)), b = make<UIView>(CGRectMake(0, 0, 10, 44));
  stack->addArrangedSubview(a);
  stack->addArrangedSubview(b);
  stack->layoutIfNeeded();
  EXPECT_EQ(b->frame(), CGRectMake(0, 30, 300, 44));
  EXPECT_EQ(stack->arrangedSubviews()->lastObject(), b.get());
  b->removeFromSuperview();
  EXPECT_EQ(stack->arrangedSubviews()->count(), 1u);
  EXPECT_EQ(stack->arrangedSubviews()->lastObject(), a.get());
}

}  // namespace
