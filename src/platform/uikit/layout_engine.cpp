#include "platform/uikit/layout_engine.h"
#include "platform/uikit/layout_engine_detail.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>

#include "platform/uikit/UIActivityIndicatorView.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UICollectionViewCell.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIProgressView.h"
#include "platform/uikit/text_metrics.h"

namespace uikit {
namespace detail {

std::string nameOf(const UIView* view) {
  if (!view) return "nil";
  if (NSString* identifier = view->accessibilityIdentifier(); identifier && identifier->length() > 0)
    return identifier->UTF8String();
  return view->className();
}

std::vector<std::string>& warningLog() {
  static auto* log = new std::vector<std::string>;
  return *log;
}

void record(const std::string& text) {
  auto& log = warningLog();
  if (std::find(log.begin(), log.end(), text) == log.end()) log.push_back(text);
}

}  // namespace detail

namespace {

using detail::hasArea;
using detail::kTolerance;
using detail::nameOf;
using detail::record;

struct Place {
  int axis;
  int slot;  // ConstraintLayout::Slot
};

// Left-to-right writing: leading is left. Baselines are not modelled.
std::optional<Place> placeOf(NSLayoutAttribute attribute) {
  switch (attribute) {
    case NSLayoutAttributeLeft:
    case NSLayoutAttributeLeading:
      return Place{0, 0};
    case NSLayoutAttributeRight:
    case NSLayoutAttributeTrailing:
      return Place{0, 1};
    case NSLayoutAttributeCenterX:
      return Place{0, 2};
    case NSLayoutAttributeWidth:
      return Place{0, 3};
    case NSLayoutAttributeTop:
      return Place{1, 0};
    case NSLayoutAttributeBottom:
      return Place{1, 1};
    case NSLayoutAttributeCenterY:
      return Place{1, 2};
    case NSLayoutAttributeHeight:
      return Place{1, 3};
    default:
      return std::nullopt;
  }
}

Ref<UIView> rootOf(UIView* view) {
  Ref<UIView> v(view);
  while (Ref<UIView> up = v->superview()) v = up;
  return v;
}

// The translation from space's own (bounds) coordinates to its root's.
CGPoint offsetToRoot(UIView* space) {
  CGPoint p{};
  for (Ref<UIView> s(space); s; s = s->superview()) {
    p.x += s->frame().origin.x - s->bounds().origin.x;
    p.y += s->frame().origin.y - s->bounds().origin.y;
  }
  return p;
}

CGFloat along(CGPoint p, int axis) { return axis == 0 ? p.x : p.y; }
CGFloat along(CGSize s, int axis) { return axis == 0 ? s.width : s.height; }

const char* attributeName(NSLayoutAttribute attribute) {
  switch (attribute) {
    case NSLayoutAttributeLeft: return "left";
    case NSLayoutAttributeRight: return "right";
    case NSLayoutAttributeTop: return "top";
    case NSLayoutAttributeBottom: return "bottom";
    case NSLayoutAttributeLeading: return "leading";
    case NSLayoutAttributeTrailing: return "trailing";
    case NSLayoutAttributeWidth: return "width";
    case NSLayoutAttributeHeight: return "height";
    case NSLayoutAttributeCenterX: return "centerX";
    case NSLayoutAttributeCenterY: return "centerY";
    default: return "baseline";
  }
}

// "strip.top == contentView.top - 8", without addresses, so a warning reads
// the same on every run.
std::string describe(const NSLayoutConstraint* c) {
  std::string out = nameOf(c->firstItem().get()) + "." + attributeName(c->firstAttribute()) + " == ";
  Ref<UIView> second = c->secondItem();
  if (!second) return out + fmt::format("{:g}", c->constant());
  out += nameOf(second.get()) + "." + attributeName(c->secondAttribute());
  if (c->multiplier() != 1) out += fmt::format(" * {:g}", c->multiplier());
  if (c->constant() != 0) out += fmt::format(" {} {:g}", c->constant() < 0 ? '-' : '+', std::fabs(c->constant()));
  return out;
}

}  // namespace

bool ConstraintLayout::Axis::set(Slot slot, CGFloat v) {
  if (fixed || value[slot]) return false;
  value[slot] = v;
  auto& min = value[Min];
  auto& max = value[Max];
  auto& center = value[Center];
  auto& size = value[Size];
  // Any two of the four decide the other two.
  if (!size) {
    if (min && max)
      size = *max - *min;
    else if (min && center)
      size = 2 * (*center - *min);
    else if (max && center)
      size = 2 * (*max - *center);
  }
  if (size) {
    if (min) {
      max = *min + *size;
      center = *min + *size / 2;
    } else if (max) {
      min = *max - *size;
      center = *max - *size / 2;
    } else if (center) {
      min = *center - *size / 2;
      max = *center + *size / 2;
    }
  }
  return true;
}

ConstraintLayout::ConstraintLayout(UIView* container, CGFloat fittingWidth) : ConstraintLayout(container) {
  fitting_ = true;
  // The height is what the content makes it: only the top stays fixed.
  Axis& across = items_[0].axis[0];
  across = Axis{};
  across.set(Min, 0);
  across.set(Size, fittingWidth);
  across.fixed = true;
  Axis& down = items_[0].axis[1];
  down = Axis{};
  down.set(Min, 0);
}

ConstraintLayout::ConstraintLayout(UIView* container) : container_(container) {
  UIKIT_MAIN_THREAD_ONLY();
  if (!container_) detail::misuse("a constraint layout needs a container view");
  Item self{container_, {}, {}};
  CGSize size = container_->bounds().size;
  for (int a = 0; a < 2; ++a) {
    self.axis[a].set(Min, 0);
    self.axis[a].set(Size, along(size, a));
    self.axis[a].fixed = true;
  }
  items_.push_back(std::move(self));
  for (const Ref<UIView>& child : container_->subviewList()) {
    Item item{child, {}, {}};
    if (child->translatesAutoresizingMaskIntoConstraints()) {
      CGRect f = child->frame();
      for (int a = 0; a < 2; ++a) {
        item.axis[a].set(Min, along(f.origin, a));
        item.axis[a].set(Size, along(f.size, a));
        item.axis[a].fixed = true;
      }
    }
    items_.push_back(std::move(item));
  }
  subviewCount_ = items_.size() - 1;
}

std::optional<std::size_t> ConstraintLayout::itemFor(UIView* view) {
  if (!view) return std::nullopt;
  for (std::size_t i = 0; i < items_.size(); ++i)
    if (items_[i].view.get() == view) return i;
  // Inside a subview: that subview's own layout, not this one's.
  if (view->isDescendantOfView(container_)) return std::nullopt;
  if (rootOf(view) != rootOf(container_)) return std::nullopt;
  // A view elsewhere in the tree: fixed where it is, in this container's coordinates.
  CGPoint there = offsetToRoot(view->superview().get());
  CGPoint here = offsetToRoot(container_);
  CGRect f = view->frame();
  Item item{Ref<UIView>(view), {}, {}};
  for (int a = 0; a < 2; ++a) {
    item.axis[a].set(Min, along(f.origin, a) + along(there, a) - along(here, a));
    item.axis[a].set(Size, along(f.size, a));
    item.axis[a].fixed = true;
  }
  items_.push_back(std::move(item));
  return items_.size() - 1;
}

void ConstraintLayout::addConstraint(const NSLayoutConstraint* c) {
  if (c->relation() != NSLayoutRelationEqual || c->priority() != UILayoutPriorityRequired) return;
  std::optional<Place> first = placeOf(c->firstAttribute());
  if (!first) return;
  Ref<UIView> firstView = c->firstItem();
  Ref<UIView> secondView = c->secondItem();
  std::optional<std::size_t> a = itemFor(firstView.get());
  if (!a) return;
  Equation eq{first->axis, Term{*a, static_cast<Slot>(first->slot)}, std::nullopt, c->multiplier(), c->constant(),
              Ref<NSLayoutConstraint>(const_cast<NSLayoutConstraint*>(c))};
  bool touchesSubview = *a >= 1 && *a <= subviewCount_;
  if (secondView) {
    std::optional<Place> second = placeOf(c->secondAttribute());
    if (!second || second->axis != first->axis || (second->slot == Size) != (first->slot == Size)) return;
    std::optional<std::size_t> b = itemFor(secondView.get());
    if (!b) return;
    eq.second = Term{*b, static_cast<Slot>(second->slot)};
    touchesSubview = touchesSubview || (*b >= 1 && *b <= subviewCount_);
  } else if (c->secondAttribute() != NSLayoutAttributeNotAnAttribute) {
    return;  // its second item is gone
  } else if (first->slot == Size && touchesSubview) {
    items_[*a].ownSize[first->axis] = true;
  }
  if (touchesSubview) equations_.push_back(eq);
}

void ConstraintLayout::measure() {
  UIKIT_MAIN_THREAD_ONLY();
  measured_ = true;
  equations_.clear();
  std::vector<Ref<UIView>> holders{container_};
  for (Ref<UIView> up = container_->superview(); up; up = up->superview()) holders.push_back(up);
  for (std::size_t i = 1; i <= subviewCount_; ++i) holders.push_back(items_[i].view);
  for (const Ref<UIView>& holder : holders) {
    std::vector<Ref<NSLayoutConstraint>> held = holder->constraintList();
    for (const auto& c : held) addConstraint(c.get());
  }

  for (std::size_t i = 1; i <= subviewCount_; ++i) {
    Item& item = items_[i];
    if (auto* label = objc_cast<UILabel>(item.view.get())) {
      CGSize text = measureText(label->text(), label->font(), label->numberOfLines());
      item.natural[0] = text.width;
      item.natural[1] = text.height;
      continue;
    }
    CGSize intrinsic = item.view->intrinsicContentSize();
    for (int a = 0; a < 2; ++a)
      if (along(intrinsic, a) >= 0) item.natural[a] = along(intrinsic, a);
  }
}

bool ConstraintLayout::propagate(int axis) {
  bool any = false;
  for (bool changed = true; changed;) {
    changed = false;
    for (const Equation& eq : equations_) {
      if (eq.axis != axis) continue;
      Axis& a = items_[eq.first.item].axis[axis];
      if (!eq.second) {
        changed |= a.set(eq.first.slot, eq.constant);
        continue;
      }
      Axis& b = items_[eq.second->item].axis[axis];
      const std::optional<CGFloat>& va = a.value[eq.first.slot];
      const std::optional<CGFloat>& vb = b.value[eq.second->slot];
      if (vb && !va)
        changed |= a.set(eq.first.slot, eq.multiplier * *vb + eq.constant);
      else if (va && !vb && eq.multiplier != 0)
        changed |= b.set(eq.second->slot, (*va - eq.constant) / eq.multiplier);
    }
    any |= changed;
  }
  return any;
}

void ConstraintLayout::solve(int axis) {
  propagate(axis);
  // Natural sizes, largest first: the device lets a view grow past its
  // natural size before it lets one shrink below it.
  for (;;) {
    std::optional<std::size_t> pick;
    for (std::size_t i = 1; i <= subviewCount_; ++i) {
      const Item& item = items_[i];
      if (item.axis[axis].value[Size] || !item.natural[axis]) continue;
      if (!pick || *item.natural[axis] > *items_[*pick].natural[axis]) pick = i;
    }
    if (!pick) break;
    items_[*pick].axis[axis].set(Size, *items_[*pick].natural[axis]);
    propagate(axis);
  }
  // What no constraint decides stays as it was; a view then placed or sized
  // through it is as undecided, as the device finds the whole chain ambiguous.
  auto keepOld = [&](Item& item, Slot slot, CGFloat old) {
    std::vector<bool> known(subviewCount_ + 1);
    for (std::size_t j = 1; j <= subviewCount_; ++j)
      known[j] = items_[j].axis[axis].value[Min] && items_[j].axis[axis].value[Size];
    item.ambiguous[axis] = true;
    item.axis[axis].set(slot, old);
    propagate(axis);
    for (std::size_t j = 1; j <= subviewCount_; ++j)
      if (!known[j] && items_[j].axis[axis].value[Min] && items_[j].axis[axis].value[Size])
        items_[j].ambiguous[axis] = true;
  };
  for (std::size_t i = 1; i <= subviewCount_; ++i)
    if (!items_[i].axis[axis].value[Size]) keepOld(items_[i], Size, along(items_[i].view->frame().size, axis));
  for (std::size_t i = 1; i <= subviewCount_; ++i)
    if (!items_[i].axis[axis].value[Min]) keepOld(items_[i], Min, along(items_[i].view->frame().origin, axis));
}

// A label's height follows the width the horizontal pass gave it.
void ConstraintLayout::measureHeights() {
  for (std::size_t i = 1; i <= subviewCount_; ++i) {
    Item& item = items_[i];
    auto* label = objc_cast<UILabel>(item.view.get());
    if (!label) continue;
    CGFloat width = *item.axis[0].value[Size];
    item.natural[1] = measureText(label->text(), label->font(), label->numberOfLines(), width).height;
  }
}

void ConstraintLayout::solveAll() {
  if (solved_) return;
  if (!measured_) measure();
  solve(0);
  measureHeights();
  solve(1);
  solved_ = true;
  findProblems();
}

void ConstraintLayout::findProblems() {
  problems_.clear();
  const std::string where = " in " + nameOf(container_.get());
  for (const Equation& eq : equations_) {
    const std::optional<CGFloat>& got = items_[eq.first.item].axis[eq.axis].value[eq.first.slot];
    std::optional<CGFloat> want = eq.constant;
    if (eq.second) {
      const std::optional<CGFloat>& other = items_[eq.second->item].axis[eq.axis].value[eq.second->slot];
      want = other ? std::optional<CGFloat>(eq.multiplier * *other + eq.constant) : std::nullopt;
    }
    if (got && want && std::fabs(*got - *want) > kTolerance)
      problems_.push_back("Unable to simultaneously satisfy constraints" + where + ": breaking " +
                          describe(eq.source.get()));
  }
  static const char* const kAxis[2] = {"horizontal", "vertical"};
  for (std::size_t i = 1; i <= subviewCount_; ++i) {
    const Item& item = items_[i];
    for (int a = 0; a < 2; ++a) {
      if (item.ambiguous[a])
        problems_.push_back("Ambiguous layout" + where + ": no constraint decides the " + kAxis[a] + " frame of " +
                            nameOf(item.view.get()));
      if (item.ownSize[a] || !item.natural[a] || item.view->translatesAutoresizingMaskIntoConstraints()) continue;
      // A wrapping label trades width for lines.
      auto* label = objc_cast<UILabel>(item.view.get());
      if (a == 0 && label && label->numberOfLines() != 1) continue;
      CGFloat size = *item.axis[a].value[Size];
      if (size < *item.natural[a] - kTolerance)
        problems_.push_back(fmt::format("Squashed{}: {} is {:g} {}, below its natural {:g}", where,
                                        nameOf(item.view.get()), size, a == 0 ? "wide" : "high", *item.natural[a]));
    }
  }
}

CGFloat ConstraintLayout::fittingHeight() {
  UIKIT_MAIN_THREAD_ONLY();
  solveAll();
  if (const auto& size = items_[0].axis[1].value[Size]) return *size;
  CGFloat bottom = 0;
  for (std::size_t i = 1; i <= subviewCount_; ++i) bottom = std::max(bottom, *items_[i].axis[1].value[Max]);
  return bottom;
}

void ConstraintLayout::arrange() {
  UIKIT_MAIN_THREAD_ONLY();
  if (fitting_) detail::misuse("a fitting layout measures; it does not arrange");
  solveAll();
  // A view not yet given a size is no screen: its breaks are not the page's.
  if (hasArea(container_->bounds()))
    for (const std::string& problem : problems_)
      if (problem.starts_with("Unable")) record(problem);
  arranged_ = true;
  for (std::size_t i = 1; i <= subviewCount_; ++i) {
    Item& item = items_[i];
    CGRect frame{{*item.axis[0].value[Min], *item.axis[1].value[Min]},
                 {*item.axis[0].value[Size], *item.axis[1].value[Size]}};
    item.view->setFrame(frame);
  }
}

std::optional<CGRect> ConstraintLayout::frameFor(const UIView* subview) const {
  UIKIT_MAIN_THREAD_ONLY();
  if (!arranged_) return std::nullopt;
  for (std::size_t i = 1; i <= subviewCount_; ++i) {
    const Item& item = items_[i];
    if (item.view.get() != subview) continue;
    return CGRect{{*item.axis[0].value[Min], *item.axis[1].value[Min]},
                  {*item.axis[0].value[Size], *item.axis[1].value[Size]}};
  }
  return std::nullopt;
}

void layoutViewWithConstraints(UIView* view) {
  UIKIT_MAIN_THREAD_ONLY();
  if (!view) return;
  ConstraintLayout(view).arrange();
  // A view placed by constraints may have changed its own natural size (a
  // label's text): its siblings and itself are placed again. Frames that
  // come out the same are not touched, so this settles at once.
  if (view->translatesAutoresizingMaskIntoConstraints()) return;
  if (Ref<UIView> parent = view->superview()) ConstraintLayout(parent).arrange();
}

CGFloat fittingHeight(UIView* container, CGFloat width) {
  UIKIT_MAIN_THREAD_ONLY();
  if (!container) return 0;
  ConstraintLayout layout(container, width);
  CGFloat height = layout.fittingHeight();
  for (const std::string& problem : layout.problems())
    if (problem.starts_with("Unable")) record(problem);
  return height;
}

void installConstraintLayout() { UIView::setLayoutHook(&layoutViewWithConstraints); }

namespace {
// The device lays out with constraints from the start; so does the toolkit,
// once loaded from the main thread.
__attribute__((constructor)) void installAtLoad() {
  if (dispatch::isMainThread()) installConstraintLayout();
}
}  // namespace

}  // namespace uikit
