#include "platform/uikit/UIView.h"

#include <algorithm>
#include <unordered_set>

#include "platform/uikit/NSLayoutConstraint.h"
#include "platform/uikit/UIGestureRecognizer.h"

namespace {
UIView::LayoutHook& layoutHook() {
  static auto* hook = new UIView::LayoutHook;  // main thread only; lives for the process
  return *hook;
}

Ref<NSArray> arrayOf(const auto& refs) {
  std::vector<StrongId> items(refs.begin(), refs.end());
  return make<NSArray>(std::move(items));
}
}  // namespace

bool UIStringEqual(const NSString* a, const NSString* b) {
  if (a == b) return true;
  return a && b && a->isEqualToString(b);
}

UIView::UIView() { UIKIT_MAIN_THREAD_ONLY(); }

UIView::UIView(CGRect frame) : frame_(frame), bounds_{{0, 0}, frame.size} { UIKIT_MAIN_THREAD_ONLY(); }

// Subviews outlive their parent only if someone else holds them; their weak
// superview then reads nil by itself.
UIView::~UIView() = default;

UIView* UIView::initWithFrame(CGRect frame) {
  UIKIT_MAIN_THREAD_ONLY();
  setFrame(frame);
  return this;
}

// --- hierarchy -----------------------------------------------------------------

Ref<NSArray> UIView::subviews() const {
  UIKIT_MAIN_THREAD_ONLY();
  return arrayOf(subviews_);
}

void UIView::addSubview(UIView* view) {
  UIKIT_MAIN_THREAD_ONLY();
  insertSubview_atIndex(view, static_cast<NSInteger>(subviews_.size()));
}

void UIView::insertSubview_atIndex(UIView* view, NSInteger index) {
  UIKIT_MAIN_THREAD_ONLY();
  if (!view) return;
  if (isDescendantOfView(view)) uikit::detail::misuse("a view cannot be added to itself or to one of its descendants");
  Ref<UIView> keep(view);
  Ref<UIView> old = view->superview();
  if (old.get() == this) {
    auto at = std::find_if(subviews_.begin(), subviews_.end(), [&](const Ref<UIView>& v) { return v.get() == view; });
    NSInteger from = at - subviews_.begin();
    if (std::clamp<NSInteger>(index, 0, static_cast<NSInteger>(subviews_.size()) - 1) == from) return;
    // Reordering among siblings keeps every constraint.
    subviews_.erase(at);
  } else if (old) {
    view->removeFromSuperview();
  }
  size_t at = static_cast<size_t>(std::clamp<NSInteger>(index, 0, static_cast<NSInteger>(subviews_.size())));
  subviews_.insert(subviews_.begin() + static_cast<std::ptrdiff_t>(at), keep);
  view->superview_ = Weak<UIView>(this);
  view->setNeedsLayout();
  setNeedsLayout();
}

void UIView::removeFromSuperview() {
  UIKIT_MAIN_THREAD_ONLY();
  Ref<UIView> parent = superview();
  if (!parent) return;
  removeConstraintsReferringToSubtree();
  Ref<UIView> keep(this);
  auto& siblings = parent->subviews_;
  std::erase_if(siblings, [this](const Ref<UIView>& v) { return v.get() == this; });
  superview_ = Weak<UIView>();
  parent->setNeedsLayout();
}

void UIView::removeConstraintsReferringToSubtree() {
  std::unordered_set<const UIView*> subtree;
  std::vector<const UIView*> pending{this};
  while (!pending.empty()) {
    const UIView* v = pending.back();
    pending.pop_back();
    subtree.insert(v);
    for (const auto& child : v->subviews_) pending.push_back(child.get());
  }
  for (Ref<UIView> ancestor = superview(); ancestor; ancestor = ancestor->superview()) {
    std::vector<Ref<NSLayoutConstraint>> held = ancestor->constraints_;
    for (const auto& c : held) {
      if (subtree.count(c->firstItem().get()) || subtree.count(c->secondItem().get())) ancestor->removeConstraint(c);
    }
  }
}

bool UIView::isDescendantOfView(const UIView* view) const {
  UIKIT_MAIN_THREAD_ONLY();
  if (!view) return false;
  if (view == this) return true;
  for (Ref<UIView> v = superview(); v; v = v->superview())
    if (v.get() == view) return true;
  return false;
}

UIView* UIView::viewWithTag(NSInteger tag) {
  UIKIT_MAIN_THREAD_ONLY();
  if (tag_ == tag) return this;
  for (const auto& child : subviews_)
    if (UIView* found = child->viewWithTag(tag)) return found;
  return nullptr;
}

// --- geometry --------------------------------------------------------------------

void UIView::setFrame(CGRect frame) {
  UIKIT_MAIN_THREAD_ONLY();
  if (frame == frame_) return;
  frame_ = frame;
  bounds_.size = frame.size;
  setNeedsLayout();
}

void UIView::setBounds(CGRect bounds) {
  UIKIT_MAIN_THREAD_ONLY();
  if (bounds == bounds_) return;
  CGPoint c = center();
  bounds_ = bounds;
  frame_ = {{c.x - bounds.size.width / 2, c.y - bounds.size.height / 2}, bounds.size};
  setNeedsLayout();
}

// --- touches ---------------------------------------------------------------------

bool UIView::pointInside(CGPoint point) const {
  UIKIT_MAIN_THREAD_ONLY();
  return point.x >= bounds_.origin.x && point.y >= bounds_.origin.y &&
         point.x < bounds_.origin.x + bounds_.size.width && point.y < bounds_.origin.y + bounds_.size.height;
}

UIView* UIView::hitTest(CGPoint point) {
  UIKIT_MAIN_THREAD_ONLY();
  if (hidden_ || alpha_ < 0.01 || !userInteractionEnabled_ || !pointInside(point)) return nullptr;
  for (auto child = subviews_.rbegin(); child != subviews_.rend(); ++child) {
    const UIView& c = **child;
    CGPoint inChild{point.x - c.frame_.origin.x + c.bounds_.origin.x, point.y - c.frame_.origin.y + c.bounds_.origin.y};
    if (UIView* hit = (*child)->hitTest(inChild)) return hit;
  }
  return this;
}

CGPoint UIView::convertPointToWindow(CGPoint point) const {
  UIKIT_MAIN_THREAD_ONLY();
  for (const UIView* v = this; v->superview_.lock(); v = v->superview_.lock().get()) {
    point.x += v->frame_.origin.x - v->bounds_.origin.x;
    point.y += v->frame_.origin.y - v->bounds_.origin.y;
  }
  return point;
}

CGPoint UIView::convertPointFromWindow(CGPoint point) const {
  CGPoint origin = convertPointToWindow({0, 0});
  return {point.x - origin.x, point.y - origin.y};
}

// --- appearance --------------------------------------------------------------------

void UIView::setAlpha(CGFloat alpha) {
  UIKIT_MAIN_THREAD_ONLY();
  alpha = std::clamp<CGFloat>(alpha, 0, 1);
  if (alpha == alpha_) return;
  animateChange(AnimatedProperty::Alpha, alpha_, alpha);
  alpha_ = alpha;
  setNeedsDisplay();
}

void UIView::setClipsToBounds(bool clips) {
  UIKIT_MAIN_THREAD_ONLY();
  if (clips == clipsToBounds_) return;
  clipsToBounds_ = clips;
  setNeedsDisplay();
}

void UIView::setHidden(bool hidden) {
  UIKIT_MAIN_THREAD_ONLY();
  if (hidden == hidden_) return;
  hidden_ = hidden;
  setNeedsDisplay();
}

void UIView::setOpaque(bool opaque) {
  UIKIT_MAIN_THREAD_ONLY();
  if (opaque == opaque_) return;
  opaque_ = opaque;
  setNeedsDisplay();
}

void UIView::setBackgroundColor(UIColor* color) {
  UIKIT_MAIN_THREAD_ONLY();
  if (UIColorEqual(color, backgroundColor_.get())) return;
  backgroundColor_ = color;
  setNeedsDisplay();
}

Ref<UIColor> UIView::tintColor() const {
  UIKIT_MAIN_THREAD_ONLY();
  if (tintColor_) return tintColor_;
  for (Ref<UIView> v = superview(); v; v = v->superview())
    if (v->tintColor_) return v->tintColor_;
  return UIColor::systemBlueColor();
}

void UIView::setTintColor(UIColor* color) {
  UIKIT_MAIN_THREAD_ONLY();
  if (UIColorEqual(color, tintColor_.get())) return;
  tintColor_ = color;
  setNeedsDisplay();
}

void UIView::setContentMode(UIViewContentMode mode) {
  UIKIT_MAIN_THREAD_ONLY();
  if (mode == contentMode_) return;
  contentMode_ = mode;
  setNeedsDisplay();
}

void UIView::setUserInteractionEnabled(bool enabled) {
  UIKIT_MAIN_THREAD_ONLY();
  userInteractionEnabled_ = enabled;
}

void UIView::setTag(NSInteger tag) {
  UIKIT_MAIN_THREAD_ONLY();
  tag_ = tag;
}

void UIView::setAccessibilityIdentifier(const NSString* identifier) {
  UIKIT_MAIN_THREAD_ONLY();
  if (UIStringEqual(identifier, accessibilityIdentifier_.get())) return;
  accessibilityIdentifier_ = const_cast<NSString*>(identifier);
}

// --- constraints --------------------------------------------------------------------

void UIView::setTranslatesAutoresizingMaskIntoConstraints(bool translates) {
  UIKIT_MAIN_THREAD_ONLY();
  if (translates == translatesAutoresizingMask_) return;
  translatesAutoresizingMask_ = translates;
  setNeedsLayout();
  if (Ref<UIView> parent = superview()) parent->setNeedsLayout();
}

Ref<NSArray> UIView::constraints() const {
  UIKIT_MAIN_THREAD_ONLY();
  return arrayOf(constraints_);
}

void UIView::addConstraint(NSLayoutConstraint* constraint) {
  UIKIT_MAIN_THREAD_ONLY();
  if (!constraint) return;
  for (const Ref<UIView>& item : {constraint->firstItem(), constraint->secondItem()}) {
    if (item && !item->isDescendantOfView(this))
      uikit::detail::misuse(std::string("the view hierarchy is not prepared for the constraint: an item is "
                                        "outside the subtree of the ") +
                            className() + " it is added to");
  }
  holdConstraint(constraint);
}

void UIView::holdConstraint(NSLayoutConstraint* constraint) {
  Ref<UIView> holder = constraint->container_.lock();
  if (holder.get() == this) return;
  if (holder) holder->removeConstraint(constraint);
  constraints_.emplace_back(constraint);
  constraint->container_ = Weak<UIView>(this);
  setNeedsLayout();
}

void UIView::addConstraints(const NSArray* constraints) {
  UIKIT_MAIN_THREAD_ONLY();
  if (!constraints) return;
  for (const StrongId& c : *constraints) addConstraint(objc_cast<NSLayoutConstraint>(c.get()));
}

void UIView::removeConstraint(NSLayoutConstraint* constraint) {
  UIKIT_MAIN_THREAD_ONLY();
  if (!constraint) return;
  auto it = std::find_if(constraints_.begin(), constraints_.end(),
                         [&](const Ref<NSLayoutConstraint>& c) { return c.get() == constraint; });
  if (it == constraints_.end()) return;
  Ref<NSLayoutConstraint> keep = *it;
  constraints_.erase(it);
  keep->container_ = Weak<UIView>();
  setNeedsLayout();
}

void UIView::removeConstraints(const NSArray* constraints) {
  UIKIT_MAIN_THREAD_ONLY();
  if (!constraints) return;
  for (const StrongId& c : *constraints) removeConstraint(objc_cast<NSLayoutConstraint>(c.get()));
}

// --- gesture recognisers ----------------------------------------------------------------

Ref<NSArray> UIView::gestureRecognizers() const {
  UIKIT_MAIN_THREAD_ONLY();
  return arrayOf(gestureRecognizers_);
}

void UIView::addGestureRecognizer(UIGestureRecognizer* recognizer) {
  UIKIT_MAIN_THREAD_ONLY();
  if (!recognizer) return;
  Ref<UIView> attached = recognizer->view();
  if (attached.get() == this) return;
  if (attached) attached->removeGestureRecognizer(recognizer);
  gestureRecognizers_.emplace_back(recognizer);
  recognizer->view_ = Weak<UIView>(this);
}

void UIView::removeGestureRecognizer(UIGestureRecognizer* recognizer) {
  UIKIT_MAIN_THREAD_ONLY();
  if (!recognizer) return;
  auto it = std::find_if(gestureRecognizers_.begin(), gestureRecognizers_.end(),
                         [&](const Ref<UIGestureRecognizer>& g) { return g.get() == recognizer; });
  if (it == gestureRecognizers_.end()) return;
  recognizer->view_ = Weak<UIView>();
  gestureRecognizers_.erase(it);
}

// --- layout ----------------------------------------------------------------------------------

void UIView::setNeedsLayout() {
  UIKIT_MAIN_THREAD_ONLY();
  needsLayout_ = true;
}

bool UIView::subtreeNeedsLayout() const {
  if (needsLayout_) return true;
  return std::any_of(subviews_.begin(), subviews_.end(), [](const Ref<UIView>& v) { return v->subtreeNeedsLayout(); });
}

void UIView::layoutIfNeeded() {
  UIKIT_MAIN_THREAD_ONLY();
  if (subtreeNeedsLayout()) layoutMarkedSubtree();
}

void UIView::layoutMarkedSubtree() {
  Ref<UIView> keep(this);
  if (needsLayout_) {
    // Cleared first, as on the device: layoutSubviews may mark it again for
    // the next pass without being lost.
    needsLayout_ = false;
    objc_msgSend<void>(this, "layoutSubviews");
  }
  std::vector<Ref<UIView>> children = subviews_;  // layout may change the tree
  for (const auto& child : children)
    if (child->subtreeNeedsLayout()) child->layoutMarkedSubtree();
}

void UIView::layoutSubviews() {
  UIKIT_MAIN_THREAD_ONLY();
  if (layoutHook()) layoutHook()(this);
}

void UIView::setLayoutHook(LayoutHook hook) {
  UIKIT_MAIN_THREAD_ONLY();
  layoutHook() = std::move(hook);
}
