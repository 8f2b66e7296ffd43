#pragma once
// View controllers: a lazily loaded view, containment, modal presentation and
// appearance callbacks. Main thread only.
//
// The view is loaded on first access by sending "loadView" and then
// "viewDidLoad" through the run time, so replaced methods on a run-time
// subclass take effect. Appearance callbacks ("viewWillAppear:",
// "viewDidAppear:", "viewWillDisappear:", "viewDidDisappear:") are sent the
// same way, by whoever shows or hides the controller: a navigation
// controller's push and pop, presentation and dismissal, or the host for its
// root controller through begin/endAppearanceTransition. Containers forward
// them to their children.
//
// Ownership: a controller holds its view, its children and the controller it
// presents; its parent and its presenter weakly.

#include <functional>
#include <vector>

#include "platform/uikit/UIView.h"

class UINavigationController;

class UIViewController : public UIResponder {
 public:
  UIViewController();
  ~UIViewController() override;

  // --- the view ---------------------------------------------------------------------
  // Loads the view when needed (see above). A loadView that sets no view, or
  // that asks for the view itself, is a programming error.
  UIView* view();
  UIView* viewIfLoaded() const {
    UIKIT_MAIN_THREAD_ONLY();
    return view_.get();
  }
  bool isViewLoaded() const {
    UIKIT_MAIN_THREAD_ONLY();
    return static_cast<bool>(view_);
  }
  void setView(UIView* view);
  // Makes a plain view the size of the main screen. Overrides set their own.
  virtual void loadView();
  virtual void viewDidLoad() {}
  virtual void viewWillAppear(bool animated);
  virtual void viewDidAppear(bool animated);
  virtual void viewWillDisappear(bool animated);
  virtual void viewDidDisappear(bool animated);

  NSString* title() const {
    UIKIT_MAIN_THREAD_ONLY();
    return title_.get();
  }
  void setTitle(const NSString* title);

  // --- appearance ---------------------------------------------------------------------
  // Starts showing (appearing YES) or hiding the controller: loads the view
  // when appearing and sends the "will" callback; a controller already
  // (dis)appearing or (dis)appeared that way gets nothing. The container's
  // forwarding reaches its children.
  void beginAppearanceTransition(bool appearing, bool animated);
  // Sends the matching "did" callback, if a transition is under way.
  void endAppearanceTransition();
  // Between viewDidAppear: and viewWillDisappear: as sent by the toolkit.
  bool isAppeared() const {
    UIKIT_MAIN_THREAD_ONLY();
    return appearance_ == Appearance::Appeared;
  }

  // --- containment --------------------------------------------------------------------
  Ref<NSArray> childViewControllers() const;
  const std::vector<Ref<UIViewController>>& childList() const {
    UIKIT_MAIN_THREAD_ONLY();
    return children_;
  }
  // Sends "willMoveToParentViewController:" with this controller, then adopts
  // child (taking it from a former parent). The container sends
  // didMoveToParentViewController: when it has placed the child's view.
  void addChildViewController(UIViewController* child);
  // Leaves the parent, then sends "didMoveToParentViewController:" with nil.
  void removeFromParentViewController();
  virtual void willMoveToParentViewController(UIViewController* /*parent*/) {}
  virtual void didMoveToParentViewController(UIViewController* /*parent*/) {}
  Ref<UIViewController> parentViewController() const {
    UIKIT_MAIN_THREAD_ONLY();
    return parent_.lock();
  }
  // The nearest navigation controller among the ancestors, or nil.
  Ref<UINavigationController> navigationController() const;

  // --- presentation ---------------------------------------------------------------------
  // Presents controller modally: it appears now ("will") and has appeared
  // ("did") once the transition ends, kTransitionDuration later on
  // dispatch::Clock when animated, else on the next run-loop turn; then
  // completion runs. A controller that already presents another presents
  // nothing and completion never runs, as on the device. Presenting a
  // controller that is already presented or contained, or this controller
  // itself, is a programming error.
  void presentViewController_animated_completion(UIViewController* controller, bool animated,
                                                 std::function<void()> completion);
  // Dismisses the controller this one presents or, when it presents none,
  // asks its presenter to dismiss it. The presented controller is detached at
  // once; its "did disappear" and completion follow as for presentation.
  // Nothing to dismiss: nothing happens and completion never runs.
  void dismissViewControllerAnimated_completion(bool animated, std::function<void()> completion);
  Ref<UIViewController> presentedViewController() const {
    UIKIT_MAIN_THREAD_ONLY();
    return presented_;
  }
  Ref<UIViewController> presentingViewController() const {
    UIKIT_MAIN_THREAD_ONLY();
    return presenting_.lock();
  }

  // How long an animated transition takes on dispatch::Clock.
  static constexpr double kTransitionDuration = 0.35;

 protected:
  // The children that appearance callbacks are forwarded to.
  virtual std::vector<Ref<UIViewController>> appearanceChildren() const {
    UIKIT_MAIN_THREAD_ONLY();
    return children_;
  }
  // Sends the "did" callbacks of each begun transition once duration has
  // passed (the next turn for 0), then completion; holds only weak references.
  static void finishTransitionsLater(std::vector<Ref<UIViewController>> controllers, bool animated,
                                     std::function<void()> completion);

 private:
  enum class Appearance { Disappeared, Appearing, Appeared, Disappearing };

  Ref<UIView> view_;
  Ref<NSString> title_;
  std::vector<Ref<UIViewController>> children_;
  Weak<UIViewController> parent_;
  Ref<UIViewController> presented_;
  Weak<UIViewController> presenting_;
  Appearance appearance_ = Appearance::Disappeared;
  bool transitionAnimated_ = false;
  bool loadingView_ = false;
};
