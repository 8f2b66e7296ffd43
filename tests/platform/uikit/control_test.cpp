#include <vector>

#include "platform/uikit/touch.h"
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

using TouchTest = TargetActionTest;

// A window with a card (tap recogniser) holding a label and a button, and a
// switch; each case changes one thing and taps one point.
TEST_F(TouchTest, ATapGoesToTheDeepestTouchableViewAndWhatFirstTakesItOnTheWayUp) {
  struct Case {
    const char* what;
    std::function<void(UIView* card, UIButton* button, UISwitch* toggle)> change;
    CGPoint at;
    const char* handler;  // "card", "button", "switch" or "" for nobody
  };
  const std::vector<Case> cases = {
      {"a label takes no touches: its card's recogniser does", {}, {30, 30}, "card"},
      {"a control wins over a recogniser above it", {}, {130, 30}, "button"},
      {"a disabled control passes the tap up", [](UIView*, UIButton* b, UISwitch*) { b->setEnabled(false); }, {130, 30}, "card"},
      {"a hidden button is skipped", [](UIView*, UIButton* b, UISwitch*) { b->setHidden(true); }, {130, 30}, "card"},
      {"a transparent card is skipped with its subviews", [](UIView* c, UIButton*, UISwitch*) { c->setAlpha(0.005); }, {130, 30}, ""},
      {"a card without interaction is skipped", [](UIView* c, UIButton*, UISwitch*) { c->setUserInteractionEnabled(false); }, {30, 30}, ""},
      {"the switch lies above the card where they overlap", {}, {195, 45}, "switch"},
      {"outside the window", {}, {500, 30}, ""},
  };
  for (const Case& c : cases) {
    senders().clear();
    Ref<UIView> window = make<UIView>(CGRectMake(0, 0, 375, 200));
    Ref<UIView> card = make<UIView>(CGRectMake(10, 10, 200, 60));
    Ref<UILabel> label = make<UILabel>();
    label->setFrame(CGRectMake(0, 0, 100, 60));
    Ref<UIButton> button = UIButton::buttonWithType(UIButtonTypeSystem);
    button->setFrame(CGRectMake(100, 0, 60, 60));
    Ref<UISwitch> toggle = make<UISwitch>();
    toggle->setFrame(CGRectMake(180, 30, 51, 31));
    card->addSubview(label);
    card->addSubview(button);
    window->addSubview(card);
    window->addSubview(toggle);
    card->addGestureRecognizer(make<UITapGestureRecognizer>(target.get(), sel("tapped:")));
    button->addTarget_action_forControlEvents(target.get(), sel("tapped:"), UIControlEventTouchUpInside);
    if (c.change) c.change(card.get(), button.get(), toggle.get());

    uikit::TapResult result = uikit::tapAt(window.get(), c.at);
    std::string handler = result.handler == card ? "card" : result.handler == button ? "button" : result.handler == toggle ? "switch" : "";
    EXPECT_EQ(handler, c.handler) << c.what;
    EXPECT_EQ(toggle->isOn(), handler == "switch") << c.what << ": only a tap on the switch flips it";
    EXPECT_EQ(senders().size(), handler == "card" || handler == "button" ? 1u : 0u) << c.what;
    EXPECT_FALSE(button->isHighlighted()) << c.what << ": the finger lifted";
  }
}

TEST_F(TouchTest, ADragIsNoTapAndAFingerLiftedOutsideSendsTouchUpOutside) {
  Ref<UIView> window = make<UIView>(CGRectMake(0, 0, 375, 200));
  Ref<UIView> card = make<UIView>(CGRectMake(0, 0, 375, 200));
  window->addSubview(card);
  Ref<UITapGestureRecognizer> tap = make<UITapGestureRecognizer>(target.get(), sel("tapped:"));
  card->addGestureRecognizer(tap);
  EXPECT_FALSE(uikit::dragIn(window.get(), {50, 150}, {50, 20})) << "nothing here scrolls";
  tap->touchesBegan({50, 150});
  EXPECT_FALSE(tap->touchesEnded({50, 150 - UIGestureRecognizer::kTapSlop - 1})) << "moved past the slop";
  tap->touchesBegan({50, 150});
  EXPECT_TRUE(tap->touchesEnded({50 + UIGestureRecognizer::kTapSlop, 150}));
  EXPECT_EQ(senders().size(), 1u);

  Ref<UIButton> button = UIButton::buttonWithType(UIButtonTypeSystem);
  button->addTarget_action_forControlEvents(target.get(), sel("tapped:"), UIControlEventTouchUpOutside);
  button->addTarget_action_forControlEvents(target.get(), sel("poke"), UIControlEventTouchUpInside);
  button->touchesBegan();
  EXPECT_TRUE(button->isHighlighted());
  button->touchesEnded(false);
  EXPECT_EQ(senders(), (std::vector<id>{tap.get(), button.get()})) << "up outside, not inside";
}

TEST_F(UIControlTest, AnActionTheTargetDoesNotAnswerIsALoudError) {
  Ref<UIControl> control = make<UIControl>();
  control->addTarget_action_forControlEvents(target.get(), sel("noSuchAction:"), UIControlEventTouchUpInside);
  EXPECT_DEATH(control->sendActionsForControlEvents(UIControlEventTouchUpInside), "not understood");
}

}  // namespace
