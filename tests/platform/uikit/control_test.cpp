#include <vector>

#include "platform/uikit/uikit_fixture.h"

namespace {

std::vector<id>& senders() {
  static std::vector<id> s;
  return s;
}

// A host-style target: a run-time class whose action methods record their sender.
Class targetClass() {
  static Class cls = [] {
    Class c = runtimeSubclass(objc::classOf<NSObject>(), "UIKitTestActionTarget");
    class_addMethod(c, sel("tapped:"), IMP(+[](id, SEL, id sender) { senders().push_back(sender); }), "v@:@");
    class_addMethod(c, sel("poke"), IMP(+[](id, SEL) { senders().push_back(nullptr); }), "v@:");
    return c;
  }();
  return cls;
}

class TargetActionTest : public UIKitTest {
 protected:
  void SetUp() override {
    UIKitTest::SetUp();
    senders().clear();
  }
  StrongId target = StrongId::adopt(class_createInstance(targetClass(), 0));
};

using UIGestureRecognizerTest = TargetActionTest;

IMP savedTapped;

TEST_F(UIGestureRecognizerTest, ATapSendsTheActionThroughTheRunTimeWithTheRecognizer) {
  Class hooked = runtimeSubclass(targetClass(), "UIKitTestHookedActionTarget");
  static int hookRuns = 0;
  static bool once = [&] {
    MSHookMessageEx(hooked, sel("tapped:"), IMP(+[](id self, SEL op, id sender) {
                      ++hookRuns;
                      imp_call<void>(savedTapped, self, op, sender);
                    }),
                    &savedTapped);
    return true;
  }();
  ASSERT_TRUE(once);
  hookRuns = 0;
  StrongId hookedTarget = StrongId::adopt(class_createInstance(hooked, 0));

  Ref<UIView> strip = make<UIView>();
  Ref<UITapGestureRecognizer> tap = make<UITapGestureRecognizer>(hookedTarget.get(), sel("tapped:"));
  EXPECT_FALSE(tap->simulateTap()) << "not attached to a view";
  strip->addGestureRecognizer(tap);
  EXPECT_EQ(objc_msgSend<Ref<UIView>>(tap, "view").get(), strip.get());
  ASSERT_TRUE(tap->simulateTap());
  ASSERT_EQ(senders().size(), 1u);
  EXPECT_EQ(senders()[0], tap.get()) << "the recogniser is the action's argument";
  EXPECT_EQ(hookRuns, 1) << "the action was sent by message, so the replaced method ran";
}

TEST_F(UIGestureRecognizerTest, HoldsItsTargetWeaklyAndNeedsATouchableView) {
  Ref<UIView> parent = make<UIView>(), strip = make<UIView>();
  parent->addSubview(strip);
  Ref<UITapGestureRecognizer> tap = make<UITapGestureRecognizer>(target.get(), sel("tapped:"));
  strip->addGestureRecognizer(tap);

  parent->setHidden(true);
  EXPECT_FALSE(tap->simulateTap()) << "a hidden ancestor takes no touches";
  parent->setHidden(false);
  strip->setUserInteractionEnabled(false);
  EXPECT_FALSE(tap->simulateTap());
  strip->setUserInteractionEnabled(true);
  EXPECT_TRUE(make<UILabel>()->isUserInteractionEnabled() == false) << "labels start with interaction off";

  target.reset();
  EXPECT_TRUE(tap->simulateTap());
  EXPECT_TRUE(senders().empty()) << "the target died; nothing is sent to it";
}

using UIControlTest = TargetActionTest;

TEST_F(UIControlTest, SwitchSendsValueChangedOnlyForAUsersToggle) {
  Ref<UISwitch> toggle = make<UISwitch>();
  toggle->addTarget_action_forControlEvents(target.get(), sel("tapped:"), UIControlEventValueChanged);
  toggle->addTarget_action_forControlEvents(target.get(), sel("tapped:"), UIControlEventValueChanged);
  toggle->setOn_animated(true, true);
  EXPECT_TRUE(senders().empty()) << "code that sets the switch sends nothing";

  ASSERT_TRUE(toggle->simulateTap());
  EXPECT_FALSE(toggle->isOn());
  EXPECT_EQ(senders(), (std::vector<id>{toggle.get()})) << "once, though registered twice, with the switch as sender";

  toggle->setEnabled(false);
  EXPECT_FALSE(toggle->simulateTap());
  EXPECT_FALSE(toggle->isOn()) << "a disabled switch does not flip";
}

TEST_F(UIControlTest, ButtonSendsActionsOfEitherSignatureForTheEventsAsked) {
  Ref<UIButton> button = UIButton::buttonWithType(UIButtonTypeSystem);
  objc_msgSend<void>(button, "addTarget:action:forControlEvents:", target, sel("poke"),
                     static_cast<unsigned long>(UIControlEventTouchUpInside));
  button->addTarget_action_forControlEvents(target.get(), sel("tapped:"), UIControlEventValueChanged);
  ASSERT_TRUE(button->simulateTap());
  EXPECT_EQ(senders(), (std::vector<id>{nullptr})) << "only the touch-up action, sent without an argument";

  button->setTitle_forState("Play"_ns, UIControlStateNormal);
  EXPECT_EQ(utf8(button->titleForState(UIControlStateHighlighted)), "Play") << "falls back to the normal title";
  EXPECT_EQ(utf8(button->currentTitle()), "Play");
}

TEST_F(UIControlTest, AnActionTheTargetDoesNotAnswerIsALoudError) {
  Ref<UIControl> control = make<UIControl>();
  control->addTarget_action_forControlEvents(target.get(), sel("noSuchAction:"), UIControlEventTouchUpInside);
  EXPECT_DEATH(control->sendActionsForControlEvents(UIControlEventTouchUpInside), "not understood");
}

}  // namespace
