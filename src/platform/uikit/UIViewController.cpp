#include "platform/uikit/UIViewController.h"

#include <algorithm>

#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UIScreen.h"

UIViewController::UIViewController() { UIKIT_MAIN_THREAD_ONLY(); }

UIViewController::~UIViewController() = default;

UIView* UIViewController::view() {
  UIKIT_MAIN_THREAD_ONLY();
  if (view_) return view_.get();
  if (loadingView_) uikit::detail::misuse(std::string(className()) + ": loadView asked for the view it is loading");
  Ref<UIViewController> keep(this);
  loadingView_ = true;
  objc_msgSend<void>(this, "loadView");
  loadingView_ = false;
  if (!view_) uikit::detail::misuse(std::string(className()) + ": loadView set no view");
  objc_msgSend<void>(this, "viewDidLoad");
  return view_.get();
}

void UIViewController::setView(UIView* view) {
  UIKIT_MAIN_THREAD_ONLY();
  view_ = view;
}

void UIViewController::loadView() {
  UIKIT_MAIN_THREAD_ONLY();
  setView(make<UIView>(UIScreen::mainScreen()->bounds()));
}

void UIViewController::viewWillAppear(bool) { UIKIT_MAIN_THREAD_ONLY(); }
void UIViewController::viewDidAppear(bool) { UIKIT_MAIN_THREAD_ONLY(); }
void UIViewController::viewWillDisappear(bool) { UIKIT_MAIN_THREAD_ONLY(); }
void UIViewController::viewDidDisappear(bool) { UIKIT_MAIN_THREAD_ONLY(); }

void UIViewController::setTitle(const NSString* title) {
  UIKIT_MAIN_THREAD_ONLY();
  if (UIStringEqual(title, title_.get())) return;
  title_ = const_cast<NSString*>(title);
  // A navigation bar shows the titles of the top two controllers.
  if (auto* navigation = objc_cast<UINavigationController>(parent_.lock().get())) navigation->titlesChanged();
}

// --- appearance ----------------------------------------------------------------------------

void UIViewController::beginAppearanceTransition(bool appearing, bool animated) {
  UIKIT_MAIN_THREAD_ONLY();
  Ref<UIViewController> keep(this);
  if (appearing) {
    if (appearance_ == Appearance::Appeared || appearance_ == Appearance::Appearing) return;
    view();
    appearance_ = Appearance::Appearing;
    transitionAnimated_ = animated;
    objc_msgSend<void>(this, "viewWillAppear:", animated);
  } else {
    if (appearance_ == Appearance::Disappeared || appearance_ == Appearance::Disappearing) return;
    appearance_ = Appearance::Disappearing;
    transitionAnimated_ = animated;
    objc_msgSend<void>(this, "viewWillDisappear:", animated);
  }
  for (const auto& child : appearanceChildren()) child->beginAppearanceTransition(appearing, animated);
}

void UIViewController::endAppearanceTransition() {
  UIKIT_MAIN_THREAD_ONLY();
  Ref<UIViewController> keep(this);
  if (appearance_ == Appearance::Appearing) {
    appearance_ = Appearance::Appeared;
    objc_msgSend<void>(this, "viewDidAppear:", transitionAnimated_);
  } else if (appearance_ == Appearance::Disappearing) {
    appearance_ = Appearance::Disappeared;
    objc_msgSend<void>(this, "viewDidDisappear:", transitionAnimated_);
  } else {
    return;
  }
  for (const auto& child : appearanceChildren()) child->endAppearanceTransition();
}

void UIViewController::finishTransitionsLater(std::vector<Ref<UIViewController>> controllers, bool animated,
                                              std::function<void()> completion) {
  std::vector<Weak<UIViewController>> weak(controllers.begin(), controllers.end());
  UIView::animateWithDuration_delay_options_animations_completion(
      animated ? kTransitionDuration : 0, 0, UIViewAnimationOptionCurveEaseInOut, nullptr,
      [weak = std::move(weak), completion = std::move(completion)](bool) {
        for (const auto& w : weak)
          if (Ref<UIViewController> c = w.lock()) c->endAppearanceTransition();
        if (completion) completion();
      });
}

// --- containment ------------------------------------------------------------------------------

Ref<NSArray> UIViewController::childViewControllers() const {
  UIKIT_MAIN_THREAD_ONLY();
  return make<NSArray>(std::vector<StrongId>(children_.begin(), children_.end()));
}

void UIViewController::addChildViewController(UIViewController* child) {
  UIKIT_MAIN_THREAD_ONLY();
  if (!child || child == this) return;
  Ref<UIViewController> keep(child);
  if (child->parentViewController().get() == this) return;
  if (child->parentViewController()) child->removeFromParentViewController();
  objc_msgSend<void>(child, "willMoveToParentViewController:", this);
  children_.push_back(keep);
  child->parent_ = Weak<UIViewController>(this);
}

void UIViewController::removeFromParentViewController() {
  UIKIT_MAIN_THREAD_ONLY();
  Ref<UIViewController> parent = parentViewController();
  if (!parent) return;
  Ref<UIViewController> keep(this);
  std::erase_if(parent->children_, [this](const Ref<UIViewController>& c) { return c.get() == this; });
  parent_ = Weak<UIViewController>();
  objc_msgSend<void>(this, "didMoveToParentViewController:", nullptr);
}

Ref<UINavigationController> UIViewController::navigationController() const {
  UIKIT_MAIN_THREAD_ONLY();
  for (Ref<UIViewController> p = parentViewController(); p; p = p->parentViewController())
    if (auto* nav = objc_cast<UINavigationController>(p.get())) return Ref<UINavigationController>(nav);
  return nullptr;
}

// --- presentation -----------------------------------------------------------------------------

void UIViewController::presentViewController_animated_completion(UIViewController* controller, bool animated,
                                                                  std::function<void()> completion) {
  UIKIT_MAIN_THREAD_ONLY();
  if (!controller) uikit::detail::misuse("presentViewController: needs a controller");
  if (controller == this || controller->presentingViewController() || controller->parentViewController())
    uikit::detail::misuse(std::string("a ") + controller->className() +
                          " that is already presented or contained cannot be presented");
  if (presented_) return;
  presented_ = controller;
  controller->presenting_ = Weak<UIViewController>(this);
  controller->beginAppearanceTransition(true, animated);
  finishTransitionsLater({Ref<UIViewController>(controller)}, animated, std::move(completion));
}

void UIViewController::dismissViewControllerAnimated_completion(bool animated, std::function<void()> completion) {
  UIKIT_MAIN_THREAD_ONLY();
  if (!presented_) {
    if (Ref<UIViewController> presenter = presentingViewController())
      presenter->dismissViewControllerAnimated_completion(animated, std::move(completion));
    return;
  }
  Ref<UIViewController> leaving = std::move(presented_);
  leaving->presenting_ = Weak<UIViewController>();
  leaving->beginAppearanceTransition(false, animated);
  finishTransitionsLater({leaving}, animated, std::move(completion));
}
