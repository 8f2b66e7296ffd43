#pragma once
// A stack of view controllers, the top one shown. The stack is the
// controller's children. When the navigation controller itself has appeared,
// push and pop send the appearance callbacks of the controllers that come and
// go (see UIViewController). Its navigation bar, unless hidden, spans the
// top of the view with the top controller's title and a back button, and
// the top controller's view fills the rest (its subviews that fill it
// follow). Main thread only.

#include "platform/uikit/UINavigationBar.h"
#include "platform/uikit/UIViewController.h"

class UINavigationController : public UIViewController {
 public:
  UINavigationController();
  explicit UINavigationController(UIViewController* root);
  // The run time's initialiser for instances made by class_createInstance.
  UINavigationController* initWithRootViewController(UIViewController* root);

  Ref<NSArray> viewControllers() const {
    UIKIT_MAIN_THREAD_ONLY();
    return childViewControllers();
  }
  UIViewController* topViewController() const {
    UIKIT_MAIN_THREAD_ONLY();
    return childList().empty() ? nullptr : childList().back().get();
  }
  // What the top controller presents, else the top controller.
  Ref<UIViewController> visibleViewController() const;

  // Pushes controller on the stack. nil, a navigation controller, or a
  // controller already in this stack is a programming error, as on the device.
  void pushViewController_animated(UIViewController* controller, bool animated);
  // Pops the top controller and answers it; nil when only the root is left.
  Ref<UIViewController> popViewControllerAnimated(bool animated);
  // Pops down to the root; answers the popped controllers, bottom first.
  Ref<NSArray> popToRootViewControllerAnimated(bool animated);

  // A screen-sized view holding the top controller's view, and the bar above it.
  void loadView() override;

  UINavigationBar* navigationBar() const {
    UIKIT_MAIN_THREAD_ONLY();
    return bar_.get();
  }
  bool isNavigationBarHidden() const {
    UIKIT_MAIN_THREAD_ONLY();
    return barHidden_;
  }
  // A hidden bar is taken out of the view, and the top controller's view
  // fills it again.
  void setNavigationBarHidden_animated(bool hidden, bool animated);
  // A controller on the stack has a new title: the bar shows it.
  void titlesChanged() { updateBar(); }

 protected:
  std::vector<Ref<UIViewController>> appearanceChildren() const override;

 private:
  void showTopView(UIViewController* leaving);
  void updateBar();

  Ref<UINavigationBar> bar_;
  bool barHidden_ = false;
};
