#include <vector>

#include "platform/uikit/uikit_fixture.h"

namespace {

int& prepareCount() {
  static int n = 0;
  return n;
}
std::vector<long>& askedFor() {
  static std::vector<long> items;
  return items;
}

// A host-style data source: two items, cells of a host cell class by run-time name.
Class dataSourceClass() {
  static Class cls = [] {
    Class c = runtimeSubclass(objc::classOf<NSObject>(), "UIKitTestDataSource");
    class_addMethod(c, sel("collectionView:numberOfItemsInSection:"),
                    IMP(+[](id, SEL, id, long) -> long { return 2; }), "q@:@q");
    class_addMethod(c, sel("collectionView:cellForItemAtIndexPath:"),
                    IMP(+[](id, SEL, id collection, id path) -> StrongId {
                      askedFor().push_back(objc_msgSend<long>(path, "item"));
                      return objc_msgSend<StrongId>(collection, "dequeueReusableCellWithReuseIdentifier:forIndexPath:",
                                                    "info"_ns, path);
                    }),
                    "@@:@@");
    return c;
  }();
  return cls;
}

Class hostCellClass() {
  static Class cls = [] {
    Class c = runtimeSubclass(objc::classOf<UICollectionViewCell>(), "UIKitTestHostCell");
    class_replaceMethod(c, sel("prepareForReuse"), IMP(+[](id, SEL) { ++prepareCount(); }), "v@:");
    return c;
  }();
  return cls;
}

class UICollectionViewTest : public UIKitTest {
 protected:
  void SetUp() override {
    UIKitTest::SetUp();
    prepareCount() = 0;
    askedFor().clear();
    collection->registerClass_forCellWithReuseIdentifier(hostCellClass(), "info"_ns);
    collection->setDataSource(source);
  }
  StrongId source = StrongId::adopt(class_createInstance(dataSourceClass(), 0));
  Ref<UICollectionView> collection = make<UICollectionView>(CGRectMake(0, 0, 375, 800));
};

TEST_F(UICollectionViewTest, AsksTheDataSourceByMessageForCellsOfTheRegisteredClass) {
  Ref<UICollectionViewCell> cell = collection->cellForItemAtIndexPath(NSIndexPath::indexPathForItem_inSection(1, 0));
  ASSERT_TRUE(cell);
  EXPECT_EQ(askedFor(), (std::vector<long>{1}));
  EXPECT_EQ(object_getClass(cell), hostCellClass()) << "made by run-time class, so host subclasses work";
  ASSERT_NE(cell->contentView(), nullptr);
  EXPECT_EQ(cell->contentView()->superview().get(), cell.get()) << "the content view is the cell's subview";
  EXPECT_EQ(objc_msgSend<Ref<UIView>>(cell, "contentView").get(), cell->contentView());
  EXPECT_EQ(utf8(cell->reuseIdentifier()), "info");
  EXPECT_EQ(cell->superview().get(), collection.get());
  EXPECT_TRUE(collection->indexPathForCell(cell)->isEqual(NSIndexPath::indexPathForItem_inSection(1, 0)));
}

IMP savedCellForItem;
int hookSaw = 0;

TEST_F(UICollectionViewTest, AReplacedDataSourceMethodSeesEveryCell) {
  Class hooked = runtimeSubclass(dataSourceClass(), "UIKitTestHookedDataSource");
  static bool once = [&] {
    MSHookMessageEx(hooked, sel("collectionView:cellForItemAtIndexPath:"),
                    IMP(+[](id self, SEL op, id collection, id path) -> StrongId {
                      StrongId cell = imp_call<StrongId>(savedCellForItem, self, op, collection, path);
                      ++hookSaw;
                      return cell;
                    }),
                    &savedCellForItem);
    return true;
  }();
  ASSERT_TRUE(once && savedCellForItem);
  StrongId hookedSource = StrongId::adopt(class_createInstance(hooked, 0));
  collection->setDataSource(hookedSource);
  hookSaw = 0;
  collection->reloadData();
  EXPECT_EQ(hookSaw, 2);
  EXPECT_EQ(collection->visibleCells()->count(), 2u);
}

TEST_F(UICollectionViewTest, ReloadingReusesCellsAfterPreparingThem) {
  collection->reloadData();
  Ref<NSArray> first = collection->visibleCells();
  ASSERT_EQ(first->count(), 2u);
  EXPECT_EQ(prepareCount(), 0) << "new cells need no preparation";

  collection->reloadData();
  Ref<NSArray> second = collection->visibleCells();
  ASSERT_EQ(second->count(), 2u);
  EXPECT_EQ(prepareCount(), 2) << "each recycled cell is prepared through the run time";
  EXPECT_TRUE(first->containsObject(second->objectAtIndex(0)) && first->containsObject(second->objectAtIndex(1)))
      << "the same cells came back";
  EXPECT_EQ(collection->reusableCellCount("info"_ns), 0u);
  EXPECT_EQ(collection->subviewList().size(), 2u) << "recycled cells left the view";
}

TEST_F(UICollectionViewTest, HoldsItsDataSourceWeakly) {
  source.reset();
  EXPECT_EQ(collection->dataSource(), nullptr);
  EXPECT_EQ(collection->cellForItemAtIndexPath(NSIndexPath::indexPathForItem_inSection(0, 0)), nullptr);
}

TEST_F(UICollectionViewTest, MisuseIsALoudError) {
  EXPECT_DEATH(collection->dequeueReusableCellWithReuseIdentifier_forIndexPath("nobody"_ns, nullptr),
               "register a class");
  EXPECT_DEATH(collection->registerClass_forCellWithReuseIdentifier(objc::classOf<UIView>(), "x"_ns),
               "not a UICollectionViewCell");
}

TEST(NSIndexPath, ComparesByValue) {
  Ref<NSIndexPath> a = NSIndexPath::indexPathForItem_inSection(3, 1);
  EXPECT_TRUE(a->isEqual(NSIndexPath::indexPathForRow_inSection(3, 1)));
  EXPECT_EQ(a->hash(), NSIndexPath::indexPathForItem_inSection(3, 1)->hash());
  EXPECT_FALSE(a->isEqual(NSIndexPath::indexPathForItem_inSection(1, 3)));
  EXPECT_EQ(a->compare(NSIndexPath::indexPathForItem_inSection(0, 2)), NSOrderedAscending) << "section first";
}

}  // namespace
