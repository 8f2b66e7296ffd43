// Animations: blocks run at once, changes are recorded with their timing on
// dispatch::Clock, and completions run on the main queue when that clock
// passes their end. Presentation values are computed from the records on
// demand, so nothing ticks while nobody looks.

#include <algorithm>
#include <atomic>
#include <cmath>
#include <memory>

#include "platform/uikit/UIView.h"

namespace {

// One open animations block.
struct Context {
  bool animating = false;  // false: performWithoutAnimation
  bool transition = false;
  Ref<UIView> transitionView;
  std::uint64_t begin = 0, end = 0;
  unsigned long curve = 0;
  bool animatedContent = false;
};

std::vector<Context>& openContexts() {
  static auto* contexts = new std::vector<Context>;  // main thread only
  return *contexts;
}

struct ContextScope {
  explicit ContextScope(Context c) { openContexts().push_back(std::move(c)); }
  ~ContextScope() { openContexts().pop_back(); }
  ContextScope(const ContextScope&) = delete;
  ContextScope& operator=(const ContextScope&) = delete;
};

const Context* currentContext() { return openContexts().empty() ? nullptr : &openContexts().back(); }

std::atomic<NSUInteger> running{0};

// Counts one animation as running until its end block has run or has been
// destroyed unrun (a test that resets the main queue), whichever is first.
struct RunningAnimation {
  RunningAnimation() { ++running; }
  ~RunningAnimation() { finish(); }
  void finish() {
    if (!finished.exchange(true)) --running;
  }
  std::atomic<bool> finished{false};
};

std::uint64_t nanoseconds(double seconds) {
  // Negative or not a number: none. Capped far beyond any real animation so
  // that the clock arithmetic cannot overflow.
  if (!(seconds > 0)) return 0;
  return static_cast<std::uint64_t>(std::llround(std::min(seconds, 1e7) * 1e9));
}

void scheduleEnd(std::uint64_t end, std::function<void(bool)> completion) {
  auto token = std::make_shared<RunningAnimation>();
  dispatch_block_t block = [token, completion = std::move(completion)] {
    token->finish();
    if (completion) completion(true);
  };
  std::uint64_t now = dispatch::Clock::now();
  if (end <= now)
    dispatch_async(dispatch_get_main_queue(), std::move(block));
  else
    dispatch_after(dispatch_time(DISPATCH_TIME_NOW, static_cast<std::int64_t>(end - now)), dispatch_get_main_queue(),
                   std::move(block));
}

// The device's timing curves as cubic Béziers from (0,0) to (1,1).
double bezier(double t, double p1, double p2) {
  double u = 1 - t;
  return 3 * u * u * t * p1 + 3 * u * t * t * p2 + t * t * t;
}
double eased(double x, unsigned long curve) {
  double x1 = 0, y1 = 0, x2 = 1, y2 = 1;
  switch (curve) {
    case UIViewAnimationOptionCurveLinear:
      return x;
    case UIViewAnimationOptionCurveEaseIn:
      x1 = 0.42, x2 = 1, y2 = 1;
      break;
    case UIViewAnimationOptionCurveEaseOut:
      x1 = 0, x2 = 0.58;
      break;
    default:  // ease in and out
      x1 = 0.42, x2 = 0.58;
      break;
  }
  // x(t) rises monotonically, so bisection finds t for x.
  double lo = 0, hi = 1;
  for (int i = 0; i < 40; ++i) {
    double mid = (lo + hi) / 2;
    (bezier(mid, x1, x2) < x ? lo : hi) = mid;
  }
  return bezier((lo + hi) / 2, y1, y2);
}

constexpr unsigned long kCurveMask = 3ul << 16;

void runAnimations(Context context, const std::function<void()>& animations, std::function<void(bool)> completion) {
  std::uint64_t end = context.end;
  {
    ContextScope scope(std::move(context));
    if (animations) animations();
  }
  scheduleEnd(end, std::move(completion));
}

Context timedContext(double duration, double delay, UIViewAnimationOptions options) {
  Context c;
  c.animating = true;
  c.begin = dispatch::Clock::now() + nanoseconds(delay);
  c.end = c.begin + nanoseconds(duration);
  c.curve = options & kCurveMask;
  c.animatedContent = (options & UIViewAnimationOptionAllowAnimatedContent) != 0;
  return c;
}

}  // namespace

void UIView::animateWithDuration_delay_options_animations_completion(double duration, double delay,
                                                                     UIViewAnimationOptions options,
                                                                     std::function<void()> animations,
                                                                     std::function<void(bool)> completion) {
  UIKIT_MAIN_THREAD_ONLY();
  runAnimations(timedContext(duration, delay, options), animations, std::move(completion));
}

void UIView::transitionWithView_duration_options_animations_completion(UIView* view, double duration,
                                                                       UIViewAnimationOptions options,
                                                                       std::function<void()> animations,
                                                                       std::function<void(bool)> completion) {
  UIKIT_MAIN_THREAD_ONLY();
  Context c = timedContext(duration, 0, options);
  c.transition = true;
  c.transitionView = view;
  runAnimations(std::move(c), animations, std::move(completion));
}

void UIView::performWithoutAnimation(const std::function<void()>& changes) {
  UIKIT_MAIN_THREAD_ONLY();
  ContextScope scope(Context{});
  if (changes) changes();
}

bool UIView::hasRunningAnimations() { return running.load() > 0; }

NSUInteger UIView::runningAnimationCount() { return running.load(); }

// --- records -----------------------------------------------------------------------------

const UIView::Animation* UIView::findAnimation(AnimatedProperty property) const {
  for (const auto& a : animations_)
    if (a.property == property) return &a;
  return nullptr;
}

void UIView::storeAnimation(Animation animation) {
  std::uint64_t now = dispatch::Clock::now();
  std::erase_if(animations_, [&](const Animation& a) { return a.property == animation.property || a.end <= now; });
  animations_.push_back(std::move(animation));
}

void UIView::dropAnimation(AnimatedProperty property) {
  std::erase_if(animations_, [&](const Animation& a) { return a.property == property; });
}

void UIView::animateChange(AnimatedProperty property, double from, double to) {
  const Context* c = currentContext();
  // Inside a transition, changes are part of the dissolve unless the caller
  // asked for animated content.
  if (!c || !c->animating || (c->transition && !c->animatedContent) || c->end <= dispatch::Clock::now()) {
    dropAnimation(property);
    return;
  }
  storeAnimation({property, presentationValue(property, from), to, nullptr, c->begin, c->end, c->curve});
}

void UIView::animateChangeWithDuration(AnimatedProperty property, double from, double to, double duration) {
  const Context* c = currentContext();
  if (c) {
    animateChange(property, from, to);  // an open block's timing wins
    return;
  }
  std::uint64_t now = dispatch::Clock::now();
  std::uint64_t end = now + nanoseconds(duration);
  if (end > now)
    storeAnimation({property, presentationValue(property, from), to, nullptr, now, end, UIViewAnimationOptionCurveEaseInOut});
  else
    dropAnimation(property);
  scheduleEnd(end, nullptr);
}

double UIView::presentationValue(AnimatedProperty property, double model) const {
  UIKIT_MAIN_THREAD_ONLY();
  const Animation* a = findAnimation(property);
  if (!a) return model;
  std::uint64_t now = dispatch::Clock::now();
  if (now >= a->end) return model;
  if (now <= a->begin) return a->from;
  double x = static_cast<double>(now - a->begin) / static_cast<double>(a->end - a->begin);
  return a->from + (a->to - a->from) * eased(x, a->curve);
}

void UIView::transitionContents(StrongId from) {
  const Context* c = currentContext();
  if (!c || !c->transition || !c->transitionView || !isDescendantOfView(c->transitionView.get()) ||
      c->end <= dispatch::Clock::now()) {
    dropAnimation(AnimatedProperty::Contents);
    return;
  }
  Animation a{AnimatedProperty::Contents, 0, 1, presentationContents(std::move(from)), c->begin, c->end, c->curve};
  storeAnimation(std::move(a));
}

StrongId UIView::presentationContents(StrongId model) const {
  UIKIT_MAIN_THREAD_ONLY();
  const Animation* a = findAnimation(AnimatedProperty::Contents);
  if (!a || dispatch::Clock::now() >= a->end) return model;
  return a->fromContents;
}

double UIView::contentsTransitionFraction() const {
  UIKIT_MAIN_THREAD_ONLY();
  const Animation* a = findAnimation(AnimatedProperty::Contents);
  if (!a) return 1;
  std::uint64_t now = dispatch::Clock::now();
  if (now >= a->end) return 1;
  if (now <= a->begin) return 0;
  return static_cast<double>(now - a->begin) / static_cast<double>(a->end - a->begin);
}

CGFloat UIView::presentationAlpha() const { return presentationValue(AnimatedProperty::Alpha, alpha_); }

bool UIView::hasAnimations() const {
  UIKIT_MAIN_THREAD_ONLY();
  std::uint64_t now = dispatch::Clock::now();
  return std::any_of(animations_.begin(), animations_.end(), [&](const Animation& a) { return a.end > now; });
}
