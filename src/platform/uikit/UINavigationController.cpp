#include "platform/uikit/UINavigationController.h"

#include "platform/uikit/UIScreen.h"

UINavigationController::UINavigationController() : bar_(make<UINavigationBar>()) {}

UINavigationController::UINavigationController(UIViewController* root) : UINavigationController() {
  initWithRootViewController(root);
}

UINavigationController* UINavigationController::initWithRootViewController(UIViewController* root) {
  UIKIT_MAIN_THREAD_ONLY();
  if (root) pushViewController_animated(root, false);
  return this;
}

Ref<UIViewController> UINavigationController::visibleViewController() const {
  UIKIT_MAIN_THREAD_ONLY();
  UIViewController* top = topViewController();
  if (!top) return nullptr;
  if (Ref<UIViewController> presented = top->presentedViewController()) return presented;
  return Ref<UIViewController>(top);
}

void UINavigationController::pushViewController_animated(UIViewController* controller, bool animated) {
  UIKIT_MAIN_THREAD_ONLY();
  using uikit::detail::misuse;
  if (!controller) misuse("pushing a nil view controller");
  if (objc_cast<UINavigationController>(controller)) misuse("pushing a navigation controller is not supported");
  if (controller->parentViewController().get() == this)
    misuse("pushing the same view controller instance more than once is not supported");
  Ref<UIViewController> keep(controller);
  Ref<UIViewController> leaving(topViewController());
  addChildViewController(controller);
  showTopView(leaving);
  objc_msgSend<void>(controller, "didMoveToParentViewController:", this);
  if (!isAppeared()) return;
  if (leaving) leaving->beginAppearanceTransition(false, animated);
  controller->beginAppearanceTransition(true, animated);
  std::vector<Ref<UIViewController>> moving{keep};
  if (leaving) moving.push_back(leaving);
  finishTransitionsLater(std::move(moving), animated, nullptr);
}

Ref<UIViewController> UINavigationController::popViewControllerAnimated(bool animated) {
  UIKIT_MAIN_THREAD_ONLY();
  if (childList().size() <= 1) return nullptr;
  Ref<UIViewController> leaving(topViewController());
  objc_msgSend<void>(leaving, "willMoveToParentViewController:", nullptr);
  leaving->removeFromParentViewController();
  showTopView(leaving);
  if (isAppeared()) {
    Ref<UIViewController> arriving(topViewController());
    leaving->beginAppearanceTransition(false, animated);
    arriving->beginAppearanceTransition(true, animated);
    finishTransitionsLater({leaving, arriving}, animated, nullptr);
  }
  return leaving;
}

Ref<NSArray> UINavigationController::popToRootViewControllerAnimated(bool animated) {
  UIKIT_MAIN_THREAD_ONLY();
  std::vector<StrongId> popped;
  while (childList().size() > 1) popped.insert(popped.begin(), StrongId(popViewControllerAnimated(animated)));
  return make<NSArray>(std::move(popped));
}

void UINavigationController::loadView() {
  UIKIT_MAIN_THREAD_ONLY();
  setView(make<UIView>(UIScreen::mainScreen()->bounds()));
  showTopView(nullptr);
}

void UINavigationController::setNavigationBarHidden_animated(bool hidden, bool /*animated*/) {
  UIKIT_MAIN_THREAD_ONLY();
  if (hidden == barHidden_) return;
  barHidden_ = hidden;
  updateBar();
}

void UINavigationController::showTopView(UIViewController* leaving) {
  UIView* container = viewIfLoaded();
  if (!container) return;
  if (leaving && leaving->isViewLoaded()) leaving->view()->removeFromSuperview();
  if (UIViewController* top = topViewController()) container->addSubview(top->view());
  updateBar();
}

namespace {
// Views that fill their superview keep filling it, as the flexible width and
// height a controller's content is made with do on the device.
void fitView(UIView* view, CGRect frame) {
  CGSize before = view->bounds().size;
  view->setFrame(frame);
  for (const Ref<UIView>& child : view->subviewList())
    if (child->frame() == CGRect{{0, 0}, before}) fitView(child.get(), {{0, 0}, frame.size});
}
}  // namespace

void UINavigationController::updateBar() {
  UIView* container = viewIfLoaded();
  if (!container || !bar_) return;
  const auto& stack = childList();
  UIViewController* top = stack.empty() ? nullptr : stack.back().get();
  // The content fills what a shown bar (an opaque bar) leaves, the whole view without one.
  if (top && top->isViewLoaded()) {
    CGFloat barHeight = barHidden_ ? 0 : UINavigationBar::statusBarHeight() + UINavigationBar::kHeight;
    CGSize whole = container->bounds().size;
    fitView(top->view(), {{0, barHeight}, {whole.width, whole.height - barHeight}});
  }
  if (barHidden_) {
    bar_->removeFromSuperview();
    return;
  }
  UIViewController* below = stack.size() > 1 ? stack[stack.size() - 2].get() : nullptr;
  bar_->navigation_ = Weak<UINavigationController>(this);
  bar_->showItems(top ? top->title() : nullptr, below != nullptr, below ? below->title() : nullptr);
  bar_->placeInWidth(container->bounds().size.width);
  container->addSubview(bar_.get());  // above the top controller's view
}

std::vector<Ref<UIViewController>> UINavigationController::appearanceChildren() const {
  if (UIViewController* top = topViewController()) return {Ref<UIViewController>(top)};
  return {};
}
