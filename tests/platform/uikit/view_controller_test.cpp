#include <string>
#include <vector>

#include "platform/foundation/NSBlock.h"
#include "platform/uikit/touch.h"
#include "platform/uikit/uikit_fixture.h"

namespace {

std::vector<std::string>& lifecycleJournal() {
  static std::vector<std::string> entries;
  return entries;
}

// Writes each appearance callback it gets into the journal.
class JournalController : public UIViewController {
 public:
  explicit JournalController(std::string name = "") : name_(std::move(name)) {}
  void viewDidLoad() override { lifecycleJournal().push_back(name_ + ".didLoad"); }
  void viewWillAppear(bool) override { lifecycleJournal().push_back(name_ + ".willAppear"); }
  void viewDidAppear(bool) override { lifecycleJournal().push_back(name_ + ".didAppear"); }
  void viewWillDisappear(bool) override { lifecycleJournal().push_back(name_ + ".willDisappear"); }
  void viewDidDisappear(bool) override { lifecycleJournal().push_back(name_ + ".didDisappear"); }

 private:
  std::string name_;
};

Ref<JournalController> journaled(const char* name) {
  static Class cls = objc::registerClass<JournalController>("UIKitTestJournalController",
                                                            objc::classOf<UIViewController>());
  (void)cls;
  return make<JournalController>(name);
}

using Journal = std::vector<std::string>;

class UIViewControllerTest : public UIKitTest {
 protected:
  void SetUp() override {
    UIKitTest::SetUp();
    lifecycleJournal().clear();
  }
};

IMP savedLoadView, savedViewDidLoad;

TEST_F(UIViewControllerTest, LoadsItsViewOnFirstAccessThroughTheRunTime) {
  Class host = runtimeSubclass(objc::classOf<UIViewController>(), "UIKitTestHostPageController");
  static bool hooked = [&] {
    MSHookMessageEx(host, sel("loadView"), IMP(+[](id self, SEL op) {
                      lifecycleJournal().push_back("loadView");
                      imp_call<void>(savedLoadView, self, op);
                    }),
                    &savedLoadView);
    MSHookMessageEx(host, sel("viewDidLoad"), IMP(+[](id self, SEL op) {
                      lifecycleJournal().push_back("viewDidLoad");
                      imp_call<void>(savedViewDidLoad, self, op);
                    }),
                    &savedViewDidLoad);
    return true;
  }();
  ASSERT_TRUE(hooked && savedLoadView && savedViewDidLoad) << "both are inherited from UIViewController";

  Ref<UIViewController> page = instanceOf<UIViewController>(host);
  EXPECT_FALSE(page->isViewLoaded());
  EXPECT_TRUE(lifecycleJournal().empty()) << "nothing loads before the view is asked for";
  UIView* view = objc_msgSend<Ref<UIView>>(page, "view").get();
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view->frame(), UIScreen::mainScreen()->bounds()) << "the default view fills the screen";
  EXPECT_EQ(page->view(), view);
  EXPECT_EQ(lifecycleJournal(), (Journal{"loadView", "viewDidLoad"})) << "hooks ran, once, in the device's order";
}

TEST_F(UIViewControllerTest, ALoadViewThatSetsNoViewIsALoudError) {
  Class broken = runtimeSubclass(objc::classOf<UIViewController>(), "UIKitTestNoViewController");
  class_replaceMethod(broken, sel("loadView"), IMP(+[](id, SEL) {}), "v@:");
  Ref<UIViewController> c = instanceOf<UIViewController>(broken);
  EXPECT_DEATH(c->view(), "loadView set no view");
}

TEST_F(UIViewControllerTest, ChildrenKnowTheirNavigationController) {
  Ref<UIViewController> root = journaled("root"), child = journaled("child");
  Ref<UINavigationController> nav = make<UINavigationController>(root);
  root->addChildViewController(child);
  EXPECT_EQ(child->parentViewController().get(), root.get());
  EXPECT_EQ(child->navigationController().get(), nav.get()) << "found through the parents";
  EXPECT_EQ(objc_msgSend<StrongId>(child, "navigationController").get(), nav.get());
  EXPECT_EQ(nav->navigationController(), nullptr) << "not its own";

  Ref<UIViewController> other = journaled("other");
  other->addChildViewController(child);
  EXPECT_EQ(root->childList().size(), 0u) << "a child has one parent";
  child->removeFromParentViewController();
  EXPECT_EQ(child->parentViewController(), nullptr);
  EXPECT_EQ(other->childList().size(), 0u);
}

TEST_F(UIViewControllerTest, PresentationAppearsNowAndCompletesAfterTheTransition) {
  Ref<UIViewController> base = journaled("base"), sheet = journaled("sheet");
  bool completed = false;
  base->presentViewController_animated_completion(sheet, true, [&] { completed = true; });
  EXPECT_EQ(base->presentedViewController().get(), sheet.get());
  EXPECT_EQ(sheet->presentingViewController().get(), base.get());
  EXPECT_EQ(lifecycleJournal(), (Journal{"sheet.didLoad", "sheet.willAppear"}));

  dispatch::MainRunLoop::runOnce();
  EXPECT_FALSE(completed) << "the animated transition has not ended";
  advance(UIViewController::kTransitionDuration);
  ASSERT_TRUE(runUntil([&] { return completed; }));
  EXPECT_EQ(lifecycleJournal().back(), "sheet.didAppear") << "did-appear comes before the completion";

  bool second = false;
  base->presentViewController_animated_completion(journaled("again"), false, [&] { second = true; });
  dispatch::MainRunLoop::runOnce();
  EXPECT_FALSE(second) << "a controller that presents already presents nothing more";

  lifecycleJournal().clear();
  bool dismissed = false;
  sheet->dismissViewControllerAnimated_completion(false, [&] { dismissed = true; });
  EXPECT_EQ(base->presentedViewController(), nullptr) << "the presented one asks its presenter";
  ASSERT_TRUE(runUntil([&] { return dismissed; }));
  EXPECT_EQ(lifecycleJournal(), (Journal{"sheet.willDisappear", "sheet.didDisappear"}));
}

TEST_F(UIViewControllerTest, PresentationByMessageCarriesItsCompletionAsABlock) {
  Ref<UIViewController> base = journaled("base"), sheet = journaled("sheet");
  bool completed = false;
  objc_msgSend<void>(base, "presentViewController:animated:completion:", sheet, false,
                     NSBlock::blockWithFunction([&] { completed = true; }));
  EXPECT_EQ(objc_msgSend<StrongId>(base, "presentedViewController").get(), sheet.get());
  ASSERT_TRUE(runUntil([&] { return completed; }));
}

using UINavigationControllerTest = UIViewControllerTest;

TEST_F(UINavigationControllerTest, PushAndPopSendAppearanceOnceTheStackIsShown) {
  Ref<UIViewController> root = journaled("root");
  Ref<UINavigationController> nav = make<UINavigationController>(root);
  Ref<UIViewController> settings = journaled("settings");
  nav->pushViewController_animated(settings, false);
  EXPECT_EQ(nav->topViewController(), settings.get());
  EXPECT_TRUE(lifecycleJournal().empty()) << "a stack that is not shown sends no appearance";
  nav->popViewControllerAnimated(false);

  nav->beginAppearanceTransition(true, false);
  nav->endAppearanceTransition();
  EXPECT_EQ(lifecycleJournal(), (Journal{"root.didLoad", "root.willAppear", "root.didAppear"})) << "forwarded to the top";

  lifecycleJournal().clear();
  nav->pushViewController_animated(settings, true);
  EXPECT_EQ(lifecycleJournal(), (Journal{"settings.didLoad", "root.willDisappear", "settings.willAppear"}));
  ASSERT_EQ(nav->view()->subviewList().size(), 2u);
  EXPECT_EQ(nav->view()->subviewList().front().get(), settings->view()) << "the top's view is shown, alone";
  EXPECT_EQ(nav->view()->subviewList().back().get(), nav->navigationBar()) << "under the bar";
  advance(UIViewController::kTransitionDuration);
  ASSERT_TRUE(runUntil([] { return !UIView::hasRunningAnimations(); }));
  EXPECT_EQ(lifecycleJournal(), (Journal{"settings.didLoad", "root.willDisappear", "settings.willAppear", "settings.didAppear",
                                "root.didDisappear"}));

  Ref<UIViewController> popped = nav->popViewControllerAnimated(false);
  EXPECT_EQ(popped.get(), settings.get());
  EXPECT_EQ(nav->popViewControllerAnimated(false), nullptr) << "the root stays";
  EXPECT_EQ(objc_msgSend<Ref<NSArray>>(nav, "viewControllers")->count(), 1u);
}

TEST_F(UINavigationControllerTest, TheBarShowsTheTopsTitleAndItsBackButtonPopsByATap) {
  Ref<UIViewController> root = journaled("root"), detail = journaled("detail");
  root->setTitle("Home"_ns);
  detail->setTitle("Heat"_ns);
  Ref<UINavigationController> nav = make<UINavigationController>(root);
  nav->view();
  Ref<UIView> content = make<UIView>(detail->view()->bounds()), badge = make<UIView>(CGRectMake(0, 0, 20, 20));
  detail->view()->addSubview(content);
  detail->view()->addSubview(badge);
  UINavigationBar* bar = nav->navigationBar();
  EXPECT_EQ(utf8(bar->titleLabel()->text()), "Home");
  EXPECT_TRUE(bar->backButton()->isHidden()) << "nothing to go back to";
  nav->pushViewController_animated(detail, false);
  EXPECT_EQ(utf8(bar->titleLabel()->text()), "Heat");
  EXPECT_EQ(utf8(bar->backButton()->currentTitle()), "\u2039 Home");
  detail->setTitle("Heat, again"_ns);
  root->setTitle("App Settings"_ns);
  EXPECT_EQ(utf8(bar->titleLabel()->text()), "Heat, again") << "a title set after the push shows";
  EXPECT_EQ(utf8(bar->backButton()->currentTitle()), "\u2039 Back") << "too long for the button";
  EXPECT_EQ(bar->frame().size.height, UINavigationBar::statusBarHeight() + UINavigationBar::kHeight);
  const CGFloat barHeight = bar->frame().size.height;
  EXPECT_EQ(detail->view()->frame(), CGRectMake(0, barHeight, 375, 812 - barHeight)) << "the content fills the rest";
  EXPECT_EQ(content->frame(), CGRectMake(0, 0, 375, 812 - barHeight)) << "what filled the view still does";
  EXPECT_EQ(badge->frame(), CGRectMake(0, 0, 20, 20));

  CGRect back = bar->backButton()->frame();
  EXPECT_FALSE(uikit::tapAt(nav->view(), {back.origin.x + back.size.width + 40, CGRectGetMidY(back)}).handler) << "the bar's middle";
  EXPECT_EQ(nav->topViewController(), detail.get());
  EXPECT_EQ(uikit::tapAt(nav->view(), {CGRectGetMidX(back), CGRectGetMidY(back)}).handler.get(), bar->backButton());
  EXPECT_EQ(nav->topViewController(), root.get());
  EXPECT_TRUE(bar->backButton()->isHidden());

  objc_msgSend<void>(nav, "setNavigationBarHidden:animated:", true, false);
  EXPECT_EQ(bar->superview(), nullptr) << "a hidden bar leaves the screen to the content";
  nav->pushViewController_animated(detail, false);
  EXPECT_EQ(nav->view()->subviewList().size(), 1u);
  EXPECT_EQ(detail->view()->frame(), CGRectMake(0, 0, 375, 812));
}

TEST_F(UINavigationControllerTest, PushingTheSameControllerTwiceIsALoudError) {
  Ref<UIViewController> root = journaled("root");
  Ref<UINavigationController> nav = make<UINavigationController>(root);
  EXPECT_DEATH(nav->pushViewController_animated(root, false), "more than once");
}

}  // namespace
